#pragma once

#include <array>
#include <cstdint>

// A 64 x 64 ordered-dither table with blue-noise ranks: every value 0..4095 once, neighbouring
// ranks far apart, so a gradient quantised with it shows fine grain instead of bands or a grid.
// Made once by the void-and-cluster method from a fixed start, so every run and build has the
// same table.
namespace BlueNoise {

inline constexpr int side = 64;

// Rank of the cell (x mod 64, y mod 64), row by row.
const std::array<std::uint16_t, side * side>& ranks();

} // namespace BlueNoise
