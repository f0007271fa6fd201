#include "app/widgets/PictureBox.h"

#include <QPaintEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_surface.setObserver(this);
    followRatio();
    followSize();
    // What the surface did before it had an observer is shown by the first paint; from here on
    // each change is told.
    m_surface.takeChanged();
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

void PictureBox::setLogicalSize(QSize logical)
{
    m_logicalSize = logical;
    m_followedSize = QSize();
    followSize();
}

qreal PictureBox::displayScale() const
{
    if (m_logicalSize.isEmpty() || width() == m_logicalSize.width())
        return 1.0;
    return qreal(width()) / m_logicalSize.width();
}

// A widget scaled to another size changes the surface's ratio, not its size: the drawing code
// keeps its coordinates, and the record is drawn afresh at the new ratio.
void PictureBox::followSize() const
{
    const QSize logical = logicalSize();
    if (m_surface.size() != logical)
        m_surface.resize(logical);
    if (size() != m_followedSize) {
        m_followedSize = size();
        m_surface.setDevicePixelRatio(m_screenRatio * displayScale());
    }
}

// Asking the screen costs more than a dot, so the ratio is taken when it can have changed: at
// creation, when shown, resized or painted.
void PictureBox::followRatio() const
{
    m_screenRatio = devicePixelRatioF();
    m_followedSize = size();
    m_surface.setDevicePixelRatio(m_screenRatio * displayScale());
}

void PictureBox::surfaceChanged()
{
    update();
    if (m_noticePending)
        return;
    m_noticePending = true;
    QMetaObject::invokeMethod(this, &PictureBox::tellPictureChanged, Qt::QueuedConnection);
}

void PictureBox::tellPictureChanged()
{
    m_noticePending = false;
    // The surface calls again at its next change even while this box is not painted (covered by a
    // full-screen show, or minimised): a repaint is asked for already.
    m_surface.takeChanged();
    if (m_surface.revision() == m_toldRevision)
        return;
    m_toldRevision = m_surface.revision();
    emit pictureChanged();
}

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
    // Image pixels per widget pixel: the screen's ratio, whatever the display scale.
    const qreal scale = displayScale();
    const qreal ratio = image.devicePixelRatio() / scale;
    const QRect dirty = event->rect();
    const QRectF source(dirty.x() * ratio, dirty.y() * ratio, dirty.width() * ratio, dirty.height() * ratio);
    QPainter p(this);
    // A scaled widget may be a pixel taller than its image, its sides being rounded apart.
    if (scale != 1.0 && !QRectF(0, 0, image.width() / ratio, image.height() / ratio).contains(QRectF(dirty)))
        p.fillRect(dirty, BackColor().toQColor());
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
