#pragma once
// Colours as the windows name them: &HBBGGRR numbers, red in the low byte and
// blue in the high byte; numbers with the top bit set (&H80000005) are system
// colours taken from the palette.

#include <QApplication>
#include <QColor>
#include <QPalette>

#include <cstdint>

namespace pelmora {

inline constexpr std::int64_t kSysWindowBack = 0x80000005; // window back colour
inline constexpr std::int64_t kSysWindowText = 0x80000008; // window text colour

inline QColor winColor(std::int64_t bgr) {
    if (bgr == kSysWindowBack) return QApplication::palette().color(QPalette::Base);
    if (bgr == kSysWindowText) return QApplication::palette().color(QPalette::Text);
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

inline std::int64_t toWinColor(const QColor& c) {
    return static_cast<std::int64_t>(c.red()) | (static_cast<std::int64_t>(c.green()) << 8) |
           (static_cast<std::int64_t>(c.blue()) << 16);
}

} // namespace pelmora
