#include "app/widgets/ControlLook.h"

#include "draw/base/Twips.h"

#include <QWidget>

void placeInTwips(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsRect(left, top, width, height));
}

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QFont boldFont(const QString& family, double points, bool italic)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(true);
    font.setItalic(italic);
    return font;
}
