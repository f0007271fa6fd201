#include "draw/surface/SlideBackground.h"

#include "draw/surface/Surface.h"

SlideBackground SlideBackground::of(const Surface& canvas)
{
    SlideBackground background{canvas.BackColor(), {}, canvas.pictureSource(), canvas.Picture().devicePixelRatio()};
    if (!background.source)
        background.picture = canvas.Picture();
    return background;
}

void SlideBackground::restoreOn(Surface& canvas) const
{
    if (source) {
        QImage drawn = source->render(pictureRatio);
        drawn.setDevicePixelRatio(pictureRatio);
        canvas.setPicture(drawn, source);
    } else {
        canvas.setPicture(picture);
    }
    canvas.setBackColor(colour);
}

bool SlideBackground::isOn(const Surface& canvas) const
{
    if (canvas.BackColor() != colour || canvas.pictureSource() != source)
        return false;
    return source || canvas.Picture().cacheKey() == picture.cacheKey();
}
