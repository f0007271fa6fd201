#include "draw/curves/SlideShow.h"

#include "draw/base/Numbers.h"
#include "draw/base/Random.h"
#include "draw/curves/CurveControls.h"
#include "draw/curves/CurveSlide.h"
#include "draw/curves/StylePresets.h"
#include "draw/surface/Surface.h"

namespace {

// A pen width text that is no whole number from 1 to 32767 (empty, letters, 0, negative, too
// large) keeps the previous width, so the slide still finishes.
void applyPenWidth(CurveControls& controls)
{
    const auto width = textToInt16(controls.penWidthText());
    if (width && *width >= 1)
        controls.curveCanvas().setDrawWidth(*width);
}

} // namespace

QString patternCode(const CurveControls& controls)
{
    QString code = QStringLiteral("QRV");
    code += controls.divisorText();
    code += controls.penWidthText();
    for (int index = 0; index < 4; ++index)
        code += controls.paramText(index);
    return code;
}

CurveSlide slideShowTick(CurveControls& controls) { return slideShowTick(controls, RandomSource::stream()); }

CurveSlide drawCurveSlide(CurveControls& controls, RandomStream& random)
{
    CurveSlide slide;
    slide.randomState = random.state();
    controls.curveCanvas().Cls();
    slide.background = controls.curveCanvas().background();
    slide.backColour = controls.curveCanvas().BackColor();
    const CurveStyle styles[] = {CurveStyle::One, CurveStyle::Two, CurveStyle::Three, CurveStyle::Four};
    for (std::size_t run = 0; run < slide.runs.size(); ++run)
        slide.runs[run] = runStylePreset(controls, styles[run], random);
    return slide;
}

CurveSlide slideShowTick(CurveControls& controls, RandomStream& random)
{
    CurveSlide slide = drawCurveSlide(controls, random);
    applyPenWidth(controls);
    slide.code = patternCode(controls);
    controls.showPatternCode(slide.code);
    return slide;
}
