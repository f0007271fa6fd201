// Resident memory that 100 kept slides add: the process grows while 100 ticks keep their slides,
// measured after 100 ticks that kept nothing (so the drawing's own memory is already there).
// Resident memory is per process: run it alone, --benchmark_filter=BM_ResidentOf100KeptSlides.

#include "CurveFixture.h"
#include "ResidentMemory.h"

#include "app/canvas/SlideHistory.h"
#include "draw/base/Random.h"
#include "draw/curves/SlideShow.h"
#include "draw/pattern/SlideReplay.h"
#include "draw/surface/Surface.h"

#include <benchmark/benchmark.h>

namespace {

void BM_ResidentOf100KeptSlides(benchmark::State& state)
{
    double added = 0;
    for (auto _ : state) {
        RandomSource::reset();
        FakeCurveControls controls;
        for (int slide = 0; slide < 100; ++slide)
            slideShowTick(controls);
        const double before = residentBytes() / 1024;
        SlideHistory<SlideRecipe> history;
        for (int slide = 0; slide < 100; ++slide) {
            if (const auto recipe = recipeOf(slideShowTick(controls)))
                history.push(*recipe);
        }
        added = residentBytes() / 1024 - before;
        benchmark::DoNotOptimize(history.size());
    }
    state.counters["added_kB"] = added;
}

} // namespace

BENCHMARK(BM_ResidentOf100KeptSlides)->Iterations(1)->Unit(benchmark::kMillisecond);
