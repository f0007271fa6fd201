#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The step divisors of the main window's category box: its start text first, then its list in
// order. The full pattern code names a divisor by its place here when it can.
inline constexpr std::array<const char16_t*, 24> curveCategoryTexts{
    u"90",     u"60",     u"30",     u"15",     u"9",      u"6",        u"3",       u"2.5",
    u"2",      u"1.5",    u"1",      u"0.5",    u"0.0001", u"0.0003",   u"0.0006",  u"0.0009",
    u"0.1111", u"0.3333", u"0.6666", u"0.9999", u"0.1010101", u"30.3333", u"0.600006", u"0.191919"};

// The start text of the category box.
inline QString curveCategoryStartText() { return QString::fromUtf16(curveCategoryTexts[0]); }

// The entries of the category box's list, in order (the start text is not among them).
inline QStringList curveCategoryList()
{
    QStringList list;
    for (std::size_t index = 1; index < curveCategoryTexts.size(); ++index)
        list.append(QString::fromUtf16(curveCategoryTexts[index]));
    return list;
}

// The place of a divisor among the category texts, matched bit for bit; none for any other.
std::optional<int> curveCategoryIndex(double divisor);

// The divisor the category text at index reads as.
double curveCategoryDivisor(int index);
