// Score cells, points, penalties, the end of a bout and its winner.
#include <algorithm>
#include <array>
#include <tuple>

#include "data/core/basis.h"
#include "engine/engine.h"

namespace kyomat {
namespace {

// The most of one score kind a cell can count.
constexpr int k_cell_limit = 99;
// The amount the protocol records for one Shido of the points system, given or taken.
constexpr int k_protocol_shido = 47;
// Places of Ippon, Waza-ari and Yuko when the scores are compared at the end of time.
constexpr int k_ippon_weight = 1000;
constexpr int k_waza_weight = 100;

char protocol_letter(Side s) {
    return s == Side::blue ? 'b' : 'w';
}

}  // namespace

int BoutEngine::cell_value(const Element& cell) const {
    return to_integer(cell.text).value_or(rules_.max_shido);
}

bool BoutEngine::is_shido_cell(const Element& cell) const {
    return &cell == &board_.lbl_S_b || &cell == &board_.lbl_S_W;
}

// The protocol names a cell by its control name in capitals; made once, not on every key.
const std::string& BoutEngine::protocol_subject(const Element& cell) const {
    static const std::array<std::string, Board::k_count> subjects = [] {
        std::array<std::string, Board::k_count> names;
        for (std::size_t i = 0; i < Board::k_count; ++i) {
            names[i] = upper_case_de(Board::elements()[i].name);
        }
        return names;
    }();
    static const std::string none;
    const auto& elements = Board::elements();
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (&(board_.*elements[i].member) == &cell) return subjects[i];
    }
    return none;
}

int BoutEngine::change_wertung(Element& cell, int limit, int delta) {
    int v = cell_value(cell) + delta;
    if (v < 0) v = 0;
    if (v >= limit) v = limit;
    const std::string text =
        (is_shido_cell(cell) && v == rules_.max_shido) ? std::string("H") : std::to_string(v);
    protocol(protocol_subject(cell), delta);
    if (delta > 0) state_.begun = true;
    // A take-back re-opens an ended bout, but not one that time ended: that bout's result is
    // corrected where it stands.
    const bool reopen = delta < 0 && !state_.bout_active && !state_.ended_by_time;
    cell.text = text;
    if (reopen) {
        // One Hansoku-make still standing (the other one cancelled, or another cell
        // corrected) keeps deciding: a disqualified fighter never fights on.
        if (const MaybeSide loser = single_hansoku_make()) {
            zeigen_sieger(other(*loser));
        } else {
            state_.bout_active = true;
            zeigen_sieger(std::nullopt);
        }
    }
    decide_again_after_time();
    return v;
}

void BoutEngine::change_punkte(Side side, int delta) {
    int& total = state_.points(side);
    total = static_cast<int>(
        std::clamp<std::int64_t>(std::int64_t{total} + delta, 0, k_max_points_total));
    anzeige_punkte();
    if (delta > 0) state_.begun = true;
    protocol(std::string(1, protocol_letter(side)), delta);
    decide_again_after_time();
}

void BoutEngine::anzeige_punkte() {
    Board& b = board_;
    for (auto [p, i, w, y] : {std::tuple{state_.points_b, &b.lbl_I_b, &b.lbl_W_b, &b.lbl_Y_b},
                              std::tuple{state_.points_w, &b.lbl_I_W, &b.lbl_W_W, &b.lbl_Y_W}}) {
        y->text = std::to_string(p % 10);
        w->text = std::to_string((p / 10) % 10);
        i->text = std::to_string(p / 100);
    }
}

void BoutEngine::change_shido(Side side, int delta) {
    Element& cell = shido_cell(side);
    const int old = shown_number(cell);
    const int now = old + delta;
    cell.text = std::to_string(std::max(now, 0));
    const int ordinal = now >= old ? now : old;
    int value = rules_.shido_n;
    switch (ordinal) {
        case 1:
            value = rules_.shido_1;
            break;
        case 2:
            value = rules_.shido_2;
            break;
        case 3:
            value = rules_.shido_3;
            break;
        case 4:
            value = rules_.shido_4;
            break;
        default:
            break;
    }
    if (now < 0) return;
    protocol(std::string(1, protocol_letter(side)),
             now >= old ? k_protocol_shido : -k_protocol_shido);
    if (value * delta != 0) change_punkte(other(side), value * delta);
    decide_again_after_time();
}

void BoutEngine::give_ippon(Side side) {
    change_wertung(ippon_cell(side), 1, +1);
    kampfende(side);
}

void BoutEngine::give_waza_ari(Side side) {
    if (rules_.ohne_waza) return;
    const int n = change_wertung(waza_cell(side), k_cell_limit, +1);
    if ((rules_.waza2ippon && n == 2) || golden_score()) kampfende(side);
}

