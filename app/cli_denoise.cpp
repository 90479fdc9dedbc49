// stillpix-cli denoise: one image through the document flow without a window: open, noise
// profile (learned or measured), full run, save with the metadata, under the user's options.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "app/cli_commands.h"
#include "app/filter_choice.h"
#include "app/user_context.h"
#include "document/noise_cleaner_doc.h"
#include "document/progress_dialog_model.h"
#include "document/save_names.h"

namespace stillpix::cli {

namespace {

constexpr const char* kUsage =
    "usage: stillpix-cli denoise IN [-o OUT] [options]\n"
    "  Opens a JPEG, TIFF, PNG, BMP or GIF image, gives it its noise profile (learned or\n"
    "  measured), filters the whole image and saves it with its EXIF, IPTC and ICC data.\n"
    "  The format follows OUT's extension (.tif/.tiff TIFF, .png PNG, else JPEG).\n"
    "  -o OUT              default: IN without its extension, the \"Default suffix\" option, .jpg\n"
    "  --quality Q         JPEG quality 0..100 (default: the \"JPEG Quality\" option)\n"
    "  --tiff-depth 24|48  bits per pixel of a TIFF of a 16-bit image (default: the option)\n"
    "  --tiff-compression deflate|lzw|none\n"
    "                      how a TIFF is compressed (default: the option, Deflate)\n"
    "  --icc apply|keep    convert an embedded ICC profile to sRGB while filtering, or filter\n"
    "                      the pixels as they are (default: the option; \"Ask\" applies)\n"
    "  --learn, --no-learn use and extend the learned profiles, or not (default: the option)\n";

// Long images report their progress; small ones finish before it would be read.
constexpr int kProgressFromTiles = 9;

void PrintUsage(std::FILE* out) {
    std::fputs(kUsage, out);
    std::fputs(kThreadsUsage, out);
    PrintFilterChoiceUsage(out);
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "stillpix-cli denoise: %s\n", message.c_str());
    PrintUsage(stderr);
    return 2;
}

std::string OneLine(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
    return text;
}

// The document's window on a terminal: messages go to stderr, the only question (process the
// rest before saving) is answered yes, the progress dialog runs without a timer.
class CliWindow final : public DocumentWindow, public JobEvents {
public:
    MessageAnswer Show(const UserMessage& message) override {
        if (message.kind != MessageKind::kQuestion) {
            std::fprintf(stderr, "stillpix-cli denoise: %s\n", OneLine(message.text).c_str());
            shownText_ += message.text;
        }
        return message.buttons == MessageButtons::kOk ? MessageAnswer::kOk : MessageAnswer::kYes;
    }

    bool RunProgressDialog(ProgressDialogModel& model) override {
        const bool tty = isatty(STDERR_FILENO);
        for (;;) {
            const ProgressDialogModel::Step step = model.Tick();
            if (step != ProgressDialogModel::Step::kWait) {
                if (shown_ && tty) std::fputc('\n', stderr);
                return step == ProgressDialogModel::Step::kEndOk;
            }
            std::unique_lock lock(mutex_);
            while (doc_->WorkerRunning()) {
                if (doc_->Job().tiles.count >= kProgressFromTiles) Report(model, tty);
                // Woken by each finished tile and by the run's end, never by a clock.
                runChanged_.wait(lock, [this] { return moved_ || !doc_->WorkerRunning(); });
                moved_ = false;
            }
            lock.unlock();
            doc_->WaitForWorker();
        }
    }

    // Adds the reason of a failure when the program's message did not give it already.
    void Explain(const std::string& what, const std::string& file,
                 const std::string& reason) const {
        if (reason.empty() || shownText_.find(reason) != std::string::npos) return;
        const std::string name = std::filesystem::path(file).filename().string();
        if (reason.find(name) != std::string::npos)
            std::fprintf(stderr, "stillpix-cli denoise: %s\n", reason.c_str());
        else
            std::fprintf(stderr, "stillpix-cli denoise: %s %s: %s\n", what.c_str(), file.c_str(),
                         reason.c_str());
    }

    // On the worker, after it has cleared *worker running*.
    void RunFinished() override {
        { const std::lock_guard lock(mutex_); }
        runChanged_.notify_all();
    }

    // On the engine's threads, one tile at a time.
    void ProgressMoved() override {
        {
            const std::lock_guard lock(mutex_);
            moved_ = true;
        }
        runChanged_.notify_all();
    }

    CNoiseCleanerDoc* doc_ = nullptr;

private:
    std::string shownText_;
    void Report(ProgressDialogModel& model, bool tty) {
        const int tenth = model.Bar().Position() / 10;
        // The bar drops back to 0 as a run ends; only forward steps are news.
        if (model.Text() == text_ && tenth <= tenth_) return;
        if (tty) std::fprintf(stderr, "\r%s %3d%%", model.Text().c_str(), tenth * 10);
        else std::fprintf(stderr, "%s %d%%\n", model.Text().c_str(), tenth * 10);
        text_ = model.Text();
        tenth_ = tenth;
        shown_ = true;
    }

