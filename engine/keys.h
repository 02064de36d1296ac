#pragma once
// Key events as the scoreboard's key handler receives them: a Windows virtual-key code and
// the modifier set, whether they come from the keyboard or from the control panel's relay.
#include <cstdint>
#include <optional>
#include <string_view>

namespace kyomat {

namespace vk {
constexpr std::uint16_t space = 0x20;
constexpr std::uint16_t f1 = 0x70, f5 = 0x74, f6 = 0x75, f7 = 0x76, f8 = 0x77, f12 = 0x7B;
constexpr std::uint16_t oem_plus = 0xBB;  // the "+" key (German "+", US "=")
constexpr std::uint16_t oem_2 = 0xBF;     // the "#" key (German "#", US "/")
constexpr std::uint16_t numpad0 = 0x60;
}  // namespace vk

struct Modifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

struct KeyEvent {
    std::uint16_t key = 0;
    Modifiers mods;
};

// Parses "[Shift+][Ctrl+][Alt+]KEY" (modifiers in any order; KEY as 0-9, A-Z, Space, F1-F12,
// Plus, Hash, Num0-Num9 or 0xNN). Used by the scenario files and the tests.
std::optional<KeyEvent> parse_key_combo(std::string_view combo);

}  // namespace kyomat
