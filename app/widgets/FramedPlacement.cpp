#include "app/widgets/FramedPlacement.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

constexpr int pollMs = 20;
constexpr int giveUpMs = 3000;

QSize extraOf(const QWidget* window)
{
    const QSize extra = window->frameGeometry().size() - window->size();
    // Qt rounds each side of the frame to whole logical pixels: on a screen of fractional ratio
    // the frame may be most of a pixel larger each way.
    const qreal ratio = window->devicePixelRatioF();
    return ratio == std::floor(ratio) ? extra : extra + QSize(1, 1);
}

} // namespace

bool isFramed(const QWidget* window) { return window->frameGeometry() != window->geometry(); }

QSize frameExtra(const QWidget* window)
{
    if (isFramed(window))
        return extraOf(window);
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != window && other->isVisible() && (other->windowType() == Qt::Window || other->windowType() == Qt::Dialog)
            && isFramed(other))
            return extraOf(other);
    return QSize(0, 0);
}

QPoint keptInside(const QRect& frame, const QRect& area)
{
    const int left = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
    const int top = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
    return QPoint(left, top);
}

void placeOnceFramed(QWidget* window, std::function<void()> place)
{
    place();
    if (isFramed(window))
        return;
    // Qt learns the frame from the window manager a little after the window is shown; no event
    // tells the widget, so look for it for a short while.
    auto* timer = new QTimer(window);
    const QDeadlineTimer deadline(giveUpMs);
    QObject::connect(timer, &QTimer::timeout, window, [window, timer, deadline, place = std::move(place)] {
        const bool framed = isFramed(window);
        if (framed)
            place();
        if (framed || deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(pollMs);
}
