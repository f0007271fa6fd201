#include "draw/curves/CurveCategories.h"

#include "draw/base/Numbers.h"

#include <bit>
#include <cstdint>

namespace {

// The divisors of the category texts, read once.
const std::array<double, curveCategoryTexts.size()>& categoryDivisors()
{
    static const auto divisors = [] {
        std::array<double, curveCategoryTexts.size()> values{};
        for (std::size_t index = 0; index < values.size(); ++index)
            values[index] = *textToNumber(QString::fromUtf16(curveCategoryTexts[index]));
        return values;
    }();
    return divisors;
}

} // namespace

std::optional<int> curveCategoryIndex(double divisor)
{
    const auto& divisors = categoryDivisors();
    for (std::size_t index = 0; index < divisors.size(); ++index) {
        if (std::bit_cast<std::uint64_t>(divisors[index]) == std::bit_cast<std::uint64_t>(divisor))
            return int(index);
    }
    return std::nullopt;
}

double curveCategoryDivisor(int index) { return categoryDivisors().at(std::size_t(index)); }
