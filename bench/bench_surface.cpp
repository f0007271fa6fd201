// The drawing surface: a curve slide with wide dots against every dot stamped in turn, the
// picture rendered at four times its size and painted as SVG, and a slide at device pixel
// ratio 2 against ratio 1. Each ratio is measured inside its own benchmark.

#include "CurveFixture.h"

#include "draw/base/Random.h"
#include "draw/curves/SlideShow.h"
#include "draw/output/OutputJob.h"

#include <QBuffer>
#include "draw/gradient/GradientRenderer.h"
#include "draw/surface/PictureSource.h"
#include "draw/surface/Surface.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

double secondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One tick with its pixels: the dots reach the image when it is read.
void tick(FakeCurveControls& controls)
{
    RandomSource::reset();
    slideShowTick(controls);
    benchmark::DoNotOptimize(controls.canvas.Image().constBits());
}

// Both sides run in turn in every iteration; the fastest run of each is compared, so that work
// of other processes on the machine does not tip the ratio.
struct PairedTimes
{
    double ours = 1e9;
    double baseline = 1e9;
    void add(double oursSeconds, double baselineSeconds)
    {
        ours = std::min(ours, oursSeconds);
        baseline = std::min(baseline, baselineSeconds);
    }
};

void BM_WideDotTick(benchmark::State& state)
{
    const int width = int(state.range(0));
    FakeCurveControls ours;
    FakeCurveControls baseline;
    baseline.canvas.setDotOrder(DotOrder::InOrder);
    for (FakeCurveControls* controls : {&ours, &baseline}) {
        controls->penWidth = QString::number(width);
        controls->canvas.setDrawWidth(width);
    }
    tick(ours); // warm: the record and the coverage have their working size
    tick(baseline);
    PairedTimes best;
    for (auto _ : state) {
        const double t = secondsOf([&] { tick(ours); });
        best.add(t, secondsOf([&] { tick(baseline); }));
        state.SetIterationTime(t);
    }
    state.counters["tick_ms"] = 1e3 * best.ours;
    state.counters["in_turn_ms"] = 1e3 * best.baseline;
    state.counters["speedup"] = best.baseline / best.ours;
}

// The main canvas as it is copied or saved: a gradient background from an 809 x 794 preview and
// a slide of 10,076 dots of width 4 over it.
std::shared_ptr<const PictureSource> slideSnapshot()
{
    Surface preview(QSize(809, 794));
    GradientRenderer gradient;
    gradient.Draw(preview);
    FakeCurveControls controls;
    controls.canvas.setPicture(preview.Image(), preview.snapshot());
    controls.canvas.setDrawWidth(4);
    controls.penWidth = QStringLiteral("4");
    tick(controls);
    return controls.canvas.snapshot();
}

void BM_SnapshotRenderFourTimes(benchmark::State& state)
{
    const auto snapshot = slideSnapshot();
    for (auto _ : state) {
        const QImage image = snapshot->render(4.0);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["target_ms"] = 300;
}

void BM_SnapshotPaintSvg(benchmark::State& state)
{
    const auto snapshot = slideSnapshot();
    qint64 bytes = 0;
    for (auto _ : state) {
        QByteArray svg;
        QBuffer buffer(&svg);
        buffer.open(QIODevice::WriteOnly);
        writeOutput(asShownJob(PatternPicture{snapshot, {}, {}}, 1.0, ExportFormat::Svg, QString()), buffer);
        bytes = svg.size();
    }
    state.counters["svg_kb"] = double(bytes) / 1024;
    state.counters["target_ms"] = 300;
}

// A slide drawn on the screen's surface at ratio 2 against ratio 1.
void BM_SlideAtRatioTwo(benchmark::State& state)
{
    const int width = int(state.range(0));
    FakeCurveControls one(1.0);
    FakeCurveControls two(2.0);
    for (FakeCurveControls* controls : {&one, &two}) {
        controls->penWidth = QString::number(width);
        controls->canvas.setDrawWidth(width);
        tick(*controls);
    }
    PairedTimes best;
    for (auto _ : state) {
        const double t = secondsOf([&] { tick(two); });
        best.add(t, secondsOf([&] { tick(one); }));
        state.SetIterationTime(t);
    }
    state.counters["ratio1_ms"] = 1e3 * best.baseline;
    state.counters["ratio2_ms"] = 1e3 * best.ours;
    state.counters["ratio2_over_ratio1"] = best.ours / best.baseline;
}

} // namespace

BENCHMARK(BM_WideDotTick)->Arg(1)->Arg(4)->Arg(12)->Arg(200)->Arg(1000)->Arg(32767)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotRenderFourTimes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotPaintSvg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SlideAtRatioTwo)->Arg(1)->Arg(4)->Arg(12)->UseManualTime()->Unit(benchmark::kMillisecond);
