#include "app/widgets/PictureBox.h"

#include <QPaintEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_surface.setObserver(this);
    followRatio();
    followSize();
}

PictureBox::~PictureBox() { m_surface.setObserver(nullptr); }

Surface& PictureBox::surface()
{
    followSize();
    return m_surface;
}

const Surface& PictureBox::surface() const
{
    followSize();
    return m_surface;
}

void PictureBox::followSize() const
{
    if (m_surface.size() != size())
        m_surface.resize(size());
}

// Asking the screen costs more than a dot, so the ratio is taken when it can have changed: at
// creation, when shown, resized or painted.
void PictureBox::followRatio() const { m_surface.setDevicePixelRatio(devicePixelRatioF()); }

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
    followRatio();
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
    followRatio();
    followSize();
}

void PictureBox::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    followRatio();
}
