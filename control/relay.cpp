#include "control/relay.h"

namespace kyomat {

std::optional<KeyEvent> relay_key(unsigned char character, char modifier) {
    KeyEvent ev;
    ev.key = character;
    switch (modifier) {
        case ' ':
            return ev;
        case 'C':
            ev.mods.ctrl = true;
            return ev;
        case 'S':
            ev.mods.shift = true;
            return ev;
        case 'F':
            if (character < '5' || character > '8') return std::nullopt;
            ev.key = static_cast<std::uint16_t>(vk::f5 + (character - '5'));
            return ev;
        case 'G':
            ev.mods.ctrl = true;
            if (character == '1') {
                ev.key = vk::f1;
            } else if (character == 'B') {
                ev.key = vk::f12;
            } else {
                return std::nullopt;
            }
            return ev;
        default:
            return std::nullopt;
    }
}

}  // namespace kyomat
