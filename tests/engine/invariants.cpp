#include "engine/invariants.h"

#include <array>
#include <fstream>

#include "data/core/basis.h"

namespace kyomat::testing {

std::string check_invariants(const BoutEngine& engine) {
    const Board& b = engine.board();
    const RuleSettings& r = engine.rules();
    if (engine.state().points_b < 0 || engine.state().points_w < 0) return "points below 0";
    const std::array<std::pair<const Element*, int>, 6> counts = {{{&b.lbl_I_b, 1},
                                                                   {&b.lbl_I_W, 1},
                                                                   {&b.lbl_W_b, 99},
                                                                   {&b.lbl_W_W, 99},
                                                                   {&b.lbl_Y_b, 99},
                                                                   {&b.lbl_Y_W, 99}}};
    for (const auto& [cell, limit] : counts) {
        const auto v = to_integer(cell->text);
        if (!v) return "not a number in a score cell: " + cell->text;
        if (*v < 0) return "score below 0: " + cell->text;
        // In points mode the cells show the digits of the totals.
        if (!engine.points_mode() && *v > limit) return "score above its limit: " + cell->text;
    }
    for (const Element* shido : {&b.lbl_S_b, &b.lbl_S_W}) {
        if (shido->text == "H") continue;  // Hansoku-make, in either mode
        const auto v = to_integer(shido->text);
        if (!v || *v < 0) return "bad Shido cell: " + shido->text;
        if (!engine.points_mode() && *v >= r.max_shido) return "Shido at Max_Shido without H";
    }
    if (engine.state().clock_value < 0) return "clock below 0";
    if (b.lblHG.text.empty() || !to_integer(b.lblHG.text) || *to_integer(b.lblHG.text) < 0) {
        return "bad hold-down clock: " + b.lblHG.text;
    }
    if (b.lbl_Sieger_Blau.visible && b.lbl_Sieger_Weiss.visible) return "two winners";
    // A disqualified fighter never wins, whichever key came last.
    if ((b.lbl_Sieger_Blau.visible && b.lbl_S_b.text == "H") ||
        (b.lbl_Sieger_Weiss.visible && b.lbl_S_W.text == "H")) {
        return "a side showing H is the winner";
    }
    if (engine.clock_timer_on() == engine.focus_timer_on())
        return "Timer1 and Timer2 both on or both off";
    return {};
}

namespace {

// Keys that matter, so that a random stream hits them often.
constexpr std::array<std::uint16_t, 26> k_keys = {
    '0',  '1',  '2',  '3',  '4', '7', '8', '9', 0x20, 0x74, 0x75, 0x76, 0x77,
    0xBB, 0xBF, 0x70, 0x7B, 'A', 'B', 'W', 'X', 'S',  'Z',  'V',  'P',  'M'};

}  // namespace

EventDriver::EventDriver(const std::filesystem::path& folder)
    : folder_(folder), host_(folder), engine_(host_, settings_written_at_once(folder)) {
    write_settings(0, 0, 0);
    std::ofstream(folder_ / "neu.kfl", std::ios::binary)
        << "#STR|KFL|1|1\r\n#PAR|0|||4\r\n#DAT|-60|A||B||||\r\n#DAT|-66|C||D||||\r\n"
           "#DAT|-73|E||F||||\r\n";
    host_.attach(engine_);
    host_.list_visible = true;
    engine_.on_create();
}

namespace {

// Numbers of the settings that the input may set to any of the values below.
constexpr std::array<std::pair<const char*, const char*>, 16> k_chosen_keys = {{
    {"anzeige", "kampfzeit"},
    {"anzeige", "kampfzeit_gs"},
    {"anzeige", "haltegr_ippon"},
    {"anzeige", "haltegr_waza"},
    {"anzeige", "titel_dauer"},
    {"anzeige", "teams_simple"},
    {"add_system", "ippon"},
    {"add_system", "waza-ari"},
    {"add_system", "yuko"},
    {"add_system", "shido_1"},
    {"add_system", "shido_N"},
    {"add_system", "max_punkte"},
    {"control", "Max_Shido"},
    {"control", "ohne_yuko"},
    {"sieger", "strafen"},
    {"add_system", "add_aktiv"},
}};
constexpr std::array<const char*, 16> k_chosen_values = {
    "0",          "1",          "2",           "3",
    "-1",         "5",          "60",          "99",
    "100",        "99999",      "86400",       "2147483647",
    "2147483648", "4294967296", "-2147483648", "99999999999999999999"};

}  // namespace

void EventDriver::write_settings(std::uint8_t a, std::uint8_t b, std::uint8_t chosen) {
    // The chosen key comes first in its section, so it is the one that counts.
    const auto& chosen_key = k_chosen_keys[chosen % k_chosen_keys.size()];
    const std::string_view section = chosen_key.first;
    const std::string first = std::string(chosen_key.second) + "=" +
                              k_chosen_values[(chosen / k_chosen_keys.size()) % 16] + "\r\n";
    const auto head = [&](const char* name) {
        return "[" + std::string(name) + "]\r\n" +
               (chosen != 0 && std::string_view(name) == section ? first : std::string());
    };
    std::ofstream out(folder_ / "kyomat.ini", std::ios::binary | std::ios::trunc);
    out << head("anzeige") << "anz_links=0\r\ngewk=x\r\nkampfzeit=" << (a % 8) * 30 + 1
        << "\r\nkampfzeit_gs=" << (b % 4) * 20 << "\r\n";
    out << head("add_system") << "add_aktiv=" << ((a & 0x80) ? 1 : 0)
        << "\r\nippon=100\r\nwaza-ari=10\r\nyuko=1\r\nshido_1=1\r\nshido_2=2\r\nshido_N=3\r\n"
        << "max_punkte=" << (b % 5) * 100 << "\r\n";
    out << head("control") << "Max_Shido=" << (a / 8) % 10
        << "\r\nwaza2ippon=" << ((b & 0x10) ? 1 : 0) << "\r\nohne_waza=" << ((b & 0x20) ? 1 : 0)
        << "\r\n";
    out << head("sieger") << "strafen=" << (b / 64) % 3 << "\r\n";
}

void EventDriver::queue_answers() {
    // Every window the engine opens is answered at once.
    host_.entry_answers.assign(1, DialogAnswer{true, "edtNAMEBlau=Blau|edtNAMEWeiss=Weiss"});
    host_.teams_answers.assign(1, DialogAnswer{true, ""});
    host_.confirm_answers.assign(1, true);
    host_.panel_answers.assign(1, "close");
    host_.failure.clear();
    host_.events.clear();
    host_.protocol.clear();
    host_.results.clear();
}

bool EventDriver::step(const std::uint8_t* data, std::size_t size, std::size_t& pos) {
    if (pos >= size) return false;
    const std::uint8_t op = data[pos++];
    const std::uint8_t arg = pos < size ? data[pos++] : 0;
    queue_answers();
    switch (op % 8) {
        case 0:
        case 1:
        case 2: {  // a key with modifiers
            const Modifiers mods{(op & 0x10) != 0, (op & 0x20) != 0 && (op & 0x40) != 0,
                                 (op & 0x80) != 0};
            const std::uint16_t key = (op & 0x08) ? arg : k_keys[arg % k_keys.size()];
            engine_.handle_key(key, mods);
            break;
        }
        case 3:  // time passes with the clock ticking
            for (int i = 0; i < (arg % 40) + 1; ++i) {
                host_.tick += 100 + (arg & 0x7);
                if (engine_.clock_timer_on()) engine_.clock_tick();
            }
            break;
        case 4:  // a long jump of the tick count, across its wrap as well
            host_.tick += static_cast<std::uint32_t>(arg) * 977u + (op & 0x80 ? 0xFFFF0000u : 0u);
            if (engine_.clock_timer_on()) engine_.clock_tick();
            break;
        case 5:
            if (engine_.focus_timer_on()) engine_.focus_tick();
            break;
        case 6: {  // new settings, taken over by the reset to configuration
            const std::uint8_t more = pos < size ? data[pos++] : 0;
            const std::uint8_t chosen = pos < size ? data[pos++] : 0;
            write_settings(arg, more, chosen);
            engine_.handle_key('E', Modifiers{false, true, false});
            break;
        }
        case 7: {  // the change of bout
            static constexpr std::uint16_t k_bout_keys[] = {'N', 'K', 'E', 'T', 'C', 'G'};
            engine_.handle_key(k_bout_keys[arg % 6], Modifiers{false, true, false});
            break;
        }
        default:
            break;
    }
    return true;
}

}  // namespace kyomat::testing
