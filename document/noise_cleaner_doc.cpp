// CNoiseCleanerDoc's file side: open, paste, save, copy and close, with their messages.
#include "document/noise_cleaner_doc.h"

#include "document/document_texts.h"
#include "document/progress_dialog_model.h"
#include "document/save_names.h"
#include "platform/absolute_path.h"
#include "platform/regular_file.h"
#include "settings/filter_settings.h"

namespace stillpix {

CNoiseCleanerDoc::CNoiseCleanerDoc(const DocumentContext& context, DocumentWindow& window)
    : context_(context),
      window_(window),
      title_(kUntitled),
      params_(ToNoiseFilterParams(FilterSettings{})) {}

CNoiseCleanerDoc::~CNoiseCleanerDoc() {
    StopWorker();
    FreeTileGrid(job_.tiles);
}

void CNoiseCleanerDoc::StopWorker() {
    if (job_.workerRunning.load()) {
        job_.cancelRequested.store(true);
        job_.generation.fetch_add(1);
    }
    worker_.Join();
    // A stop asked for the old image must not stop the new image's first run.
    job_.cancelRequested.store(false);
}

void CNoiseCleanerDoc::WriteOptions() {
    if (context_.store) SaveSettings(*context_.store, *context_.options);
}

void CNoiseCleanerDoc::SetTitle(const std::string& title) {
    if (title == title_) return;
    title_ = title;
    window_.TitleChanged(title_);
}

void CNoiseCleanerDoc::Empty() {
    // Only reached during a background open when the window misuses it: the decode is waited for.
    AbandonOpen();
    StopWorker();
    FreeTileGrid(job_.tiles);
    job_.image = nullptr;
    image_.reset();
    job_.profileBuilt.store(false);
    job_.processed.store(false);
    job_.saved.store(false);
    job_.savePath.clear();
    loaded_ = false;
    window_.ShowExifRows({}, {});
    window_.RefreshFilterPane();
}

bool CNoiseCleanerDoc::StartOpenStep(const std::filesystem::path& path) {
    // A FIFO or a device named like a photo is refused here, before anything waits on it.
    if (!CheckRegularFile(path, openError_)) {
        window_.Show({MessageKind::kError, kFailedToOpenDocument});
        return false;
    }
    Empty();
    sourcePath_ = path.string();
    window_.SetWaitCursor(true);
    return true;
}

LoadOptions CNoiseCleanerDoc::OpenLoadOptions() {
    LoadOptions options;
    options.copyDisplayOf16Bit = !context_.viewless;
    options.iccMode = static_cast<IccMode>(context_.options->settings2.iccHandling);
    options.askIcc = [this](const std::string& name) {
        return window_.AskIcc(
            {MessageKind::kQuestion, FormatText(kIccPromptFormat, name), MessageButtons::kYesNo});
    };
    return options;
}

void CNoiseCleanerDoc::EndOpenStep(const std::filesystem::path& path, DecodedImage decoded) {
    if (decoded.report.rememberIccMode) {
        context_.options->settings2.iccHandling = static_cast<int32_t>(decoded.report.newIccMode);
        WriteOptions();
    }
    window_.SetWaitCursor(false);
    openError_ = decoded.error;
    openTooLarge_ = decoded.report.tooLarge;
    if (AdoptImage(std::move(decoded.image), &path)) {
        pathName_ = path.string();
    } else {
        // The emptied document no longer shows the last image's name.
        sourcePath_.clear();
        pathName_.clear();
        SetTitle(kUntitled);
    }
    const AppSettings& settings = context_.options->settings;
    window_.SelectPreset(settings.resetFilterOnOpen ? settings.defaultFilterSlot
                                                    : window_.ShownPreset());
}

bool CNoiseCleanerDoc::OnOpenDocument(const std::filesystem::path& given) {
    // One photo is one path, however it was typed: learned profiles are keyed on it.
    const std::filesystem::path path = AbsoluteNormalPath(given);
    if (!StartOpenStep(path)) return false;
    EndOpenStep(path, DecodeImage(path, OpenLoadOptions()));
    return true;
}

bool CNoiseCleanerDoc::BeginOpenDocument(const std::filesystem::path& given) {
    if (!OpensInBackground()) return OnOpenDocument(given);
    const std::filesystem::path path = AbsoluteNormalPath(given);
    if (!StartOpenStep(path)) return false;
    opening_ = true;
    openingPath_ = path;
    JobEvents* events = context_.events;
    loader_.Start(
        path, OpenLoadOptions(),
        [events](std::function<void()> task) { return events->Post(std::move(task)); },
        [events] { events->OpenDecoded(); });
    return true;
}

bool CNoiseCleanerDoc::FinishOpen() {
    if (!opening_) return HasImage();
    opening_ = false;
    EndOpenStep(openingPath_, loader_.Take());
    return HasImage();
}

void CNoiseCleanerDoc::AbandonOpen() {
    if (!opening_) return;
    opening_ = false;
    loader_.Abandon();
    sourcePath_.clear();
    window_.SetWaitCursor(false);
}

bool CNoiseCleanerDoc::CanPaste() const {
    const Clipboard* clipboard = window_.GetClipboard();
    return !opening_ && clipboard && clipboard->HasBitmap();
}

bool CNoiseCleanerDoc::Paste() {
    if (opening_) return false;
    Empty();
    pathName_.clear();
    SetTitle(kUntitled);
    sourcePath_.clear();
    window_.SetWaitCursor(true);
    Clipboard* clipboard = window_.GetClipboard();
    BitmapInfoHeader header;
    std::vector<uint8_t> bits;
    auto image = std::make_unique<CBitmapEx>();
    const bool ok =
        clipboard && clipboard->GetBitmap(header, bits) && image->LoadFromBitmap(header, bits);
    window_.SetWaitCursor(false);
    return AdoptImage(ok ? std::move(image) : nullptr, nullptr);
}

// The common load's end: the decoded image becomes the document's, or its failure is shown.
bool CNoiseCleanerDoc::AdoptImage(std::unique_ptr<CBitmapEx> image,
                                  const std::filesystem::path* path) {
    if (!image) {
        const std::string text =
            !path ? kUnableToPaste
            : openTooLarge_
                ? kCannotOpenFilePrefix + path->string() + kTooLargeInfix + openError_ + "."
                : kCannotOpenFilePrefix + path->string() + kCannotOpenFileSuffix;
        window_.Show({MessageKind::kError, text});
        return false;
    }
    image_ = std::move(image);
    job_.image = image_.get();
    if (path) SetTitle(path->filename().string());
    CreateTileGrid(image_->Width(), image_->Height(), job_.tiles);
    job_.profileBuilt.store(false);
    job_.saved.store(false);
    job_.processed.store(false);
    useIndividualProfile_ = false;
    buildRequested_ = false;
    loaded_ = true;

    window_.SetStatusText(0, kStatusGo);
    window_.SetStatusText(1, FormatText(kStatusSizeFormat, image_->Width(), image_->Height()));
    window_.ShowExifRows(image_->Formatter().Labels(), image_->Formatter().Values());
    window_.RefreshFilterPane();
    return true;
}

std::string CNoiseCleanerDoc::SuggestedSaveName() const {
    const std::string& base = !sourcePath_.empty() ? sourcePath_
                              : !pathName_.empty() ? pathName_
                                                   : title_;
    const AppSettings& settings = context_.options->settings;
    return stillpix::SuggestedSaveName(base, settings.appendSuffix != 0, settings.defaultSuffix);
}

bool CNoiseCleanerDoc::SaveAs(
    const std::function<std::optional<std::filesystem::path>(const std::string&)>& choosePath) {
    const std::optional<std::filesystem::path> chosen = choosePath(SuggestedSaveName());
    return chosen && SaveDocument(*chosen);
}

bool CNoiseCleanerDoc::SaveDocument(const std::filesystem::path& path) {
    if (!image_) return false;
    if (UnfilteredTiles() > 0 && window_.Show({MessageKind::kQuestion, kNotEntirelyProcessed,
                                               MessageButtons::kYesNo}) != MessageAnswer::kYes)
        return false;
    StopPendingWork();
    // A stop asked earlier (an open request, a close) must not stop this save.
    job_.cancelRequested.store(false);
    job_.savePath = WithDefaultExtension(path.string());
    job_.saveOutcome.store(SaveOutcome::kNone);
    job_.profileJob.store(!job_.profileBuilt.load());
    const std::string target = job_.savePath;
    const DialogEnd end = RunFullRunDialog();
    // The stopped worker ends within a tile; its last word on the save is then final.
    if (end != DialogEnd::kOk) worker_.Join();
    job_.savePath.clear();
    const SaveOutcome outcome = job_.saveOutcome.load();
    // A run that could not finish wrote nothing either: that is a failed save, not a cancel.
    if (outcome == SaveOutcome::kFailed ||
        (end != DialogEnd::kCancelled && outcome != SaveOutcome::kSaved))
        window_.Show({MessageKind::kError, FormatText(kFailedToSaveFormat, target)});
    return outcome == SaveOutcome::kSaved;
}

bool CNoiseCleanerDoc::CanCopy() const { return image_ && UnfilteredTiles() == 0; }

bool CNoiseCleanerDoc::Copy() {
    Clipboard* clipboard = window_.GetClipboard();
    std::vector<uint8_t> packed;
    return CanCopy() && clipboard && image_->CopyToDib(packed) && clipboard->SetBitmap(packed);
}

CloseAction CNoiseCleanerDoc::FileClose(
    const std::function<std::optional<std::filesystem::path>(const std::string&)>& choosePath) {
    // An image still decoding closes once it has been shown; its first run stops at once.
    if (job_.workerRunning.load() || opening_) {
        job_.cancelRequested.store(true);
        job_.generation.fetch_add(1);
        return CloseAction::kRetryLater;
    }
    job_.cancelRequested.store(false);
    if (!SaveModified(choosePath)) return CloseAction::kKept;
    Empty();
    sourcePath_.clear();
    pathName_.clear();
    SetTitle(kUntitled);
    window_.SetStatusText(0, kStatusHelp);
    return CloseAction::kClosed;
}

bool CNoiseCleanerDoc::SaveModified(
    const std::function<std::optional<std::filesystem::path>(const std::string&)>& choosePath) {
    if (!image_ || job_.saved.load() || !job_.profileBuilt.load() || !job_.processed.load())
        return true;
    StopPendingWork();
    switch (
        window_.Show({MessageKind::kQuestion, kNotSavedQuestion, MessageButtons::kYesNoCancel})) {
        case MessageAnswer::kNo: return true;
        case MessageAnswer::kYes: return SaveAs(choosePath);
        default: return false;
    }
}

}  // namespace stillpix
