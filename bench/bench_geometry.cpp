#include "geometry/Form11.h"
#include "geometry/Module1.h"
#include "platform/Numbers.h"
#include "platform/PictureBox.h"
#include "platform/Random.h"

#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <vector>

// One geometric slide (clear, random background, five random figures at width 9 on the 609 x 609
// pixel box, pattern code) against the same figures drawn with one QPainter line call per edge.

namespace {

constexpr int ticksPerRound = 64;

struct Figure
{
    int corner = 0;
    int size = 0;
    std::int16_t points = 3;
    QRgb colour = 0;
};

struct Slide
{
    QRgb background = 0;
    std::array<Figure, 5> figures;
};

int channel(float draw) { return int(roundHalfEven(230.0 * draw)); }

// The slides the tick draws from the start of the random source, in the tick's order of draws.
std::vector<Slide> replaySlides()
{
    RandomSource::reset();
    std::vector<Slide> slides(ticksPerRound);
    for (Slide& slide : slides) {
        const float r1 = RandomSource::next(), r2 = RandomSource::next(), r3 = RandomSource::next();
        slide.background = qRgb(channel(r1), channel(r2), channel(r3));
        for (int i = 0; i < 5; ++i) {
            Figure& figure = slide.figures[i];
            figure.corner = 200 + 1000 * i;
            figure.size = 8600 - 2000 * i;
            figure.points = std::int16_t(roundHalfEven(99.0 * RandomSource::next()));
            const float q2 = RandomSource::next(), q3 = RandomSource::next(), q4 = RandomSource::next();
            figure.colour = qRgb(channel(q2), channel(q3), channel(q4));
        }
        RandomSource::next();
    }
    RandomSource::reset();
    return slides;
}

double g_tickNanoseconds = 0;

double nanosecondsSince(std::chrono::steady_clock::time_point start, benchmark::IterationCount iterations)
{
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::nano>(elapsed).count() / double(iterations);
}

void BM_GeometricTick(benchmark::State& state)
{
    Form11 form;
    form.Timer1->stop();
    form.Combo1->setEditText(QStringLiteral("9"));
    RandomSource::reset();
    int tick = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (++tick == ticksPerRound) {
            RandomSource::reset();
            tick = 0;
        }
        form.Timer1_Timer();
    }
    g_tickNanoseconds = nanosecondsSince(start, state.iterations());
}
BENCHMARK(BM_GeometricTick)->Unit(benchmark::kMicrosecond);

// The same slides: the image filled, each figure's vertices computed as the tick does, and every
// edge drawn with its own QPainter call.
void BM_GeometricTickPainterBaseline(benchmark::State& state)
{
    const std::vector<Slide> slides = replaySlides();
    QImage image(609, 609, QImage::Format_RGB32);
    std::vector<PixelPoint> vertices(99);
    size_t next = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const Slide& slide = slides[next];
        next = (next + 1) % slides.size();
        image.fill(slide.background);
        QPainter painter(&image);
        for (const Figure& figure : slide.figures) {
            painter.setPen(QPen(QColor::fromRgb(figure.colour), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            const StarDecomposition shape = decomposePointCount(figure.points);
            const auto ellipse = starEllipse(figure.corner, figure.corner, figure.size, figure.size);
            for (int copy = 0; copy < shape.copies(); ++copy) {
                starCopyVertices(*ellipse, shape, copy, 15, 15, vertices.data());
                for (int i = 0; shape.m > 1 && i < shape.m; ++i) {
                    const PixelPoint a = vertices[i], b = vertices[(i + 1) % shape.m];
                    painter.drawLine(a.x, a.y, b.x, b.y);
                }
            }
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    const double baseline = nanosecondsSince(start, state.iterations());
    state.counters["tick_over_baseline"] = baseline > 0 ? g_tickNanoseconds / baseline : 0;
}
BENCHMARK(BM_GeometricTickPainterBaseline)->Unit(benchmark::kMicrosecond);

} // namespace
