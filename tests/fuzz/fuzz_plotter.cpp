// libFuzzer target for one plotter run with arbitrary texts in its five inputs. The input is read
// as UTF-8 and split at line breaks into the divisor, R, r, d and N texts (missing ones are empty,
// the last takes the rest). N is capped at 5000 so one run stays short. The run draws one-pixel
// dots on an 800 x 800 canvas; each check aborts on a broken promise.
#include "tests/CurveFixture.h"
#include "tests/PixelCount.h"

#include "draw/base/Numbers.h"
#include "draw/curves/CurvePlotter.h"

#include <QGuiApplication>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::int32_t maxSteps = 5000;
constexpr CurvePlotter plotters[] = {YellowPlotter, GreenPlotter, BluePlotter, PinkPlotter};

void require(bool condition, const char* what, const FakeCurveControls& controls)
{
    if (condition)
        return;
    std::fprintf(stderr, "broken: %s for divisor \"%s\", R \"%s\", r \"%s\", d \"%s\", N \"%s\"\n", what,
                 qPrintable(controls.divisor), qPrintable(controls.params[0]), qPrintable(controls.params[1]),
                 qPrintable(controls.params[2]), qPrintable(controls.params[3]));
    std::abort();
}

FakeCurveControls& controls()
{
    static FakeCurveControls instance;
    return instance;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList fields = input.split(u'\n');
    auto field = [&](int index) {
        return index < 4 ? fields.value(index) : fields.mid(4).join(u'\n');
    };

    FakeCurveControls& run = controls();
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
    const int dots = countColour(image, plotter.colour.toQRgb());
    const int background = countColour(image, RGB(255, 192, 255).toQRgb());
    require(dots + background == 800 * 800, "a pixel neither background nor dot", run);
    // N may be as low as -2^31: the point count is worked out in 64 bits.
    const std::int64_t points = std::max<std::int64_t>(0, std::int64_t(parameters.lastStep) - 1);
    require(dots <= points, "more dots than points", run);
    if (!parameters.divisor)
        require(dots <= 1, "a divisor that does not convert drew more than one dot", run);
    return 0;
}
