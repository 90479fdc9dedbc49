// CMainFrame's construction: actions with their accelerators, menus, toolbar, status bar.
#include "ui/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <utility>

#include "batch/batch_run.h"
#include "document/document_texts.h"
#include "ui/batch_progress_dialog.h"
#include "ui/noise_cleaner_view.h"
#include "ui/options_sheet.h"
#include "ui/preset_pictures.h"
#include "ui/toolbar_icons.h"
#include "ui/ui_texts.h"

namespace stillpix {

namespace {

constexpr int kIdleStatusPane = 0;

QKeySequence Keys(QKeyCombination combination) { return QKeySequence(combination); }
QKeySequence Keys(Qt::KeyboardModifiers modifiers, Qt::Key key) {
    return QKeySequence(QKeyCombination(modifiers, key));
}

}  // namespace

CMainFrame::CMainFrame(const FrameContext& context) : context_(context) {
    setWindowTitle(QStringLiteral("%1 - %2").arg(kUntitled, kProgramTitle));
    setMinimumSize(kMinFrameWidth, kMinFrameHeight);
    resize(1000, 760);
    CreateStatusBar();
    statusProgress_ = std::make_unique<StatusBarProgress>(progressBar_);
    doc_ = std::make_unique<CNoiseCleanerDoc>(
        DocumentContext{context_.options, context_.store, context_.profiles, &events_,
                        /*openInBackground=*/true},
        *this);
    opener_ = std::make_unique<FileOpener>(*doc_);
    view_ = new CNoiseCleanerView(*doc_, *context_.options, this);
    setCentralWidget(view_);
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateLeftPane();
    optionsSheet_ =
        new COptionsSheet(OptionsContext{.options = context_.options,
                                         .presets = context_.presets,
                                         .store = context_.store,
                                         .profiles = context_.profiles,
                                         .recentFolders = context_.recentFolders,
                                         .workerRunning = [this] { return doc_->WorkerRunning(); },
                                         .ask = {},
                                         .chooseFolder = {}},
                          this);
    CreateRightPanes();
    // Docks take the left and right edges whole; the toolbar and status bar span the window.
    setCorner(Qt::TopLeftCorner, Qt::LeftDockWidgetArea);
    setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    setCorner(Qt::TopRightCorner, Qt::RightDockWidgetArea);
    setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);

    connect(&events_, &JobEventBridge::runStarted, this, &CMainFrame::OnRunStarted,
            Qt::QueuedConnection);
    connect(&events_, &JobEventBridge::runFinished, this, &CMainFrame::OnRunFinished,
            Qt::QueuedConnection);
    connect(&events_, &JobEventBridge::openDecoded, this, &CMainFrame::OnOpenDecoded,
            Qt::QueuedConnection);
    connect(&events_, &JobEventBridge::tileFiltered, view_, &CNoiseCleanerView::RedrawImageRect,
            Qt::QueuedConnection);
    connect(view_, &CNoiseCleanerView::zoomChanged, this, [this](int zoom) {
        panes_[2]->setText(QString::asprintf(kStatusZoomFormat, zoom));
        RequestIdlePass();
    });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &CMainFrame::RequestIdlePass);

    idleTimer_.setSingleShot(true);
    idleTimer_.setInterval(0);
    connect(&idleTimer_, &QTimer::timeout, this, &CMainFrame::OnIdle);
    closeTimer_.setInterval(100);
    connect(&closeTimer_, &QTimer::timeout, this, &CMainFrame::OnCloseTick);

    ShowPreviewState();
    SetStatusText(kIdleStatusPane, kStatusHelp);
    RequestIdlePass();
}

CMainFrame::~CMainFrame() {
    // Hidden while still whole: hiding tells this window's slots that the panes went, and a
    // window destroyed while shown would tell them after its members are gone.
    hide();
    // A batch window still open stops its run through the document, which is still whole.
    delete batchWindow_.data();
    // The worker reports to the bridge and moves the status bar: it stops before they go.
    opener_.reset();
    doc_.reset();
}

