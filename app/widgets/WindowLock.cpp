#include "app/widgets/WindowLock.h"

#include <QPointer>
#include <QWidget>

namespace {
QPointer<QWidget>& locked()
{
    static QPointer<QWidget> window;
    return window;
}
} // namespace

bool GetClientRect(QWidget* window, QRect* rect)
{
    if (!window || !rect)
        return false;
    *rect = QRect(0, 0, window->width(), window->height());
    return true;
}

bool LockWindowUpdate(QWidget* window)
{
    if (!window) {
        if (locked())
            locked()->setUpdatesEnabled(true);
        locked() = nullptr;
        return true;
    }
    if (locked() && locked() != window)
        return false;
    locked() = window;
    window->setUpdatesEnabled(false);
    return true;
}

QWidget* lockedWindow() { return locked(); }
