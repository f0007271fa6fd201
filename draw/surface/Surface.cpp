#include "draw/surface/Surface.h"

#include "draw/base/Twips.h"
#include "draw/surface/PictureSource.h"
#include "draw/surface/SurfaceSnapshot.h"

#include <QPainter>

Surface::Surface(QSize size, qreal devicePixelRatio) : m_ratio(devicePixelRatio > 0 ? devicePixelRatio : 1.0)
{
    m_background.colour = m_backColor.toQRgb();
    resize(size);
    if (m_image.isNull())
        Cls();
}

QSize Surface::deviceSize() const { return deviceSizeOf(m_size, m_ratio); }

void Surface::resize(QSize size)
{
    size = size.expandedTo(QSize(0, 0));
    if (size == m_size && (!m_image.isNull() || size.isEmpty()))
        return;
    flushDots();
    QImage old = m_image;
    const QSize previous = m_size;
    m_size = size;
    if (size.isEmpty()) {
        m_image = QImage();
        return;
    }
    m_image = QImage(deviceSize(), QImage::Format_RGB32);
    m_image.setDevicePixelRatio(m_ratio);
    RasterPainter(m_image, m_ratio).erase(m_background);
    if (!old.isNull()) {
        old.setDevicePixelRatio(m_image.devicePixelRatio());
        QPainter p(&m_image);
        p.drawImage(0, 0, old);
    }
    if (!m_record->empty()) {
        // The pixels now hold only what both sizes share; a re-render must show the same. The
        // step is already on screen, so it is recorded without drawing.
        writableRecord().steps.emplace_back(RecordedCrop{previous.boundedTo(size), m_background});
        m_drawnSteps = m_record->steps.size();
    }
    pictureChanged();
}

void Surface::setDevicePixelRatio(qreal ratio)
{
    if (ratio <= 0 || ratio == m_ratio)
        return;
    m_ratio = ratio;
    redraw();
}

void Surface::redraw()
{
    m_image = m_size.isEmpty() ? QImage() : QImage(deviceSize(), QImage::Format_RGB32);
    m_image.setDevicePixelRatio(m_ratio);
    m_drawnSteps = 0;
    if (!m_image.isNull()) {
        RasterPainter raster(m_image, m_ratio);
        raster.erase(m_background);
        raster.draw(*m_record, 0, m_record->steps.size(), m_dotOrder, m_mask);
    }
    m_drawnSteps = m_record->steps.size();
    // The same drawing at another ratio: shown anew, but not a change of the picture.
    changed();
}

void Surface::setBackColor(Colour colour)
{
    m_backColor = colour;
    Cls();
}

bool Surface::setDrawWidth(int width)
{
    if (width < 1 || width > maxDrawWidth)
        return false;
    m_drawWidth = width;
    return true;
}

double Surface::ScaleWidth() const
{
    return m_scaleMode == ScaleMode::Twips ? pixelsToTwips(width()) : width();
}

double Surface::ScaleHeight() const
{
    return m_scaleMode == ScaleMode::Twips ? pixelsToTwips(height()) : height();
}

void Surface::setPicture(const QImage& picture, std::shared_ptr<const PictureSource> source)
{
    m_background.picture = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    m_background.source = picture.isNull() ? nullptr : std::move(source);
    Cls();
}

void Surface::setPictureSource(std::shared_ptr<const PictureSource> source)
{
    if (!source) {
        setPicture(QImage());
        return;
    }
    // The part of the picture under the surface; a later, larger size draws the rest from the
    // source when it erases.
    const QSize shown = deviceSizeOf(source->size().boundedTo(m_size.expandedTo(QSize(1, 1))), m_ratio);
    QImage picture(shown, QImage::Format_RGB32);
    // Without room for those pixels, a one-pixel start of them: every erase then draws the rest
    // from the source, so the background is slower to show but never lost.
    if (picture.isNull())
        picture = QImage(1, 1, QImage::Format_RGB32);
    if (!picture.isNull()) {
        picture.fill(m_background.colour);
        source->renderRegion(PixelBuffer::of(picture), m_ratio, QPoint(0, 0), PictureLayers::Whole);
        picture.setDevicePixelRatio(m_ratio);
    }
    setPicture(picture, std::move(source));
}

SurfaceBackground Surface::background() const
{
    SurfaceBackground background{m_backColor.toQRgb(), {}, m_background.source};
    if (!background.source)
        background.picture = m_background.picture;
    return background;
}

void Surface::setBackground(const SurfaceBackground& background)
{
    if (background.source) {
        setPictureSource(background.source);
    } else {
        setPicture(background.picture);
    }
    // A colour that looks the same is left as it is: it may be a reference to a system colour.
    if (m_backColor.toQRgb() != background.colour)
        setBackColor(Colour::fromQRgb(background.colour));
}

