#pragma once

#include "draw/curves/CurvePlotter.h"

class CurveControls;

enum class CurveStyle { One, Two, Three, Four };

// One style preset (cmdStyle1_Click .. cmdStyle4_Click): three random draws for boxes 0, 1, 2,
// the fixed step count into box 3, then the plotter of the style, which reads the boxes back.
// Returns the plotter run.
CurveRun runStylePreset(CurveControls& controls, CurveStyle style);

// The first half of a preset: the three random draws and the step count into the boxes. Gives the
// plotter of the style, which the preset then runs (benchmarks draw the same curves another way).
const CurvePlotter& writeStyleParameters(CurveControls& controls, CurveStyle style);
