#include "engine/gamepad_keys.h"

#include <algorithm>
#include <cctype>

#include "data/core/setting_reader.h"
#include "data/core/settings.h"

namespace kyomat {
namespace {

std::string lower(std::string_view text) {
    std::string s(text);
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool is_button(std::string_view name) {
    return std::any_of(std::begin(k_gamepad_buttons), std::end(k_gamepad_buttons),
                       [name](const char* b) { return name == b; });
}

constexpr Key k_button_keys[] = {Key::gamepad_a,
                                 Key::gamepad_b,
                                 Key::gamepad_x,
                                 Key::gamepad_y,
                                 Key::gamepad_back,
                                 Key::gamepad_guide,
                                 Key::gamepad_start,
                                 Key::gamepad_leftstick,
                                 Key::gamepad_rightstick,
                                 Key::gamepad_leftshoulder,
                                 Key::gamepad_rightshoulder,
                                 Key::gamepad_dpup,
                                 Key::gamepad_dpdown,
                                 Key::gamepad_dpleft,
                                 Key::gamepad_dpright};
static_assert(std::size(k_button_keys) == std::size(k_gamepad_buttons));

constexpr Key k_pair_keys[] = {Key::gamepad_paar1, Key::gamepad_paar2, Key::gamepad_paar3,
                               Key::gamepad_paar4};

std::string trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// "start+back:Strg+E": the two buttons and the key.
void read_pair(GamepadMap& map, std::string_view key_name, const std::string& value) {
    const std::size_t colon = value.find(':');
    const std::string buttons = lower(trimmed(value.substr(0, colon)));
    const std::size_t plus = buttons.find('+');
    const std::string first =
        plus == std::string::npos ? buttons : trimmed(buttons.substr(0, plus));
    const std::string second = plus == std::string::npos ? "" : trimmed(buttons.substr(plus + 1));
    const auto key =
        colon == std::string::npos ? std::nullopt : parse_table_key(value.substr(colon + 1));
    if (!is_button(first) || !is_button(second) || first == second || !key) {
        map.problems.push_back("[gamepad] " + std::string(key_name) + "=" + value +
                               " ist kein Paar wie start+back:Strg+E und wirkt nicht");
        return;
    }
    map.pairs.push_back({first, second, *key});
}

}  // namespace

std::optional<KeyEvent> parse_table_key(std::string_view text) {
    std::string rest = trimmed(text);
    Modifiers mods;
    for (;;) {
        const std::string l = lower(rest);
        const auto strip = [&](std::string_view prefix, bool& flag) {
            if (l.size() > prefix.size() && l.compare(0, prefix.size(), prefix) == 0) {
                flag = true;
                rest = trimmed(rest.substr(prefix.size()));
                return true;
            }
            return false;
        };
        if (!strip("strg+", mods.ctrl) && !strip("ctrl+", mods.ctrl) &&
            !strip("umschalt+", mods.shift) && !strip("shift+", mods.shift) &&
            !strip("alt+", mods.alt))
            break;
    }
    const std::string l = lower(rest);
    std::optional<KeyEvent> key;
    if (l == "leertaste" || l == "space") {
        key = KeyEvent{vk::space, {}};
    } else if (l == "+") {
        key = KeyEvent{vk::oem_plus, {}};
    } else if (l == "#") {
        key = KeyEvent{vk::oem_2, {}};
    } else if (!l.empty() && l.find_first_of("+:") == std::string::npos) {
        std::string upper = rest;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        key = parse_key_combo(upper);
    }
    if (!key) return std::nullopt;
    key->mods = mods;
    return key;
}

bool discarding_key(const KeyEvent& key) {
    return key.mods.ctrl && (key.key == 'E' || key.key == 'B' || key.key == 'W' || key.key == 'N');
}

GamepadMap read_gamepad_map(const Settings& settings) {
    GamepadMap map;
    const Settings::Sections sections = settings.sections();
    map.on = std::any_of(sections.names.begin(), sections.names.end(),
                         [](const std::string& s) { return lower(s) == "gamepad"; });
    if (!map.on) return map;
    map.shift = lower(trimmed(read_setting_text(settings, Key::gamepad_umschalt)));
    if (!map.shift.empty() && !is_button(map.shift)) {
        map.problems.push_back("[gamepad] umschalt=" + map.shift + " ist kein Knopf");
        map.shift.clear();
    }
    for (Key k : k_pair_keys) {
        const std::string value = trimmed(read_setting_text(settings, k));
        if (!value.empty()) read_pair(map, setting_key(k).key, value);
    }
    for (std::size_t i = 0; i < std::size(k_button_keys); ++i) {
        const std::string value = trimmed(read_setting_text(settings, k_button_keys[i]));
        if (value.empty()) continue;
        const std::string button = k_gamepad_buttons[i];
        const auto key = parse_table_key(value);
        const bool paired = std::any_of(map.pairs.begin(), map.pairs.end(), [&](const auto& p) {
            return p.first == button || p.second == button;
        });
        std::string why;
        if (!key) {
            why = " ist keine Taste der Tastenkarte";
        } else if (discarding_key(*key)) {
            why =
                ": was den Kampf weitergibt oder ersetzt, braucht zwei Knöpfe zugleich "
                "(paar1=start+back:";
            why += value;
            why += ")";
        } else if (paired) {
            why = ": der Knopf ist Teil eines Paars und gibt allein nichts";
        } else if (button == map.shift) {
            why = ": der Knopf ist die Umschalttaste und gibt allein nichts";
        }
        if (why.empty()) {
            map.single[button] = *key;
        } else {
            std::string problem = "[gamepad] " + button;
            problem += "=";
            problem += value;
            problem += why;
            map.problems.push_back(std::move(problem));
        }
    }
    return map;
}

std::optional<KeyEvent> GamepadPresses::press(int pad, const std::string& button) {
    std::set<std::string>& held = held_[pad];
    held.insert(button);
    for (const GamepadMap::Pair& p : map_.pairs) {
        if ((p.first == button && held.count(p.second) != 0) ||
            (p.second == button && held.count(p.first) != 0))
            return p.key;
    }
    const auto it = map_.single.find(button);
    if (it == map_.single.end()) return std::nullopt;
    KeyEvent key = it->second;
    if (!map_.shift.empty() && held.count(map_.shift) != 0) key.mods.shift = true;
    return key;
}

void GamepadPresses::release(int pad, const std::string& button) {
    const auto it = held_.find(pad);
    if (it != held_.end()) it->second.erase(button);
}

}  // namespace kyomat