QAction* CMainFrame::NewAction(const char* name, const QString& text, const char* iconText) {
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    if (iconText) {
        action->setIconText(iconText);
        action->setToolTip(iconText);
    }
    addAction(action);  // its keys work wherever the focus is in the window
    return action;
}

void CMainFrame::CreateActions() {
    open_ = NewAction("open", kItemOpen, kTipOpen);
    open_->setIcon(ToolbarIcon(ToolbarGlyph::kOpen));
    open_->setShortcut(Keys(Qt::CTRL | Qt::Key_O));
    saveAs_ = NewAction("saveAs", kItemSaveAs, kTipSave);
    saveAs_->setIcon(ToolbarIcon(ToolbarGlyph::kSave));
    saveAs_->setShortcut(Keys(Qt::CTRL | Qt::Key_S));
    closeFile_ = NewAction("closeFile", kItemCloseFile, nullptr);
    closeFile_->setShortcut(Keys(Qt::CTRL | Qt::Key_F4));
    newFile_ = NewAction("newFile", "New", nullptr);
    newFile_->setShortcut(Keys(Qt::CTRL | Qt::Key_N));
    exit_ = NewAction("exit", kItemExit, nullptr);
    undo_ = NewAction("undo", kItemUndo, kTipUndo);
    undo_->setIcon(ToolbarIcon(ToolbarGlyph::kUndo));
    undo_->setShortcuts({Keys(Qt::CTRL | Qt::Key_Z), Keys(Qt::ALT | Qt::Key_Backspace)});
    copy_ = NewAction("copy", kItemCopy, kTipCopy);
    copy_->setShortcuts({Keys(Qt::CTRL | Qt::Key_C), Keys(Qt::CTRL | Qt::Key_Insert)});
    paste_ = NewAction("paste", kItemPaste, kTipPaste);
    paste_->setShortcuts({Keys(Qt::CTRL | Qt::Key_V), Keys(Qt::SHIFT | Qt::Key_Insert)});
    // Cut is not offered: its keys are taken so that nothing happens.
    cut_ = NewAction("cut", "Cut", nullptr);
    cut_->setShortcuts({Keys(Qt::CTRL | Qt::Key_X), Keys(Qt::SHIFT | Qt::Key_Delete)});
    process_ = NewAction("process", kItemProcess, nullptr);
    process_->setShortcuts({Keys(Qt::CTRL | Qt::Key_Return), Keys(Qt::CTRL | Qt::Key_Enter)});
    saveSettings_ = NewAction("saveSettings", kItemSaveSettings, nullptr);
    deleteSettings_ = NewAction("deleteSettings", kItemDeleteSettings, nullptr);
    go_ = NewAction("go", kTipGo, kTipGo);
    zoomIn_ = NewAction("zoomIn", kItemZoomIn, kTipZoomIn);
    zoomIn_->setShortcuts({Keys(Qt::CTRL | Qt::Key_Plus), Keys(Qt::CTRL | Qt::Key_Equal),
                           Keys(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus)});
    zoomOut_ = NewAction("zoomOut", kItemZoomOut, kTipZoomOut);
    zoomOut_->setShortcuts({Keys(Qt::CTRL | Qt::Key_Minus),
                            Keys(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus)});
    showToolBar_ = NewAction("showToolBar", kItemToolbar, nullptr);
    showStatusBar_ = NewAction("showStatusBar", kItemStatusBar, nullptr);
    noiseFilter_ = NewAction("noiseFilter", kItemNoiseFilter, kTipNoiseFilter);
    exif_ = NewAction("exif", kItemExif, kTipExif);
    noiseProfile_ = NewAction("noiseProfile", kItemNoiseProfile, kTipProfile);
    preview_ = NewAction("preview", kPreviewOn, kPreviewOn);
    optionsCommand_ = NewAction("options", kItemOptions, nullptr);
    for (QAction* toggle :
         {showToolBar_, showStatusBar_, noiseFilter_, exif_, noiseProfile_, preview_})
        toggle->setCheckable(true);
    const std::pair<QAction*, ToolbarGlyph> pictures[] = {
        {copy_, ToolbarGlyph::kCopy},
        {paste_, ToolbarGlyph::kPaste},
        {zoomIn_, ToolbarGlyph::kZoomIn},
        {zoomOut_, ToolbarGlyph::kZoomOut},
        {noiseFilter_, ToolbarGlyph::kNoiseFilter},
        {exif_, ToolbarGlyph::kExif},
        {noiseProfile_, ToolbarGlyph::kNoiseProfile},
        {preview_, ToolbarGlyph::kPreview},
        {go_, ToolbarGlyph::kGo}};
    for (const auto& [action, glyph] : pictures) action->setIcon(ToolbarIcon(glyph));
    contextSaveAs_ = new QAction(kContextSaveAs, this);
    contextCloseFile_ = new QAction(kContextCloseFile, this);

    connect(open_, &QAction::triggered, this, &CMainFrame::OnFileOpen);
    connect(saveAs_, &QAction::triggered, this, &CMainFrame::OnFileSaveAs);
    connect(contextSaveAs_, &QAction::triggered, this, &CMainFrame::OnFileSaveAs);
    connect(closeFile_, &QAction::triggered, this, &CMainFrame::OnFileClose);
    connect(contextCloseFile_, &QAction::triggered, this, &CMainFrame::OnFileClose);
    connect(newFile_, &QAction::triggered, this, &CMainFrame::OnFileClose);
    connect(exit_, &QAction::triggered, this, &QWidget::close);
    connect(undo_, &QAction::triggered, this, &CMainFrame::OnUndo);
    connect(copy_, &QAction::triggered, this, &CMainFrame::OnCopy);
    connect(paste_, &QAction::triggered, this, &CMainFrame::OnPaste);
    connect(process_, &QAction::triggered, this, &CMainFrame::OnProcess);
    connect(go_, &QAction::triggered, this, &CMainFrame::OnProcess);
    connect(zoomIn_, &QAction::triggered, this, [this] {
        if (view_->CanZoomIn()) view_->ZoomIn();
    });
    connect(zoomOut_, &QAction::triggered, this, [this] {
        if (view_->CanZoomOut()) view_->ZoomOut();
    });
    connect(preview_, &QAction::triggered, this, &CMainFrame::OnTogglePreview);
    connect(optionsCommand_, &QAction::triggered, this, &CMainFrame::OnOptions);
    connect(noiseFilter_, &QAction::triggered, this, &CMainFrame::OnToggleNoiseFilter);
    connect(exif_, &QAction::triggered, this,
            [this] { OnToggleSection(CLeftPaneDialogBar::kExifSection); });
    connect(noiseProfile_, &QAction::triggered, this,
            [this] { OnToggleSection(CLeftPaneDialogBar::kNoiseProfileSection); });
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu(kMenuFile);
    file->addActions({open_, saveAs_, closeFile_});
    file->addSeparator();
    file->addAction(exit_);
    QMenu* edit = menuBar()->addMenu(kMenuEdit);
    edit->addAction(undo_);
    edit->addSeparator();
    edit->addActions({copy_, paste_});
    QMenu* filter = menuBar()->addMenu(kMenuFilter);
    filter->setObjectName("filterMenu");
    filter->addAction(process_);
    filter->addSeparator();
    filter->addActions({saveSettings_, deleteSettings_});
    viewMenu_ = menuBar()->addMenu(kMenuView);
    viewMenu_->addActions({showToolBar_, showStatusBar_});
    viewMenu_->addSeparator();
    viewMenu_->addActions({zoomIn_, zoomOut_});
    viewMenu_->addSeparator();
    viewMenu_->addActions({noiseFilter_, exif_, noiseProfile_});
    viewMenu_->addSeparator();
    viewMenu_->addAction(optionsCommand_);
    for (QMenu* menu : {file, edit, filter, viewMenu_})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);

    contextMenu_ = new QMenu(this);
    contextMenu_->addAction(undo_);
    contextMenu_->addSeparator();
    contextMenu_->addActions({copy_, paste_});
    contextMenu_->addSeparator();
    contextMenu_->addActions({zoomIn_, zoomOut_});
    contextMenu_->addSeparator();
    contextMenu_->addAction(process_);
    contextMenu_->addSeparator();
    contextMenu_->addActions({contextSaveAs_, contextCloseFile_});
    connect(contextMenu_, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
    view_->SetContextMenu(contextMenu_);
}

