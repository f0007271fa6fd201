#pragma once

#include <QColor>
#include <QRgb>

#include <cstdint>

// A colour value 0x00BBGGRR (red in the low byte). A value with the high bit set is a
// system-colour reference: high bit plus a system colour index, resolved through GetSysColor.
class Colour
{
public:
    constexpr Colour() = default;
    constexpr explicit Colour(std::uint32_t value) : m_value(value) {}

    static constexpr Colour rgb(int red, int green, int blue)
    {
        return Colour(static_cast<std::uint32_t>(red & 0xFF) | static_cast<std::uint32_t>(green & 0xFF) << 8
                      | static_cast<std::uint32_t>(blue & 0xFF) << 16);
    }
    static constexpr Colour system(int index) { return Colour(0x80000000u | static_cast<std::uint32_t>(index)); }

    constexpr std::uint32_t value() const { return m_value; }
    constexpr std::int32_t signedValue() const { return static_cast<std::int32_t>(m_value); }
    constexpr bool isSystemReference() const { return (m_value & 0x80000000u) != 0; }
    constexpr int systemIndex() const { return static_cast<int>(m_value & 0x7FFFFFFFu); }

    constexpr int red() const { return static_cast<int>(m_value & 0xFF); }
    constexpr int green() const { return static_cast<int>((m_value >> 8) & 0xFF); }
    constexpr int blue() const { return static_cast<int>((m_value >> 16) & 0xFF); }

    // The plain colour this value shows: system references are resolved, the top byte ignored.
    Colour resolved() const;
    // Inline for plain colours: drawing loops convert a colour per dot.
    QRgb toQRgb() const
    {
        if (isSystemReference())
            return resolved().toQRgb();
        return qRgb(red(), green(), blue());
    }
    QColor toQColor() const { return QColor::fromRgb(toQRgb()); }
    static Colour fromQColor(const QColor& colour) { return rgb(colour.red(), colour.green(), colour.blue()); }
    static Colour fromQRgb(QRgb rgb) { return Colour::rgb(qRed(rgb), qGreen(rgb), qBlue(rgb)); }

    friend constexpr bool operator==(Colour, Colour) = default;

private:
    std::uint32_t m_value = 0;
};

constexpr Colour RGB(int red, int green, int blue) { return Colour::rgb(red, green, blue); }

// System colour indices the program refers to.
namespace SysColorIndex {
constexpr int ButtonFace = 15;
constexpr int ButtonShadow = 16;
constexpr int ButtonHighlight = 20;
constexpr int DarkShadow = 21;
} // namespace SysColorIndex

// The current colour of a system colour index as a plain 0x00BBGGRR value, taken from the
// application palette where Qt has a matching role. Unknown indices give black.
std::uint32_t GetSysColor(int index);
