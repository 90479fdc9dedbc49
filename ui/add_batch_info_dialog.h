// CAddBatchDialogInfo ("Image Browser"): tells what "Add To Batch" queued. "Continue" closes it,
// "Open Batch" asks for the batch pane; the check box turns the notice off at once.
#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;

namespace stillpix {

class CAddBatchDialogInfo : public QDialog {
    Q_OBJECT
public:
    static constexpr int kOpenBatch = 1198;

    // `dontShowAgain(checked)` runs on every click of the check box.
    CAddBatchDialogInfo(const QString& text, std::function<void(bool)> dontShowAgain,
                        QWidget* parent = nullptr);
    QCheckBox* DontShowAgain() const { return dontShow_; }

private:
    QCheckBox* dontShow_;
};

}  // namespace stillpix
