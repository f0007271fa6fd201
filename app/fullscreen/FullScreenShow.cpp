#include "app/fullscreen/FullScreenShow.h"

#include "app/canvas/CanvasMenu.h"
#include "app/fullscreen/FullScreenSource.h"
#include "draw/output/FrameRenderer.h"
#include "draw/surface/PictureSource.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace {

constexpr int pointerRestMilliseconds = 2000;

const char* const showProperty = "fullScreenShow";

} // namespace

void FullScreenShow::toggle(FullScreenSource& source)
{
    QWidget* window = source.showWindow();
    if (FullScreenShow* shown = of(window)) {
        shown->leave();
        return;
    }
    auto* show = new FullScreenShow(source);
    window->setProperty(showProperty, QVariant::fromValue(static_cast<QObject*>(show)));
    // On the screen the window is on, covering it.
    QScreen* screen = window->screen();
    show->setGeometry(screen->geometry());
    show->winId();
    if (QWindow* handle = show->windowHandle())
        handle->setScreen(screen);
    show->showFullScreen();
    show->activateWindow();
    show->setFocus(Qt::ActiveWindowFocusReason);
}

FullScreenShow* FullScreenShow::of(const QWidget* window)
{
    if (!window)
        return nullptr;
    return qobject_cast<FullScreenShow*>(window->property(showProperty).value<QObject*>());
}

FullScreenShow::FullScreenShow(FullScreenSource& source)
    : QWidget(nullptr, Qt::Window),
      m_source(source),
      m_window(source.showWindow()),
      m_pointerRest(new QTimer(this)),
      m_inhibitor(QStringLiteral("全屏放映图案"))
{
    setObjectName(QStringLiteral("frmFullScreenShow"));
    setWindowTitle(m_window->windowTitle());
    setWindowIcon(m_window->windowIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);

    // The window tells of a new slide, a step, a new background, a pause and a play.
    m_source.watchShown(this, [this] { follow(); });
    m_pointerRest->setObjectName(QStringLiteral("pointerRestTimer"));
    m_pointerRest->setSingleShot(true);
    m_pointerRest->setInterval(pointerRestMilliseconds);
    connect(m_pointerRest, &QTimer::timeout, this, [this] { setCursor(Qt::BlankCursor); });
    m_pointerRest->start();
    // The window going away takes its show with it.
    connect(m_window, &QObject::destroyed, this, &QWidget::close);
    follow();
}

void FullScreenShow::leave() { close(); }

void FullScreenShow::closeEvent(QCloseEvent* event)
{
    m_left = true;
    m_inhibitor.setHeld(false);
    if (m_window && of(m_window) == this)
        m_window->setProperty(showProperty, QVariant());
    emit left();
    QWidget::closeEvent(event);
}

// Takes what the window shows now: a new picture is drawn again, play and pause are followed.
void FullScreenShow::follow()
{
    if (!m_window || m_left)
        return;
    m_inhibitor.setHeld(m_source.showPlaying());
    const std::uint64_t revision = m_source.shownRevision();
    const QString code = m_source.shownCode();
    if (revision == m_revision && code == m_code)
        return;
    m_revision = revision;
    m_code = code;
    m_picture = m_source.shownPicture();
    redraw();
}

void FullScreenShow::redraw()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(qRound(width() * ratio), qRound(height() * ratio));
    if (!m_picture || pixels.isEmpty()) {
        m_frame = QImage();
    } else {
        m_frame = FrameRenderer(m_picture, pixels).render();
        m_frame.setDevicePixelRatio(ratio);
    }
    update();
}

void FullScreenShow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    redraw();
}

void FullScreenShow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_frame.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(QPointF(0, 0), m_frame);
    if (m_code.isEmpty())
        return;
    // The code small in the lower right corner, readable on any background.
    QFont font = this->font();
    font.setPixelSize(std::max(11, height() / 70));
    painter.setFont(font);
    const QRect text = painter.fontMetrics().boundingRect(m_code).adjusted(-6, -3, 6, 3);
    const QRect box(rect().bottomRight() - QPoint(text.width() + 12, text.height() + 12), text.size());
    painter.fillRect(box, QColor(0, 0, 0, 110));
    painter.setPen(QColor(255, 255, 255, 220));
    painter.drawText(box, Qt::AlignCenter, m_code);
}

void FullScreenShow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_F11:
        leave();
        return;
    case Qt::Key_Space:
        m_source.setShowPlaying(!m_source.showPlaying());
        follow();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void FullScreenShow::wakePointer()
{
    unsetCursor();
    m_pointerRest->start();
}

void FullScreenShow::mouseMoveEvent(QMouseEvent* event)
{
    wakePointer();
    QWidget::mouseMoveEvent(event);
}

void FullScreenShow::contextMenuEvent(QContextMenuEvent* event)
{
    wakePointer();
    if (CanvasMenu* menu = m_source.patternMenu())
        menu->openAt(event->globalPos());
}
