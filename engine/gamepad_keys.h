#pragma once
// A gamepad's buttons as keys of the key table: which button gives which key ([gamepad] in
// kyomat.ini), the button that adds Shift for the take-backs while it is held, and the pairs
// of buttons held together for what discards (the result handed on, a winner, the next
// bout). Plain bookkeeping of presses, so it is tested without a controller.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/keys.h"

namespace kyomat {

class Settings;

// A game controller's buttons by the names kyomat.ini gives them.
inline constexpr const char* k_gamepad_buttons[] = {"a",
                                                    "b",
                                                    "x",
                                                    "y",
                                                    "back",
                                                    "guide",
                                                    "start",
                                                    "leftstick",
                                                    "rightstick",
                                                    "leftshoulder",
                                                    "rightshoulder",
                                                    "dpup",
                                                    "dpdown",
                                                    "dpleft",
                                                    "dpright"};

struct GamepadMap {
    bool on = false;  // kyomat.ini has a [gamepad] section
    std::map<std::string, KeyEvent> single;
    std::string shift;  // held: the button's key with Shift (the take-backs)
    struct Pair {
        std::string first, second;
        KeyEvent key;
    };
    std::vector<Pair> pairs;
    // What was left out and why, in the operator's words: each a note at the start.
    std::vector<std::string> problems;
};

GamepadMap read_gamepad_map(const Settings& settings);

// A key in the words of the key table: "Leertaste", "Strg+E", "Umschalt+2", "F5", "+", "#".
std::optional<KeyEvent> parse_table_key(std::string_view text);

// A key that ends or replaces what the board shows: Ctrl+E, a winner (Ctrl+B, Ctrl+W) and
// the next bout (Ctrl+N). A gamepad gives it only from two buttons held together.
bool discarding_key(const KeyEvent& key);

// The buttons held on each controller, and the key a press gives: a button of a pair gives
// nothing alone, the pair gives its key when its second button comes.
class GamepadPresses {
  public:
    explicit GamepadPresses(GamepadMap map) : map_(std::move(map)) {}
    std::optional<KeyEvent> press(int pad, const std::string& button);
    void release(int pad, const std::string& button);
    // A controller unplugged: nothing of it stays held.
    void forget(int pad) { held_.erase(pad); }
    const GamepadMap& map() const { return map_; }

  private:
    GamepadMap map_;
    std::map<int, std::set<std::string>> held_;
};

}  // namespace kyomat
