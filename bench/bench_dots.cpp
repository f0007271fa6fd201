// The dots of one slide-show tick: four hypotrochoid clouds of 2879, 2879, 1439 and 2879 points on
// an 800 x 800 canvas, drawn with PictureBox::PSet and, in the same benchmark, with one QPainter
// call per dot. "speedup" is the QPainter time over ours.

#include "ThreadTime.h"

#include "app/widgets/PictureBox.h"
#include "draw/curves/CurvePlotter.h"

#include <benchmark/benchmark.h>

#include <QPainter>

#include <vector>

namespace {

struct Dot
{
    float x;
    float y;
    Colour colour;
};

// The coordinates, computed once outside the timed loops by the plotter itself.
const std::vector<Dot>& tickDots()
{
    static const std::vector<Dot> dots = [] {
        struct Curve
        {
            CurveParameters parameters;
            const CurvePlotter* plotter;
        };
        const Curve curves[] = {
            {{90.0, 2880, 120, 73, 250}, &YellowPlotter},
            {{90.0, 2880, 90, 110, 300}, &GreenPlotter},
            {{90.0, 1440, 150, 47, 200}, &BluePlotter},
            {{90.0, 2880, 100, 95, 280}, &PinkPlotter},
        };
        std::vector<Dot> result;
        for (const Curve& curve : curves)
            traceCurve(curve.parameters, curve.plotter->phase,
                       [&](float x, float y) { result.push_back({x, y, curve.plotter->colour}); });
        return result;
    }();
    return dots;
}

void BM_DotsVsQPainter(benchmark::State& state)
{
    const int width = int(state.range(0));
    const std::vector<Dot>& dots = tickDots();
    PictureBox canvas;
    canvas.resize(800, 800);
    canvas.setBackColor(RGB(255, 192, 255));
    canvas.setDrawWidth(width);
    QImage image(800, 800, QImage::Format_RGB32);
    image.fill(qRgb(255, 192, 255));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    double ours = 0, baseline = 0;
    for (auto _ : state) {
        const double t = threadSecondsOf([&] {
            for (const Dot& dot : dots)
                canvas.PSet(dot.x, dot.y, dot.colour);
            // The dots reach the pixels when the image is read.
            benchmark::DoNotOptimize(canvas.Image().constBits());
        });
        baseline += threadSecondsOf([&] {
            for (const Dot& dot : dots) {
                pen.setColor(dot.colour.toQColor());
                painter.setPen(pen);
                painter.drawPoint(QPointF(dot.x, dot.y));
            }
        });
        benchmark::ClobberMemory();
        ours += t;
        state.SetIterationTime(t);
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(dots.size()));
    state.counters["qpainter_us"] = 1e6 * baseline / double(state.iterations());
    state.counters["speedup"] = baseline / ours;
}

} // namespace

BENCHMARK(BM_DotsVsQPainter)->Arg(1)->Arg(4)->Arg(12)->UseManualTime()->Unit(benchmark::kMicrosecond);
