#include "platform/SlideBackground.h"

#include "platform/Surface.h"

SlideBackground SlideBackground::of(const Surface& canvas)
{
    return SlideBackground{canvas.BackColor(), canvas.Picture(), canvas.pictureSource()};
}

void SlideBackground::restoreOn(Surface& canvas) const
{
    canvas.setPicture(picture, source);
    canvas.setBackColor(colour);
}

bool SlideBackground::isOn(const Surface& canvas) const
{
    return canvas.BackColor() == colour && canvas.Picture().cacheKey() == picture.cacheKey()
           && canvas.pictureSource() == source;
}
