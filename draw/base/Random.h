#pragma once

#include <cstdint>

// A stream of uniform single-precision numbers in [0, 1): a 32-bit xorshift generator whose whole
// state is one number, so a slide can be replayed from the state it started at.
class RandomStream
{
public:
    static constexpr std::uint32_t startState = 0x2545F491u;

    // A zero state would only ever give zeros; it is taken as the start state.
    explicit RandomStream(std::uint32_t state = startState) : m_state(state != 0 ? state : startState) {}

    float next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        // 24 bits of the state make an exact float in [0, 1).
        return static_cast<float>(m_state >> 8) * (1.0f / 16777216.0f);
    }

    std::uint32_t state() const { return m_state; }

private:
    std::uint32_t m_state;
};

// The process-wide random source: never seeded, so every start of the program replays the same
// sequence.
namespace RandomSource {

float next();

// The stream itself, for code that draws from the show's sequence through a stream.
RandomStream& stream();

// Back to the start state (tests replay sequences with it).
void reset();

} // namespace RandomSource
