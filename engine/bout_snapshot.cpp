// The bout on the board as values that a state file keeps, and the bout taken back from them
// after a crash or a power cut.
#include <algorithm>

#include "data/core/basis.h"
#include "engine/engine.h"

namespace kyomat {
namespace {

std::string flag(bool b) {
    return b ? "1" : "0";
}

// The most a list position can be: far beyond any day's list, far below any overflow.
constexpr int k_max_list_position = 1000000;

bool within(int value, int low, int high) {
    return value >= low && value <= high;
}

// Each reader takes its key's value when the file has it, and says whether it had.
bool read_number(const StateMap& map, const char* key, int& into) {
    const auto n = state_int(map, key);
    if (n) into = *n;
    return n.has_value();
}

bool read_yes_no(const StateMap& map, const char* key, bool& into) {
    const auto b = state_bool(map, key);
    if (b) into = *b;
    return b.has_value();
}

bool read_text(const StateMap& map, const std::string& key, std::string& into) {
    const auto it = map.find(key);
    if (it != map.end()) into = it->second;
    return it != map.end();
}

bool is_side_code(const std::string& code) {
    return code == "B" || code == "W" || code == "X";
}

MaybeSide side_of(const std::string& code) {
    return code == "B" ? MaybeSide(Side::blue)
                       : (code == "W" ? MaybeSide(Side::white) : std::nullopt);
}

// The bout's own values; the sides' codes (B, W or X) in holder and hansoku_ippon.
bool read_bout_values(const StateMap& map, BoutState& s, std::string& holder,
                      std::string& hansoku_ippon) {
    const bool ok =
        read_yes_no(map, "aktiv", s.bout_active) &&
        read_yes_no(map, "aus_liste", s.loaded_from_list) &&
        read_yes_no(map, "zeit_abgelaufen", s.ended_by_time) &&
        read_yes_no(map, "weitergegeben", s.handed_on) &&
        read_yes_no(map, "entscheidung", s.referee_decision) &&
        read_number(map, "uhr", s.clock_value) && read_number(map, "dauer", s.set_duration) &&
        read_number(map, "gs_grenze", s.golden_score_limit) &&
        read_number(map, "punkte_b", s.points_b) && read_number(map, "punkte_w", s.points_w) &&
        read_text(map, "altersklasse", s.age_class) &&
        read_text(map, "gewichtsklasse", s.weight_class) &&
        read_text(map, "kampftext", s.bout_text) &&
        read_number(map, "listenposition", s.list_position);
    // Kept since a bout's beginning counts for Ctrl+N and Ctrl+E; an older file's bout, offered
    // back because it was open, has begun.
    s.begun = true;
    read_yes_no(map, "begonnen", s.begun);
    // An older file knows no Ippon from a Hansoku-make: its Ippon then stays when a Shido is
    // taken back, as it did before.
    hansoku_ippon = "X";
    read_text(map, "hansoku_ippon", hansoku_ippon);
    return ok && read_text(map, "halter", holder) && is_side_code(holder) &&
           is_side_code(hansoku_ippon);
}

// Every element of the board, each kept as visible|$RRGGBB|$RRGGBB|text (the text may hold
// "|" itself).
bool read_board(const StateMap& map, Board& board) {
    for (const auto& [name, member] : Board::elements()) {
        std::string value;
        if (!read_text(map, std::string("e.") + name, value)) return false;
        Element& e = board.*member;
        const std::size_t a = value.find('|');
        const std::size_t b = a == std::string::npos ? a : value.find('|', a + 1);
        const std::size_t c = b == std::string::npos ? b : value.find('|', b + 1);
        if (c == std::string::npos || (value.substr(0, a) != "0" && value.substr(0, a) != "1") ||
            !parse_colour(value.substr(a + 1, b - a - 1), e.font) ||
            !parse_colour(value.substr(b + 1, c - b - 1), e.back)) {
            return false;
        }
        e.visible = value[0] == '1';
        e.text = value.substr(c + 1);
    }
    return true;
}

}  // namespace

// A state file is input like any other: a number the board could never have shown (a Shido
// of 2147483647, a clock of days) would overflow at the next key, so it makes the file damaged.
bool BoutEngine::restored_values_in_range(const BoutState& s, const Board& board) const {
    if (!within(s.clock_value, -k_max_clock_seconds, k_max_clock_seconds) ||
        !within(s.set_duration, -k_max_clock_seconds, k_max_clock_seconds) ||
        !within(s.golden_score_limit, -k_max_clock_seconds, k_max_clock_seconds) ||
        !within(s.points_b, 0, k_max_points_total) || !within(s.points_w, 0, k_max_points_total) ||
        !within(s.list_position, 0, k_max_list_position)) {
        return false;
    }
    // Scores mode: Ippon 0 or 1, Waza-ari and Yuko as a cell counts; points mode: the digits
    // of a total. A Shido cell "H" or a count (an age class may set its own Max_Shido).
    const bool pm = points_mode();
    const auto cell_ok = [&](const Element& cell, int limit, bool shido) {
        if (shido && cell.text == "H") return true;
        const std::optional<int> n = to_integer(cell.text);
        return n && cell.text.find_first_not_of("0123456789") == std::string::npos &&
               within(*n, 0, limit);
    };
    const int many = pm ? k_max_points_total : 99;
    for (const Element* cell : {&board.lbl_I_b, &board.lbl_I_W}) {
        if (!cell_ok(*cell, pm ? k_max_points_total : 1, false)) return false;
    }
    for (const Element* cell : {&board.lbl_W_b, &board.lbl_Y_b, &board.lbl_W_W, &board.lbl_Y_W}) {
        if (!cell_ok(*cell, many, false)) return false;
    }
    return cell_ok(board.lbl_S_b, 99, true) && cell_ok(board.lbl_S_W, 99, true);
}

bool BoutEngine::bout_open_for_restore() const {
    // A hand bout without a weight class is a bout all the same.
    if (!state_.bout_on_board || state_.handed_on) return false;
    const Board& b = board_;
    bool scored = state_.points_b > 0 || state_.points_w > 0;
    for (const Element* cell : {&b.lbl_I_b, &b.lbl_W_b, &b.lbl_Y_b, &b.lbl_S_b, &b.lbl_I_W,
                                &b.lbl_W_W, &b.lbl_Y_W, &b.lbl_S_W}) {
        scored = scored || cell->text != "0";
    }
    return scored || state_.begun || clock_timer_on_ || state_.clock_value != state_.set_duration ||
           golden_score() || state_.holder || shown_winner() || state_.ended_by_time;
}

StateValues BoutEngine::snapshot() const {
    StateValues v;
    v.reserve(Board::k_count + 20);
    const BoutState& s = state_;
    v.emplace_back("offen", flag(bout_open_for_restore()));
    v.emplace_back("aktiv", flag(s.bout_active));
    v.emplace_back("aus_liste", flag(s.loaded_from_list));
    v.emplace_back("zeit_abgelaufen", flag(s.ended_by_time));
    v.emplace_back("weitergegeben", flag(s.handed_on));
    v.emplace_back("entscheidung", flag(s.referee_decision));
    v.emplace_back("begonnen", flag(s.begun));
    v.emplace_back("uhr", std::to_string(s.clock_value));
    v.emplace_back("dauer", std::to_string(s.set_duration));
    v.emplace_back("gs_grenze", std::to_string(s.golden_score_limit));
    v.emplace_back("halter", std::string(1, side_code(s.holder)));
    v.emplace_back("hansoku_ippon", std::string(1, side_code(s.hansoku_ippon)));
    v.emplace_back("punkte_b", std::to_string(s.points_b));
    v.emplace_back("punkte_w", std::to_string(s.points_w));
    v.emplace_back("altersklasse", s.age_class);
    v.emplace_back("gewichtsklasse", s.weight_class);
    v.emplace_back("kampftext", s.bout_text);
    v.emplace_back("listenposition", std::to_string(s.list_position));
    for (const auto& [name, member] : Board::elements()) {
        const Element& e = board_.*member;
        v.emplace_back(std::string("e.") + name,
                       flag(e.visible) + "|" + e.font.hex() + "|" + e.back.hex() + "|" + e.text);
    }
    return v;
}

bool BoutEngine::restore(const StateMap& map, std::string& why) {
    BoutState s = state_;
    Board board = board_;
    std::string holder, hansoku_ippon;
    if (!read_bout_values(map, s, holder, hansoku_ippon) || !read_board(map, board) ||
        !restored_values_in_range(s, board)) {
        why = "der gespeicherte Stand ist unvollständig oder beschädigt";
        return false;
    }
    s.holder = side_of(holder);
    s.hansoku_ippon = side_of(hansoku_ippon);
    // The panel and the exit request are this run's, not the last one's.
    s.control_panel_active = state_.control_panel_active;
    s.exit_request = false;
    s.bout_on_board = true;
    s.display_left = state_.display_left;
    state_ = s;
    board_ = board;
    apply_age_class_rules();
    // The clock stands at its last second; a hold-down stands as Space would have left it:
    // its holder and seconds kept, Space goes on, F6 releases.
    set_clock_timer(false);
    clock_seconds_.forget_kept();
    hold_seconds_.forget_kept();
    stop_colours();
    protocol_new_bout(state_.list_position, "nach Neustart wiederhergestellt");
    protocol("WIEDERHERGESTELLT", std::nullopt, board_.lblZeit.text);
    return true;
}

}  // namespace kyomat
