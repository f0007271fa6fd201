#pragma once

#include "platform/Colour.h"
#include "platform/PictureSource.h"

#include <QImage>

#include <memory>

class Surface;

// What a slide was drawn on: the canvas's colour and its background picture with the picture's
// source. Pictures are shared images, so slides on the same gradient keep one copy of it.
struct SlideBackground
{
    Colour colour = RGB(0, 0, 0);
    QImage picture;
    std::shared_ptr<const PictureSource> source;

    static SlideBackground of(const Surface& canvas);
    // Puts it back on the canvas, which is cleared.
    void restoreOn(Surface& canvas) const;
    // Whether the canvas still has this background.
    bool isOn(const Surface& canvas) const;
};
