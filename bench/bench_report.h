// How every benchmark reports: megapixels per second of wall time (the engine hands tiles to
// worker threads, so the calling thread's CPU time says little), over three repetitions of which
// only the mean, median, spread and variation are printed.
#pragma once

#include <benchmark/benchmark.h>

namespace stillpix::bench {

// With UseRealTime a rate counter is divided by wall time, not CPU time.
inline void OverWallTime(benchmark::internal::Benchmark* b) {
    b->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true);
}

inline void ReportMegapixels(benchmark::State& state, double pixels) {
    state.counters["MP/s"] =
        benchmark::Counter(pixels / 1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace stillpix::bench
