// CMainFrame's commands, its idle pass, the worker's notices, drag and drop, and the close that
// waits for the worker without blocking.
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <algorithm>

#include "document/document_texts.h"
#include "ui/file_dialogs.h"
#include "ui/main_frame.h"
#include "ui/message_dialogs.h"
#include "ui/noise_cleaner_view.h"
#include "ui/options_sheet.h"
#include "ui/preset_pictures.h"
#include "ui/ui_texts.h"

namespace stillpix {

namespace {

constexpr int kCloseRetryMilliseconds = 20;

std::optional<std::filesystem::path> FirstLocalFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return std::nullopt;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return std::filesystem::path(url.toLocalFile().toStdString());
    return std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> CMainFrame::ChooseSavePathFor(const std::string& suggested) {
    return ChooseSavePath(this, suggested);
}

void CMainFrame::WriteOptions() {
    if (context_.store) SaveSettings(*context_.store, *context_.options);
}

void CMainFrame::RequestIdlePass() {
    if (!idleTimer_.isActive()) idleTimer_.start();
}

void CMainFrame::SetPendingPath(const std::filesystem::path& path) {
    opener_->SetPending(path);
    RequestIdlePass();
}

bool CMainFrame::MayReplaceDocument() {
    // While a run is under way the open is deferred and asks when it really happens.
    if (doc_->HasImage() && doc_->WorkerRunning()) return true;
    return doc_->SaveModified(
        [this](const std::string& suggested) { return ChooseSavePathFor(suggested); });
}

OpenResult CMainFrame::OpenFile(const std::filesystem::path& path) {
    if (!MayReplaceDocument()) {
        opener_->ClearPending();
        return OpenResult::kFailed;
    }
    const OpenResult result = opener_->OpenFile(path);
    if (result == OpenResult::kDecoding) {
        // The last image is gone already; the new one shows when its decode ends.
        view_->OnImageClosed();
        SetStatusText(1, kStatusSizeEmpty);
    }
    if (result == OpenResult::kOpened || result == OpenResult::kFailed)
        ShowOpenEnd(result == OpenResult::kOpened);
    // A deferred path waits for the run's end, whose notice brings the next idle pass.
    if (result != OpenResult::kDeferred) RequestIdlePass();
    return result;
}

void CMainFrame::ShowOpenEnd(bool opened) {
    if (opened) {
        AfterOpen();
    } else if (!doc_->HasImage()) {
        view_->OnImageClosed();
        SetStatusText(1, kStatusSizeEmpty);
        SetStatusText(0, kStatusHelp);
    }
}

void CMainFrame::OnOpenDecoded() {
    if (closing_) {
        doc_->AbandonOpen();
        return;
    }
    ShowOpenEnd(doc_->FinishOpen());
    RequestIdlePass();
}

void CMainFrame::AfterOpen() {
    view_->OnInitialUpdate();
    RefreshFilterPane();
}

void CMainFrame::OnIdle() {
    if (doc_->HasImage()) {
        const QString text = QString::fromStdString(doc_->IdleStatusText());
        // The bar of a background run stays while it runs.
        if (doc_->WorkerRunning()) panes_[0]->setText(text);
        else if (panes_[0]->text() != text) SetStatusText(0, text.toStdString());
    }
    if (const auto pending = opener_->Pending()) OpenFile(*pending);
    UpdateCommands();
    view_->UpdateCursor();
}

void CMainFrame::UpdateCommands() {
    const bool image = doc_->HasImage();
    saveAs_->setEnabled(image);
    contextSaveAs_->setEnabled(image);
    closeFile_->setEnabled(image);
    contextCloseFile_->setEnabled(image);
    undo_->setEnabled(image && doc_->CanUndo());
    copy_->setEnabled(doc_->CanCopy());
    paste_->setEnabled(doc_->CanPaste());
    process_->setEnabled(image);
    go_->setEnabled(image);
    zoomIn_->setEnabled(view_->CanZoomIn());
    zoomOut_->setEnabled(view_->CanZoomOut());
    saveSettings_->setEnabled(pane_->CanSaveSettings());
    deleteSettings_->setEnabled(pane_->CanDeleteSettings());
    const bool shown = pane_->isVisible();
    noiseFilter_->setChecked(shown);
    exif_->setChecked(shown && pane_->SectionOpen(CLeftPaneDialogBar::kExifSection));
    noiseProfile_->setChecked(shown &&
                              pane_->SectionOpen(CLeftPaneDialogBar::kNoiseProfileSection));
}

void CMainFrame::OnRunStarted(const QString& text, bool showProgress) {
    panes_[0]->setText(text);
    statusProgress_->SetShown(showProgress);
    view_->UpdateCursor();
}

void CMainFrame::OnRunFinished() {
    // The worker may have been followed by another run already; that one reports itself.
    if (!doc_->WorkerRunning()) statusProgress_->SetShown(false);
    view_->viewport()->update();
    pane_->RefreshFilterPane();
    RequestIdlePass();
}

void CMainFrame::OnFileOpen() {
    if (const auto path = ChooseFileToOpen(this)) OpenFile(*path);
}

void CMainFrame::OnFileSaveAs() {
    doc_->SaveAs([this](const std::string& suggested) { return ChooseSavePathFor(suggested); });
    view_->viewport()->update();
    RequestIdlePass();
}

void CMainFrame::OnFileClose() {
    const CloseAction action = doc_->FileClose(
        [this](const std::string& suggested) { return ChooseSavePathFor(suggested); });
    if (action == CloseAction::kRetryLater) {
        QTimer::singleShot(kCloseRetryMilliseconds, this, &CMainFrame::OnFileClose);
        return;
    }
    if (action == CloseAction::kClosed) {
        view_->OnImageClosed();
        SetStatusText(1, kStatusSizeEmpty);
    }
    RequestIdlePass();
}

void CMainFrame::OnUndo() {
    if (!doc_->CanUndo()) return;
    doc_->Undo();
    RequestIdlePass();
}

void CMainFrame::OnCopy() {
    doc_->Copy();
    RequestIdlePass();
}

void CMainFrame::OnPaste() {
    if (!doc_->CanPaste() || !MayReplaceDocument()) return;
    if (doc_->Paste()) AfterOpen();
    else view_->OnImageClosed();
    RequestIdlePass();
}

void CMainFrame::OnProcess() {
    if (!doc_->HasImage()) return;
    doc_->Go();
    view_->viewport()->update();
    RequestIdlePass();
}

void CMainFrame::ShowPreviewState() {
    const bool on = context_.options->settings.autoPreview != 0;
    preview_->setChecked(on);
    preview_->setIconText(on ? kPreviewOn : kPreviewOff);
    preview_->setText(on ? kPreviewOn : kPreviewOff);
}

void CMainFrame::OnTogglePreview() {
    AppSettings& settings = context_.options->settings;
    settings.autoPreview = settings.autoPreview ? 0 : 1;
    ShowPreviewState();
    if (settings.autoPreview && !context_.options->settings3.hideAutoPreviewNotice &&
        CPreviewInfoDialog::Show(this))
        context_.options->settings3.hideAutoPreviewNotice = 1;
    WriteOptions();
    doc_->RestartCountdown();
}

void CMainFrame::OnOptions() {
    // What the pages changed is read where it is used (the next image's zoom, the next
    // countdown, run or save); the toolbar and the pane's self-learning box show options.
    optionsSheet_->Run();
    ShowPreviewState();
    pane_->RefreshFilterPane();
    update();
    view_->viewport()->update();
    RequestIdlePass();
}

void CMainFrame::OnToggleNoiseFilter() {
    const bool show = !pane_->isVisible();
    pane_->setVisible(show);
    context_.options->settings2.leftPaneVisible = show ? 1 : 0;
    WriteOptions();
    RequestIdlePass();
}

void CMainFrame::OnToggleSection(CLeftPaneDialogBar::Section section) {
    // Shows the pane with the section open (which closes the other); an open one closes.
    const bool open = !(pane_->isVisible() && pane_->SectionOpen(section));
    pane_->setVisible(true);
    pane_->OpenSection(section, open);
    context_.options->settings2.leftPaneVisible = 1;
    context_.options->settings2.leftPaneSections = pane_->OpenSectionsField();
    WriteOptions();
    RequestIdlePass();
}

void CMainFrame::SelectPreset(int slot) { pane_->SelectPreset(slot); }

int CMainFrame::ShownPreset() const { return std::max(0, presetList_->currentIndex()); }

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (mayDestroy_) {
        event->accept();
        return;
    }
    event->ignore();
    if (closing_) return;
    ImageJob& job = doc_->Job();
    job.cancelRequested.store(true);
    if (!job.saved.load() && !doc_->SaveModified([this](const std::string& suggested) {
            return ChooseSavePathFor(suggested);
        })) {
        // The program goes on: its preview runs must not stop at their first tile.
        job.cancelRequested.store(false);
        return;
    }
    closing_ = true;
    hide();
    closeTimer_.start();
}

void CMainFrame::OnCloseTick() {
    if (doc_->WorkerRunning()) {
        doc_->Job().generation.fetch_add(1);
        return;
    }
    if (doc_->Decoding()) return;  // a decode cannot be stopped; it ends soon
    closeTimer_.stop();
    doc_->AbandonOpen();
    doc_->WaitForWorker();  // the thread has returned already; this only reclaims it
    mayDestroy_ = true;
    close();
    Q_EMIT finished();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (FirstLocalFile(event->mimeData())) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const auto path = FirstLocalFile(event->mimeData());
    if (!path) return;
    event->acceptProposedAction();
    // Opened after the drop has ended, so that the source is not held by a message box.
    QTimer::singleShot(0, this, [this, file = *path] { OpenFile(file); });
}

}  // namespace stillpix
