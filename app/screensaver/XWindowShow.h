#pragma once

#include "draw/pattern/SlideRecipe.h"

#include <QString>

// Where the show goes: an X window named by its id, or the screensaver's window (the one the
// XSCREENSAVER_WINDOW environment variable names, else the root window).
struct XWindowTarget
{
    QString windowId; // "0x1e00007" or decimal; empty for the screensaver's window
};

// Runs a window's slide show inside an X window that another program owns, as a screensaver: each
// slide drawn afresh at the window's size (fitted and centred on its background, covering the
// window), following its resizes and exposures. It opens no window of its own, grabs nothing and
// takes no focus, so it needs no window manager. Returns the exit status: 0 when stopped by
// SIGTERM or SIGINT or when the window goes away, 1 (after one line saying why) when it cannot
// start.
int runXWindowShow(PatternWindow window, const XWindowTarget& target);

// A window id as X programs write it: hexadecimal with 0x, or decimal; none for anything else.
std::optional<quint32> parseWindowId(const QString& text);
