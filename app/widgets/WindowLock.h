#pragma once

#include <QRect>

class QWidget;

// The client rectangle of a window, (0, 0) to (width, height) in pixels; false for no window.
bool GetClientRect(QWidget* window, QRect* rect);

// Suspends painting of one window until called with nullptr. Only one window is locked at a time:
// locking another fails while one is locked.
bool LockWindowUpdate(QWidget* window);

// The window whose painting is suspended now, if any.
QWidget* lockedWindow();
