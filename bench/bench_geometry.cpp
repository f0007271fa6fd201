#include "ThreadTime.h"

#include "app/geometric/GeometricDesigner.h"
#include "app/widgets/PictureBox.h"
#include "draw/base/Numbers.h"
#include "draw/base/Random.h"
#include "draw/stars/StarGeometry.h"

#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

// One geometric slide (clear, random background, five random figures at width 9 on the 609 x 609
// pixel box, pattern code) against, in the same benchmark, the same figures drawn with one
// QPainter line call per edge.

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

// The same slides drawn with one QPainter line call per edge: the image filled, each figure's
// vertices computed by the program's geometry.
void drawWithQPainter(QImage& image, const Slide& slide, std::vector<PixelPoint>& vertices)
{
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
}

// "speedup" is the QPainter slide's time over the designer's tick.
void BM_GeometricTickVsQPainter(benchmark::State& state)
{
    const std::vector<Slide> slides = replaySlides();
    GeometricDesigner form;
    form.showTimer->stop();
    form.lineWidthBox->setEditText(QStringLiteral("9"));
    QImage image(609, 609, QImage::Format_RGB32);
    std::vector<PixelPoint> vertices(99);
    RandomSource::reset();
    size_t tick = 0;
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        if (tick == slides.size()) {
            RandomSource::reset();
            tick = 0;
        }
        const double t = threadSecondsOf([&] { form.onShowTimer(); });
        baseline += threadSecondsOf([&] { drawWithQPainter(image, slides[tick], vertices); });
        benchmark::DoNotOptimize(image.constBits());
        ++tick;
        ours += t;
        state.SetIterationTime(t);
    }
    state.counters["qpainter_us"] = 1e6 * baseline / double(state.iterations());
    state.counters["speedup"] = baseline / ours;
}
BENCHMARK(BM_GeometricTickVsQPainter)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
