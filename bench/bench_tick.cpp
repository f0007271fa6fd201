// One slide-show tick (clear, four presets with their text round trips, 10,076 dots, the pattern
// code) against, in the same benchmark, the same tick with every dot drawn by its own QPainter
// call. "speedup" is the QPainter tick's time over ours.

#include "CurveFixture.h"
#include "ThreadTime.h"

#include "draw/base/Numbers.h"
#include "draw/base/Random.h"
#include "draw/curves/CurvePlotter.h"
#include "draw/curves/SlideShow.h"
#include "draw/curves/StylePresets.h"

#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

// The baseline: the program's own presets fill the boxes and its plotter walks the points, but
// every dot is one QPainter call.
void baselineTick(FakeCurveControls& controls, QImage& image, int& penWidth)
{
    image.fill(qRgb(255, 192, 255));
    QPainter painter(&image);
    for (CurveStyle style : {CurveStyle::One, CurveStyle::Two, CurveStyle::Three, CurveStyle::Four}) {
        const CurvePlotter& plotter = writeStyleParameters(controls, style, RandomSource::stream());
        painter.setPen(QPen(plotter.colour.toQColor(), penWidth, Qt::SolidLine, Qt::RoundCap));
        traceCurve(readCurveParameters(controls), plotter.phase, [&](float x, float y) {
            painter.drawPoint(QPoint(int(roundHalfEven(x)), int(roundHalfEven(y))));
        });
    }
    if (const auto width = textToInt16(controls.penWidthText()); width && *width >= 1)
        penWidth = *width;
    controls.showPatternCode(patternCode(controls));
}

void BM_SlideShowTickVsQPainter(benchmark::State& state)
{
    const int penWidth = int(state.range(0));
    FakeCurveControls ours, theirs;
    for (FakeCurveControls* controls : {&ours, &theirs}) {
        controls->canvas.setDrawWidth(penWidth);
        controls->penWidth = QString::number(penWidth);
    }
    QImage image(800, 800, QImage::Format_RGB32);
    int baselineWidth = penWidth;

    double oursSeconds = 0, baselineSeconds = 0;
    for (auto _ : state) {
        RandomSource::reset(); // both sides draw the same four curves
        const double t = threadSecondsOf([&] {
            slideShowTick(ours);
            // The pixels, not only the record: dots reach the image when it is read.
            benchmark::DoNotOptimize(ours.canvas.Image().constBits());
        });
        RandomSource::reset();
        baselineSeconds += threadSecondsOf([&] { baselineTick(theirs, image, baselineWidth); });
        benchmark::DoNotOptimize(ours.patternCodeShown.data());
        oursSeconds += t;
        state.SetIterationTime(t);
    }
    state.counters["qpainter_tick_ms"] = 1e3 * baselineSeconds / double(state.iterations());
    state.counters["speedup"] = baselineSeconds / oursSeconds;
}

} // namespace

BENCHMARK(BM_SlideShowTickVsQPainter)->Arg(1)->Arg(4)->Arg(12)->UseManualTime()->Unit(benchmark::kMillisecond);
