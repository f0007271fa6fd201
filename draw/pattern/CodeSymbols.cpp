#include "draw/pattern/CodeSymbols.h"

namespace {

constexpr char16_t alphabet[] = u"0123456789ABCDEFGHJKMNPQRSTVWXYZ";

// x^25 + x^3 + 1, a primitive polynomial: every burst of up to 25 bits is caught.
constexpr std::uint32_t checkPolynomial = 0x0000009u;
constexpr std::uint32_t checkMask = 0x1FFFFFFu;
constexpr int checkBits = 25;

} // namespace

namespace CodeSymbols {

QChar symbolChar(int value) { return QChar(alphabet[value & 31]); }

std::optional<int> symbolValue(QChar c)
{
    const char16_t u = c.toUpper().unicode();
    if (u == u'O')
        return 0;
    if (u == u'I' || u == u'L')
        return 1;
    for (int value = 0; value < 32; ++value) {
        if (alphabet[value] == u)
            return value;
    }
    return std::nullopt;
}

std::vector<int> checksum(const std::vector<int>& symbols)
{
    std::uint32_t register_ = checkStart();
    for (const int symbol : symbols)
        register_ = checkStep(register_, symbol);
    std::vector<int> check(checksumLength);
    for (int index = 0; index < checksumLength; ++index)
        check[size_t(index)] = int((register_ >> (5 * (checksumLength - 1 - index))) & 31);
    return check;
}

// Starts from all ones, so that leading zero symbols count too.
std::uint32_t checkStart() { return checkMask; }

std::uint32_t checkStep(std::uint32_t register_, int symbol)
{
    // Five bits, most significant first: the register's top bit fed back against each input bit.
    // The feedback lands in bits 0 and 3 only, so the five bits could also be taken at once; a
    // symbol at a time is fast enough for any text.
    for (int bit = 4; bit >= 0; --bit) {
        const bool in = (symbol >> bit) & 1;
        const bool top = (register_ >> (checkBits - 1)) & 1;
        register_ = (register_ << 1) & checkMask;
        if (in != top)
            register_ ^= checkPolynomial;
    }
    return register_;
}

std::uint32_t checkOf(const int* fiveSymbols)
{
    std::uint32_t value = 0;
    for (int index = 0; index < checksumLength; ++index)
        value = (value << 5) | std::uint32_t(fiveSymbols[index] & 31);
    return value;
}

} // namespace CodeSymbols

void SymbolWriter::put(std::uint64_t value, int bits)
{
    for (int bit = bits - 1; bit >= 0; --bit)
        m_bits.push_back(((value >> bit) & 1) != 0);
}

std::vector<int> SymbolWriter::symbols() const
{
    std::vector<int> symbols((m_bits.size() + 4) / 5, 0);
    for (std::size_t index = 0; index < m_bits.size(); ++index) {
        if (m_bits[index])
            symbols[index / 5] |= 1 << (4 - int(index % 5));
    }
    return symbols;
}

bool SymbolReader::bit(std::size_t position) const
{
    return ((m_symbols[position / 5] >> (4 - int(position % 5))) & 1) != 0;
}

std::uint64_t SymbolReader::take(int bits)
{
    if (m_failed || m_position + std::size_t(bits) > 5 * m_symbols.size()) {
        m_failed = true;
        return 0;
    }
    std::uint64_t value = 0;
    for (int index = 0; index < bits; ++index)
        value = (value << 1) | (bit(m_position++) ? 1u : 0u);
    return value;
}

bool SymbolReader::endsCleanly() const
{
    if (m_failed || symbolsUsed() != m_symbols.size())
        return false;
    for (std::size_t position = m_position; position < 5 * m_symbols.size(); ++position) {
        if (bit(position))
            return false;
    }
    return true;
}