void BoutEngine::give_yuko(Side side) {
    // A hidden cell would count a score the audience cannot see.
    if (rules_.ohne_yuko) {
        host_.show_note("Yuko ist ausgeschaltet");
        return;
    }
    change_wertung(yuko_cell(side), k_cell_limit, +1);
    if (golden_score()) kampfende(side);
}

void BoutEngine::give_shido(Side side) {
    const Side opp = other(side);
    const int n = change_wertung(shido_cell(side), rules_.max_shido, +1);
    if (n >= rules_.max_shido) {
        // The last Shido is a Hansoku-make; the opponent's Ippon on the board is its result.
        protocol(side == Side::blue ? "HANSOKU_MAKE_B" : "HANSOKU_MAKE_W");
        {
            const QuietProtocol quiet(*this);
            // An Ippon the opponent already had by key stays his when the Shido is cancelled.
            if (shown_number(ippon_cell(opp)) == 0) state_.hansoku_ippon = opp;
            change_wertung(ippon_cell(opp), 1, +1);
        }
        kampfende(opp);
    }
    // In Golden Score a Shido decides with strafen=2, and with strafen=1 when the side now
    // has more Shido than its opponent.
    const bool more_shido =
        digits_to_number(shido_cell(side).text) > digits_to_number(shido_cell(opp).text);
    if (golden_score() && n > 0 && (rules_.strafen == 2 || (rules_.strafen == 1 && more_shido))) {
        kampfende(opp);
    }
}

void BoutEngine::take_shido(Side side, int limit) {
    const bool was_hansoku_make = shido_cell(side).text == "H";
    change_wertung(shido_cell(side), limit, -1);
    const Side opp = other(side);
    if (!was_hansoku_make || shido_cell(side).text == "H" || state_.hansoku_ippon != opp) return;
    // The referees cancelled the Hansoku-make: the Ippon it gave goes with it.
    state_.hansoku_ippon.reset();
    change_wertung(ippon_cell(opp), 1, -1);
}

void BoutEngine::take_ippon(Side side) {
    change_wertung(ippon_cell(side), 1, -1);
    if (state_.hansoku_ippon == side) state_.hansoku_ippon.reset();
    // An Ippon the hold-down gave, corrected: its time is the last hold-down's now, not a
    // clock in the holder's colour that still claims the Ippon.
    if (!state_.holder && board_.lblHG.text != "00") retire_hold_down_award();
}

void BoutEngine::retire_hold_down_award() {
    save_haltegriff();
    board_.lblHG.text = "00";
    board_.lblHG.font = rules_.farben_a.font_zeit_stop;
    board_.pnlHG.back = rules_.farben_a.hintergrund_fuss;
}

// A Waza-ari or Yuko taken back that the hold-down clock still shows as its award (the time
// of that award in the side's colour): the clock no longer claims it.
void BoutEngine::take_hold_down_award(Side side, bool waza) {
    const int award_time = waza ? rules_.haltegr_waza : rules_.haltegr_yuko;
    if (state_.holder || award_time <= 0 || shown_number(board_.lblHG) != award_time ||
        board_.lblHG.font != side_colours(side).font_wertung) {
        return;
    }
    retire_hold_down_award();
}

void BoutEngine::give_points(Side side, int value, bool is_waza) {
    if (is_waza && rules_.ohne_waza) return;
    change_punkte(side, value);
}

void BoutEngine::take_back(Side side, Element& cell, int limit, int points) {
    if (points_mode()) {
        change_punkte(side, -points);
    } else {
        change_wertung(cell, limit, -1);
    }
}

void BoutEngine::check_max_points() {
    if (state_.points_b >= rules_.max_punkte) kampfende(Side::blue);
    if (state_.points_w >= rules_.max_punkte) kampfende(Side::white);
}

// In Golden Score the first change that puts a side ahead (a score, or a Shido's points for
// the other side) ends the bout for that side.
void BoutEngine::check_golden_score_lead(int blue_before, int white_before) {
    const int blue = state_.points_b, white = state_.points_w;
    if (!golden_score() || !state_.bout_active || blue == white) return;
    if (blue == blue_before && white == white_before) return;
    kampfende(blue > white ? Side::blue : Side::white);
}

void BoutEngine::hansoku_make(Side side) {
    protocol(side == Side::blue ? "HANSOKU_MAKE_B" : "HANSOKU_MAKE_W");
    {
        const QuietProtocol quiet(*this);
        change_wertung(shido_cell(side), rules_.max_shido, rules_.max_shido);
    }
    kampfende(other(side));
}

MaybeSide BoutEngine::winner_by_scores() const {
    const Board& b = board_;
    const auto weighed = [](const Element& i, const Element& w, const Element& y) {
        return std::int64_t{k_ippon_weight} * shown_number(i) +
               std::int64_t{k_waza_weight} * shown_number(w) + shown_number(y);
    };
    const std::int64_t blue = weighed(b.lbl_I_b, b.lbl_W_b, b.lbl_Y_b);
    const std::int64_t white = weighed(b.lbl_I_W, b.lbl_W_W, b.lbl_Y_W);
    if (blue > white) return Side::blue;
    if (white > blue) return Side::white;
    return std::nullopt;
}

