#pragma once

#include <QFont>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

// How a window's contents, laid out for a base client size, are shown in another client size:
// every position and size times one factor, which keeps the aspect ratio, with the scaled
// contents centred in the client area. Edges are rounded, not sizes, so controls that touch at
// the base size still touch.
struct ContentScale
{
    double factor = 1.0;
    // Where the scaled contents start in the client area.
    QPoint offset;

    // The largest factor at which base fits in client, and the contents centred there. An empty
    // base or client gives the identity.
    static ContentScale fit(QSize client, QSize base);

    // Nothing moves or changes size.
    bool isIdentity() const { return factor == 1.0 && offset.isNull(); }

    // A geometry inside a scaled parent: edges times the factor, rounded.
    QRect scaled(const QRect& base) const;
    // A geometry in the client area itself: scaled and moved to the centred contents.
    QRect placed(const QRect& base) const { return scaled(base).translated(offset); }
    QSize scaled(QSize base) const { return scaled(QRect(QPoint(0, 0), base)).size(); }
    QMargins scaled(const QMargins& base) const;
    // The font at the factor: its point size, or its pixel size rounded, never below one.
    QFont scaled(const QFont& base) const;

    friend bool operator==(const ContentScale&, const ContentScale&) = default;
};

// The client size at which a window laid out for base, whose frame adds frameExtra, fits wholly
// in the available area: base itself when it fits, else base scaled down uniformly just enough
// (rounded down, never below one pixel).
QSize clientFittedUniformly(QSize base, QSize frameExtra, QSize available);

// The client size bounded so that the frame fits in the available area, each side on its own,
// but never below the minimum.
QSize clientBoundedTo(QSize client, QSize frameExtra, QSize available, QSize minimum);
