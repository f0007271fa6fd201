#pragma once

#include "draw/curves/CurvePlotter.h"

class CurveControls;
class RandomStream;

enum class CurveStyle { One, Two, Three, Four };

// One style preset (cmdStyle1_Click .. cmdStyle4_Click): three random draws for boxes 0, 1, 2,
// the fixed step count into box 3, then the plotter of the style, which reads the boxes back.
// Returns the plotter run. The draws come from the given stream, by default the program's.
CurveRun runStylePreset(CurveControls& controls, CurveStyle style);
CurveRun runStylePreset(CurveControls& controls, CurveStyle style, RandomStream& random);

// The first half of a preset: the three random draws and the step count into the boxes. Gives the
// plotter of the style, which the preset then runs (benchmarks draw the same curves another way).
const CurvePlotter& writeStyleParameters(CurveControls& controls, CurveStyle style, RandomStream& random);
