#pragma once

#include "draw/curves/CurvePlotter.h"
#include "draw/surface/SlideBackground.h"

#include <QString>

#include <array>
#include <cstdint>

class CurveControls;
class Surface;

// A main-window slide kept for drawing again: the background, the random state its draws began
// at, the four runs, the parameter texts it left in the boxes and its pattern code. No pixels,
// no dots.
struct CurveSlide
{
    SlideBackground background;
    std::uint32_t randomState = 0;
    std::array<CurveRun, 4> runs;
    std::array<QString, 4> paramTexts;
    QString code;
};

// Draws the slide again on the canvas exactly as it was; the canvas keeps its own pen width.
void redrawCurveSlide(const CurveSlide& slide, Surface& canvas);

// Puts the slide's parameter texts and pattern code back into the controls.
void showCurveSlideTexts(const CurveSlide& slide, CurveControls& controls);
