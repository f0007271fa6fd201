#pragma once

// The process-wide random source: uniform single-precision numbers in [0, 1) from a fixed start
// state, never seeded, so every start of the program replays the same sequence.
namespace RandomSource {

float next();

// Back to the start state (tests replay sequences with it).
void reset();

} // namespace RandomSource
