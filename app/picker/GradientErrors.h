#pragma once

#include "draw/base/Numbers.h"

// Shows the text of a gradient error in a warning message box with the renderer's title; nothing
// for no error.
void reportGradientError(ErrorCode code);
