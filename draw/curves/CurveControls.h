#pragma once

#include <QString>

class Surface;

// What the curve engine reads and writes of the main window: the step divisor (Combo1), the pen
// width list (Combo2), the four parameter boxes (txtParam), the pattern code label (Label7) and
// the canvas (picOutput). Tests drive the engine through a plain implementation of it.
class CurveControls
{
public:
    virtual ~CurveControls() = default;

    virtual QString divisorText() const = 0;
    virtual QString penWidthText() const = 0;
    virtual QString paramText(int index) const = 0;
    virtual void setParamText(int index, const QString& text) = 0;
    virtual void showPatternCode(const QString& code) = 0;
    virtual Surface& curveCanvas() = 0;
};
