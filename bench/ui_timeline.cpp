// stillpix-ui-timeline: the real main window on a generated 24-megapixel noisy JPEG, used as a
// person uses it: open until the profile is built, Go until the summary shows, save, then a
// slider change until the visible region is previewed, then a batch of three copies of the photo
// until its summary shows. For each step it prints the time taken
// and the longest time the window's thread could not run its event loop (a 10-ms timer notes how
// late it fires), and at the end the peak memory. A measurement, not a test: run it alone.
//
//   stillpix-ui-timeline [--image FILE.jpg] [--zoom PERCENT] [--size WxH]
//
// Under Xvfb (xvfb-run -a stillpix-ui-timeline) or offscreen (the default without a display).
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QSlider>
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "bench/photo_jpeg.h"
#include "bench/timeline.h"
#include "codec/codec.h"
#include "platform/qsettings_store.h"
#include "settings/persisted_settings.h"
#include "ui/batch_dialog_bar.h"
#include "ui/left_pane_dialog_bar.h"
#include "ui/main_frame.h"
#include "ui/noise_cleaner_view.h"
#include "ui/noise_filter_section.h"

namespace stillpix {
namespace {

constexpr int kStepLimitMilliseconds = 180 * 1000;  // a step that hangs ends the run

struct Arguments {
    std::string image;  // empty: generate one
    int width = 6000, height = 4000;
    int zoom = -1;  // -1: the program's default option (Best Fit)
};

bool Parse(int argc, char** argv, Arguments& out) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--image" && hasValue) out.image = argv[++i];
        else if (arg == "--zoom" && hasValue) out.zoom = std::atoi(argv[++i]);
        else if (arg == "--size" && hasValue &&
                 std::sscanf(argv[++i], "%dx%d", &out.width, &out.height) == 2 && out.width > 0 &&
                 out.height > 0)
            continue;
        else return false;
    }
    return true;
}

int TilesLeftUnder(const CNoiseCleanerDoc& doc, const TileRect& visible) {
    int left = 0;
    const TileGrid& grid = doc.Job().tiles;
    for (int i = 0; i < grid.count; ++i)
        left += TileMeets(grid.tiles[i].inner, visible) && !grid.tiles[i].filtered ? 1 : 0;
    return left;
}

