#pragma once

#include "draw/pattern/SlideRecipe.h"

#include <QString>
#include <QStringView>

#include <optional>

// The full pattern code: "TN", a version symbol, the slide's recipe packed into symbols and a
// five-symbol check. A code of version 1 names the same pixels forever.
//
// Version 1, after the version symbol, bit fields most significant first:
//   window 1 (0 curves, 1 geometric) | gradient 1 | random state 32 | width - 1 15
//   curves:   category 5 (0..23 a known category text, 30 no number, 31 a double of 64 bits follows)
//             colour kind 1 (0: 24 bits 0xBBGGRR, 1: 32 bits as held)
//   gradient: colour kind 1 (0: two of 24 bits, 1: two of 32 bits)
//             angle kind 1 (0: 9 bits, whole degrees below 360, 1: 32 bits of the float)
//             width 15 | height 15 (the area in pixels)
// then zero bits up to the end of the last symbol.
namespace PatternCode {

inline constexpr char16_t prefix[] = u"TN";
inline constexpr int version = 1;

// Why a text gave no slide.
enum class Problem { None, NotACode, Damaged, NewerVersion };

struct Reading
{
    std::optional<SlideRecipe> recipe;
    Problem problem = Problem::NotACode;
    // The code as found, in capitals.
    QString code;
};

// The code of a slide; empty for a recipe that cannot be named (a width outside 1..32767, a
// gradient area beyond 32767 pixels, a random state of 0).
QString encode(const SlideRecipe& recipe);

// Reads exactly one code (blanks around it are ignored).
Reading decode(QStringView text);

// Finds the first code in pasted text: other words, line breaks, full-width letters and
// punctuation around it do not matter.
Reading find(QStringView text);

} // namespace PatternCode
