#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

// True once the window manager has put a frame round the window and Qt knows its size.
bool isFramed(const QWidget* window);

// What the frame adds to the window's size, never less (a pixel more each way on a screen of
// fractional ratio, for Qt's rounding). Before the window is framed, that of another framed
// window of the program, which the window manager most likely frames alike; none without one.
QSize frameExtra(const QWidget* window);

// The frame's top-left corner moved as little as needed for the frame to lie wholly inside the
// area; a frame larger than the area starts at the area's top-left corner.
QPoint keptInside(const QRect& frame, const QRect& area);

// Runs place now and, if the window is not framed yet, once more as soon as it is: before the
// window manager frames a window, Qt reports its inner size as its outer size and places its
// inner corner where the frame's corner should go. However long the window manager takes; with
// none, or one that draws no frames, the first placement stands.
void placeOnceFramed(QWidget* window, std::function<void()> place);
