#include "curves/SlideShow.h"

#include "curves/CurveControls.h"
#include "curves/StylePresets.h"
#include "platform/Numbers.h"
#include "platform/Surface.h"

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

void slideShowTick(CurveControls& controls)
{
    controls.curveCanvas().Cls();
    runStylePreset(controls, CurveStyle::One);
    runStylePreset(controls, CurveStyle::Two);
    runStylePreset(controls, CurveStyle::Three);
    runStylePreset(controls, CurveStyle::Four);
    applyPenWidth(controls);
    controls.showPatternCode(patternCode(controls));
}
