#pragma once

#include <QString>

class QWidget;

// A short note along the bottom of a canvas ("已复制", "已保存到 …") that fades after a few
// seconds: a trace of what happened that asks nothing of the user. A new note replaces the last.
void showStatusNote(QWidget* canvas, const QString& text);

// How long a note stays up.
constexpr int statusNoteMilliseconds = 3000;
