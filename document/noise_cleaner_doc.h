// CNoiseCleanerDoc: the one open image, its untouched copy, tiles, profiles and processing job:
// open, paste, save, copy, close, and the processing runs (profile, preview, full) on the
// worker. A plain object on the user-interface thread; it talks to the user only through its
// DocumentWindow.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "document/bitmap_ex.h"
#include "document/document_window.h"
#include "document/image_job.h"
#include "document/image_loader.h"
#include "document/image_worker.h"
#include "platform/settings_store.h"
#include "settings/persisted_settings.h"
#include "settings/profile_store.h"

namespace stillpix {

// The application's objects the document reads and writes.
struct DocumentContext {
    AppOptions* options = nullptr;   // required
    SettingsStore* store = nullptr;  // options changed by a check box are written here at once
    LearnedProfileStore* profiles = nullptr;  // required for profile runs
    JobEvents* events = nullptr;              // worker-thread notices for the window; may be null
    // Files decode on a thread of their own (needs `events`): see BeginOpenDocument.
    bool openInBackground = false;
    // No view shows the original (a command line run): a 16-bit image's unprocessed copy keeps
    // only the samples that filtering reads.
    bool viewless = false;
};

enum class CloseAction {
    kClosed,      // the document was closed
    kKept,        // the user kept it (Cancel, or the save did not succeed)
    kRetryLater,  // the worker was asked to stop: post File Close again
};

class CNoiseCleanerDoc {
public:
    CNoiseCleanerDoc(const DocumentContext& context, DocumentWindow& window);
    ~CNoiseCleanerDoc();  // stops the worker and waits for it
    CNoiseCleanerDoc(const CNoiseCleanerDoc&) = delete;
    CNoiseCleanerDoc& operator=(const CNoiseCleanerDoc&) = delete;

    // --- Open, paste, save, copy, close -------------------------------------------------

    // The open-document step on the path made absolute and normal (AbsoluteNormalPath). False
    // only when the file cannot be opened for reading ("Failed to open document."); a failed
    // decode shows its message, leaves the document empty and is still true.
    bool OnOpenDocument(const std::filesystem::path& path);
    // The same step with the decode on a thread of its own: false when the file cannot be read;
    // otherwise the document is empty and Opening() until FinishOpen, which the window calls
    // on the JobEvents::OpenDecoded notice. The ICC prompt is asked through JobEvents::Post.
    bool BeginOpenDocument(const std::filesystem::path& path);
    // On the user-interface thread, once decoded: the rest of the open step, as OnOpenDocument
    // ends it (messages, title, status texts, preset). True when the image is loaded.
    bool FinishOpen();
    // The window closes during a background open: its result is dropped.
    void AbandonOpen();
    bool OpensInBackground() const { return context_.openInBackground && context_.events; }
    // Between BeginOpenDocument and FinishOpen.
    bool Opening() const { return opening_; }
    // The background decode has not finished yet.
    bool Decoding() const { return loader_.Running(); }
    // Paste: the image from the window's clipboard into a fresh document; false (after
    // "Unable to paste from the Clipboard.") when there is none.
    bool Paste();
    bool CanPaste() const;

    // The source path (else the document's path name, else its title) without its extension,
    // with the option "Default suffix" when "Append default suffix ..." is on, and ".jpg".
    std::string SuggestedSaveName() const;
    // Save and Save As: `choosePath` is the file dialog, started on the suggested name (nullopt:
    // cancelled). True when the image was saved.
    bool SaveAs(
        const std::function<std::optional<std::filesystem::path>(const std::string&)>& choosePath);
    // The save-document step with a chosen path: asks to process what is missing, runs the
    // progress dialog with the save path, reports a failure. True when the file was written.
    bool SaveDocument(const std::filesystem::path& path);

    // Copy is offered while an image is open and every tile is processed.
    bool CanCopy() const;
    bool Copy();

    // File Close: while the worker runs, asks it to stop; otherwise the save-modified step
    // (through `choosePath`), then closes.
    CloseAction FileClose(
        const std::function<std::optional<std::filesystem::path>(const std::string&)>& choosePath);
    // May the document close? Asks "The image has not been saved. ..." when the processed image
    // is unsaved; Yes saves through `choosePath` and closes only when that succeeded.
    bool SaveModified(
        const std::function<std::optional<std::filesystem::path>(const std::string&)>& choosePath);

    // --- Processing ---------------------------------------------------------------------

