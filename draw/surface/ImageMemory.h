#pragma once

#include <QImage>

#include <new>

// The pixels of an image that a drawing cannot go without: std::bad_alloc when they cannot be had
// (Qt gives a null image then), so that the job drawing it ends with an error instead of going on
// with a picture that lacks them.
inline QImage allocatedImage(QSize size, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(size, format);
    if (image.isNull() && !size.isEmpty())
        throw std::bad_alloc();
    return image;
}
