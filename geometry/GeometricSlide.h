#pragma once

#include <QString>

class Surface;

// One slide of the geometric designer: clear, a random background colour, the pen width from
// the width text, five random concentric figures from the outside in. Returns the pattern code
// that the window shows.
QString drawGeometricSlide(Surface& canvas, const QString& widthText);

// The one-off figure of the covered controls: cleared, then one green figure of the typed number
// of points. Text that is no 16-bit number leaves the canvas cleared.
void drawOneOffFigure(Surface& canvas, const QString& pointsText);
