#include "app/widgets/GraphicalButton.h"

#include <QToolButton>

QToolButton* makeGraphicalButton(QWidget* parent, const QString& name, const QString& caption, QRect geometry,
                                 Colour background)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setGeometry(geometry);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(QSize(32, 32));
    button->setFocusPolicy(Qt::StrongFocus);
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, background.toQColor());
    palette.setColor(QPalette::Window, background.toQColor());
    button->setPalette(palette);
    button->setAutoFillBackground(true);
    return button;
}
