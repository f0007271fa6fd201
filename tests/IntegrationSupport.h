#pragma once

// Helpers for tests that drive the real windows together: deferred deletion, window placement
// and comparisons of canvas images.

#include "PixelCount.h"

#include "app/registry/WindowRegistry.h"
#include "draw/base/Twips.h"
#include "draw/curves/CurvePlotter.h"

#include <QApplication>
#include <QImage>
#include <QToolButton>

#include <algorithm>
#include <iterator>

namespace integration {

inline void processDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Closes and deletes every window the program opened and empties the registry, as between two
// runs of the program.
inline void closeProgramWindows()
{
    processDeferredDeletes();
    WindowRegistry& registry = WindowRegistry::instance();
    for (WindowId id : {WindowId::GradientPicker, WindowId::Geometric, WindowId::Main}) {
        if (QWidget* window = registry.existing(id)) {
            window->close();
            delete window;
        }
    }
    processDeferredDeletes();
    registry.clear();
}

// Where the main window puts the geometric designer, 1167 and 609 pixels wide: its left edge
// 17505 - 9135 - 50 = 8320 twips (555 pixels) from the screen's, its top 1500 twips (100 pixels).
constexpr QPoint designerPlace(555, 100);

// Share of the image's pixels that equal the reference's pixel at the same place.
inline double shareMatching(const QImage& image, const QImage& reference)
{
    qint64 same = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            same += image.pixel(x, y) == reference.pixel(x, y);
    return double(same) / (qint64(image.width()) * image.height());
}

inline double shareOfColour(const QImage& image, QRgb colour)
{
    return shareWhere(image, [wanted = colour & 0xFFFFFF](QRgb pixel) { return pixel == wanted; });
}

// Pixels that are neither the reference's pixel at that place nor a curve colour.
inline qint64 strayPixels(const QImage& image, const QImage& reference)
{
    const QRgb curveColours[] = {YellowPlotter.colour.toQRgb(), GreenPlotter.colour.toQRgb(),
                                 BluePlotter.colour.toQRgb(), PinkPlotter.colour.toQRgb()};
    qint64 stray = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (pixel != reference.pixel(x, y) && std::find(std::begin(curveColours), std::end(curveColours), pixel)
                                                      == std::end(curveColours))
                ++stray;
        }
    }
    return stray;
}

// The image with every pixel that equals the reference's pixel at that place set to the colour.
inline QImage replaced(const QImage& image, const QImage& reference, QRgb colour)
{
    QImage result = image;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == reference.pixel(x, y))
                result.setPixel(x, y, colour);
    return result;
}

inline QImage iconOf(QToolButton* button) { return button->icon().pixmap(32, 32).toImage(); }

} // namespace integration
