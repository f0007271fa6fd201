#pragma once

// Counting the pixels of a picture, for the tests, the fuzz target and the benchmarks. The alpha
// byte is never looked at.

#include <QImage>

// The scan is the check, not code under test: under the fuzzer it stays out of the coverage
// feedback and the address checks, which would cost most of each run.
#if defined(__clang__)
#define PIXEL_SCAN __attribute__((no_sanitize("coverage", "address")))
#else
#define PIXEL_SCAN
#endif

// Pixels for which test(rgb) holds; rgb has its alpha byte cleared.
template <typename Test>
PIXEL_SCAN int countWhere(const QImage& image, Test test)
{
    const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            count += test(row[x] & 0xFFFFFF) ? 1 : 0;
    }
    return count;
}

// Pixels of the colour.
inline int countColour(const QImage& image, QRgb colour)
{
    return countWhere(image, [wanted = colour & 0xFFFFFF](QRgb pixel) { return pixel == wanted; });
}

// The share of the picture's pixels for which test(rgb) holds, 0 for an empty picture.
template <typename Test>
double shareWhere(const QImage& image, Test test)
{
    const qint64 all = qint64(image.width()) * image.height();
    return all ? double(countWhere(image, test)) / double(all) : 0.0;
}

// An image made by enlarging a picture two times has every aligned 2 x 2 block in one colour.
inline bool looksEnlarged(const QImage& image)
{
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb c = image.pixel(x, y);
            if (image.pixel(x + 1, y) != c || image.pixel(x, y + 1) != c || image.pixel(x + 1, y + 1) != c)
                return false;
        }
    return true;
}
