// CMainFrame as the document's window: message boxes, prompts, the status bar, the progress
// dialog and the summary.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include "document/document_texts.h"
#include "ui/main_frame.h"
#include "ui/message_box.h"
#include "ui/message_dialogs.h"
#include "ui/noise_cleaner_view.h"
#include "ui/progress_dialog.h"
#include "ui/ui_texts.h"

namespace stillpix {

MessageAnswer CMainFrame::Show(const UserMessage& message) {
    return ShowMessageBox(isVisible() ? this : nullptr, message);
}

IccAnswer CMainFrame::AskIcc(const UserMessage& message) {
    return CICCPromptDialog::Ask(this, message);
}

void CMainFrame::SetWaitCursor(bool on) {
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++waitCursors_;
    } else if (waitCursors_ > 0) {
        QApplication::restoreOverrideCursor();
        --waitCursors_;
    }
}

void CMainFrame::TitleChanged(const std::string& title) {
    setWindowTitle(QStringLiteral("%1 - %2").arg(QString::fromStdString(title), kProgramTitle));
}

void CMainFrame::SetStatusText(int pane, const std::string& text) {
    if (pane < 0 || pane > 2) return;
    panes_[pane]->setText(MessageText(text));
    // A message without the progress flag ends the bar.
    if (pane == 0) statusProgress_->SetShown(false);
}

void CMainFrame::ShowExifRows(const std::vector<std::string>& labels,
                              const std::vector<std::string>& values) {
    pane_->ShowExifRows(labels, values);
}

void CMainFrame::RefreshFilterPane() { pane_->RefreshFilterPane(); }

void CMainFrame::RedrawView() { view_->viewport()->update(); }

bool CMainFrame::RunProgressDialog(ProgressDialogModel& model) {
    CProgressDialog dialog(model, this);
    return dialog.exec() == QDialog::Accepted;
}

bool CMainFrame::ShowSummary(const std::string& text) {
    return CProcessSummaryDialog::Show(this, text);
}

}  // namespace stillpix
