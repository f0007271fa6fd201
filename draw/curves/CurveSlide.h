#pragma once

#include "draw/base/Colour.h"
#include "draw/curves/CurvePlotter.h"
#include "draw/surface/SurfaceBackground.h"

#include <QString>

#include <array>
#include <cstdint>


// What one slide of the main window's show was drawn from: the background it was drawn on, the
// random state its draws began at, the four runs and its pattern code. A slide is kept and drawn
// again by its recipe (see recipeOf), never from these.
struct CurveSlide
{
    SurfaceBackground background;
    Colour backColour; // the canvas colour as set, which may name a system colour
    std::uint32_t randomState = 0;
    std::array<CurveRun, 4> runs;
    QString code;
};
