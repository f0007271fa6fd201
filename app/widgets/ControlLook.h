#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

// Small helpers that both pattern windows use to lay out and colour their controls.

// Puts the widget at a geometry given in twips.
void placeInTwips(QWidget* widget, int left, int top, int width, int height);

// The colour of the widget's own text (a label's caption, a frame's line).
void setTextColour(QWidget* widget, const QColor& colour);

// A bold face of the family at the size in points.
QFont boldFont(const QString& family, double points, bool italic = false);
