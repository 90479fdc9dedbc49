// stillpix-browser-timeline: the real main window's image browser over a folder of camera-like
// JPEGs (2,000 by default, 24 megapixels, EXIF with a camera's tags and a 160 x 120 preview),
// used as a person uses it: list the folder in the Medium icon view until the visible thumbnails
// are in, scroll a page, scroll to the end, switch to Details until every item's shooting data
// is read, then to Large. For each step it prints the time taken, the thumbnails or information
// blocks read, the longest time the window's thread could not run its event loop (a 10-ms timer
// notes how late it fires) and the resident memory; at the end the peak. A measurement, not a
// test: run it alone.
//
//   stillpix-browser-timeline [--folder DIR] [--count N] [--size WxH] [--masters M]
//
// The folder is generated when it holds no JPEG (in a child process, so that the generator's
// memory stays out of the figures): M distinct photographs, the N files hard links to them.
// Without --folder a temporary one is made and removed. Under Xvfb (xvfb-run -a ...) or
// offscreen (the default without a display).
#include <sys/wait.h>
#include <unistd.h>

#include <QListView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "bench/photo_jpeg.h"
#include "bench/timeline.h"
#include "browser/browser_dialog_bar.h"
#include "platform/qsettings_store.h"
#include "settings/persisted_settings.h"
#include "tests/support/shell.h"
#include "ui/main_frame.h"

namespace stillpix {
namespace {

namespace fs = std::filesystem;

constexpr int kStepLimitMilliseconds = 600 * 1000;  // a step that hangs ends the run

struct Arguments {
    std::string folder;  // empty: a temporary one
    int count = 2000;
    int masters = 4;
    int width = 6000, height = 4000;
};

bool Parse(int argc, char** argv, Arguments& out) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--folder" && hasValue) out.folder = argv[++i];
        else if (arg == "--count" && hasValue) out.count = std::atoi(argv[++i]);
        else if (arg == "--masters" && hasValue) out.masters = std::atoi(argv[++i]);
        else if (arg == "--size" && hasValue &&
                 std::sscanf(argv[++i], "%dx%d", &out.width, &out.height) == 2 && out.width > 0 &&
                 out.height > 0)
            continue;
        else return false;
    }
    return out.count > 0 && out.masters > 0;
}

int JpegsIn(const fs::path& folder) {
    int n = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        n += it->path().extension() == ".JPG" ? 1 : 0;
    return n;
}

// The photographs as a camera leaves them: camera tags, a date, and the EXIF preview.
bool WriteMaster(const fs::path& file, const Arguments& args, int index) {
    static const std::string kModels[][2] = {{"Canon", "Canon EOS 5D Mark IV"},
                                             {"NIKON CORPORATION", "NIKON D750"},
                                             {"Canon", "Canon EOS R6"},
                                             {"NIKON CORPORATION", "NIKON Z 6"}};
    const auto& model = kModels[index % 4];
    const fs::path preview = file.string() + ".preview.jpg";
    if (!bench::WritePhotoJpeg(file.string(), args.width, args.height)) return false;
    using test::ShellQuoted;
    const bool ok =
        test::Shell("convert " + ShellQuoted(file) + " -thumbnail 160x120 -quality 80 " +
                    ShellQuoted(preview)) &&
        test::Shell("exiftool -q -overwrite_original -Make=" + ShellQuoted(model[0]) + " -Model=" +
                    ShellQuoted(model[1]) + " -ISO=" + std::to_string(100 << (index % 6)) +
                    " -FNumber=5.6 -ExposureTime=0.008 -DateTimeOriginal='2026:06:0" +
                    std::to_string(1 + index % 9) +
                    " 10:20:30' '-ThumbnailImage<=" + preview.string() + "' " + ShellQuoted(file));
    fs::remove(preview);
    return ok;
}

// M photographs under a hidden folder (the browser does not list it), N names linked to them.
bool MakeFolder(const fs::path& folder, const Arguments& args) {
    const fs::path masters = folder / ".masters";
    std::error_code ec;
    fs::create_directories(masters, ec);
    for (int m = 0; m < args.masters; ++m)
        if (!WriteMaster(masters / ("master" + std::to_string(m) + ".jpg"), args, m)) return false;
    for (int i = 0; i < args.count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.JPG", i + 1);
        const fs::path master = masters / ("master" + std::to_string(i % args.masters) + ".jpg");
        fs::create_hard_link(master, folder / name, ec);
        if (ec && !fs::copy_file(master, folder / name, ec)) return false;
    }
    return true;
}

// In a child, so that the generator's pixels never count in this process's peak.
bool MakeFolderApart(const fs::path& folder, const Arguments& args) {
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) _exit(MakeFolder(folder, args) ? 0 : 1);
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

long RssMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024) / 1024;
}

// What a step read, and the memory at its end.
struct StepCounts {
    int thumbnailsBefore = 0, infosBefore = 0;
    int thumbnails = 0, infos = 0;
    long rss = 0;
};

