// stillpix-cli batch: the batch runner over folders and files, with the program's batch
// settings unless options override them.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <cerrno>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <span>
#include <thread>

#include "app/cli_commands.h"
#include "app/filter_choice.h"
#include "app/user_context.h"
#include "batch/batch_progress.h"
#include "batch/batch_queue.h"
#include "batch/batch_runner.h"
#include "batch/batch_settings_form.h"
#include "batch/file_rules.h"
#include "batch/run_report.h"
#include "batch/run_shard.h"
#include "settings/record_codec.h"

namespace stillpix::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: stillpix-cli batch PATH... [options]\n"
    "  Filters every image of the given folders (their JPEG, TIFF, PNG and BMP files) and the\n"
    "  given files, as the program's batch queue does, and writes each result by the batch\n"
    "  settings (\"Edit Settings\" in the program) unless the options below say otherwise.\n"
    "  Progress goes to stderr, the summary to stdout; the exit status is 1 when any file\n"
    "  failed or was left out by an interruption (Ctrl-C stops between tiles).\n"
    "  --subfolder NAME       write into the subfolder NAME of each source folder\n"
    "  --to DIR               write into DIR\n"
    "  --in-place             write beside the sources; without --suffix the results replace\n"
    "                         them (the only way to let a run overwrite its sources)\n"
    "  --suffix S             append S (at most 20 bytes) to the name; \"\" for none\n"
    "  --format keep|png|jpeg|tiff\n"
    "  --quality Q            JPEG quality, 0..100\n"
    "  --tiff-depth 24|48     48 keeps 16 bits per channel of 16-bit sources (TIFF or kept "
    "format)\n"
    "  --recursive            also queue every subfolder (not hidden ones, nor the output "
    "subfolder)\n"
    "  --idle                 run at idle priority (also when the batch priority option is "
    "\"Low\")\n"
    "  --profile-folder DIR   use and learn the learned profiles of DIR, not the \"Profile\" "
    "option's\n"
    "Cutting a run into parts that add up to the whole, for several processes or hosts:\n"
    "  --shard I/N            only shard I of N (0 <= I < N): the files at positions I, I+N,\n"
    "                         I+2N... of the run's file list, which every host that is given\n"
    "                         the same folders and files in the same order builds alike\n"
    "  --list                 print the file list (shard and --skip-done applied), one path a\n"
    "                         line, and process nothing\n"
    "  --report FILE          append one JSON line for each processed or failed file to FILE:\n"
    "                         source, output, status, profile (learned or measured), seconds,\n"
    "                         error\n"
    "  --skip-done REPORT     leave out the files that REPORT lists as processed (a missing\n"
    "                         REPORT lists none, so one line serves the first run and resumes)\n";

void PrintUsage(std::FILE* out) {
    std::fputs(kUsage, out);
    std::fputs(kThreadsUsage, out);
    PrintFilterChoiceUsage(out);
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "stillpix-cli batch: %s\n", message.c_str());
    PrintUsage(stderr);
    return 2;
}

std::atomic<bool> gInterrupted{false};
void OnInterrupt(int) { gInterrupted.store(true); }

bool SetText(char* field, std::size_t fieldSize, std::size_t maxBytes, const std::string& text,
             const char* option, std::string& error) {
    if (text.size() > maxBytes || text.find('\0') != std::string::npos) {
        // The record's field holds bytes: fewer characters than that outside ASCII.
        error = std::string("--") + option + " takes at most " + std::to_string(maxBytes) +
                " bytes of UTF-8 text";
        return false;
    }
    SetFieldText(std::span<char>(field, fieldSize).first(maxBytes + 1), text);
    return true;
}

