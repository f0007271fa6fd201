#include "draw/curves/CurveSlide.h"

#include "draw/curves/CurveControls.h"
#include "draw/surface/Surface.h"

void redrawCurveSlide(const CurveSlide& slide, Surface& canvas)
{
    const int width = canvas.DrawWidth();
    slide.background.restoreOn(canvas);
    for (const CurveRun& run : slide.runs) {
        canvas.setDrawWidth(run.diameter);
        const Colour colour = run.plotter.colour;
        traceCurve(run.parameters, run.plotter.phase, [&](float x, float y) { canvas.PSet(x, y, colour); });
    }
    canvas.setDrawWidth(width);
}

void showCurveSlideTexts(const CurveSlide& slide, CurveControls& controls)
{
    for (int index = 0; index < 4; ++index)
        controls.setParamText(index, slide.paramTexts[size_t(index)]);
    controls.showPatternCode(slide.code);
}
