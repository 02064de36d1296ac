#pragma once
// Turns a Qt key press into the virtual-key code and modifiers that the key handler speaks.
#include <QKeyEvent>
#include <optional>

#include "engine/keys.h"

namespace kyomat {

// The digit row is taken by its physical key where the platform tells it (X11 key codes
// 10..19, Windows virtual keys), because Shift+1 arrives as "!" on every layout and Shift+8
// as "(" on a German one; where it does not (offscreen), the German layout's shifted
// symbols stand for their digits. Keypad digits get the keypad codes, which score nothing.
std::optional<KeyEvent> map_key(int qt_key, Qt::KeyboardModifiers mods, quint32 scan_code,
                                quint32 native_virtual_key);
std::optional<KeyEvent> map_key(const QKeyEvent& event);

}  // namespace kyomat
