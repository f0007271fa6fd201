#pragma once

#include "draw/pattern/SlideRecipe.h"

#include <QMetaObject>
#include <QString>

#include <functional>

class CanvasMenu;
class QObject;

// A pattern window as the pattern service drives it: it shows any slide from its recipe, names
// the slide on its canvas by its full code, and has the canvas menu whose requests reach beyond it.
class SlideShowWindow
{
public:
    virtual ~SlideShowWindow() = default;

    // Draws the slide, pauses the show and keeps the slide as the newest of the window's history.
    virtual void showRecipe(const SlideRecipe& recipe) = 0;
    // The full code of the slide on the canvas; empty when the canvas shows anything else.
    virtual QString shownFullCode() const = 0;
    virtual CanvasMenu* patternMenu() const = 0;
    // Calls handler each time the user presses play in the window, until the window or context goes.
    virtual QMetaObject::Connection onShowResumed(QObject* context, std::function<void()> handler) = 0;
};
