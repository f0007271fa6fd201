#include "draw/surface/VectorPainter.h"

#include "draw/surface/PictureSource.h"
#include "draw/surface/RasterPainter.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

QPen roundPen(QRgb colour, int width)
{
    return QPen(QColor::fromRgb(colour), std::max(width, 1), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPointF centreOf(PixelPoint p) { return QPointF(p.x + 0.5, p.y + 0.5); }

} // namespace

void VectorPainter::dots(const DrawingRecord& record, std::size_t first, std::size_t end)
{
    for (std::size_t i = first; i < end; ++i)
        dotRun(record, std::get<DotRun>(record.steps[i]));
}

void VectorPainter::dotRun(const DrawingRecord& record, const DotRun& run)
{
    QPainter& painter = m_painter;
    const double d = run.diameter;
    // The pixel grid puts the centre of an odd dot in the middle of its pixel, of an even one on
    // the corner: the cell starts d / 2 (whole) pixels before the dot's pixel.
    const double offset = d / 2.0 - run.diameter / 2;
    painter.setPen(Qt::NoPen);
    QRgb current = 0;
    bool first = true;
    for (std::uint32_t i = run.begin; i < run.end; ++i) {
        const RecordedDot& dot = record.dots[i];
        const double logicalX = double(dot.x) / run.unitsPerPixel;
        const double logicalY = double(dot.y) / run.unitsPerPixel;
        if (!dotInReach(logicalX) || !dotInReach(logicalY))
            continue;
        const double x = std::nearbyint(logicalX);
        const double y = std::nearbyint(logicalY);
        if (first || dot.colour != current) {
            painter.setBrush(QColor::fromRgb(dot.colour));
            current = dot.colour;
            first = false;
        }
        painter.drawEllipse(QPointF(x + offset, y + offset), d / 2, d / 2);
    }
}

void VectorPainter::line(const RecordedLine& line)
{
    QPainter& painter = m_painter;
    const double x1 = std::nearbyint(line.x1), y1 = std::nearbyint(line.y1);
    const double x2 = std::nearbyint(line.x2), y2 = std::nearbyint(line.y2);
    if (!std::isfinite(x1 + y1 + x2 + y2))
        return;
    const QRectF box(QPointF(std::min(x1, x2), std::min(y1, y2)), QPointF(std::max(x1, x2) + 1, std::max(y1, y2) + 1));
    if (line.box == LineBox::BoxFilled) {
        painter.fillRect(box, QColor::fromRgb(line.colour));
        return;
    }
    painter.setPen(roundPen(line.colour, line.width));
    painter.setBrush(Qt::NoBrush);
    if (line.box == LineBox::Box)
        painter.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
    else
        painter.drawLine(QPointF(x1 + 0.5, y1 + 0.5), QPointF(x2 + 0.5, y2 + 0.5));
}

void VectorPainter::outline(const RecordedOutline& outline)
{
    QPainter& painter = m_painter;
    QPolygonF points;
    for (const PixelPoint& p : outline.points)
        points << centreOf(p);
    painter.setPen(roundPen(outline.colour, outline.width));
    painter.setBrush(Qt::NoBrush);
    if (outline.closed)
        painter.drawPolygon(points);
    else
        painter.drawPolyline(points);
}

void VectorPainter::fill(const RecordedFill& fill)
{
    QPainter& painter = m_painter;
    QPolygonF points;
    for (const PixelPoint& p : fill.points)
        points << QPointF(p.x, p.y);
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    path.setFillRule(fill.rule == FillRule::Winding ? Qt::WindingFill : Qt::OddEvenFill);
    painter.fillPath(path, QColor::fromRgb(fill.colour));
}

void VectorPainter::sweep(const SweepRecipe& recipe) { recipe.paintVector(m_painter); }

void VectorPainter::crop(const RecordedCrop& crop)
{
    QPainter& painter = m_painter;
    const QRect area = painter.hasClipping() ? painter.clipBoundingRect().toAlignedRect() : painter.window();
    const QRect whole(QPoint(0, 0), area.bottomRight() + QPoint(1, 1));
    painter.save();
    painter.setClipRegion(QRegion(whole).subtracted(QRegion(QRect(QPoint(0, 0), crop.keep))), Qt::IntersectClip);
    background(whole.size(), crop.background);
    painter.restore();
}

void VectorPainter::background(QSize size, const SurfaceBackground& background)
{
    QPainter& painter = m_painter;
    painter.fillRect(QRect(QPoint(0, 0), size), QColor::fromRgb(background.colour));
    if (background.picture.isNull())
        return;
    if (background.source) {
        // The source's whole area, as a picture drawn of all of it would have: the picture held
        // may be only the part its surface shows.
        const qreal ratio = background.picture.devicePixelRatio();
        const QRectF area(QPointF(0, 0), QSizeF(deviceSizeOf(background.source->size(), ratio)) / ratio);
        painter.save();
        painter.setClipRect(area, Qt::IntersectClip);
        background.source->paintVector(painter);
        painter.restore();
    } else {
        painter.drawImage(QRectF(QPointF(0, 0), background.picture.deviceIndependentSize()), background.picture);
    }
}

void VectorPainter::draw(const DrawingRecord& record) { replay(record, 0, record.steps.size(), *this); }
