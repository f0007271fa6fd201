#include "app/widgets/EnterPressesButton.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>

bool EnterPressesButton::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (!button || !button->hasFocus() || !button->isEnabled())
        return false;
    if (!qobject_cast<QPushButton*>(button) && !qobject_cast<QToolButton*>(button))
        return false; // check boxes and radio buttons keep Enter for their dialog
    button->click();
    return true;
}