bool BoutEngine::scores_differ() const {
    if (points_mode()) return state_.points_b != state_.points_w;
    return winner_by_scores().has_value();
}

MaybeSide BoutEngine::winner_by_penalties() const {
    // A cell reading "H" (a Hansoku-make bout that was re-opened) counts as Max_Shido.
    const int blue = cell_value(board_.lbl_S_b);
    const int white = cell_value(board_.lbl_S_W);
    if (white > blue) return Side::blue;
    if (blue > white) return Side::white;
    return std::nullopt;
}

MaybeSide BoutEngine::ippon_winner() const {
    const MaybeSide won = shown_winner();
    if (!won || points_mode()) return std::nullopt;
    const Board& b = board_;
    const bool blue = *won == Side::blue;
    const Element& ippon = blue ? b.lbl_I_b : b.lbl_I_W;
    const Element& waza = blue ? b.lbl_W_b : b.lbl_W_W;
    const Element& loser_shido = blue ? b.lbl_S_W : b.lbl_S_b;
    if (shown_number(ippon) > 0 || (rules_.waza2ippon && shown_number(waza) >= 2) ||
        loser_shido.text == "H") {
        return won;
    }
    return std::nullopt;
}

bool BoutEngine::both_hansoku_make() const {
    return board_.lbl_S_b.text == "H" && board_.lbl_S_W.text == "H";
}

MaybeSide BoutEngine::single_hansoku_make() const {
    const bool blue = board_.lbl_S_b.text == "H";
    const bool white = board_.lbl_S_W.text == "H";
    if (blue == white) return std::nullopt;
    return blue ? Side::blue : Side::white;
}

// A side disqualified by Hansoku-make never wins, whatever the scores say: one "H" loses to
// the other side, two leave no winner.
MaybeSide BoutEngine::hansoku_make_decides(MaybeSide decided) const {
    if (both_hansoku_make()) return std::nullopt;
    if (const MaybeSide loser = single_hansoku_make()) return other(*loser);
    return decided;
}

MaybeSide BoutEngine::winner_at_end_of_time() const {
    if (both_hansoku_make() || single_hansoku_make()) return hansoku_make_decides(std::nullopt);
    MaybeSide winner = winner_by_scores();
    if (!winner && rules_.strafen == 2) winner = winner_by_penalties();
    return winner;
}

// A technique at the gong counts, and a score is corrected after a check: until the result
// of a bout ended by time is handed on, each change decides as the end of time did.
void BoutEngine::decide_again_after_time() {
    if (!state_.ended_by_time || state_.bout_active || state_.handed_on) return;
    state_.referee_decision = false;
    zeigen_sieger(winner_at_end_of_time());
}

void BoutEngine::kampfende(MaybeSide decided) {
    if (clock_timer_on_) protocol("UHR_STOPP", std::nullopt, clock_text(state_.clock_value));
    set_clock_timer(false);
    stop_colours();
    if (state_.bout_active) host_.gong_play();
    state_.bout_active = false;
    if (!decided) decided = winner_at_end_of_time();
    // Each Hansoku-make ends the bout for the other side; when both have one, both lose.
    if (both_hansoku_make() && decided) protocol("HANSOKU_MAKE_BEIDE");
    decided = hansoku_make_decides(decided);
    zeigen_sieger(decided);
    if (state_.control_panel_active) {
        host_.anzeige_uebernehmen();
        host_.zeit_uebernehmen();
    }
}

void BoutEngine::zeigen_sieger(MaybeSide winner) {
    const MaybeSide before = shown_winner();
    board_.lblHG_Save.text.clear();
    board_.pnlHG_Bottom.back = rules_.farben_a.hintergrund_fuss;
    stop_colours();
    board_.lbl_Sieger_Blau.visible = winner == Side::blue;
    board_.lbl_Sieger_Weiss.visible = winner == Side::white;
    if (winner) state_.bout_active = false;
    if (!winner) state_.referee_decision = false;
    protocol_winner_change(before);
}

void BoutEngine::setzen_verletzungskreuz(Side side, int step) {
    const bool blue = side == Side::blue;
    Element& first = blue ? board_.lbl_Kreuz_b_1 : board_.lbl_Kreuz_w_1;
    Element& second = blue ? board_.lbl_Kreuz_b_2 : board_.lbl_Kreuz_w_2;
    const int count = second.text == "+" ? 2 : (first.text == "+" ? 1 : 0);
    first.text.clear();
    second.text.clear();
    int n = step != 0 ? count + step : 0;
    if (n > 2) n = 0;
    if (n >= 2) second.text = "+";
    if (n >= 1) first.text = "+";
}

}  // namespace kyomat
