#pragma once

#include "draw/pattern/PatternCode.h"
#include "draw/pattern/PatternFileReader.h"

#include <QString>

// The words for what reading a pattern code or a pattern file came to.

// Why a text names no slide, as the user is told it; empty for None.
QString patternCodeProblemText(PatternCode::Problem problem);

// Why a file names no slide, in a short sentence naming the file; empty for None.
QString patternFileProblemText(PatternFileProblem problem, const QString& path);