// The options that change the batch record for this run; the stored record stays as it is.
bool ApplyOverrides(const CliArgs& args, BatchSettings& settings, std::string& error) {
    const int destinations = (args.Value("subfolder") ? 1 : 0) + (args.Value("to") ? 1 : 0) +
                             (args.Flag("in-place") ? 1 : 0);
    if (destinations > 1) {
        error = "--subfolder, --to and --in-place exclude each other";
        return false;
    }
    if (const auto name = args.Value("subfolder")) {
        settings.destination = kSubfolder;
        if (!SetText(settings.destinationPath, sizeof settings.destinationPath, kMaxBatchPathChars,
                     *name, "subfolder", error))
            return false;
    }
    if (const auto dir = args.Value("to")) {
        settings.destination = kOtherLocation;
        const std::string absolute =
            dir->empty() ? std::string() : fs::absolute(*dir).lexically_normal().string();
        if (!SetText(settings.destinationPath, sizeof settings.destinationPath, kMaxBatchPathChars,
                     absolute, "to", error))
            return false;
    }
    if (args.Flag("in-place")) {
        settings.destination = kSameAsSource;
        std::fill(std::begin(settings.destinationPath), std::end(settings.destinationPath), '\0');
        if (!args.Value("suffix"))
            std::fill(std::begin(settings.suffix), std::end(settings.suffix), '\0');
    }
    if (const auto suffix = args.Value("suffix"))
        if (!SetText(settings.suffix, sizeof settings.suffix, kMaxBatchSuffixChars, *suffix,
                     "suffix", error))
            return false;
    if (const auto format = args.Value("format")) {
        if (*format == "keep") settings.outputFormat = kFormatKeep;
        else if (*format == "png") settings.outputFormat = kFormatPng;
        else if (*format == "jpeg" || *format == "jpg") settings.outputFormat = kFormatJpeg;
        else if (*format == "tiff" || *format == "tif") settings.outputFormat = kFormatTiff;
        else {
            error = "--format expects keep, png, jpeg or tiff, not \"" + *format + "\"";
            return false;
        }
    }
    std::optional<int> quality;
    if (!args.IntValue("quality", 0, 100, quality, error)) return false;
    if (quality) settings.jpegQuality = *quality;
    if (const auto depth = args.Value("tiff-depth")) {
        if (*depth != "24" && *depth != "48") {
            error = "--tiff-depth expects 24 or 48, not \"" + *depth + "\"";
            return false;
        }
        settings.tiffDepth = *depth == "48" ? kTiffDepth48 : kTiffDepth24;
    }
    return true;
}

// A folder, then each of its subfolders in name order, depth first, so that every host given
// the same folders lists the same files in the same order (shards depend on it). Hidden
// folders, links and the output subfolder (earlier results) are left out.
void QueueFolderTree(const fs::path& folder, const std::string& outputSubfolder,
                     BatchQueue& queue) {
    queue.AddFolderEntry(folder.string());
    std::vector<fs::path> subfolders;
    std::error_code ec;
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.front() == '.' || (!outputSubfolder.empty() && name == outputSubfolder)) continue;
        if (!it->is_symlink(ec) && it->is_directory(ec)) subfolders.push_back(it->path());
    }
    std::sort(subfolders.begin(), subfolders.end());
    for (const fs::path& subfolder : subfolders) QueueFolderTree(subfolder, outputSubfolder, queue);
}

// Folders as folder entries (and, with --recursive, each folder below), anything else as a
// single file: a missing one then fails at run time, as a vanished queued file does.
void QueuePaths(const CliArgs& args, const BatchSettings& settings, BatchQueue& queue) {
    const std::string outputSubfolder =
        settings.destination == kSubfolder ? EffectiveDestinationPath(settings) : "";
    for (const std::string& path : args.Positional()) {
        std::error_code ec;
        if (!fs::is_directory(path, ec)) queue.AddSingleFileEntry(path);
        else if (args.Flag("recursive")) QueueFolderTree(path, outputSubfolder, queue);
        else queue.AddFolderEntry(path);
    }
}

