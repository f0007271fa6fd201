#pragma once

#include <QImage>
#include <QRgb>

#include <memory>

class PictureSource;

// What a cleared surface shows: its colour and, at the top-left, its picture at the picture's
// own logical size. A picture taken from another surface keeps that surface's snapshot, so a
// larger copy draws it afresh instead of enlarging it.
struct SurfaceBackground
{
    QRgb colour = 0;
    QImage picture;
    std::shared_ptr<const PictureSource> source;
};
