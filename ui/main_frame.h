// CMainFrame: the main window. Toolbar, menus and accelerators, the image view in the middle,
// the status bar with its three panes and the background-run progress bar, the noise filter pane
// docked on the left, the close that waits for the worker without blocking. It is the document's
// window: message boxes, prompts, the progress dialog and the summary run here.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <optional>

#include "document/file_opener.h"
#include "document/noise_cleaner_doc.h"
#include "settings/preset_table.h"
#include "ui/job_event_bridge.h"
#include "ui/left_pane_dialog_bar.h"
#include "ui/qt_clipboard.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QToolBar;

namespace stillpix {

class CBatchDialogBar;
class CBatchProgressDialog;
class BatchProgressDialogModel;
struct BatchJob;
class CBrowserDialogBar;
class CNoiseCleanerView;
class COptionsSheet;

// The application's objects the window works with; all outlive it.
struct FrameContext {
    AppOptions* options = nullptr;
    SettingsStore* store = nullptr;
    PresetTable* presets = nullptr;
    LearnedProfileStore* profiles = nullptr;
    std::vector<std::string>* recentFolders = nullptr;  // emptied by "Clear Recent"
};

class CMainFrame : public QMainWindow, public DocumentWindow {
    Q_OBJECT
public:
    explicit CMainFrame(const FrameContext& context);
    ~CMainFrame() override;

    CNoiseCleanerDoc& Document() { return *doc_; }
    CNoiseCleanerView& View() { return *view_; }
    FileOpener& Opener() { return *opener_; }

    // Every request to open a path (File Open, a drop, the command line's pending path, the
    // panes): asks to save an unsaved result, then opens, or defers while a run is under way.
    OpenResult OpenFile(const std::filesystem::path& path);
    // At start-up: the command line's path, opened by the first idle pass.
    void SetPendingPath(const std::filesystem::path& path);
    // Shows the panes whose stored visibility says so.
    void RestorePanes();
    CLeftPaneDialogBar* LeftPane() const { return pane_; }
    CBrowserDialogBar* Browser() const { return browser_; }
    CBatchDialogBar* BatchPane() const { return batch_; }
    // Where later panes and the options command join: the View menu and the right dock area.
    QMenu* ViewMenu() const { return viewMenu_; }
    QToolBar* ToolBar() const { return toolBar_; }
    // The "Options" sheet, made once with the window; "&Options..." of the View menu runs it.
    COptionsSheet* OptionsSheet() const { return optionsSheet_; }
    QComboBox* PresetList() const { return presetList_; }
    // Runs an idle pass soon (status text, pending open path, command states).
    void RequestIdlePass();

    // --- DocumentWindow ------------------------------------------------------------------
    MessageAnswer Show(const UserMessage& message) override;
    IccAnswer AskIcc(const UserMessage& message) override;
    void SetWaitCursor(bool on) override;
    void TitleChanged(const std::string& title) override;
    void SetStatusText(int pane, const std::string& text) override;
    void ShowExifRows(const std::vector<std::string>& labels,
                      const std::vector<std::string>& values) override;
    void RefreshFilterPane() override;
    int ShownPreset() const override;
    void SelectPreset(int slot) override;
    void RedrawView() override;
    ProgressControl* StatusProgress() override { return statusProgress_.get(); }
    bool RunProgressDialog(ProgressDialogModel& model) override;
    bool ShowSummary(const std::string& text) override;
    Clipboard* GetClipboard() override { return &clipboard_; }

Q_SIGNALS:
    // The window has closed after its worker stopped: the program may end.
    void finished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateLeftPane();
    void CreateRightPanes();  // main_frame_panes.cpp
    void ToggleRightPane(QDockWidget* pane);
    void StoreRightPanes();
    void RestoreRightPanes();
    // RunBatchMessage: the progress window over the run, then the list's statuses and the
    // summary once the worker has left the run.
    void OnRunBatch(BatchJob* job);
    void EndOfBatch();
    QAction* NewAction(const char* name, const QString& text, const char* iconText);

    std::optional<std::filesystem::path> ChooseSavePathFor(const std::string& suggested);
    bool MayReplaceDocument();
    void AfterOpen();
    void ShowOpenEnd(bool opened);
    void OnOpenDecoded();
    void OnIdle();
    void UpdateCommands();
    void OnRunStarted(const QString& text, bool showProgress);
    void OnRunFinished();
    void OnCloseTick();
    void WriteOptions();

    void OnFileOpen();
    void OnFileSaveAs();
    void OnFileClose();
    void OnUndo();
    void OnCopy();
    void OnPaste();
    void OnProcess();
    void OnTogglePreview();
    void OnToggleNoiseFilter();
    void OnToggleSection(CLeftPaneDialogBar::Section section);
    void ShowPreviewState();
    void OnOptions();

    FrameContext context_;
    JobEventBridge events_;
    QProgressBar* progressBar_ = nullptr;
    std::unique_ptr<StatusBarProgress> statusProgress_;
    QtClipboard clipboard_;
    std::unique_ptr<CNoiseCleanerDoc> doc_;
    std::unique_ptr<FileOpener> opener_;
    CNoiseCleanerView* view_ = nullptr;
    CLeftPaneDialogBar* pane_ = nullptr;
    COptionsSheet* optionsSheet_ = nullptr;
    CBrowserDialogBar* browser_ = nullptr;
    CBatchDialogBar* batch_ = nullptr;
    QAction* browserToggle_ = nullptr;
    QAction* batchToggle_ = nullptr;
    std::unique_ptr<BatchProgressDialogModel> batchRun_;
    QPointer<CBatchProgressDialog> batchWindow_;

    QToolBar* toolBar_ = nullptr;
    QComboBox* presetList_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    QLabel* panes_[3] = {};

    QAction* open_ = nullptr;
    QAction* saveAs_ = nullptr;
    QAction* closeFile_ = nullptr;
    QAction* newFile_ = nullptr;
    QAction* exit_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* copy_ = nullptr;
    QAction* paste_ = nullptr;
    QAction* cut_ = nullptr;
    QAction* process_ = nullptr;
    QAction* saveSettings_ = nullptr;
    QAction* deleteSettings_ = nullptr;
    QAction* go_ = nullptr;
    QAction* zoomIn_ = nullptr;
    QAction* zoomOut_ = nullptr;
    QAction* showToolBar_ = nullptr;
    QAction* showStatusBar_ = nullptr;
    QAction* noiseFilter_ = nullptr;
    QAction* exif_ = nullptr;
    QAction* noiseProfile_ = nullptr;
    QAction* preview_ = nullptr;
    QAction* optionsCommand_ = nullptr;
    QAction* contextSaveAs_ = nullptr;
    QAction* contextCloseFile_ = nullptr;

    QTimer idleTimer_;
    QTimer closeTimer_;
    bool closing_ = false;
    bool mayDestroy_ = false;
    int waitCursors_ = 0;
};

}  // namespace stillpix
