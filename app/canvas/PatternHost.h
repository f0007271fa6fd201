#pragma once

#include "draw/pattern/SlideRecipe.h"

#include <QString>

class CanvasMenu;

// A window that shows a slide show of patterns: it can show any slide from its recipe and names
// the slide on its canvas by its full code.
class PatternHost
{
public:
    virtual ~PatternHost() = default;

    // Draws the slide, pauses the show and keeps the slide as the newest of the window's history.
    virtual void showRecipe(const SlideRecipe& recipe) = 0;
    // The full code of the slide on the canvas; empty when the canvas shows anything else.
    virtual QString shownFullCode() const = 0;
    virtual CanvasMenu* patternMenu() const = 0;
};
