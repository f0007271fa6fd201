#include "draw/curves/StylePresets.h"

#include "draw/base/Numbers.h"
#include "draw/base/Random.h"
#include "draw/curves/CurveControls.h"
#include "draw/curves/CurvePlotter.h"
#include "draw/curves/CurveSlide.h"

namespace {

struct PresetRow
{
    float fixedScale;   // box 0: rho * scale
    float rollingScale; // box 1: rho * scale + 1
    float penHoleScale; // box 2: rho * scale
    const char16_t* stepCount;
    const CurvePlotter* plotter;
};

constexpr PresetRow presetRows[] = {
    {380.0f, 260.0f, 100.0f, u"2880", &YellowPlotter},
    {200.0f, 140.0f, 100.0f, u"2880", &GreenPlotter},
    {340.0f, 180.0f, 80.0f, u"1440", &BluePlotter},
    {460.0f, 320.0f, 40.0f, u"2880", &PinkPlotter},
};

} // namespace

const CurvePlotter& writeStyleParameters(CurveControls& controls, CurveStyle style, RandomStream& random)
{
    const PresetRow& row = presetRows[static_cast<int>(style)];
    // Each product (plus 1) is narrowed to single precision before it becomes text.
    const float fixed = toSingle(random.next() * row.fixedScale);
    controls.setParamText(0, numberToText(fixed));
    const float rollingProduct = toSingle(random.next() * row.rollingScale);
    const float rolling = toSingle(rollingProduct + 1.0f);
    controls.setParamText(1, numberToText(rolling));
    const float penHole = toSingle(random.next() * row.penHoleScale);
    controls.setParamText(2, numberToText(penHole));
    controls.setParamText(3, QString::fromUtf16(row.stepCount));
    return *row.plotter;
}

CurveRun runStylePreset(CurveControls& controls, CurveStyle style, RandomStream& random)
{
    return plotCurve(controls, writeStyleParameters(controls, style, random));
}

CurveRun runStylePreset(CurveControls& controls, CurveStyle style)
{
    return runStylePreset(controls, style, RandomSource::stream());
}