bool Surface::showsBackground(const SurfaceBackground& background) const
{
    if (m_backColor.toQRgb() != background.colour || m_background.source != background.source)
        return false;
    return background.source || m_background.picture.cacheKey() == background.picture.cacheKey();
}

QImage Surface::Image() const
{
    flushDots();
    return m_image;
}

void Surface::forgetSteps()
{
    if (m_recordShared) {
        m_record = std::make_shared<DrawingRecord>();
        m_recordShared = false;
    } else {
        m_record->clear();
    }
    m_drawnSteps = 0;
}

void Surface::Cls()
{
    // Whatever was drawn, and any dots still waiting, is covered by the background now.
    forgetSteps();
    m_background.colour = m_backColor.toQRgb();
    if (!m_image.isNull())
        RasterPainter(m_image, m_ratio).erase(m_background);
    pictureChanged();
}

void Surface::PSet(float x, float y, Colour colour)
{
    const int units = m_scaleMode == ScaleMode::Twips ? TwipsPerPixel : 1;
    DrawingRecord& record = writableRecord();
    const auto index = static_cast<std::uint32_t>(record.dots.size());
    record.dots.push_back(RecordedDot{x, y, colour.toQRgb()});
    // Dots not drawn yet extend their run; drawing waits until the pixels are needed.
    if (m_drawnSteps < record.steps.size()) {
        auto* run = std::get_if<DotRun>(&record.steps.back());
        if (run && run->diameter == m_drawWidth && run->unitsPerPixel == units && run->end == index) {
            ++run->end;
            pictureChanged();
            return;
        }
    }
    record.steps.emplace_back(DotRun{m_drawWidth, units, index, index + 1});
    pictureChanged();
}

void Surface::Line(double x1, double y1, double x2, double y2, Colour colour, LineBox box)
{
    const double perPixel = m_scaleMode == ScaleMode::Twips ? TwipsPerPixel : 1;
    const auto toPixels = [perPixel](double units) { return perPixel == 1 ? units : units / perPixel; };
    append(RecordedLine{toPixels(x1), toPixels(y1), toPixels(x2), toPixels(y2), colour.toQRgb(), m_drawWidth, box});
}

void Surface::drawOutline(RecordedOutline outline) { append(std::move(outline)); }

void Surface::drawFill(RecordedFill fill) { append(std::move(fill)); }

void Surface::drawSweep(std::shared_ptr<const SweepRecipe> recipe)
{
    if (!recipe)
        return;
    // A sweep over the whole surface hides everything before it: the record forgets that, so a
    // window repainted on every resize does not pile up sweeps that a re-render would replay.
    const QSize area = recipe->covers();
    if (!m_size.isEmpty() && area.width() >= width() && area.height() >= height())
        forgetSteps(); // dots still waiting are hidden too: they need not be drawn
    append(RecordedSweep{std::move(recipe)});
}

void Surface::append(DrawingStep step)
{
    flushDots();
    DrawingRecord& record = writableRecord();
    record.steps.push_back(std::move(step));
    if (!m_image.isNull())
        RasterPainter(m_image, m_ratio).draw(record, record.steps.size() - 1, record.steps.size(), m_dotOrder, m_mask);
    m_drawnSteps = record.steps.size();
    pictureChanged();
}

DrawingRecord& Surface::writableRecord()
{
    // A snapshot was taken of the record: later drawing goes to a copy of it.
    if (m_recordShared) {
        m_record = std::make_shared<DrawingRecord>(*m_record);
        m_recordShared = false;
    }
    return *m_record;
}

void Surface::flushDots() const
{
    const std::size_t end = m_record->steps.size();
    if (m_drawnSteps >= end)
        return;
    if (!m_image.isNull())
        RasterPainter(m_image, m_ratio).draw(*m_record, m_drawnSteps, end, m_dotOrder, m_mask);
    m_drawnSteps = end;
}

void Surface::Refresh()
{
    if (m_observer)
        m_observer->surfaceRefresh();
}

bool Surface::takeChanged()
{
    const bool was = m_changed;
    m_changed = false;
    return was;
}

void Surface::pictureChanged()
{
    ++m_revision;
    changed();
}

void Surface::changed()
{
    if (m_changed)
        return;
    m_changed = true;
    if (m_observer)
        m_observer->surfaceChanged();
}

std::shared_ptr<const PictureSource> Surface::snapshot() const
{
    m_recordShared = true;
    return std::make_shared<SurfaceSnapshot>(m_size, m_background, m_record);
}
