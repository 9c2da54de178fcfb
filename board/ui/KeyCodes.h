// The game's key handler speaks Windows virtual-key codes and shift masks.
#pragma once

#include <Qt>
#include <cstdint>

// The virtual-key code of a Qt key, as a US keyboard would report it;
// 0 for keys that have none.
int16_t WindowsKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

// Shift 1, Ctrl 2, Alt 4, combined.
int16_t WindowsShiftState(Qt::KeyboardModifiers modifiers);

// Shift, Ctrl, Alt and the like: keys that only qualify other keys.
bool IsModifierKey(int qtKey);
