#pragma once

#include "draw/output/OutputJob.h"

class QMimeData;

// "复制图案": the picture as its canvas shows it, as an image, with the full code (or, without
// one, the short code) as its text: one clipboard entry.
QMimeData* patternMimeData(const PatternPicture& pattern);
void copyPattern(const PatternPicture& pattern);
