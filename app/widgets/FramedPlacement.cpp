#include "app/widgets/FramedPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

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

namespace {

// Runs the placement once the window manager's frame is known. Qt learns it a little after the
// window is shown (later still on a busy machine), with no event of its own; but the window
// manager moves, exposes or activates the window as it frames it, and each of those reaches
// the window. Ends when the window hides: its next showing places it afresh.
class FrameWatch final : public QObject
{
public:
    FrameWatch(QWidget* window, std::function<void()> place)
        : QObject(window), m_window(window), m_place(std::move(place))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_window)
            return false;
        switch (event->type()) {
        case QEvent::Hide:
            deleteLater();
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Paint:
        case QEvent::UpdateRequest:
        case QEvent::WindowActivate:
        case QEvent::ActivationChange:
        case QEvent::WindowStateChange:
            if (!m_done && isFramed(m_window)) {
                m_done = true;
                m_window->removeEventFilter(this);
                deleteLater();
                // Placing moves and resizes the window: done after this event is handled.
                QMetaObject::invokeMethod(m_window, m_place, Qt::QueuedConnection);
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    QWidget* m_window;
    std::function<void()> m_place;
    bool m_done = false;
};

} // namespace

void placeOnceFramed(QWidget* window, std::function<void()> place)
{
    place();
    if (isFramed(window))
        return;
    // Watched from the next turn of the event loop: this is often called from inside another of
    // the window's event filters, whose list must not change while Qt walks it.
    QMetaObject::invokeMethod(
        window,
        [window, place = std::move(place)] {
            if (isFramed(window))
                place();
            else
                new FrameWatch(window, place);
        },
        Qt::QueuedConnection);
}
