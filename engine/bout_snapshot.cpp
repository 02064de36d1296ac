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

}  // namespace

bool BoutEngine::bout_open_for_restore() const {
    if (!state_.bout_on_board || state_.handed_on || state_.weight_class.empty()) return false;
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
    const auto number = [&](const char* key, int& into) {
        if (const auto n = state_int(map, key)) into = *n;
        return state_int(map, key).has_value();
    };
    const auto yes_no = [&](const char* key, bool& into) {
        if (const auto b = state_bool(map, key)) into = *b;
        return state_bool(map, key).has_value();
    };
    const auto text = [&](const char* key, std::string& into) {
        const auto it = map.find(key);
        if (it != map.end()) into = it->second;
        return it != map.end();
    };
    bool ok = yes_no("aktiv", s.bout_active) && yes_no("aus_liste", s.loaded_from_list) &&
              yes_no("zeit_abgelaufen", s.ended_by_time) && yes_no("weitergegeben", s.handed_on) &&
              yes_no("entscheidung", s.referee_decision) && number("uhr", s.clock_value) &&
              number("dauer", s.set_duration) && number("gs_grenze", s.golden_score_limit) &&
              number("punkte_b", s.points_b) && number("punkte_w", s.points_w) &&
              text("altersklasse", s.age_class) && text("gewichtsklasse", s.weight_class) &&
              text("kampftext", s.bout_text) && number("listenposition", s.list_position);
    // Kept since a bout's beginning counts for Ctrl+N and Ctrl+E; an older file's bout, offered
    // back because it was open, has begun.
    s.begun = true;
    yes_no("begonnen", s.begun);
    std::string holder;
    ok = ok && text("halter", holder) && (holder == "B" || holder == "W" || holder == "X");
    // An older file knows no Ippon from a Hansoku-make: its Ippon then stays when a Shido is
    // taken back, as it did before.
    std::string hansoku_ippon = "X";
    text("hansoku_ippon", hansoku_ippon);
    ok = ok && (hansoku_ippon == "B" || hansoku_ippon == "W" || hansoku_ippon == "X");
    Board board = board_;
    for (const auto& [name, member] : Board::elements()) {
        std::string value;
        if (!ok || !text((std::string("e.") + name).c_str(), value)) {
            ok = false;
            break;
        }
        // visible|$RRGGBB|$RRGGBB|text; the text may hold "|" itself.
        Element& e = board.*member;
        const std::size_t a = value.find('|');
        const std::size_t b = a == std::string::npos ? a : value.find('|', a + 1);
        const std::size_t c = b == std::string::npos ? b : value.find('|', b + 1);
        if (c == std::string::npos || (value.substr(0, a) != "0" && value.substr(0, a) != "1") ||
            !parse_colour(value.substr(a + 1, b - a - 1), e.font) ||
            !parse_colour(value.substr(b + 1, c - b - 1), e.back)) {
            ok = false;
            break;
        }
        e.visible = value[0] == '1';
        e.text = value.substr(c + 1);
    }
    if (!ok) {
        why = "der gespeicherte Stand ist unvollständig oder beschädigt";
        return false;
    }
    const auto side_of = [](const std::string& code) {
        return code == "B" ? MaybeSide(Side::blue)
                           : (code == "W" ? MaybeSide(Side::white) : std::nullopt);
    };
    s.holder = side_of(holder);
    s.hansoku_ippon = side_of(hansoku_ippon);
    s.clock_value = std::clamp(s.clock_value, -k_max_clock_seconds, k_max_clock_seconds);
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
