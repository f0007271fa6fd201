#include "draw/curves/CurvePlotter.h"

#include "draw/base/Numbers.h"
#include "draw/curves/CurveControls.h"
#include "draw/curves/CurveSlide.h"
#include "draw/surface/Surface.h"

CurveParameters readCurveParameters(const CurveControls& controls)
{
    CurveParameters p;
    p.divisor = textToNumber(controls.divisorText());
    p.lastStep = textToInt32(controls.paramText(3)).value_or(0);
    p.penHole = textToInt32(controls.paramText(2)).value_or(0);
    p.rolling = textToInt32(controls.paramText(1)).value_or(0);
    p.fixed = textToInt32(controls.paramText(0)).value_or(0);
    return p;
}

CurveRun plotCurve(CurveControls& controls, const CurvePlotter& plotter)
{
    const CurveParameters parameters = readCurveParameters(controls);
    Surface& canvas = controls.curveCanvas();
    const Colour colour = plotter.colour;
    const int diameter = canvas.DrawWidth();
    traceCurve(parameters, plotter.phase, [&](float x, float y) { canvas.PSet(x, y, colour); });
    return CurveRun{parameters, plotter, diameter};
}
