#pragma once

#include "draw/output/ExportFrame.h"
#include "draw/gradient/GradientRenderer.h"
#include "draw/raster/PixelBuffer.h"
#include "draw/surface/PictureSource.h"

#include <QImage>
#include <QSize>

#include <memory>
#include <optional>

class QPainter;

// How a picture fills its frame.
enum class FrameContent {
    // Scaled to fit and centred; the background (the canvas colour, or the gradient under the
    // slide swept afresh at the frame's size) covers the whole frame.
    Fitted,
    // The picture as its canvas shows it, at the frame's scale: its own background too, a gradient
    // area smaller than the canvas included. The frame has the picture's proportions.
    AsShown,
};

// A pattern in a frame of any size: the replay of a picture at the frame's scale. Drawn strip by
// strip for pictures beyond what one image holds, or with vector primitives. Immutable, so worker
// threads may draw it.
class FrameRenderer
{
public:
    FrameRenderer(std::shared_ptr<const PictureSource> picture, QSize frame,
                  FrameContent content = FrameContent::Fitted);

    QSize frameSize() const { return m_frame; }
    const PatternPlacement& placement() const { return m_placement; }
    bool hasGradient() const { return m_gradient.has_value(); }

    // Frame rows [top, top + view.height) into view, which is frameSize().width() pixels wide.
    void renderRows(const PixelBuffer& view, int top) const;
    // The whole frame in one image (for sizes one image can hold: previews, other formats);
    // std::bad_alloc when its pixels cannot be had.
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
    bool m_asShown = false;
};
