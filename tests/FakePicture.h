#pragma once

#include "draw/surface/PictureSource.h"

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

// A stand-in picture for the export tests: a plain background (its colour tells pictures apart),
// a gradient band along the top, a filled polygon and a row of coloured dots, laid out in
// fractions of the size so that any size works.
class FakePicture : public PictureSource
{
public:
    explicit FakePicture(QSize size = QSize(800, 800), QColor background = QColor(255, 192, 255))
        : m_size(size), m_background(background)
    {
    }

    static constexpr double dotRadius = 0.04; // of the width
    // Where the dots sit, as fractions of the size, and their colours.
    static QPointF dotCentre(int index) { return QPointF(0.2 + 0.2 * index, 0.75); }
    static QColor dotColour(int index)
    {
        static const QColor colours[] = {QColor(255, 255, 0), QColor(0, 160, 0), QColor(0, 0, 255), QColor(255, 0, 128)};
        return colours[index];
    }
    static QPointF polygonInside() { return QPointF(0.5, 0.45); } // a point well inside the polygon
    static QColor polygonColour() { return QColor(0, 128, 128); }

    QColor background() const { return m_background; }

    QSize size() const override { return m_size; }

    QImage render(qreal scale) const override
    {
        QImage image(qRound(m_size.width() * scale), qRound(m_size.height() * scale), QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        painter.scale(scale, scale);
        paintVector(painter);
        return image;
    }

    void paintVector(QPainter& painter) const override
    {
        const double w = m_size.width();
        const double h = m_size.height();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(QRectF(0, 0, w, h), m_background);

        QLinearGradient gradient(QPointF(0, 0), QPointF(w, 0));
        gradient.setColorAt(0, QColor(255, 255, 200));
        gradient.setColorAt(1, QColor(255, 128, 0));
        painter.fillRect(QRectF(0, 0, w, 0.2 * h), gradient);

        const QPolygonF star{{0.5 * w, 0.25 * h}, {0.65 * w, 0.6 * h}, {0.3 * w, 0.38 * h},
                             {0.7 * w, 0.38 * h}, {0.35 * w, 0.6 * h}};
        painter.setPen(QPen(QColor(120, 0, 60), 0.006 * w));
        painter.setBrush(polygonColour());
        // As a path: the SVG generator writes drawPolygon's winding fill as even-odd, which would
        // leave the star's centre empty.
        QPainterPath path;
        path.addPolygon(star);
        path.closeSubpath();
        path.setFillRule(Qt::WindingFill);
        painter.drawPath(path);

        painter.setPen(Qt::NoPen);
        for (int index = 0; index < 4; ++index) {
            painter.setBrush(dotColour(index));
            const QPointF centre = dotCentre(index);
            painter.drawEllipse(QPointF(centre.x() * w, centre.y() * h), dotRadius * w, dotRadius * w);
        }
    }

private:
    QSize m_size;
    QColor m_background;
};
