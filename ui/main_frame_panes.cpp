// CMainFrame's right-hand panes: the image browser and the batch pane docked on the right (the
// two exclude each other), their toolbar toggles and View items, and the stored right-pane value.
#include <QAction>
#include <QDir>
#include <QMenu>
#include <QToolBar>

#include "batch/batch_run.h"
#include "browser/browser_dialog_bar.h"
#include "ui/batch_dialog_bar.h"
#include "ui/batch_progress_dialog.h"
#include "ui/main_frame.h"
#include "ui/noise_cleaner_view.h"
#include "ui/options_sheet.h"
#include "ui/toolbar_icons.h"
#include "ui/ui_texts.h"

namespace stillpix {

void CMainFrame::CreateRightPanes() {
    batch_ = new CBatchDialogBar(
        BatchPaneContext{context_.options, context_.store, context_.presets}, this);
    browser_ = new CBrowserDialogBar(
        BrowserContext{
            .options = context_.options,
            .store = context_.store,
            .recent = context_.recentFolders,
            .openDocument = [this](const std::string& path) { OpenFile(path); },
            .home = QDir::homePath().toStdString(),
            .addToBatch =
                [this](const BatchAddRequest& request) { batch_->AddFromBrowser(request); }},
        this);
    // RunBatchMessage: posted, so the pane's command has returned when the run starts.
    connect(batch_, &CBatchDialogBar::runBatchRequested, this, &CMainFrame::OnRunBatch,
            Qt::QueuedConnection);
    connect(batch_, &CBatchDialogBar::openBatchRequested, this,
            [this] { ToggleRightPane(batch_); });
    connect(batch_, &CRightPaneDialogBar::openFileRequested, this,
            [this](const QString& path) { OpenFile(path.toStdString()); });
    connect(optionsSheet_, &COptionsSheet::RecentFoldersCleared, browser_,
            &CBrowserDialogBar::RebuildRecentMenu);

    const QList<QAction*> tools = toolBar_->actions();
    const qsizetype preview = tools.indexOf(preview_);
    QAction* before = preview >= 0 && preview + 1 < tools.size() ? tools[preview + 1] : nullptr;
    toolBar_->insertSeparator(before);
    const auto dock = [&](QDockWidget* pane, QAction*& toggle, const char* name, const char* item,
                          const char* tip, ToolbarGlyph glyph) {
        pane->hide();
        addDockWidget(Qt::RightDockWidgetArea, pane);
        toggle = NewAction(name, item, tip);
        toggle->setCheckable(true);
        toggle->setIcon(ToolbarIcon(glyph));
        connect(toggle, &QAction::triggered, this, [this, pane] { ToggleRightPane(pane); });
        connect(pane, &QDockWidget::visibilityChanged, toggle,
                [toggle, pane] { toggle->setChecked(pane->isVisible()); });
        // After "Preview" on the toolbar; before the options in the View menu.
        toolBar_->insertAction(before, toggle);
        viewMenu_->insertAction(optionsCommand_, toggle);
    };
    dock(browser_, browserToggle_, "browser", kItemImageBrowser, kTipBrowser,
         ToolbarGlyph::kBrowser);
    dock(batch_, batchToggle_, "batch", kItemBatchProcessing, kTipBatch, ToolbarGlyph::kBatch);
    viewMenu_->insertSeparator(optionsCommand_);
}

void CMainFrame::ToggleRightPane(QDockWidget* pane) {
    const bool show = !pane->isVisible();
    // The two right-hand panes exclude each other.
    QDockWidget* other = pane == browser_ ? static_cast<QDockWidget*>(batch_) : browser_;
    if (show) other->hide();
    pane->setVisible(show);
    StoreRightPanes();
}

void CMainFrame::StoreRightPanes() {
    context_.options->settings2.rightPanes =
        (browser_->isVisible() ? 1 : 0) + 2 * (batch_->isVisible() ? 1 : 0);
    WriteOptions();
    RequestIdlePass();
}

void CMainFrame::RestoreRightPanes() {
    browser_->setVisible(context_.options->settings2.rightPanes == 1);
    batch_->setVisible(context_.options->settings2.rightPanes == 2);
}

void CMainFrame::OnRunBatch(BatchJob* job) {
    if (!batch_->isEnabled()) return;  // one run at a time
    if (!batchRun_)
        batchRun_ =
            std::make_unique<BatchProgressDialogModel>([this](std::function<void()> notice) {
                QMetaObject::invokeMethod(this, std::move(notice), Qt::QueuedConnection);
            });
    BatchRunOptions options;
    options.presets = context_.presets;
    ApplyStoredBatchOptions(*context_.options, options);
    batchRun_->Open(*doc_, *job, options);
    // Later, not inside the closing window's own call.
    batchRun_->onFinished = [this] { QTimer::singleShot(0, this, &CMainFrame::EndOfBatch); };
    // Until the worker has left the run, which may outlast the window after a cancel: another
    // Run Batch would clear the lists that it still writes.
    batch_->setEnabled(false);
    batchWindow_ = new CBatchProgressDialog(*batchRun_, this);
    batchWindow_->setAttribute(Qt::WA_DeleteOnClose);
    batchWindow_->show();
}

void CMainFrame::EndOfBatch() {
    batch_->setEnabled(true);
    batch_->RefreshList();
    view_->viewport()->update();
    RequestIdlePass();
    CBatchSummaryDialog::Show(this, batchRun_->ElapsedText(), batchRun_->Counts());
}

}  // namespace stillpix
