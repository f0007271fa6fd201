#include "app/widgets/FramedPlacement.h"

#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {

constexpr int pollMs = 20;
constexpr int giveUpMs = 3000;

} // namespace

bool isFramed(const QWidget* window) { return window->frameGeometry() != window->geometry(); }

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
