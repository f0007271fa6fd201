#include "draw/pattern/PatternCode.h"

#include "draw/curves/CurveCategories.h"
#include "draw/pattern/CodeSymbols.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

using CodeSymbols::checksumLength;

constexpr int categoryNoNumber = 30;
constexpr int categoryDouble = 31;
constexpr int maxWidth = 32767;
constexpr int maxArea = 32767;
constexpr std::uint32_t rgbMask = 0x00FFFFFFu;
// A run after the prefix shorter than this is taken for an ordinary word, not a damaged code.
constexpr qsizetype shortestLookingCode = 10;
// The longest run after the prefix that is looked at: well beyond the longest code (64 characters
// with a gradient), and short enough that a search is linear in the text.
constexpr qsizetype longestLookedAt = 160;

void putColour(SymbolWriter& writer, Colour colour, bool asHeld)
{
    writer.put(asHeld ? colour.value() : colour.value() & rgbMask, asHeld ? 32 : 24);
}

Colour takeColour(SymbolReader& reader, bool asHeld) { return Colour(std::uint32_t(reader.take(asHeld ? 32 : 24))); }

bool wholeDegrees(float angle) { return angle >= 0 && angle < 360 && angle == std::floor(angle); }

bool encodable(const SlideRecipe& recipe)
{
    if (recipe.randomState == 0 || recipe.width < 1 || recipe.width > maxWidth)
        return false;
    if (recipe.divisor && !std::isfinite(*recipe.divisor))
        return false;
    if (const auto& gradient = recipe.gradient) {
        const QSize area = gradient->area;
        if (area.width() < 1 || area.height() < 1 || area.width() > maxArea || area.height() > maxArea)
            return false;
        if (!std::isfinite(gradient->angle))
            return false;
    }
    return true;
}

void writeBody(SymbolWriter& writer, const SlideRecipe& recipe)
{
    const bool curves = recipe.window == PatternWindow::Curves;
    writer.put(curves ? 0 : 1, 1);
    writer.put(recipe.gradient ? 1 : 0, 1);
    writer.put(recipe.randomState, 32);
    writer.put(std::uint64_t(recipe.width - 1), 15);
    if (curves) {
        if (!recipe.divisor) {
            writer.put(categoryNoNumber, 5);
        } else if (const auto index = curveCategoryIndex(*recipe.divisor)) {
            writer.put(std::uint64_t(*index), 5);
        } else {
            writer.put(categoryDouble, 5);
            writer.put(std::bit_cast<std::uint64_t>(*recipe.divisor), 64);
        }
        const bool heldColour = (recipe.backColour.value() & ~rgbMask) != 0;
        writer.put(heldColour ? 1 : 0, 1);
        putColour(writer, recipe.backColour, heldColour);
    }
    if (const auto& gradient = recipe.gradient) {
        const bool heldColours = ((gradient->colour1.value() | gradient->colour2.value()) & ~rgbMask) != 0;
        writer.put(heldColours ? 1 : 0, 1);
        putColour(writer, gradient->colour1, heldColours);
        putColour(writer, gradient->colour2, heldColours);
        const bool whole = wholeDegrees(gradient->angle);
        writer.put(whole ? 0 : 1, 1);
        if (whole)
            writer.put(std::uint64_t(gradient->angle), 9);
        else
            writer.put(std::bit_cast<std::uint32_t>(gradient->angle), 32);
        writer.put(std::uint64_t(gradient->area.width()), 15);
        writer.put(std::uint64_t(gradient->area.height()), 15);
    }
}

// Reads the fields of version 1; none when a field holds what no encoder writes.
std::optional<SlideRecipe> readBody(SymbolReader& reader)
{
    SlideRecipe recipe;
    recipe.window = reader.take(1) ? PatternWindow::Geometric : PatternWindow::Curves;
    const bool gradient = reader.take(1) != 0;
    recipe.randomState = std::uint32_t(reader.take(32));
    recipe.width = int(reader.take(15)) + 1;
    // 15 bits hold a width of 32768, which no encoder writes (a canvas takes at most 32767).
    if (recipe.randomState == 0 || recipe.width > maxWidth)
        return std::nullopt;
    if (recipe.window == PatternWindow::Curves) {
        const int category = int(reader.take(5));
        if (category == categoryDouble) {
            const double divisor = std::bit_cast<double>(reader.take(64));
            // An encoder names a category divisor by its place.
            if (!std::isfinite(divisor) || curveCategoryIndex(divisor))
                return std::nullopt;
            recipe.divisor = divisor;
        } else if (category < int(curveCategoryTexts.size())) {
            recipe.divisor = curveCategoryDivisor(category);
        } else if (category != categoryNoNumber) {
            return std::nullopt;
        }
        const bool held = reader.take(1) != 0;
        recipe.backColour = takeColour(reader, held);
        if (held && (recipe.backColour.value() & ~rgbMask) == 0)
            return std::nullopt;
    }
    if (gradient) {
        GradientRecipe g;
        const bool held = reader.take(1) != 0;
        g.colour1 = takeColour(reader, held);
        g.colour2 = takeColour(reader, held);
        if (held && ((g.colour1.value() | g.colour2.value()) & ~rgbMask) == 0)
            return std::nullopt;
        if (reader.take(1)) {
            g.angle = std::bit_cast<float>(std::uint32_t(reader.take(32)));
            if (!std::isfinite(g.angle) || wholeDegrees(g.angle))
                return std::nullopt;
        } else {
            const int degrees = int(reader.take(9));
            if (degrees >= 360)
                return std::nullopt;
            g.angle = float(degrees);
        }
        const int width = int(reader.take(15));
        const int height = int(reader.take(15));
        if (width < 1 || height < 1)
            return std::nullopt;
        g.area = QSize(width, height);
        recipe.gradient = g;
    }
    if (reader.failed())
        return std::nullopt;
    return recipe;
}

