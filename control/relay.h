#pragma once
// The panel's own notation for the key a control stands for: a character and a modifier
// letter (' ' none, 'C' Ctrl, 'S' Shift, 'F' function key, 'G' Ctrl + function key).
#include <optional>

#include "engine/keys.h"

namespace kyomat {

std::optional<KeyEvent> relay_key(unsigned char character, char modifier);

}  // namespace kyomat
