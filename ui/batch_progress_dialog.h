// "Batch Progress Window" (CBatchProgressDialog): the file and count labels, the image and run
// bars, the elapsed and remaining time and Cancel, over a BatchProgressDialogModel; and "Batch
// Processing Summary" (CBatchSummaryDialog) with the time and the three counts.
#pragma once

#include <QDialog>
#include <QTimer>

#include "batch/batch_run.h"
#include "ui/message_box.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace stillpix {

class CBatchProgressDialog : public QDialog {
    Q_OBJECT
public:
    // The model has been opened on its run; the window starts it and shows what it is told.
    CBatchProgressDialog(BatchProgressDialogModel& model, QWidget* parent);
    ~CBatchProgressDialog() override;

    QLabel* Label(int selector) const;  // 1 file, 2 count, 3 elapsed, 4 remaining
    QProgressBar* ImageBar() const { return imageBar_; }
    QProgressBar* OverallBar() const { return overallBar_; }
    QPushButton* CancelButton() const { return cancel_; }
    void SetMessagePrompter(MessagePrompter ask) { ask_ = std::move(ask); }

protected:
    void reject() override;  // Cancel, Esc and the close button ask first
    void done(int result) override;

private:
    void Tick();
    void ShowText(int selector);
    // Closed: the run stops and nothing more reaches this window.
    void Disconnect();

    BatchProgressDialogModel& model_;
    MessagePrompter ask_;
    bool asking_ = false;
    bool runEnded_ = false;
    bool closed_ = false;
    QLabel* labels_[4] = {};
    QProgressBar* imageBar_;
    QProgressBar* overallBar_;
    QPushButton* cancel_;
    QTimer timer_;
};

class CBatchSummaryDialog {
public:
    static void Show(QWidget* parent, const std::string& elapsedText, const BatchCounts& counts);
};

}  // namespace stillpix
