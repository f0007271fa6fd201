#include "draw/gradient/GradientSweep.h"

#include "draw/raster/LineWalk.h"
#include "draw/surface/RasterPainter.h"

#include <QPainter>

#include <cmath>

GradientSweep::GradientSweep(const GradientRenderer& gradient, QSize area, std::vector<PixelPoint> lines,
                             std::vector<Colour> colours)
    : m_gradient(gradient), m_area(area), m_lines(std::move(lines)), m_colours(std::move(colours))
{
}

// Each line leaves out its end pixel, as a line drawn to a point does.
void GradientSweep::paintLines(const PixelBuffer& buffer, const std::vector<PixelPoint>& lines,
                               const std::vector<Colour>& colours)
{
    for (size_t i = 0; i + 1 < lines.size(); i += 2) {
        const PixelPoint a = lines[i];
        const PixelPoint b = lines[i + 1];
        walkLine(buffer, a.x, a.y, b.x, b.y, colours[i / 2].toQRgb(), EndPixel::Excluded);
    }
}

void GradientSweep::paint(const PixelBuffer& buffer, double scale) const
{
    if (scale == 1.0) {
        paintLines(buffer, m_lines, m_colours);
        return;
    }
    // The area's device pixels, rounded up as the image holding them is: the sweep must reach
    // the last row and column, or a surface that trusts it to cover everything shows a gap.
    const QSize device = deviceSizeOf(m_area, scale);
    const int W = device.width();
    const int H = device.height();
    std::vector<PixelPoint> lines;
    std::vector<Colour> colours;
    // An area that failed to plan stays as it was, as the first paint would have.
    if (m_gradient.sweepPlan(W, H, lines, colours) == ErrorCode::None)
        paintLines(buffer, lines, colours);
}

void GradientSweep::paintVector(QPainter& painter) const
{
    painter.save();
    // Two pixels wide so that neighbouring lines overlap and no seam shows between them.
    QPen pen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap);
    for (size_t i = 0; i + 1 < m_lines.size(); i += 2) {
        pen.setColor(m_colours[i / 2].toQColor());
        painter.setPen(pen);
        const PixelPoint a = m_lines[i];
        const PixelPoint b = m_lines[i + 1];
        painter.drawLine(QPointF(a.x + 0.5, a.y + 0.5), QPointF(b.x + 0.5, b.y + 0.5));
    }
    painter.restore();
}
