#include "ThreadTime.h"

#include "draw/gradient/GradientRenderer.h"
#include "draw/output/FrameRenderer.h"
#include "draw/pattern/PatternCode.h"
#include "draw/pattern/SlideReplay.h"
#include "draw/raster/LineWalk.h"
#include "draw/raster/PixelBuffer.h"
#include "draw/surface/Surface.h"

#include <QApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

// The same lines in the same colours, one pen and one drawLine call per line.
void paintWithQPainter(QImage& image, const std::vector<PixelPoint>& lines, const std::vector<Colour>& table)
{
    QPainter painter(&image);
    for (size_t i = 0; i + 1 < lines.size(); i += 2) {
        painter.setPen(QPen(table[i / 2].toQColor(), 1));
        painter.drawLine(lines[i].x, lines[i].y, lines[i + 1].x, lines[i + 1].y);
    }
}

// Paints an 800 x 800 gradient with the renderer and the same lines through QPainter in turn;
// "speedup" is the QPainter time over the renderer's time.
void BM_GradientVsQPainter(benchmark::State& state)
{
    constexpr int size = 800;
    Surface canvas{QSize(size, size)};
    GradientRenderer gradient;
    gradient.setAngle(float(state.range(0)));
    std::vector<PixelPoint> lines;
    gradient.sweepLines(size, size, lines);
    std::vector<Colour> table;
    GradientRenderer::BlendColors(gradient.Color1(), gradient.Color2(), int(roundHalfEven(double(lines.size()) / 2)), table);
    QImage image(size, size, QImage::Format_RGB32);

    double ours = 0, baseline = 0;
    for (auto _ : state) {
        const double t = threadSecondsOf([&] { benchmark::DoNotOptimize(gradient.Draw(canvas)); });
        baseline += threadSecondsOf([&] { paintWithQPainter(image, lines, table); });
        ours += t;
        state.SetIterationTime(t);
    }
    state.counters["lines"] = double(lines.size() / 2);
    state.counters["qpainter_ms"] = 1000 * baseline / double(state.iterations());
    state.counters["speedup"] = baseline / ours;
}

// An 800 x 800 gradient drawn at four times its size: the dithered ramp against the sweep of the
// same area's lines at that size, one colour per line (what it did before, and banded). "ratio"
// is the dither's time over the sweep's; the target is at most 1.5.
void BM_DitheredGradientVsSweep(benchmark::State& state)
{
    constexpr int size = 800;
    constexpr double scale = 4.0;
    constexpr int device = 3200;
    GradientRenderer gradient;
    gradient.setColor1(RGB(0x14, 0x18, 0x24));
    gradient.setColor2(RGB(0x2C, 0x34, 0x48));
    gradient.setAngle(float(state.range(0)));
    Surface canvas{QSize(size, size), scale};
    QImage image(device, device, QImage::Format_RGB32);
    const PixelBuffer buffer = PixelBuffer::of(image);
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        const double t = threadSecondsOf([&] {
            gradient.Draw(canvas);
            benchmark::DoNotOptimize(canvas.Image().constBits());
        });
        baseline += threadSecondsOf([&] {
            std::vector<PixelPoint> lines;
            std::vector<Colour> colours;
            gradient.sweepPlan(device, device, lines, colours);
            for (size_t i = 0; i + 1 < lines.size(); i += 2)
                walkLine(buffer, lines[i].x, lines[i].y, lines[i + 1].x, lines[i + 1].y, colours[i / 2].toQRgb(),
                         EndPixel::Excluded);
            benchmark::DoNotOptimize(image.constBits());
        });
        ours += t;
        state.SetIterationTime(t);
    }
    state.counters["sweep_ms"] = 1000 * baseline / double(state.iterations());
    state.counters["ratio"] = ours / baseline;
}

// A slide whose code names a 32767 x 32767 gradient area against the same slide over an area of
// its canvas's own size, 800 x 800: replayed from its recipe and drawn into its frame, as an
// export or a favourite's picture does. "ratio" is the large area's time over the small one's;
// the target is at most 1.5.
void BM_SlideOverHugeGradientArea(benchmark::State& state)
{
    const SlideRecipe huge = PatternCode::decode(u"TN180000020000ZZ0C0ZW00007Z005QZZZZZWEW87J").recipe.value();
    SlideRecipe small = huge;
    small.gradient->area = QSize(800, 800);
    const auto drawn = [](const SlideRecipe& recipe) {
        const QImage frame = FrameRenderer(slidePicture(recipe), QSize(800, 800)).render();
        benchmark::DoNotOptimize(frame.constBits());
    };
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        const double t = threadSecondsOf([&] { drawn(huge); });
        baseline += threadSecondsOf([&] { drawn(small); });
        ours += t;
        state.SetIterationTime(t);
    }
    state.counters["area_800_ms"] = 1000 * baseline / double(state.iterations());
    state.counters["ratio"] = ours / baseline;
}

} // namespace

BENCHMARK(BM_SlideOverHugeGradientArea)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DitheredGradientVsSweep)->Arg(0)->Arg(30)->Arg(315)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GradientVsQPainter)->Arg(0)->Arg(315)->UseManualTime()->Unit(benchmark::kMillisecond);