bool startsWithPrefix(QStringView text)
{
    return text.size() >= 2 && text.first(2).compare(QStringView(PatternCode::prefix), Qt::CaseInsensitive) == 0;
}

// The symbols after the prefix; none when a character is no symbol.
std::optional<std::vector<int>> symbolsOf(QStringView text)
{
    std::vector<int> symbols;
    symbols.reserve(size_t(text.size()));
    for (const QChar c : text) {
        const auto value = CodeSymbols::symbolValue(c);
        if (!value)
            return std::nullopt;
        symbols.push_back(*value);
    }
    return symbols;
}

} // namespace

namespace PatternCode {

QString encode(const SlideRecipe& recipe)
{
    if (!encodable(recipe))
        return QString();
    SymbolWriter writer;
    writer.put(std::uint64_t(version), 5);
    writeBody(writer, recipe);
    std::vector<int> symbols = writer.symbols();
    const std::vector<int> check = CodeSymbols::checksum(symbols);
    symbols.insert(symbols.end(), check.begin(), check.end());
    QString code = QString::fromUtf16(prefix);
    for (const int symbol : symbols)
        code += CodeSymbols::symbolChar(symbol);
    return code;
}

Reading decode(QStringView text)
{
    text = text.trimmed();
    Reading reading;
    if (!startsWithPrefix(text))
        return reading;
    reading.code = text.toString().toUpper();
    reading.problem = Problem::Damaged;
    const auto symbols = symbolsOf(text.sliced(2));
    if (!symbols || symbols->size() < size_t(1 + checksumLength))
        return reading;
    const std::vector<int> body(symbols->begin(), symbols->end() - checksumLength);
    const std::vector<int> check(symbols->end() - checksumLength, symbols->end());
    if (CodeSymbols::checksum(body) != check)
        return reading;
    // Every version keeps the prefix, the version symbol first and the check last, so a newer
    // code is told apart from a damaged one.
    if (body.front() > version) {
        reading.problem = Problem::NewerVersion;
        return reading;
    }
    if (body.front() != version)
        return reading;
    const std::vector<int> fields(body.begin() + 1, body.end());
    SymbolReader reader(fields);
    auto recipe = readBody(reader);
    if (!recipe || !reader.endsCleanly())
        return reading;
    reading.recipe = std::move(recipe);
    reading.problem = Problem::None;
    return reading;
}

Reading find(QStringView text)
{
    // Full-width letters, digits and dashes become their plain forms.
    const QString plain = text.toString().normalized(QString::NormalizationForm_KC);
    // Each character's symbol, once for the whole text; -1 for a character that is no symbol.
    std::vector<int> values(size_t(plain.size()), -1);
    for (qsizetype at = 0; at < plain.size(); ++at)
        values[size_t(at)] = CodeSymbols::symbolValue(plain[at]).value_or(-1);

    Reading best;
    for (qsizetype at = plain.indexOf(QStringView(prefix), 0, Qt::CaseInsensitive); at >= 0;
         at = plain.indexOf(QStringView(prefix), at + 1, Qt::CaseInsensitive)) {
        const qsizetype first = at + 2;
        const qsizetype limit = std::min(plain.size(), first + longestLookedAt);
        qsizetype end = first;
        while (end < limit && values[size_t(end)] >= 0)
            ++end;
        const qsizetype length = end - first;
        if (length < shortestLookingCode)
            continue;
        // A code run into a following word: every end whose last five symbols check those before
        // it, longest first. The check is carried a symbol at a time, so each end costs one step
        // and only an end that checks is decoded: the search stays linear in the text.
        std::vector<qsizetype> checkedEnds;
        std::uint32_t register_ = CodeSymbols::checkStart();
        for (qsizetype body = 1; body + checksumLength <= length; ++body) {
            register_ = CodeSymbols::checkStep(register_, values[size_t(first + body - 1)]);
            if (register_ == CodeSymbols::checkOf(&values[size_t(first + body)]))
                checkedEnds.push_back(first + body + checksumLength);
        }
        // The whole run tells a damaged code from a newer one; a run that does not check is damaged.
        Reading whole;
        whole.code = plain.sliced(at, end - at).toUpper();
        whole.problem = Problem::Damaged;
        for (auto stop = checkedEnds.rbegin(); stop != checkedEnds.rend(); ++stop) {
            Reading reading = decode(QStringView(plain).sliced(at, *stop - at));
            if (reading.problem == Problem::None)
                return reading;
            if (*stop == end)
                whole = reading;
        }
        if (best.problem == Problem::NotACode || (best.problem == Problem::Damaged && whole.problem == Problem::NewerVersion))
            best = whole;
    }
    return best;
}

} // namespace PatternCode
