#pragma once

#include "draw/base/Numbers.h"

#include <functional>

class QObject;
class QWidget;

// Shows the text of a gradient error in a warning message box with the renderer's title;
// nothing for no error.
void reportGradientError(ErrorCode code);

// Shows the same text in a warning message box with the program's title, owned by owner: the
// picker's and the angle dialog's own failures, such as drawing the arrow. Nothing for no error.
void reportPickerError(QWidget* owner, ErrorCode code);

// Runs report once the event being handled is done, unless context is gone by then: a modal box
// must not run its event loop inside a resize event or a scroll bar's signal.
void reportAfterThisEvent(QObject* context, std::function<void()> report);
