// libFuzzer target for the text and number conversions. Every input is read as UTF-8 and as
// UTF-16 text, and its first four bytes as a float; each check aborts on a broken promise.
#include "draw/base/Numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void require(bool condition, const char* what, const QString& text)
{
    if (condition)
        return;
    std::fprintf(stderr, "broken: %s for text \"%s\"\n", what, text.toUtf8().constData());
    std::abort();
}

// Significant digits of a numberToText result: digits before any exponent, leading zeros off.
int significantDigits(const QString& text)
{
    const QString mantissa = text.section(u'E', 0, 0);
    int count = 0;
    bool started = false;
    for (QChar c : mantissa) {
        if (!c.isDigit())
            continue;
        started = started || c != u'0';
        count += started ? 1 : 0;
    }
    return count;
}

// The float rounded to seven significant digits, in exponent form.
std::string sevenDigits(float value)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.6e", static_cast<double>(value));
    return digits;
}

void checkFloat(float value)
{
    const QString text = numberToText(value);
    if (std::isnan(value)) {
        require(text == QStringLiteral("NaN"), "NaN text", text);
        require(!textToNumber(text), "NaN text accepted as a number", text);
        return;
    }
    if (std::isinf(value)) {
        require(text == QString::fromLatin1(value > 0 ? "Infinity" : "-Infinity"), "infinity text", text);
        require(!textToNumber(text), "infinity text accepted as a number", text);
        return;
    }
    require(!text.isEmpty() && text[0] != u' ', "empty text or leading blank", text);
    require(significantDigits(text) <= 7, "more than seven significant digits", text);
    const auto back = textToNumber(text);
    require(back.has_value(), "numberToText result rejected by textToNumber", text);
    const float readBack = toSingle(*back);
    // Floats that seven digits can hold come back exactly; the others as their 7-digit rounding,
    // read the program's way: into a double, then stored as a float.
    const std::string seven = sevenDigits(value);
    const bool sevenDigitsHoldIt = std::strtof(seven.c_str(), nullptr) == value;
    const float expected = sevenDigitsHoldIt ? value : toSingle(std::strtod(seven.c_str(), nullptr));
    require(readBack == expected, "value changed on the way back", text);
    require(numberToText(readBack) == text, "text not stable when read back and written again", text);
}

void checkText(QStringView text)
{
    const auto number = textToNumber(text);
    const QString copy = text.toString();
    if (number)
        require(std::isfinite(*number), "accepted text with a value that is not finite", copy);

    const auto int16 = textToInt16(text);
    require(int16 == (number ? nearestInt16(*number) : std::nullopt), "textToInt16 differs from N", copy);
    if (int16)
        require(std::fabs(*number - *int16) <= 0.5, "16-bit value off by more than a half", copy);

    const auto int32 = textToInt32(text);
    require(int32 == (number ? nearestInt32(*number) : std::nullopt), "textToInt32 differs from N", copy);
    if (int32)
        require(std::fabs(*number - *int32) <= 0.5, "32-bit value off by more than a half", copy);

    if (number && std::isfinite(toSingle(*number)))
        checkFloat(toSingle(*number));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto length = static_cast<qsizetype>(size);
    checkText(QString::fromUtf8(reinterpret_cast<const char*>(data), length));

    std::vector<char16_t> units(size / 2);
    if (!units.empty())
        std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
    checkText(QStringView(units.data(), static_cast<qsizetype>(units.size())));

    if (size >= sizeof(float)) {
        float value;
        std::memcpy(&value, data, sizeof value);
        checkFloat(value);
    }
    return 0;
}
