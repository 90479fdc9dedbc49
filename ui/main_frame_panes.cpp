// CMainFrame's right-hand panes: the image browser docked on the right, its toolbar toggle and
// View item, and the stored right-pane value.
#include <QAction>
#include <QDir>
#include <QMenu>
#include <QToolBar>

#include "browser/browser_dialog_bar.h"
#include "ui/main_frame.h"
#include "ui/options_sheet.h"
#include "ui/toolbar_icons.h"
#include "ui/ui_texts.h"

namespace stillpix {

void CMainFrame::CreateRightPanes() {
    browser_ = new CBrowserDialogBar(
        BrowserContext{.options = context_.options,
                       .store = context_.store,
                       .recent = context_.recentFolders,
                       .openDocument = [this](const std::string& path) { OpenFile(path); },
                       .home = QDir::homePath().toStdString()},
        this);
    browser_->hide();
    addDockWidget(Qt::RightDockWidgetArea, browser_);
    connect(optionsSheet_, &COptionsSheet::RecentFoldersCleared, browser_,
            &CBrowserDialogBar::RebuildRecentMenu);

    browserToggle_ = NewAction("browser", kItemImageBrowser, kTipBrowser);
    browserToggle_->setCheckable(true);
    browserToggle_->setIcon(ToolbarIcon(ToolbarGlyph::kBrowser));
    connect(browserToggle_, &QAction::triggered, this, [this] { ToggleRightPane(browser_); });
    connect(browser_, &QDockWidget::visibilityChanged, browserToggle_,
            [this] { browserToggle_->setChecked(browser_->isVisible()); });

    // After "Preview" on the toolbar; before the options in the View menu.
    const QList<QAction*> tools = toolBar_->actions();
    const qsizetype preview = tools.indexOf(preview_);
    QAction* before = preview >= 0 && preview + 1 < tools.size() ? tools[preview + 1] : nullptr;
    toolBar_->insertSeparator(before);
    toolBar_->insertAction(before, browserToggle_);
    viewMenu_->insertAction(optionsCommand_, browserToggle_);
    viewMenu_->insertSeparator(optionsCommand_);
}

void CMainFrame::ToggleRightPane(QDockWidget* pane) {
    const bool show = !pane->isVisible();
    // The two right-hand panes exclude each other.
    for (QDockWidget* other : {static_cast<QDockWidget*>(browser_)})
        if (other != pane && show) other->hide();
    pane->setVisible(show);
    StoreRightPanes();
}

void CMainFrame::StoreRightPanes() {
    context_.options->settings2.rightPanes = browser_->isVisible() ? 1 : 0;
    WriteOptions();
    RequestIdlePass();
}

void CMainFrame::RestoreRightPanes() {
    browser_->setVisible(context_.options->settings2.rightPanes == 1);
}

}  // namespace stillpix
