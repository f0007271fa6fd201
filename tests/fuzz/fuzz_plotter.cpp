// libFuzzer target for one plotter run with arbitrary texts in its five inputs. The input is read
// as UTF-8 and split at line breaks into the divisor, R, r, d and N texts (missing ones are empty,
// the last takes the rest). N is capped at 5000 so one run stays short. The run draws one-pixel
// dots on an 800 x 800 canvas; each check aborts on a broken promise.
#include "curves/CurveControls.h"
#include "curves/CurvePlotter.h"
#include "platform/Numbers.h"
#include "platform/Surface.h"

#include <QApplication>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::int32_t maxSteps = 5000;
constexpr CurvePlotter plotters[] = {YellowPlotter, GreenPlotter, BluePlotter, PinkPlotter};

class FuzzControls : public CurveControls
{
public:
    FuzzControls()
    {
        canvas.setBackColor(RGB(255, 192, 255));
        canvas.setDrawWidth(1);
    }

    QString divisor;
    std::array<QString, 4> params; // R, r, d, N
    Surface canvas{QSize(800, 800)};

    QString divisorText() const override { return divisor; }
    QString penWidthText() const override { return QStringLiteral("1"); }
    QString paramText(int index) const override { return params[size_t(index)]; }
    void setParamText(int index, const QString& text) override { params[size_t(index)] = text; }
    void showPatternCode(const QString&) override {}
    Surface& curveCanvas() override { return canvas; }
};

void require(bool condition, const char* what, const FuzzControls& controls)
{
    if (condition)
        return;
    std::fprintf(stderr, "broken: %s for divisor \"%s\", R \"%s\", r \"%s\", d \"%s\", N \"%s\"\n", what,
                 qPrintable(controls.divisor), qPrintable(controls.params[0]), qPrintable(controls.params[1]),
                 qPrintable(controls.params[2]), qPrintable(controls.params[3]));
    std::abort();
}

struct PixelCounts
{
    int dots = 0;
    int background = 0;
};

// Kept out of the coverage feedback and the address checks: the scan is the check, not code under
// test, and instrumenting its 640,000 comparisons would cost most of each run.
__attribute__((no_sanitize("coverage", "address"))) PixelCounts countPixels(const QImage& image, QRgb dot, QRgb background)
{
    PixelCounts counts;
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = row[x] & 0xFFFFFF;
            counts.dots += pixel == (dot & 0xFFFFFF);
            counts.background += pixel == (background & 0xFFFFFF);
        }
    }
    return counts;
}

FuzzControls& controls()
{
    static FuzzControls instance;
    return instance;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList fields = input.split(u'\n');
    auto field = [&](int index) {
        return index < 4 ? fields.value(index) : fields.mid(4).join(u'\n');
    };

    FuzzControls& run = controls();
    run.divisor = field(0);
    for (int index = 0; index < 4; ++index)
        run.params[size_t(index)] = field(index + 1);
    if (const auto n = textToInt32(run.params[3]); n && *n > maxSteps)
        run.params[3] = integerToText(maxSteps);

    const CurveParameters parameters = readCurveParameters(run);
    const CurvePlotter& plotter = plotters[size % 4];
    run.canvas.Cls();
    plotCurve(run, plotter);

    const QImage image = run.canvas.Image();
    require(image.size() == QSize(800, 800), "canvas changed its size", run);
    const PixelCounts counts = countPixels(image, plotter.colour.toQRgb(), RGB(255, 192, 255).toQRgb());
    require(counts.dots + counts.background == 800 * 800, "a pixel neither background nor dot", run);
    require(counts.dots <= std::max(0, parameters.lastStep - 1), "more dots than points", run);
    if (!parameters.divisor)
        require(counts.dots <= 1, "a divisor that does not convert drew more than one dot", run);
    return 0;
}