    // A change in the noise filter pane: new parameters, tiles reset before the next run, the
    // result no longer counted as saved, and the preview countdown restarted.
    void FilterParametersChanged(const NoiseFilterParams& params);
    // The parameters the next run takes (no reset, no countdown).
    void SetFilterParameters(const NoiseFilterParams& params) { params_ = params; }
    const NoiseFilterParams& FilterParameters() const { return params_; }

    // Unless a full run is under way: generation up and the countdown set from the option
    // "Preview Window update delay (seconds)" (at least 1 tick), or exactly 1 tick.
    void RestartCountdown(bool oneTick = false);
    // Unless a full run is under way: generation up and no countdown.
    void StopPendingWork();
    // Clears every tile's filtered flag and shows the unprocessed pixels again. Waits for a
    // running worker first, which stops at its next tile.
    void MarkAllTilesUnprocessed();

    // After the view first shows a new image: the profile run.
    void OnFirstShown();
    // The view's 200-ms timer with its visible rectangle (image pixels); true when a preview
    // run started.
    bool OnPreviewTimer(const TileRect& visible);
    // Go: the full run under the progress dialog, then the summary. True when the dialog ended OK.
    bool Go();
    // For a run that only saves the result and ends (a command line run): frees the unprocessed
    // copy once every tile is filtered, so that the save does not hold it too, and makes the next
    // save the image's last use (CBitmapEx::SaveAsLastUse): the encoder gives the pages back as
    // it writes, and the image has no pixels after it. Nothing can show the original, undo or
    // filter again afterwards.
    void PrepareFinalSave();
    bool CanUndo() const { return job_.processed.load(); }
    void Undo();

    // Status-bar pane 0 while idle with an image open; empty without an image.
    std::string IdleStatusText() const;
    // The processing summary's text when every tile is filtered, else nothing.
    std::optional<std::string> SummaryText() const;

    // The pane's "Turn off self-learning for this image": filter with the image's own profile
    // (a change of filter, as FilterParametersChanged).
    void SetUseIndividualProfile(bool useIndividual);
    bool UsesIndividualProfile() const { return useIndividualProfile_; }
    // The pane's request to build this image's own profile: a new profile run.
    void RequestOwnProfile();

    // Starts a run of `routine` on the job as it stands (marks *worker running* first). False
    // when a worker is running or nothing can be started.
    bool StartRun(const WorkerRoutine& routine = RunImageJob);
    // Waits until the running worker, if any, has returned.
    void WaitForWorker() { worker_.Join(); }
    bool WorkerRunning() const { return job_.workerRunning.load(); }

    // --- State --------------------------------------------------------------------------

    bool HasImage() const { return image_ != nullptr; }
    bool Loaded() const { return loaded_; }
    CBitmapEx* Image() { return image_.get(); }
    const CBitmapEx* Image() const { return image_.get(); }
    const std::string& SourcePath() const { return sourcePath_; }
    // Why the last open failed (the file, what failed, the system's or codec's reason); empty
    // after a successful one.
    const std::string& LastOpenError() const { return openError_; }
    const std::string& Title() const { return title_; }
    ImageJob& Job() { return job_; }
    const ImageJob& Job() const { return job_; }
    int UnfilteredTiles() const;
    int FilteredTiles() const { return job_.tiles.count - UnfilteredTiles(); }
    const AppOptions& Options() const { return *context_.options; }

private:
    void StopWorker();
    void Empty();
    bool StartOpenStep(const std::filesystem::path& path);
    LoadOptions OpenLoadOptions();
    void EndOpenStep(const std::filesystem::path& path, DecodedImage decoded);
    bool AdoptImage(std::unique_ptr<CBitmapEx> image, const std::filesystem::path* path);
    void WriteOptions();
    void SetTitle(const std::string& title);
    JobRun MakeRun();
    enum class DialogEnd { kOk, kCancelled, kFailed };
    DialogEnd RunFullRunDialog();

    DocumentContext context_;
    DocumentWindow& window_;
    std::unique_ptr<CBitmapEx> image_;
    std::string sourcePath_;
    std::string openError_;
    bool openTooLarge_ = false;
    std::string pathName_;
    std::string title_;
    bool loaded_ = false;
    NoiseFilterParams params_;  // the neutral filter until the pane sets one
    bool useIndividualProfile_ = false;
    bool buildRequested_ = false;
    bool finalSave_ = false;  // PrepareFinalSave
    ImageJob job_;
    // The progress dialog's bar; the document's, so that it outlives a run the dialog started.
    AtomicProgress dialogProgress_;
    ProcessingWorker worker_;
    bool opening_ = false;
    std::filesystem::path openingPath_;
    ImageLoader loader_;

    friend class ProgressDialogModel;
};

}  // namespace stillpix
