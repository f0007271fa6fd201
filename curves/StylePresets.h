#pragma once

#include "curves/CurvePlotter.h"

class CurveControls;

enum class CurveStyle { One, Two, Three, Four };

// One style preset (cmdStyle1_Click .. cmdStyle4_Click): three random draws for boxes 0, 1, 2,
// the fixed step count into box 3, then the plotter of the style, which reads the boxes back.
// Returns the plotter run.
CurveRun runStylePreset(CurveControls& controls, CurveStyle style);
