#pragma once

#include <QImage>
#include <QRgb>

#include <cstdint>

// A view of a 32-bit image's pixels for the hot drawing loops. It does not own the pixels and is
// only valid while the image is neither resized nor shared.
struct PixelBuffer
{
    QRgb* bits = nullptr;
    int width = 0;
    int height = 0;
    qsizetype stride = 0; // in pixels

    static PixelBuffer of(QImage& image)
    {
        return PixelBuffer{reinterpret_cast<QRgb*>(image.bits()), image.width(), image.height(),
                           image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb))};
    }

    QRgb* row(int y) const { return bits + y * stride; }
    bool contains(std::int64_t x, std::int64_t y) const
    {
        return x >= 0 && y >= 0 && x < width && y < height;
    }

    // Fills [x0, x1) of row y, clipped to the buffer.
    void fillSpan(int y, int x0, int x1, QRgb colour) const
    {
        if (y < 0 || y >= height)
            return;
        if (x0 < 0)
            x0 = 0;
        if (x1 > width)
            x1 = width;
        if (x0 < x1)
            fill(row(y) + x0, row(y) + x1, colour);
    }

    // Four pixels per step, which the compiler turns into one vector store.
    static void fill(QRgb* pixel, QRgb* const end, QRgb colour)
    {
        for (; end - pixel >= 4; pixel += 4) {
            pixel[0] = colour;
            pixel[1] = colour;
            pixel[2] = colour;
            pixel[3] = colour;
        }
        while (pixel != end)
            *pixel++ = colour;
    }
};
