#include "platform/PictureBox.h"

#include <QPaintEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_surface.setWindow(this);
    m_surface.setObserver(this);
    followScreen();
}

PictureBox::~PictureBox() { m_surface.setObserver(nullptr); }

Surface& PictureBox::surface()
{
    followScreen();
    return m_surface;
}

const Surface& PictureBox::surface() const
{
    followScreen();
    return m_surface;
}

void PictureBox::followScreen() const
{
    m_surface.setDevicePixelRatio(devicePixelRatioF());
    m_surface.resize(size());
}

void PictureBox::surfaceChanged() { update(); }

void PictureBox::surfaceRefresh()
{
    if (isVisible() && updatesEnabled())
        repaint();
    else
        update();
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    const Surface& shown = surface();
    m_surface.takeChanged();
    const QImage image = shown.Image();
    const qreal ratio = image.devicePixelRatio();
    const QRect dirty = event->rect();
    const QRectF source(dirty.x() * ratio, dirty.y() * ratio, dirty.width() * ratio, dirty.height() * ratio);
    QPainter p(this);
    p.drawImage(QRectF(dirty), image, source);
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    followScreen();
}
