#include "draw/base/Colour.h"

#include <QGuiApplication>
#include <QPalette>
#include <QThread>

#include <array>

namespace {

std::uint32_t fromPalette(QPalette::ColorRole role, std::uint32_t fallback)
{
    // The palette belongs to a GUI application's own thread; anywhere else (a plain core
    // application, a thread drawing thumbnails) the classic colour stands in.
    const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return fallback;
    return Colour::fromQColor(QGuiApplication::palette().color(QPalette::Active, role)).value();
}

} // namespace

std::uint32_t GetSysColor(int index)
{
    // Classic desktop defaults for the indices no palette role covers.
    static constexpr std::array<std::uint32_t, 31> defaults = {
        0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
        0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
        0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
        0xE1FFFF, 0x000000, 0x800000, 0xF0CAA6, 0xC0C0C0, 0xFF8000, 0xC8D0D4,
    };
    switch (index) {
    case 5: return fromPalette(QPalette::Base, defaults[5]);
    case 8: return fromPalette(QPalette::Text, defaults[8]);
    case 13: return fromPalette(QPalette::Highlight, defaults[13]);
    case 14: return fromPalette(QPalette::HighlightedText, defaults[14]);
    case SysColorIndex::ButtonFace: return fromPalette(QPalette::Button, defaults[15]);
    case SysColorIndex::ButtonShadow: return fromPalette(QPalette::Dark, defaults[16]);
    case 18: return fromPalette(QPalette::ButtonText, defaults[18]);
    case SysColorIndex::ButtonHighlight: return fromPalette(QPalette::Light, defaults[20]);
    case SysColorIndex::DarkShadow: return fromPalette(QPalette::Shadow, defaults[21]);
    default: break;
    }
    if (index >= 0 && index < static_cast<int>(defaults.size()))
        return defaults[static_cast<size_t>(index)];
    return 0;
}

Colour Colour::resolved() const
{
    if (isSystemReference())
        return Colour(GetSysColor(systemIndex()));
    return Colour(m_value & 0x00FFFFFFu);
}
