// One slide-show tick (clear, four presets with their text round trips, 10,076 dots, the pattern
// code) against the same tick with every dot drawn by its own QPainter call.

#include "curves/CurveControls.h"
#include "curves/CurvePlotter.h"
#include "curves/SlideShow.h"
#include "platform/Numbers.h"
#include "platform/Surface.h"
#include "platform/Random.h"

#include <QApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>

namespace {

class BenchControls : public CurveControls
{
public:
    explicit BenchControls(int penWidth)
    {
        canvas.setBackColor(RGB(255, 192, 255));
        canvas.setDrawWidth(penWidth);
        penWidthTextValue = QString::number(penWidth);
    }

    QString divisorText() const override { return QStringLiteral("90"); }
    QString penWidthText() const override { return penWidthTextValue; }
    QString paramText(int index) const override { return params[size_t(index)]; }
    void setParamText(int index, const QString& text) override { params[size_t(index)] = text; }
    void showPatternCode(const QString& code) override { patternCode = code; }
    Surface& curveCanvas() override { return canvas; }

    Surface canvas{QSize(800, 800)};
    std::array<QString, 4> params;
    QString penWidthTextValue;
    QString patternCode;
};

// The baseline: the same tick, the dots drawn with one QPainter call each.
struct BaselinePreset
{
    float fixedScale, rollingScale, penHoleScale;
    const char* stepCount;
    const CurvePlotter* plotter;
};

constexpr BaselinePreset baselinePresets[] = {
    {380.0f, 260.0f, 100.0f, "2880", &YellowPlotter},
    {200.0f, 140.0f, 100.0f, "2880", &GreenPlotter},
    {340.0f, 180.0f, 80.0f, "1440", &BluePlotter},
    {460.0f, 320.0f, 40.0f, "2880", &PinkPlotter},
};

void baselineTick(BenchControls& controls, QImage& image, int& penWidth)
{
    image.fill(qRgb(255, 192, 255));
    for (const BaselinePreset& preset : baselinePresets) {
        controls.setParamText(0, numberToText(toSingle(RandomSource::next() * preset.fixedScale)));
        const float rolling = toSingle(RandomSource::next() * preset.rollingScale);
        controls.setParamText(1, numberToText(toSingle(rolling + 1.0f)));
        controls.setParamText(2, numberToText(toSingle(RandomSource::next() * preset.penHoleScale)));
        controls.setParamText(3, QString::fromLatin1(preset.stepCount));
        QPainter painter(&image);
        painter.setPen(QPen(preset.plotter->colour.toQColor(), penWidth, Qt::SolidLine, Qt::RoundCap));
        traceCurve(readCurveParameters(controls), preset.plotter->phase, [&](float x, float y) {
            painter.drawPoint(QPoint(int(roundHalfEven(x)), int(roundHalfEven(y))));
        });
    }
    if (const auto width = textToInt16(controls.penWidthText()); width && *width >= 1)
        penWidth = *width;
    controls.showPatternCode(patternCode(controls));
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double baselineSecondsPerTick(int penWidth)
{
    BenchControls controls(penWidth);
    QImage image(800, 800, QImage::Format_RGB32);
    int width = penWidth;
    int ticks = 0;
    const auto start = std::chrono::steady_clock::now();
    while (ticks < 3 || secondsSince(start) < 0.5) {
        RandomSource::reset();
        baselineTick(controls, image, width);
        ++ticks;
    }
    return secondsSince(start) / ticks;
}

void BM_SlideShowTick(benchmark::State& state)
{
    const int penWidth = int(state.range(0));
    const double baseline = baselineSecondsPerTick(penWidth);
    BenchControls controls(penWidth);
    std::int64_t ticks = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        RandomSource::reset(); // both sides draw the same four curves
        slideShowTick(controls);
        // The pixels, not only the record: dots reach the image when it is read.
        benchmark::DoNotOptimize(controls.canvas.Image().constBits());
        benchmark::DoNotOptimize(controls.patternCode.data());
        ++ticks;
    }
    const double tick = secondsSince(start) / double(ticks);
    state.counters["tick_ms"] = tick * 1e3;
    state.counters["qpainter_tick_ms"] = baseline * 1e3;
    state.counters["ratio"] = baseline / tick;
}

} // namespace

BENCHMARK(BM_SlideShowTick)->Arg(1)->Arg(4)->Arg(12)->Unit(benchmark::kMillisecond);
