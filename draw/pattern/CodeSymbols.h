#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

// The characters of a pattern code: 32 symbols of five bits each, digits and capital letters
// without I, L, O and U, so that no letter can be taken for a digit. Reading forgives case and
// takes O for 0 and I or L for 1, as people copy codes by hand.
namespace CodeSymbols {

inline constexpr int checksumLength = 5;

QChar symbolChar(int value);
// The value of a character as a symbol; none for a character that is no symbol.
std::optional<int> symbolValue(QChar c);

// A 25-bit cyclic check over the symbols, as five symbols. Any change of one symbol (a burst of
// at most five bits) changes it.
std::vector<int> checksum(const std::vector<int>& symbols);

// The same check a symbol at a time, for a search that tries every end of a run: the register
// before any symbol, the register after one more symbol, and the register that five check
// symbols stand for (equal to the register after the symbols they check).
std::uint32_t checkStart();
std::uint32_t checkStep(std::uint32_t register_, int symbol);
std::uint32_t checkOf(const int* fiveSymbols);

} // namespace CodeSymbols

// Packs fields of any width, most significant bit first, into symbols.
class SymbolWriter
{
public:
    void put(std::uint64_t value, int bits);
    // The symbols so far, the last one filled up with zero bits.
    std::vector<int> symbols() const;

private:
    std::vector<bool> m_bits;
};

// Reads fields back from symbols; reading past the end fails and stays failed.
class SymbolReader
{
public:
    explicit SymbolReader(const std::vector<int>& symbols) : m_symbols(symbols) {}

    std::uint64_t take(int bits);
    bool failed() const { return m_failed; }
    // How many symbols the fields read so far occupy.
    std::size_t symbolsUsed() const { return (m_position + 4) / 5; }
    // Whether the bits after the last field up to the end of its symbol are zero, and no symbol
    // is left over.
    bool endsCleanly() const;

private:
    bool bit(std::size_t position) const;

    const std::vector<int>& m_symbols;
    std::size_t m_position = 0;
    bool m_failed = false;
};
