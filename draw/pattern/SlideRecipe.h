#pragma once

#include "draw/base/Colour.h"
#include "draw/base/Random.h"
#include "draw/gradient/GradientPicture.h"

#include <cstdint>
#include <optional>

// The window whose canvas a slide belongs to.
enum class PatternWindow { Curves, Geometric };

// A slide as a value: everything its picture is drawn from. The random draws are not kept, only
// the state of the stream before the first, so the slide's own draws can be made again.
struct SlideRecipe
{
    PatternWindow window = PatternWindow::Curves;
    std::uint32_t randomState = RandomStream::startState;
    // The dot diameter (curves) or line width (geometric) in force while the slide was drawn.
    int width = 1;
    // Curves: the step divisor the category text gave; none when that text was no number.
    std::optional<double> divisor;
    // Curves: the canvas colour. A geometric slide draws its own from the random state.
    Colour backColour = RGB(0, 0, 0);
    // The gradient picture under the slide, if any.
    std::optional<GradientRecipe> gradient;

    friend bool operator==(const SlideRecipe&, const SlideRecipe&) = default;
};
