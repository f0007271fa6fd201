#include "app/widgets/ContentScale.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

int times(int value, double factor) { return qRound(value * factor); }

} // namespace

ContentScale ContentScale::fit(QSize client, QSize base)
{
    if (base.isEmpty() || client.isEmpty())
        return {};
    ContentScale scale;
    scale.factor = std::min(double(client.width()) / base.width(), double(client.height()) / base.height());
    const QSize contents = scale.scaled(base);
    scale.offset = QPoint((client.width() - contents.width()) / 2, (client.height() - contents.height()) / 2);
    return scale;
}

QRect ContentScale::scaled(const QRect& base) const
{
    if (factor == 1.0)
        return base;
    const int left = times(base.left(), factor);
    const int top = times(base.top(), factor);
    const int right = times(base.left() + base.width(), factor);
    const int bottom = times(base.top() + base.height(), factor);
    return QRect(left, top, right - left, bottom - top);
}

QMargins ContentScale::scaled(const QMargins& base) const
{
    if (factor == 1.0)
        return base;
    return QMargins(times(base.left(), factor), times(base.top(), factor), times(base.right(), factor),
                    times(base.bottom(), factor));
}

QFont ContentScale::scaled(const QFont& base) const
{
    if (factor == 1.0)
        return base;
    QFont font = base;
    if (base.pointSizeF() > 0)
        font.setPointSizeF(std::max(1.0, base.pointSizeF() * factor));
    else if (base.pixelSize() > 0)
        font.setPixelSize(std::max(1, times(base.pixelSize(), factor)));
    return font;
}

QSize clientFittedUniformly(QSize base, QSize frameExtra, QSize available)
{
    const QSize room = available - frameExtra;
    if (base.isEmpty() || (base.width() <= room.width() && base.height() <= room.height()))
        return base;
    if (room.width() < 1 || room.height() < 1)
        return QSize(1, 1);
    const double factor = std::min(double(room.width()) / base.width(), double(room.height()) / base.height());
    // Rounded down, with a little slack for the division: one pixel too many would stick out.
    const auto down = [factor](int extent) { return std::max(1, int(std::floor(extent * factor + 1e-9))); };
    return QSize(down(base.width()), down(base.height()));
}

QSize clientBoundedTo(QSize client, QSize frameExtra, QSize available, QSize minimum)
{
    return client.boundedTo(available - frameExtra).expandedTo(minimum);
}
