#pragma once
// Key codes, shift states and mouse buttons in the numbers the windows'
// handlers compare against: Enter 13, the arrows 37..40, F1 112, Shift 1,
// Ctrl 2, Alt 4, the left button 1, the right 2, the middle 4.

#include <Qt>

namespace pelmora {

inline constexpr int kKeyReturn = 13;
inline constexpr int kKeyUp = 38, kKeyRight = 39, kKeyDown = 40;

int vbKeyCode(int qtKey);
int vbShift(Qt::KeyboardModifiers m);
int vbButton(Qt::MouseButton b);

} // namespace pelmora
