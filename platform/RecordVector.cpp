#include "platform/RecordVector.h"

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

void paintDots(QPainter& painter, const DrawingRecord& record, const DotRun& run)
{
    const double d = run.diameter;
    // The pixel grid puts the centre of an odd dot in the middle of its pixel, of an even one on
    // the corner: the cell starts d / 2 (whole) pixels before the dot's pixel.
    const double offset = d / 2.0 - run.diameter / 2;
    painter.setPen(Qt::NoPen);
    QRgb current = 0;
    bool first = true;
    for (std::uint32_t i = run.begin; i < run.end; ++i) {
        const RecordedDot& dot = record.dots[i];
        const double x = std::nearbyint(double(dot.x) / run.unitsPerPixel);
        const double y = std::nearbyint(double(dot.y) / run.unitsPerPixel);
        if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > (1 << 24) || std::fabs(y) > (1 << 24))
            continue;
        if (first || dot.colour != current) {
            painter.setBrush(QColor::fromRgb(dot.colour));
            current = dot.colour;
            first = false;
        }
        painter.drawEllipse(QPointF(x + offset, y + offset), d / 2, d / 2);
    }
}

void paintLine(QPainter& painter, const RecordedLine& line)
{
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

void paintOutline(QPainter& painter, const RecordedOutline& outline)
{
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

void paintFill(QPainter& painter, const RecordedFill& fill)
{
    QPolygonF points;
    for (const PixelPoint& p : fill.points)
        points << QPointF(p.x, p.y);
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    path.setFillRule(fill.rule == FillRule::Winding ? Qt::WindingFill : Qt::OddEvenFill);
    painter.fillPath(path, QColor::fromRgb(fill.colour));
}

void paintCrop(QPainter& painter, const RecordedCrop& crop)
{
    const QRect area = painter.hasClipping() ? painter.clipBoundingRect().toAlignedRect() : painter.window();
    const QRect whole(QPoint(0, 0), area.bottomRight() + QPoint(1, 1));
    painter.save();
    painter.setClipRegion(QRegion(whole).subtracted(QRegion(QRect(QPoint(0, 0), crop.keep))), Qt::IntersectClip);
    paintBackgroundVector(painter, whole.size(), crop.background);
    painter.restore();
}

} // namespace

void paintBackgroundVector(QPainter& painter, QSize size, const SurfaceBackground& background)
{
    painter.fillRect(QRect(QPoint(0, 0), size), QColor::fromRgb(background.colour));
    if (background.picture.isNull())
        return;
    const QRectF area(QPointF(0, 0), background.picture.deviceIndependentSize());
    if (background.source) {
        painter.save();
        painter.setClipRect(area, Qt::IntersectClip);
        background.source->paintVector(painter);
        painter.restore();
    } else {
        painter.drawImage(area, background.picture);
    }
}

void paintRecordVector(QPainter& painter, const DrawingRecord& record)
{
    for (const DrawingStep& step : record.steps) {
        if (const auto* run = std::get_if<DotRun>(&step))
            paintDots(painter, record, *run);
        else if (const auto* line = std::get_if<RecordedLine>(&step))
            paintLine(painter, *line);
        else if (const auto* outline = std::get_if<RecordedOutline>(&step))
            paintOutline(painter, *outline);
        else if (const auto* fill = std::get_if<RecordedFill>(&step))
            paintFill(painter, *fill);
        else if (const auto* sweep = std::get_if<RecordedSweep>(&step))
            sweep->recipe->paintVector(painter);
        else if (const auto* crop = std::get_if<RecordedCrop>(&step))
            paintCrop(painter, *crop);
    }
}
