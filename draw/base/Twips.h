#pragma once

#include <QPoint>
#include <QRect>

// Window and control geometry is given in twips; the screen has 15 twips to a logical pixel.
constexpr int TwipsPerPixel = 15;

inline int TwipsPerPixelX() { return TwipsPerPixel; }
inline int TwipsPerPixelY() { return TwipsPerPixel; }

constexpr int twipsToPixels(int twips)
{
    // Nearest pixel; the program's twip values are multiples of 15 nearly everywhere.
    return twips >= 0 ? (twips + TwipsPerPixel / 2) / TwipsPerPixel : -((-twips + TwipsPerPixel / 2) / TwipsPerPixel);
}
constexpr int pixelsToTwips(int pixels) { return pixels * TwipsPerPixel; }

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}
constexpr QPoint twipsPoint(int left, int top) { return QPoint(twipsToPixels(left), twipsToPixels(top)); }