int Run(const Arguments& args) {
    QTemporaryDir folder;
    if (!folder.isValid()) return std::fprintf(stderr, "no temporary folder\n"), 1;
    const std::string root = folder.path().toStdString();
    std::string image = args.image;
    QElapsedTimer clock;
    clock.start();
    if (image.empty()) {
        image = root + "/photo.jpg";
        if (!bench::WritePhotoJpeg(image, args.width, args.height))
            return std::fprintf(stderr, "cannot write %s\n", image.c_str()), 1;
        std::printf("image: generated %dx%d camera-noise JPEG (quality 92) in %.1f s\n", args.width,
                    args.height, clock.elapsed() / 1000.0);
    } else {
        std::printf("image: %s\n", image.c_str());
    }
    std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));

    const std::string batchFolder = root + "/batch";
    std::filesystem::create_directory(batchFolder);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        std::filesystem::copy_file(image, batchFolder + "/" + name);

    QSettingsStore store(root + "/settings.conf");
    PresetTable presets;
    BuildPresetTable(store, presets);
    AppOptions options = LoadSettings(store, root + "/profiles");
    options.settings.autoPreview = 1;  // the slider's change previews
    options.settings.showOpenDialogAtStart = 0;
    if (args.zoom >= 0) options.settings.defaultZoom = args.zoom;
    LearnedProfileStore profiles(root + "/profiles");
    std::vector<std::string> recent;
    CMainFrame frame(FrameContext{&options, &store, &presets, &profiles, &recent});
    frame.show();
    frame.LeftPane()->show();
    CNoiseCleanerDoc& doc = frame.Document();
    const std::string saved = root + "/photo_filtered.jpg";

    bool goReturned = false, saveReturned = false, saveOk = false;
    qint64 decodedAt = 0, previewRunAt = 0, summaryAt = 0, batchSummaryAt = 0;
    QSlider* slider = frame.LeftPane()->FilterSection()->Slider(1);
    std::vector<bench::TimelineStep> steps;
    steps.push_back({"open -> profile built", [&] { frame.OpenFile(image); },
                     [&] {
                         if (!decodedAt && doc.HasImage() && !doc.Opening())
                             decodedAt = clock.elapsed();
                         return doc.HasImage() && doc.Job().profileBuilt.load() &&
                                !doc.WorkerRunning();
                     }});
    steps.push_back({"Go -> summary shown",
                     [&] {
                         QTimer::singleShot(0, &frame, [&] {
                             frame.findChild<QAction*>("go")->trigger();
                             goReturned = true;
                         });
                     },
                     [&] {
                         auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                         if (!summaryAt && dialog &&
                             dialog->windowTitle() == QLatin1String("Processing Summary")) {
                             summaryAt = clock.elapsed();
                             dialog->accept();
                         }
                         return summaryAt && goReturned;
                     }});
    steps.push_back({"save (JPEG)",
                     [&] {
                         QTimer::singleShot(0, &frame, [&] {
                             saveOk = doc.SaveDocument(saved);
                             saveReturned = true;
                         });
                     },
                     [&] { return saveReturned; }});
    steps.push_back({"slider -> visible region previewed",
                     [&] { slider->setValue(slider->value() + 4); },
                     [&] {
                         if (!previewRunAt && doc.WorkerRunning()) previewRunAt = clock.elapsed();
                         return !doc.Job().resetTilesFirst.load() && !doc.WorkerRunning() &&
                                doc.Job().countdown.load() == 0 &&
                                TilesLeftUnder(doc, frame.View().VisibleRect()) == 0;
                     }});

    steps.push_back({"batch of 3 photos -> summary shown",
                     [&] {
                         CBatchDialogBar* pane = frame.BatchPane();
                         pane->SetMessagePrompter(
                             [](const UserMessage&) { return MessageAnswer::kYes; });
                         pane->AddFolderEntry(batchFolder);
                         QTimer::singleShot(0, &frame, [pane] { pane->RunBatch(); });
                     },
                     [&] {
                         auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                         if (!batchSummaryAt && dialog &&
                             dialog->windowTitle() == QLatin1String("Batch Processing Summary")) {
                             batchSummaryAt = clock.elapsed();
                             dialog->accept();
                         }
                         return batchSummaryAt != 0;
                     }});

    bench::TimelineHooks hooks;
    hooks.stuck = [&] {
        return std::string("worker ") + (doc.WorkerRunning() ? "running" : "idle") +
               ", countdown " + std::to_string(doc.Job().countdown.load());
    };
    const qint64 longestOverall = bench::RunTimeline(steps, clock, kStepLimitMilliseconds, hooks);

    const CBitmapEx* shown = doc.Image();
    if (summaryAt) steps[1].endedAt = summaryAt;  // the step itself also waits for the dialog to go
    std::printf("window: %dx%d, view zoom %d%%, visible %dx%d image pixels, %d tiles\n",
                frame.width(), frame.height(), frame.View().Zoom(),
                frame.View().VisibleRect().right - frame.View().VisibleRect().left,
                frame.View().VisibleRect().bottom - frame.View().VisibleRect().top,
                doc.Job().tiles.count);
    std::printf("%-38s %10s %18s\n", "step", "time (ms)", "longest block (ms)");
    for (const bench::TimelineStep& step : steps) {
        if (!step.endedAt) {
            std::printf("%-38s %10s %18lld\n", step.name, "unfinished", step.longestBlock);
            continue;
        }
        std::printf("%-38s %10lld %18lld\n", step.name, step.endedAt - step.startedAt,
                    step.longestBlock);
    }
    if (decodedAt)
        std::printf("  of which open -> image shown: %lld ms\n", decodedAt - steps[0].startedAt);
    if (previewRunAt)
        std::printf("  of which the countdown (slider -> preview run starts): %lld ms\n",
                    previewRunAt - steps[3].startedAt);
    std::printf("save %s: %s\n", saveOk ? "written" : "FAILED", saved.c_str());
    const BatchJob& batch = frame.BatchPane()->Job();
    std::printf("batch: %zu processed, %zu failed\n", batch.processedList.size(),
                batch.failedList.size());
    std::printf("longest block over the whole run: %lld ms\n", longestOverall);
    std::printf("peak RSS: %ld MB\n", bench::PeakRssMegabytes());
    const bool complete =
        steps.back().endedAt && saveOk && shown && batch.processedList.size() == 3;
    return complete ? 0 : 1;
}

}  // namespace
}  // namespace stillpix

int main(int argc, char** argv) {
    stillpix::Arguments args;
    if (!stillpix::Parse(argc, argv, args)) {
        std::fprintf(stderr, "usage: %s [--image FILE.jpg] [--zoom PERCENT] [--size WxH]\n",
                     argv[0]);
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // lines show as they come, also through a pipe
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    return stillpix::Run(args);
}
