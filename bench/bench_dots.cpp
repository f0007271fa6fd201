// The dots of one slide-show tick: four hypotrochoid clouds of 2879, 2879, 1439 and 2879 points on
// an 800 x 800 canvas, drawn with PictureBox::PSet and, as the baseline, with one QPainter call per
// dot. Each PSet row reports "vs_QPainter", the baseline's time over its own, measured in the same
// run (the baseline rows run first).

#include "platform/PictureBox.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>

#include <cmath>
#include <ctime>
#include <map>
#include <vector>

namespace {

struct Dot
{
    float x;
    float y;
    Colour colour;
};

struct Curve
{
    int lastStep;
    int R;
    int r;
    int d;
    double phase;
    Colour colour;
};

// The coordinates, computed once outside the timed loops, with the plotter's arithmetic.
const std::vector<Dot>& tickDots()
{
    static const std::vector<Dot> dots = [] {
        const Curve curves[] = {
            {2880, 250, 73, 120, 5.0, RGB(250, 250, 0)},
            {2880, 300, 110, 90, 0.0, RGB(0, 250, 0)},
            {1440, 200, 47, 150, 0.0, RGB(0, 0, 250)},
            {2880, 280, 95, 100, 0.0, RGB(250, 30, 130)},
        };
        std::vector<Dot> result;
        const float step = static_cast<float>(3.14159265358979 / 90);
        for (const Curve& c : curves) {
            for (int i = 2; i <= c.lastStep; ++i) {
                const float t = static_cast<float>(double(step) * i);
                const float u = static_cast<float>(double(c.R) / c.r * t + c.phase);
                const int k = c.R - c.r;
                const float x = static_cast<float>(k * std::cos(t) + c.d * std::cos(double(u) - t) + 400);
                const float y = static_cast<float>(k * std::sin(t) - c.d * std::sin(double(u) - t) + 400);
                result.push_back({x, y, c.colour});
            }
        }
        return result;
    }();
    return dots;
}

// Seconds per tick of the baseline, by pen width.
std::map<int, double>& baselineSeconds()
{
    static std::map<int, double> seconds;
    return seconds;
}

// CPU time of this thread, so that other work on a busy machine does not skew the ratio.
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

void BM_DotsQPainter(benchmark::State& state)
{
    const int width = int(state.range(0));
    const std::vector<Dot>& dots = tickDots();
    QImage image(800, 800, QImage::Format_RGB32);
    image.fill(qRgb(255, 192, 255));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    const double start = threadSeconds();
    for (auto _ : state) {
        for (const Dot& dot : dots) {
            pen.setColor(dot.colour.toQColor());
            painter.setPen(pen);
            painter.drawPoint(QPointF(dot.x, dot.y));
        }
        benchmark::ClobberMemory();
    }
    baselineSeconds()[width] = (threadSeconds() - start) / double(state.iterations());
    state.SetItemsProcessed(state.iterations() * std::int64_t(dots.size()));
}

void BM_DotsPSet(benchmark::State& state)
{
    const int width = int(state.range(0));
    const std::vector<Dot>& dots = tickDots();
    PictureBox canvas;
    canvas.resize(800, 800);
    canvas.setBackColor(RGB(255, 192, 255));
    canvas.setDrawWidth(width);

    const double start = threadSeconds();
    for (auto _ : state) {
        for (const Dot& dot : dots)
            canvas.PSet(dot.x, dot.y, dot.colour);
        // The dots reach the pixels when the image is read.
        benchmark::DoNotOptimize(canvas.Image().constBits());
        benchmark::ClobberMemory();
    }
    const double ours = (threadSeconds() - start) / double(state.iterations());
    state.SetItemsProcessed(state.iterations() * std::int64_t(dots.size()));
    if (const auto baseline = baselineSeconds().find(width); baseline != baselineSeconds().end())
        state.counters["vs_QPainter"] = baseline->second / ours;
    else
        state.SetLabel("run BM_DotsQPainter too for the ratio");
}

} // namespace

BENCHMARK(BM_DotsQPainter)->Arg(1)->Arg(4)->Arg(12)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DotsPSet)->Arg(1)->Arg(4)->Arg(12)->Unit(benchmark::kMicrosecond);
