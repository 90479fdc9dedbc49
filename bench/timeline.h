// The timeline benchmarks' loop: steps that a person would take, one after another on the
// window's thread, driven by a 10-ms timer that also notes how late it fires (the longest time
// the window's thread could not run its event loop).
#pragma once

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace stillpix::bench {

// One step: started by `start`, over when `done` holds.
struct TimelineStep {
    const char* name;
    std::function<void()> start;
    std::function<bool()> done;
    qint64 startedAt = 0;
    qint64 endedAt = 0;
    qint64 startCall = 0;  // how long `start` itself ran
    qint64 longestBlock = 0;
};

struct TimelineHooks {
    std::function<void(TimelineStep&)> started;  // right after a step's start
    std::function<void(TimelineStep&)> ended;    // right after a step's end
    std::function<std::string()> stuck;          // what a step that hangs is waiting for
};

// Runs the steps in the application's event loop, after half a second for the window to settle;
// a step without an end after `limitMs` ends the run. Returns the longest block over the run;
// every step that ended has its `endedAt`.
inline qint64 RunTimeline(std::vector<TimelineStep>& steps, const QElapsedTimer& clock, int limitMs,
                          const TimelineHooks& hooks = {}) {
    constexpr int kSampleMilliseconds = 10;
    std::size_t current = 0;
    qint64 lastTick = clock.elapsed();
    qint64 longestOverall = 0;
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        const qint64 block = std::max<qint64>(0, now - lastTick - kSampleMilliseconds);
        lastTick = now;
        longestOverall = std::max(longestOverall, block);
        if (current >= steps.size()) return;
        TimelineStep& step = steps[current];
        if (step.startedAt) step.longestBlock = std::max(step.longestBlock, block);
        if (!step.startedAt) {
            std::fprintf(stderr, "%6.1f s  %s\n", now / 1000.0, step.name);
            step.startedAt = now;
            step.start();
            step.startCall = clock.elapsed() - now;
            if (hooks.started) hooks.started(step);
        } else if (step.done()) {
            step.endedAt = clock.elapsed();
            if (hooks.ended) hooks.ended(step);
            ++current;
            if (current == steps.size()) QApplication::exit(0);  // not quit(): no close prompt
        } else if (now - step.startedAt > limitMs) {
            std::fprintf(stderr, "%s: no end after %d s%s\n", step.name, limitMs / 1000,
                         hooks.stuck ? (" (" + hooks.stuck() + ")").c_str() : "");
            current = steps.size();
            QApplication::exit(1);
        }
    });
    QTimer::singleShot(500, &sampler, [&] {
        lastTick = clock.elapsed();
        sampler.start(kSampleMilliseconds);
    });
    QApplication::exec();
    return longestOverall;
}

inline long PeakRssMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

}  // namespace stillpix::bench
