#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// Shared number and text conversions. Failures are values: an empty optional stands for the
// conversion error, or for the overflow error (code 6) of the nearest-integer conversions.

enum class ErrorCode : int {
    None = 0,
    Overflow = 6,
    TypeMismatch = 13,
    InvalidValue = 380,
    CancelPressed = 32755,
};

// N(x): the nearest 16- or 32-bit integer, ties to the even one; no value when x is out of range
// or not a finite number.
std::optional<std::int16_t> nearestInt16(double x);
std::optional<std::int32_t> nearestInt32(double x);

// Nearest integer, ties to even, for values the caller knows to be in range (pixel rounding).
std::int64_t roundHalfEven(double x);

// Text to number: optional blanks around, optional sign, digits with an optional point and an
// optional exponent. The decimal separator is always ".". Anything else fails, and so does a
// value too large for a double.
std::optional<double> textToNumber(QStringView text);
std::optional<std::int16_t> textToInt16(QStringView text);
std::optional<std::int32_t> textToInt32(QStringView text);

// Shortest text of a single-precision value with at most seven significant digits, no leading
// blank: 234.5678, 17.25, 3, -0.5, 1.5E-07.
QString numberToText(float value);

// Integer text without blanks ("2880", "-12").
QString integerToText(std::int64_t value);

// Narrowing to single precision, written out where the arithmetic stores a float.
constexpr float toSingle(double value) { return static_cast<float>(value); }
