// Showing a slide from its full code (reading the code, then drawing the slide from its recipe on
// a window's canvas) against drawing the same slide in the show, in the same benchmark.
// "ratio" is the code's time over the show's; the target is at most 1.2.

#include "CurveFixture.h"
#include "ThreadTime.h"

#include "draw/base/Random.h"
#include "draw/curves/SlideShow.h"
#include "draw/pattern/PatternCode.h"
#include "draw/pattern/SlideReplay.h"
#include "draw/stars/GeometricSlide.h"

#include <benchmark/benchmark.h>

namespace {

void BM_CurveSlideFromCode(benchmark::State& state)
{
    const int penWidth = int(state.range(0));
    FakeCurveControls show, fromCode;
    for (FakeCurveControls* controls : {&show, &fromCode}) {
        controls->canvas.setDrawWidth(penWidth);
        controls->penWidth = QString::number(penWidth);
    }
    double showSeconds = 0, codeSeconds = 0;
    for (auto _ : state) {
        CurveSlide slide;
        showSeconds += threadSecondsOf([&] {
            slide = slideShowTick(show);
            benchmark::DoNotOptimize(show.canvas.Image().constBits());
        });
        const QString code = PatternCode::encode(*recipeOf(slide));
        const double t = threadSecondsOf([&] {
            const PatternCode::Reading reading = PatternCode::decode(code);
            replayCurveSlide(*reading.recipe, fromCode);
            benchmark::DoNotOptimize(fromCode.canvas.Image().constBits());
        });
        codeSeconds += t;
        state.SetIterationTime(t);
    }
    state.counters["show_tick_ms"] = 1e3 * showSeconds / double(state.iterations());
    state.counters["ratio"] = codeSeconds / showSeconds;
}

void BM_GeometricSlideFromCode(benchmark::State& state)
{
    Surface show, fromCode;
    setUpPatternCanvas(PatternWindow::Geometric, show);
    setUpPatternCanvas(PatternWindow::Geometric, fromCode);
    const QString width = QString::number(state.range(0));
    double showSeconds = 0, codeSeconds = 0;
    for (auto _ : state) {
        GeometricSlide slide;
        showSeconds += threadSecondsOf([&] {
            slide = drawNextGeometricSlide(show, width);
            benchmark::DoNotOptimize(show.Image().constBits());
        });
        const QString code = PatternCode::encode(*recipeOf(slide));
        const double t = threadSecondsOf([&] {
            replayGeometricSlide(*PatternCode::decode(code).recipe, fromCode);
            benchmark::DoNotOptimize(fromCode.Image().constBits());
        });
        codeSeconds += t;
        state.SetIterationTime(t);
    }
    state.counters["show_tick_ms"] = 1e3 * showSeconds / double(state.iterations());
    state.counters["ratio"] = codeSeconds / showSeconds;
}

// Searching a hostile text for a code: "TN" over and over, a megabyte against a kilobyte, in the
// same benchmark. A search linear in the text gives a "ratio" near 1,000 (the megabyte's time over
// the kilobyte's).
void BM_FindCodeMegabyteVsKilobyte(benchmark::State& state)
{
    const QString kilobyte = QString(QStringLiteral("TN")).repeated(512);
    const QString megabyte = QString(QStringLiteral("TN")).repeated(512 * 1024);
    double small = 0, large = 0;
    for (auto _ : state) {
        const double t = threadSecondsOf([&] { benchmark::DoNotOptimize(PatternCode::find(megabyte).problem); });
        for (int i = 0; i < 10; ++i)
            small += threadSecondsOf([&] { benchmark::DoNotOptimize(PatternCode::find(kilobyte).problem); }) / 10;
        large += t;
        state.SetIterationTime(t);
    }
    state.counters["ratio"] = large / small;
}

} // namespace

BENCHMARK(BM_FindCodeMegabyteVsKilobyte)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurveSlideFromCode)->Arg(1)->Arg(4)->Arg(12)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeometricSlideFromCode)->Arg(9)->Arg(60)->UseManualTime()->Unit(benchmark::kMillisecond);
