#include "engine/keys.h"

#include <string>

namespace kyomat {

std::optional<KeyEvent> parse_key_combo(std::string_view combo) {
    KeyEvent ev;
    for (;;) {
        const std::size_t plus = combo.find('+');
        if (plus == std::string_view::npos || plus + 1 >= combo.size()) break;
        const std::string_view mod = combo.substr(0, plus);
        if (mod == "Shift") {
            ev.mods.shift = true;
        } else if (mod == "Ctrl") {
            ev.mods.ctrl = true;
        } else if (mod == "Alt") {
            ev.mods.alt = true;
        } else {
            return std::nullopt;
        }
        combo.remove_prefix(plus + 1);
    }
    const std::string_view k = combo;
    if (k.size() == 1 && ((k[0] >= '0' && k[0] <= '9') || (k[0] >= 'A' && k[0] <= 'Z'))) {
        ev.key = static_cast<unsigned char>(k[0]);
    } else if (k == "Space") {
        ev.key = vk::space;
    } else if (k == "Plus") {
        ev.key = vk::oem_plus;
    } else if (k == "Hash") {
        ev.key = vk::oem_2;
    } else if (k.size() == 4 && k.substr(0, 3) == "Num" && k[3] >= '0' && k[3] <= '9') {
        ev.key = static_cast<std::uint16_t>(vk::numpad0 + (k[3] - '0'));
    } else if (k.size() >= 2 && k.size() <= 3 && k[0] == 'F' &&
               k.find_first_not_of("0123456789", 1) == std::string_view::npos) {
        const int n = std::stoi(std::string(k.substr(1)));
        if (n < 1 || n > 12) return std::nullopt;
        ev.key = static_cast<std::uint16_t>(vk::f1 + n - 1);
    } else if (k.size() > 2 && k.size() <= 6 && k.substr(0, 2) == "0x" &&
               k.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string_view::npos) {
        ev.key = static_cast<std::uint16_t>(std::stoul(std::string(k.substr(2)), nullptr, 16));
    } else {
        return std::nullopt;
    }
    return ev;
}

}  // namespace kyomat
