// "Progress Window": a bar, a text line and Cancel over the document's ProgressDialogModel,
// ticked by a 50-ms timer that chains the profile run and the full run.
#pragma once

#include <QDialog>
#include <QTimer>

#include "document/progress_dialog_model.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace stillpix {

class CProgressDialog : public QDialog {
    Q_OBJECT
public:
    CProgressDialog(ProgressDialogModel& model, QWidget* parent);

protected:
    void reject() override;  // Esc and the close button count as Cancel, once it is offered

private:
    void Tick();
    void ShowModel();

    ProgressDialogModel& model_;
    QTimer timer_;
    QLabel* text_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace stillpix
