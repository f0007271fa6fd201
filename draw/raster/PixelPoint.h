#pragma once

#include <cstdint>

// A point in whole device pixels, x then y.
struct PixelPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend constexpr bool operator==(PixelPoint, PixelPoint) = default;
};
