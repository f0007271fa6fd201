#pragma once

#include "draw/base/Colour.h"

#include <QRect>
#include <QString>

class QToolButton;
class QWidget;

// A button that shows its picture above its caption on a coloured face. An "&" in the caption
// marks the access key.
QToolButton* makeGraphicalButton(QWidget* parent, const QString& name, const QString& caption, QRect geometry,
                                 Colour background);
