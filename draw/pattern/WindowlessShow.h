#pragma once

#include "draw/base/Random.h"
#include "draw/pattern/SlideRecipe.h"
#include "draw/surface/Surface.h"

#include <QString>

#include <memory>

class PictureSource;
class PlainCurveControls;

// A window's slide show without the window: each step draws the next slide as the window's timer
// does, with the window's own starting choices (the first category and dot size 5 for the curves,
// line width 9 for the geometric designer), on a canvas and random stream of its own. For showing
// the show where no window is, such as inside a screensaver's window.
class WindowlessShow
{
public:
    explicit WindowlessShow(PatternWindow window, RandomStream random = RandomStream());
    ~WindowlessShow();
    WindowlessShow(const WindowlessShow&) = delete;
    WindowlessShow& operator=(const WindowlessShow&) = delete;

    PatternWindow window() const { return m_window; }
    // Draws the next slide; its picture (immutable, drawn again at any size).
    std::shared_ptr<const PictureSource> next();
    // The short code the window would show beside the slide.
    const QString& shownCode() const { return m_code; }

private:
    PatternWindow m_window;
    RandomStream m_random;
    Surface m_canvas;
    std::unique_ptr<PlainCurveControls> m_controls;
    QString m_code;
};
