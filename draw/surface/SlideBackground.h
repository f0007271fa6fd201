#pragma once

#include "draw/base/Colour.h"
#include "draw/surface/PictureSource.h"

#include <QImage>

#include <memory>

class Surface;

// What a slide was drawn on: the canvas's colour and its background picture. A picture that
// brings its source (a gradient) is kept as the source alone and drawn again when needed, so
// slides on gradients the user has since replaced keep no pixels; a picture without a source is
// kept as the shared image it is.
struct SlideBackground
{
    Colour colour = RGB(0, 0, 0);
    QImage picture;
    std::shared_ptr<const PictureSource> source;
    qreal pictureRatio = 1.0;

    static SlideBackground of(const Surface& canvas);
    // Puts it back on the canvas, which is cleared.
    void restoreOn(Surface& canvas) const;
    // Whether the canvas still has this background.
    bool isOn(const Surface& canvas) const;
};