void CMainFrame::CreateToolBar() {
    toolBar_ = addToolBar("Toolbar");
    toolBar_->setObjectName("toolBar");
    toolBar_->setMovable(false);
    toolBar_->setToolButtonStyle(Qt::ToolButtonFollowStyle);
    toolBar_->addActions({open_, saveAs_, undo_, copy_, paste_, zoomIn_, zoomOut_});
    toolBar_->addSeparator();
    toolBar_->addActions({noiseFilter_, exif_, noiseProfile_});
    toolBar_->addSeparator();
    toolBar_->addAction(preview_);
    toolBar_->addSeparator();
    presetList_ = new QComboBox(toolBar_);
    presetList_->setObjectName("presetList");
    presetList_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    toolBar_->addWidget(presetList_);
    toolBar_->addAction(go_);
    // These two are read by their words: "Preview: ON" / "Preview: OFF", and "Go".
    for (QAction* labelled : {preview_, go_})
        if (auto* button = qobject_cast<QToolButton*>(toolBar_->widgetForAction(labelled)))
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(presetList_, &QComboBox::activated, this, [this](int index) { SelectPreset(index); });
    showToolBar_->setChecked(true);
    connect(showToolBar_, &QAction::toggled, toolBar_, &QToolBar::setVisible);
    connect(toolBar_, &QToolBar::visibilityChanged, showToolBar_, &QAction::setChecked);
    showStatusBar_->setChecked(true);
    connect(showStatusBar_, &QAction::toggled, statusBar(), &QWidget::setVisible);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    for (QLabel*& pane : panes_) pane = new QLabel(bar);
    progressBar_ = new QProgressBar(bar);
    progressBar_->setRange(0, 100);
    progressBar_->setTextVisible(false);
    progressBar_->setMaximumWidth(160);
    progressBar_->hide();
    panes_[1]->setFixedWidth(kSizePaneWidth);
    panes_[2]->setFixedWidth(kZoomPaneWidth);
    panes_[1]->setText(kStatusSizeEmpty);
    panes_[2]->setText(QString::asprintf(kStatusZoomFormat, 100));
    bar->addWidget(panes_[0], 1);
    bar->addPermanentWidget(progressBar_);
    bar->addPermanentWidget(panes_[1]);
    bar->addPermanentWidget(panes_[2]);
}

