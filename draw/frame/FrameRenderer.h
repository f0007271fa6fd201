#pragma once

#include "draw/export/ExportFrame.h"
#include "draw/gradient/GradientRenderer.h"
#include "draw/raster/PixelBuffer.h"
#include "draw/surface/PictureSource.h"

#include <QImage>
#include <QSize>

#include <memory>
#include <optional>

class QPainter;

// A pattern in a frame of any size: the picture scaled to fit and centred, its background (the
// canvas colour, or the gradient under the slide swept afresh at the frame's size) covering the
// whole frame. Drawn strip by strip for pictures beyond what one image holds, or with vector
// primitives. Immutable, so worker threads may draw it.
class FrameRenderer
{
public:
    FrameRenderer(std::shared_ptr<const PictureSource> picture, QSize frame);

    QSize frameSize() const { return m_frame; }
    const PatternPlacement& placement() const { return m_placement; }
    bool hasGradient() const { return m_gradient.has_value(); }

    // Frame rows [top, top + view.height) into view, which is frameSize().width() pixels wide.
    void renderRows(const PixelBuffer& view, int top) const;
    // The whole frame in one image (for sizes one image can hold: previews, other formats).
    QImage render() const;
    // The frame in its pixel coordinates, (0, 0) to frameSize().
    void paintVector(QPainter& painter) const;

    // The colours a rendering can hold when they are known to be few (plain background, no
    // gradient): background first. Empty when the picture may have any colour.
    std::vector<QRgb> expectedColours() const;

private:
    std::shared_ptr<const PictureSource> m_picture;
    QSize m_frame;
    PatternPlacement m_placement;
    QRgb m_colour = 0;
    std::optional<GradientRenderer> m_gradient;
    // The picture draws its own background: its pixels at its own size, or a picture of unknown
    // kind that must not be replaced.
    bool m_wholePicture = false;
};