int Run(const fs::path& folder, const std::string& root) {
    QElapsedTimer clock;
    clock.start();
    std::printf("folder: %s, %d JPEGs\n", folder.c_str(), JpegsIn(folder));
    std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));

    QSettingsStore store(root + "/settings.conf");
    PresetTable presets;
    BuildPresetTable(store, presets);
    AppOptions options = LoadSettings(store, root + "/profiles");
    options.settings.showOpenDialogAtStart = 0;
    options.settings2.rightPanes = 1;   // the browser
    options.settings3.browserView = 1;  // Medium
    LearnedProfileStore profiles(root + "/profiles");
    std::vector<std::string> recent;
    CMainFrame frame(FrameContext{&options, &store, &presets, &profiles, &recent});
    frame.resize(1280, 960);
    frame.show();
    frame.RestorePanes();
    CBrowserDialogBar& browser = *frame.Browser();
    ThumbnailListModel& model = browser.Model();
    const auto counts = [&](int& thumbnails, int& infos) {
        thumbnails = infos = 0;
        for (const auto& record : model.Records()) {
            thumbnails += record->thumbnailState != ThumbnailState::kNone ? 1 : 0;
            infos += record->infoLoaded ? 1 : 0;
        }
    };
    const auto loaderDone = [&] { return !browser.LoaderRunning(); };
    const auto scroll = [&](bool toEnd) {
        QScrollBar* bar = browser.IconList()->verticalScrollBar();
        bar->setValue(toEnd ? bar->maximum() : bar->value() + bar->pageStep());
    };

    std::vector<bench::TimelineStep> steps;
    steps.push_back({"list (Medium) -> visible thumbnails",
                     [&] { browser.NavigateTo(folder.string()); }, loaderDone});
    steps.push_back({"scroll a page -> visible thumbnails", [&] { scroll(false); }, loaderDone});
    steps.push_back({"scroll to the end -> visible thumbnails", [&] { scroll(true); }, loaderDone});
    steps.push_back({"Details -> every information block",
                     [&] { browser.SetViewMode(ViewMode::kDetails); }, loaderDone});
    steps.push_back({"Large (relist) -> visible thumbnails",
                     [&] { browser.SetViewMode(ViewMode::kLarge); }, loaderDone});

    std::vector<StepCounts> read(steps.size());
    const auto of = [&](const bench::TimelineStep& step) -> StepCounts& {
        return read[static_cast<std::size_t>(&step - steps.data())];
    };
    bench::TimelineHooks hooks;
    hooks.started = [&](bench::TimelineStep& step) {
        counts(of(step).thumbnailsBefore, of(step).infosBefore);  // after a relist: of the new list
    };
    hooks.ended = [&](bench::TimelineStep& step) {
        StepCounts& c = of(step);
        counts(c.thumbnails, c.infos);
        c.thumbnails -= c.thumbnailsBefore;
        c.infos -= c.infosBefore;
        c.rss = RssMegabytes();
    };
    const long rssBefore = RssMegabytes();
    const qint64 longestOverall = bench::RunTimeline(steps, clock, kStepLimitMilliseconds, hooks);

    std::printf("window: %dx%d, list %dx%d, %d items listed; memory before listing %ld MB\n",
                frame.width(), frame.height(), browser.IconList()->viewport()->width(),
                browser.IconList()->viewport()->height(), model.Count(), rssBefore);
    std::printf("%-40s %9s %9s %7s %7s %9s %8s\n", "step", "time (ms)", "call (ms)", "thumbs",
                "infos", "block (ms)", "RSS (MB)");
    for (const bench::TimelineStep& step : steps) {
        if (!step.endedAt) {
            std::printf("%-40s %9s %9lld %7s %7s %9lld\n", step.name, "unfinished", step.startCall,
                        "", "", step.longestBlock);
            continue;
        }
        std::printf("%-40s %9lld %9lld %7d %7d %9lld %8ld\n", step.name,
                    step.endedAt - step.startedAt, step.startCall, of(step).thumbnails,
                    of(step).infos, step.longestBlock, of(step).rss);
    }
    std::printf("longest block over the whole run: %lld ms\n", longestOverall);
    std::printf("peak RSS: %ld MB\n", bench::PeakRssMegabytes());
    return steps.back().endedAt ? 0 : 1;
}

}  // namespace
}  // namespace stillpix

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    stillpix::Arguments args;
    if (!stillpix::Parse(argc, argv, args)) {
        std::fprintf(stderr, "usage: %s [--folder DIR] [--count N] [--size WxH] [--masters M]\n",
                     argv[0]);
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QTemporaryDir temporary;
    if (!temporary.isValid()) return std::fprintf(stderr, "no temporary folder\n"), 1;
    const std::string root = temporary.path().toStdString();
    const fs::path folder = args.folder.empty() ? fs::path(root) / "photos" : fs::path(args.folder);
    // Before the window side starts any thread: the generator runs in a forked child.
    if (stillpix::JpegsIn(folder) == 0) {
        QElapsedTimer clock;
        clock.start();
        if (!stillpix::MakeFolderApart(folder, args))
            return std::fprintf(stderr, "cannot make %s\n", folder.c_str()), 1;
        std::printf(
            "folder: generated %d files (%d distinct %dx%d JPEGs, quality 92, EXIF) in "
            "%.1f s\n",
            args.count, args.masters, args.width, args.height, clock.elapsed() / 1000.0);
    }
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    return stillpix::Run(fs::absolute(folder), root);
}
