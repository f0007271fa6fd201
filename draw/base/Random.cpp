#include "draw/base/Random.h"

#include <cstdint>

namespace {

// A 32-bit xorshift generator; 24 bits of each output make an exact float in [0, 1).
constexpr std::uint32_t startState = 0x2545F491u;
std::uint32_t state = startState;

} // namespace

namespace RandomSource {

float next()
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<float>(state >> 8) * (1.0f / 16777216.0f);
}

void reset() { state = startState; }

} // namespace RandomSource
