#pragma once

#include "draw/gradient/GradientRenderer.h"
#include "draw/surface/SweepRecipe.h"

#include <QSize>

#include <vector>

// A gradient as a surface records it: the renderer's colours and angle and the logical area.
// At scale 1 it draws the lines already planned; at any other scale it fills the area's device
// pixels with a dithered ramp along the same direction, so the result is never an enlargement and
// shows no bands.
class GradientSweep : public SweepRecipe
{
public:
    GradientSweep(const GradientRenderer& gradient, QSize area, std::vector<PixelPoint> lines, std::vector<Colour> colours);

    void paint(const PixelBuffer& buffer, double scale, QPoint origin = {}) const override;
    void paintVector(QPainter& painter) const override;
    // A sweep of two lines or more paints its whole area.
    QSize covers() const override { return m_lines.size() >= 2 ? m_area : QSize(); }

private:
    static void paintLines(const PixelBuffer& buffer, const std::vector<PixelPoint>& lines,
                           const std::vector<Colour>& colours, QPoint origin);

    GradientRenderer m_gradient;
    QSize m_area;
    std::vector<PixelPoint> m_lines;
    std::vector<Colour> m_colours;
};

// The gradient's colours along its angle as a smooth ramp over a device area, from the trailing
// corner (Color1) to the leading one (Color2), quantised by a blue-noise dither: every pixel within
// one step of the exact colour and the same pixels on every render. The buffer is the window of
// the area whose top-left is device pixel origin; pixels outside the area stay as they are.
void paintGradientRamp(const PixelBuffer& buffer, QSize area, const GradientRenderer& gradient, QPoint origin = {});
