#include "app/widgets/WindowScaler.h"

#include "app/widgets/FramedPlacement.h"
#include "app/widgets/PictureBox.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QScreen>
#include <QWidget>

namespace {

bool fitScreen = false;

// Controls whose children are placed by the program, not parts the control lays out itself (as a
// combo box its text box, or a text view its scroll bars).
bool holdsControls(const QWidget* widget)
{
    const QMetaObject* type = widget->metaObject();
    return qobject_cast<const PictureBox*>(widget) || qobject_cast<const QGroupBox*>(widget)
           || type == &QWidget::staticMetaObject || type == &QFrame::staticMetaObject;
}

} // namespace

void setWindowsFitScreen(bool fit) { fitScreen = fit; }

bool windowsFitScreen() { return fitScreen; }

WindowScaler::WindowScaler(QWidget* window) : QObject(window), m_window(window), m_base(window->size())
{
    setObjectName(QStringLiteral("windowScaler"));
    record(window);
    window->installEventFilter(this);
}

WindowScaler* WindowScaler::of(const QWidget* window)
{
    return window ? window->findChild<WindowScaler*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void WindowScaler::record(QWidget* parent)
{
    for (QWidget* widget : parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (widget->isWindow())
            continue;
        m_controls.push_back(Control{widget, widget->geometry(), widget->font(), widget->testAttribute(Qt::WA_SetFont),
                                     widget->contentsMargins(), parent == m_window});
        // A canvas keeps drawing at its size as built, at any scale.
        if (auto* canvas = qobject_cast<PictureBox*>(widget))
            canvas->setLogicalSize(widget->size());
        if (holdsControls(widget))
            record(widget);
    }
}

bool WindowScaler::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::Resize && !m_window->size().isEmpty())
            apply(ContentScale::fit(m_window->size(), m_base));
        else if (event->type() == QEvent::Show && !event->spontaneous() && windowsFitScreen())
            // Fitted at once by the frame another window has, and again by its own once known.
            placeOnceFramed(m_window, [this] { fitToScreen(); });
    }
    return QObject::eventFilter(watched, event);
}

void WindowScaler::apply(const ContentScale& scale)
{
    if (scale == m_applied)
        return;
    const bool fontsChange = scale.factor != m_applied.factor;
    m_applied = scale;
    for (const Control& control : m_controls) {
        QWidget* widget = control.widget;
        if (!widget)
            continue;
        if (fontsChange) {
            // Back at the base size an inherited font is inherited again.
            widget->setFont(scale.factor == 1.0 && !control.ownFont ? QFont() : scale.scaled(control.font));
            widget->setContentsMargins(scale.scaled(control.margins));
            // A combo box's list inherits the box's font; it stays as it was, set wholly.
            if (auto* combo = qobject_cast<QComboBox*>(widget)) {
                QFont list = control.font;
                list.setResolveMask(scale.factor == 1.0 ? 0 : QFont::AllPropertiesResolved);
                combo->view()->window()->setFont(list);
            }
        }
        widget->setGeometry(control.inClientArea ? scale.placed(control.geometry) : scale.scaled(control.geometry));
    }
}

void WindowScaler::fitToScreen()
{
    if (!windowsFitScreen() || (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)))
        return;
    const QScreen* screen = m_window->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize extra = frameExtra(m_window);
    const QSize room = available.size() - extra;
    if (m_window->width() <= room.width() && m_window->height() <= room.height())
        return;
    m_window->resize(clientFittedUniformly(m_base, extra, available.size()));
    // Shrunk towards its top-left corner, the frame may still reach past the area. Before it is
    // framed the window manager has not placed it yet.
    if (isFramed(m_window))
        m_window->move(keptInside(QRect(m_window->frameGeometry().topLeft(), m_window->size() + extra), available));
}
