#include "draw/base/Numbers.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

std::int64_t roundHalfEven(double x)
{
    // nearbyint follows the current rounding mode, which this program never changes from
    // round-to-nearest-even.
    return static_cast<std::int64_t>(std::nearbyint(x));
}

namespace {

template <typename Int>
std::optional<Int> nearestInt(double x)
{
    if (!std::isfinite(x))
        return std::nullopt;
    const double r = std::nearbyint(x);
    if (r < static_cast<double>(std::numeric_limits<Int>::min())
        || r > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(r);
}

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// The application object switches the C library to the user's locale, whose decimal separator may
// be a comma; the checked text is always parsed the "C" way.
double parseCDouble(const std::string& ascii)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtod_l(ascii.c_str(), nullptr, cLocale);
}

// "d.ddddde±x" with the given number of significant digits, independent of the locale.
std::string scientific(float value, int significantDigits)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific,
                                      significantDigits - 1);
    return std::string(text, result.ptr);
}

bool readsBackAs(const std::string& text, float value)
{
    float parsed = std::numeric_limits<float>::quiet_NaN();
    std::from_chars(text.data(), text.data() + text.size(), parsed);
    return parsed == value;
}

} // namespace

std::optional<std::int16_t> nearestInt16(double x) { return nearestInt<std::int16_t>(x); }

std::optional<std::int32_t> nearestInt32(double x) { return nearestInt<std::int32_t>(x); }

std::optional<double> textToNumber(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;

    // Validate the grammar by hand so that no locale, hexadecimal, "inf" or "nan" form slips
    // through to the library parser.
    std::string ascii;
    ascii.reserve(static_cast<size_t>(end - begin));
    qsizetype i = begin;
    auto take = [&] { ascii.push_back(static_cast<char>(text[i].unicode())); ++i; };
    if (i < end && (text[i] == u'+' || text[i] == u'-'))
        take();
    int mantissaDigits = 0;
    while (i < end && isDigit(text[i])) {
        take();
        ++mantissaDigits;
    }
    if (i < end && text[i] == u'.') {
        take();
        while (i < end && isDigit(text[i])) {
            take();
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < end && (text[i] == u'e' || text[i] == u'E')) {
        take();
        if (i < end && (text[i] == u'+' || text[i] == u'-'))
            take();
        int exponentDigits = 0;
        while (i < end && isDigit(text[i])) {
            take();
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;

    const double value = parseCDouble(ascii);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::int16_t> textToInt16(QStringView text)
{
    const auto number = textToNumber(text);
    return number ? nearestInt16(*number) : std::nullopt;
}

std::optional<std::int32_t> textToInt32(QStringView text)
{
    const auto number = textToNumber(text);
    return number ? nearestInt32(*number) : std::nullopt;
}

QString numberToText(float value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (value == 0.0f)
        return QStringLiteral("0");

    // The fewest significant digits (up to seven) that read back as the same float.
    int precision = 1;
    while (precision < 7 && !readsBackAs(scientific(value, precision), value))
        ++precision;
    const std::string digits = scientific(value, precision);

    // digits is "[-]d.ddde[+-]xx": split into sign, significant digits and decimal exponent.
    const char* p = digits.c_str();
    QString sign;
    if (*p == '-') {
        sign = QStringLiteral("-");
        ++p;
    }
    QString significant;
    for (; *p && *p != 'e'; ++p) {
        if (*p != '.')
            significant.append(QChar::fromLatin1(*p));
    }
    const int exponent = std::atoi(p + 1);
    while (significant.size() > 1 && significant.endsWith(u'0'))
        significant.chop(1);

    if (exponent >= 7 || exponent < -5) {
        // Scientific form for magnitudes a seven-digit fixed form cannot hold: 1.5E-07, 3E+09.
        QString mantissa = significant.left(1);
        if (significant.size() > 1)
            mantissa += u'.' + significant.mid(1);
        const QString exp = QString::number(std::abs(exponent)).rightJustified(2, u'0');
        return sign + mantissa + (exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+")) + exp;
    }
    if (exponent < 0)
        return sign + QStringLiteral("0.") + QString(-exponent - 1, u'0') + significant;
    if (significant.size() <= exponent + 1)
        return sign + significant + QString(exponent + 1 - significant.size(), u'0');
    return sign + significant.left(exponent + 1) + u'.' + significant.mid(exponent + 1);
}

QString integerToText(std::int64_t value) { return QString::number(value); }