// --list: a path a line, for engines that take their own work lists.
int ListFiles(const std::vector<std::string>& files) {
    for (const std::string& file : files)
        if (file.find('\n') != std::string::npos) {
            std::fprintf(stderr,
                         "stillpix-cli batch: cannot list \"%s\" one path a line, its name holds a "
                         "line break; run the batch in shards (--shard) instead\n",
                         file.c_str());
            return 1;
        }
    for (const std::string& file : files) std::printf("%s\n", file.c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

bool FilterOptionGiven(const CliArgs& args) {
    for (const std::string& option : kFilterChoiceOptions)
        if (args.Value(option)) return true;
    return false;
}

// Progress lines on stderr: one when a file starts, its outcome, the times after it.
class StderrProgress final : public BatchProgress {
public:
    // `reportFd` is the --report file open for appending, or -1.
    StderrProgress(bool terminal, int reportFd) : terminal_(terminal), reportFd_(reportFd) {}

    bool ReportComplete() const { return reportComplete_; }

    void FileStage(int, int, const std::string&, BatchFileStage stage) override { stage_ = stage; }
    void SetText(int selector, const std::string& text) override {
        switch (selector) {
            case kTextFile:
                // A new file's label is printed with the count that follows it.
                if (stage_ == BatchFileStage::kBuildingProfile) pendingFile_ = text;
                else Line("  " + text);
                break;
            case kTextCount: Line(text + ": " + pendingFile_); break;
            case kTextElapsed: elapsed_ = text; break;
            case kTextRemaining:
                Line("  Time Elapsed: " + elapsed_ + "  Time Remaining: " + text);
                break;
            default: break;
        }
    }
    void SetImagePosition(int position) override {
        if (terminal_) std::fprintf(stderr, "\r  %3d%%", position), std::fflush(stderr);
        barShown_ = terminal_;
    }
    void SetOverallPosition(int) override {}
    void Done() override {}
    void FileFinished(const BatchFileResult& result) override {
        if (result.processed) Line("  written: " + result.output);
        else Line("  failed: " + result.source + (result.error.empty() ? "" : ": " + result.error));
        if (reportFd_ >= 0 && reportComplete_ && !AppendLine(ReportLine(result))) {
            reportComplete_ = false;
            Line("stillpix-cli batch: the report cannot be written (" +
                 std::string(std::strerror(errno)) + "); it lacks this file and every later one");
        }
    }

private:
    void Line(const std::string& text) {
        if (barShown_) std::fputs("\r\033[K", stderr);
        barShown_ = false;
        std::fprintf(stderr, "%s\n", text.c_str());
    }

    // One write a line on a file opened for appending: lines of processes that share the
    // report do not mix, and a killed run leaves at most its last line cut short.
    bool AppendLine(const std::string& line) {
        for (std::size_t done = 0; done < line.size();) {
            const ssize_t n = ::write(reportFd_, line.data() + done, line.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    bool terminal_;
    int reportFd_;
    bool reportComplete_ = true;
    bool barShown_ = false;
    BatchFileStage stage_ = BatchFileStage::kBuildingProfile;
    std::string pendingFile_;
    std::string elapsed_;
};

int RunBatchCommand(int argc, char** argv) {
    CliArgs args;
    std::string error;
    std::vector<std::string> valueOptions = {
        "subfolder", "to",     "suffix",    "format",         "quality", "tiff-depth",
        "shard",     "report", "skip-done", "profile-folder", "threads"};
    valueOptions.insert(valueOptions.end(), kFilterChoiceOptions.begin(),
                        kFilterChoiceOptions.end());
    if (!args.Parse(argc, argv, valueOptions, error)) return Usage(error);
    if (args.Flag("help")) {
        PrintUsage(stdout);
        return 0;
    }
    const auto unknown = args.Unknown({"help", "in-place", "recursive", "idle", "list"});
    if (!unknown.empty()) return Usage("unknown option " + unknown[0]);
    if (args.Positional().empty()) return Usage("needs at least one folder or file");
    std::optional<RunShard> shard;
    if (const auto text = args.Value("shard"))
        if (!(shard = ParseRunShard(*text, error))) return Usage(error);

    UserContext context;
    OpenUserContext(context, args.Value("profile-folder").value_or(""));
    if (!ApplyEngineThreads(args, context.options, error)) return Usage(error);
    BatchSettings settings = LoadBatchSettings(*context.store, context.options.settings);
    if (!ApplyOverrides(args, settings, error)) return Usage(error);

    BatchRunOptions options;
    options.presets = &context.presets;
    options.profiles = context.profiles.get();
    ApplyStoredBatchOptions(context.options, options);
    options.idlePriority = options.idlePriority || args.Flag("idle");
    std::string summary = BatchSettingsSummary(settings, context.presets);
    for (std::size_t at; (at = summary.find("\r\n")) != std::string::npos;)
        summary.replace(at, 2, "\n");
    if (FilterOptionGiven(args)) {
        summary = "Noise Filter: as given on the command line" + summary.substr(summary.find('\n'));
        // The filter chosen on the line plays the part of the document's current filter.
        const int base = BatchFilterSlot(settings.filter, context.presets.count, false).value_or(0);
        FilterSettings chosen;
        if (!ChooseFilterSettings(args, context.presets, base, chosen, error)) return Usage(error);
        options.currentParams = ToNoiseFilterParams(chosen);
        options.documentHasImage = true;
        settings.filter = kUseCurrentFilter;
    }

    BatchQueue queue;
    QueuePaths(args, settings, queue);
    std::vector<std::string> files = queue.RunFileList();
    if (shard) files = ShardFiles(files, *shard);
    if (const auto report = args.Value("skip-done")) {
        std::set<std::string> done;
        if (!ReadProcessedSources(*report, done, error)) {
            std::fprintf(stderr, "stillpix-cli batch: %s\n", error.c_str());
            return 2;
        }
        std::erase_if(files, [&](const std::string& file) { return done.count(file) != 0; });
    }
    if (args.Flag("list")) return ListFiles(files);
    if (OverwriteQuestionNeeded(settings, files) && !args.Flag("in-place")) {
        std::fprintf(
            stderr,
            "stillpix-cli batch: according to the batch settings the original files would be "
            "overwritten; pass --in-place to allow it, or choose --subfolder, --to or --suffix\n");
        return 2;
    }
    if (files.empty()) std::fprintf(stderr, "stillpix-cli batch: no image files found\n");

    int reportFd = -1;
    if (const auto report = args.Value("report")) {
        reportFd = ::open(report->c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        if (reportFd < 0) {
            std::fprintf(stderr, "stillpix-cli batch: cannot open the report %s: %s\n",
                         report->c_str(), std::strerror(errno));
            return 2;
        }
    }
    BatchJob job;
    job.Prepare(settings, files);
    StderrProgress progress(isatty(STDERR_FILENO), reportFd);
    job.progress = &progress;
    std::fprintf(stderr, "%s\n", summary.c_str());

    struct sigaction action {
    }, previousInt{}, previousTerm{};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);
    const BatchStop stop{nullptr, 0, &gInterrupted};
    bool ran = false;
    // The run gets a worker thread of its own, so idle priority never reaches this one.
    std::thread worker([&] { ran = RunBatchJob(job, options, stop); });
    worker.join();
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
    if (reportFd >= 0) ::close(reportFd);
    if (!ran) {
        std::fprintf(stderr, "stillpix-cli batch: the run could not start\n");
        return 1;
    }

    const BatchCounts counts = CountBatch(job.total, static_cast<int64_t>(job.processedList.size()),
                                          static_cast<int64_t>(job.failedList.size()));
    std::fputs(BatchSummaryText(job.elapsedText, counts).c_str(), stdout);
    return counts.failed == 0 && counts.skipped == 0 && progress.ReportComplete() ? 0 : 1;
}

CommandRegistration registration{"batch", "filter folders and files by the batch settings",
                                 RunBatchCommand};

}  // namespace

}  // namespace stillpix::cli