void CMainFrame::CreateLeftPane() {
    pane_ = new CLeftPaneDialogBar(PaneContext{context_.presets, context_.options, context_.store},
                                   this);
    pane_->hide();
    addDockWidget(Qt::LeftDockWidgetArea, pane_);
    pane_->SetDocument(doc_.get());
    FillPresetList(*presetList_, *context_.presets, pane_->SelectedPreset());
    connect(saveSettings_, &QAction::triggered, pane_, &CLeftPaneDialogBar::SaveSettings);
    connect(deleteSettings_, &QAction::triggered, pane_, &CLeftPaneDialogBar::DeleteSettings);
    // The toolbar's list and the pane's show the same preset.
    connect(pane_, &CLeftPaneDialogBar::PresetSelected, this, [this](int slot) {
        ShowPresetInList(*presetList_, slot);
        RequestIdlePass();
    });
    connect(pane_, &CLeftPaneDialogBar::PresetsRebuilt, this,
            [this] { FillPresetList(*presetList_, *context_.presets, pane_->SelectedPreset()); });
    connect(pane_, &CLeftPaneDialogBar::SectionsChanged, this, [this] {
        context_.options->settings2.leftPaneSections = pane_->OpenSectionsField();
        WriteOptions();
        RequestIdlePass();
    });
    connect(pane_, &QDockWidget::visibilityChanged, this, &CMainFrame::RequestIdlePass);
}

void CMainFrame::RestorePanes() {
    pane_->setVisible(context_.options->settings2.leftPaneVisible != 0);
    RestoreRightPanes();
    RequestIdlePass();
}

}  // namespace stillpix