    std::string text_;
    int tenth_ = -1;
    bool shown_ = false;
    std::mutex mutex_;
    std::condition_variable runChanged_;
    bool moved_ = false;  // a tile finished since the last report
};

// The run's options: the user's, with the command line's changes for this run only.
bool ApplyRunOptions(const CliArgs& args, AppOptions& options, std::string& error) {
    std::optional<int> quality;
    if (!args.IntValue("quality", 0, 100, quality, error)) return false;
    if (quality) options.settings.jpegQuality = *quality;
    if (const auto depth = args.Value("tiff-depth")) {
        if (*depth != "24" && *depth != "48") return error = "--tiff-depth expects 24 or 48", false;
        options.settings2.tiffDepth = *depth == "48" ? kTiffDepth48 : kTiffDepth24;
    }
    if (const auto compression = args.Value("tiff-compression")) {
        const std::string names[] = {"deflate", "lzw", "none"};  // in code order
        const auto found = std::find(std::begin(names), std::end(names), *compression);
        if (found == std::end(names))
            return error = "--tiff-compression expects deflate, lzw or none", false;
        options.settings2.tiffCompression = static_cast<int32_t>(found - std::begin(names));
    }
    // There is nobody to ask: "Ask what to do" applies the profile.
    if (options.settings2.iccHandling == static_cast<int32_t>(IccMode::kAsk))
        options.settings2.iccHandling = static_cast<int32_t>(IccMode::kApplyOnOpen);
    if (const auto icc = args.Value("icc")) {
        if (*icc != "apply" && *icc != "keep") return error = "--icc expects apply or keep", false;
        options.settings2.iccHandling =
            static_cast<int32_t>(*icc == "apply" ? IccMode::kApplyOnOpen : IccMode::kDoNotApply);
    }
    if (args.Flag("learn") && args.Flag("no-learn"))
        return error = "--learn and --no-learn exclude each other", false;
    if (args.Flag("learn")) options.settings2.selfLearning = 1;
    if (args.Flag("no-learn")) options.settings2.selfLearning = 0;
    return true;
}

int RunDenoiseCommand(int argc, char** argv) {
    CliArgs args;
    std::string error;
    std::vector<std::string> valueOptions = kFilterChoiceOptions;
    valueOptions.insert(valueOptions.end(),
                        {"o", "quality", "tiff-depth", "tiff-compression", "icc", "threads"});
    if (!args.Parse(argc, argv, valueOptions, error)) return Usage(error);
    if (args.Flag("help")) {
        PrintUsage(stdout);
        return 0;
    }
    const auto unknown = args.Unknown({"help", "learn", "no-learn"});
    if (!unknown.empty()) return Usage("unknown option " + unknown[0]);
    if (args.Positional().size() != 1) return Usage("needs exactly one input image");

    UserContext user;
    OpenUserContext(user);
    if (!ApplyEngineThreads(args, user.options, error)) return Usage(error);
    AppOptions options = user.options;
    FilterSettings settings;
    if (!ApplyRunOptions(args, options, error) ||
        !ChooseFilterSettings(args, user.presets, options.settings.defaultFilterSlot, settings,
                              error))
        return Usage(error);

    const auto start = std::chrono::steady_clock::now();
    CliWindow window;
    // No store: the run's option changes are not written back.
    DocumentContext context{&options, nullptr, user.profiles.get(), &window};
    context.viewless = true;
    CNoiseCleanerDoc doc(context, window);
    window.doc_ = &doc;
    const std::string in = args.Positional()[0];
    if (!doc.OnOpenDocument(in) || !doc.HasImage()) {
        window.Explain("cannot open", in, doc.LastOpenError());
        return 1;
    }
    doc.SetFilterParameters(ToNoiseFilterParams(settings));
    const std::string out = args.Value("o") ? *args.Value("o") : doc.SuggestedSaveName();
    if (!doc.Go()) {
        std::fprintf(stderr, "stillpix-cli denoise: %s could not be processed\n", in.c_str());
        return 1;
    }
    doc.PrepareFinalSave();
    if (!doc.SaveDocument(out)) {
        window.Explain("cannot save", WithDefaultExtension(out), doc.Job().saveError);
        return 1;
    }
    if (!doc.Job().saveWarning.empty())
        std::fprintf(stderr, "stillpix-cli denoise: warning: %s\n", doc.Job().saveWarning.c_str());

    const ProfileChoice& choice = doc.Job().profileChoice;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "denoised %s (%d x %d, %s profile, confidence %d) into %s in %.2f s\n",
                 in.c_str(), doc.Image()->Width(), doc.Image()->Height(),
                 choice.measured ? "measured" : "learned", choice.confidence,
                 WithDefaultExtension(out).c_str(), seconds);
    return 0;
}

CommandRegistration registration{
    "denoise", "open an image, filter it with its noise profile and save it", RunDenoiseCommand};

}  // namespace

}  // namespace stillpix::cli
