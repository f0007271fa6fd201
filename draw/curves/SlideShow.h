#pragma once

#include "draw/curves/CurveSlide.h"

#include <QString>

class CurveControls;
class RandomStream;

// The pattern code: "QRV", the divisor text, the pen width text and the four parameter texts.
QString patternCode(const CurveControls& controls);

// One slide (Timer1_Timer): draw it, take the pen width for the next slide from the pen width
// text, and show the pattern code. Returns the slide's inputs. The draws come from the given
// stream, by default the program's.
CurveSlide slideShowTick(CurveControls& controls);
CurveSlide slideShowTick(CurveControls& controls, RandomStream& random);

// The drawing of a slide alone: clear the canvas and run the four presets with the canvas's pen
// width; the pen width and the code are left as they are.
CurveSlide drawCurveSlide(CurveControls& controls, RandomStream& random);
