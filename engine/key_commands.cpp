// The key table: which key does what, and in which order the steps of one key run.
#include "data/core/catalogue.h"
#include "engine/engine.h"

namespace kyomat {
namespace {

// The score cells' limits a take-back respects.
constexpr int k_single = 1;
constexpr int k_many = 99;
constexpr int k_shido_take_back_limit = 4;  // fixed, whatever Max_Shido says

// The keys that change a bout's result: scores, Shido, hold-down, winner, clock, Golden Score.
bool changes_the_result(std::uint16_t key, Modifiers mods) {
    const bool digit = key >= '0' && key <= '9';
    // The injury crosses answer with any modifier; they are part of the bout's record.
    if (key == vk::oem_plus || key == vk::oem_2) return true;
    // Shift and Ctrl together run both the Shift and the Ctrl command of the key.
    if (mods.shift && digit) return true;
    if (mods.ctrl) {
        switch (key) {
            case vk::f1:
            case vk::f12:
            case 'Z':
            case 'V':
            case 'P':
            case 'M':
            case 'A':
            case 'S':
            case 'B':
            case 'W':
            case 'X':
                return true;
            default:
                return false;
        }
    }
    if (mods.shift) return false;
    return digit || key == vk::space || (key >= vk::f5 && key <= vk::f8);
}

}  // namespace

void BoutEngine::handle_key(std::uint16_t key, Modifiers mods) {
    // Every value the key needs comes from one reading of kyomat.ini.
    const Settings::Batch one_reading(settings_);
    panel_keys_ = panel_keys_relayed(settings_);
    // One bout, one result: once handed on, a result is corrected in the bout list.
    if (state_.handed_on && changes_the_result(key, mods)) {
        host_.show_note(
            "Das Ergebnis dieses Kampfes ist schon weitergegeben: der Kampf bleibt, wie er ist. "
            "Korrekturen bitte in der Kampfliste");
        return;
    }
    if (key == vk::oem_plus || key == vk::oem_2) {
        const Side side = key == vk::oem_plus ? Side::blue : Side::white;
        setzen_verletzungskreuz(side, 1);
        const Element& first = side == Side::blue ? board_.lbl_Kreuz_b_1 : board_.lbl_Kreuz_w_1;
        const Element& second = side == Side::blue ? board_.lbl_Kreuz_b_2 : board_.lbl_Kreuz_w_2;
        protocol(side == Side::blue ? "KREUZ_B" : "KREUZ_W",
                 (first.text == "+" ? 1 : 0) + (second.text == "+" ? 1 : 0));
    }
    if (!mods.shift && !mods.ctrl) {
        const int blue_before = state_.points_b, white_before = state_.points_w;
        plain_key(key);
        if (points_mode()) {
            check_max_points();
            check_golden_score_lead(blue_before, white_before);
        }
        hold_down_key(key);
    }
    if (mods.shift) shift_key(key);
    if (mods.ctrl) ctrl_key(key);
}

void BoutEngine::plain_key(std::uint16_t key) {
    const bool pm = points_mode();
    const RuleSettings& r = rules_;
    switch (key) {
        case vk::space:
            schalten_stoppuhr();
            break;
        case '1':
            pm ? give_points(Side::blue, r.ippon, false) : give_ippon(Side::blue);
            break;
        case '7':
            pm ? give_points(Side::white, r.ippon, false) : give_ippon(Side::white);
            break;
        case '2':
            pm ? give_points(Side::blue, r.waza_ari, true) : give_waza_ari(Side::blue);
            break;
        case '8':
            pm ? give_points(Side::white, r.waza_ari, true) : give_waza_ari(Side::white);
            break;
        case '3':
            pm ? give_points(Side::blue, r.yuko, false) : give_yuko(Side::blue);
            break;
        case '9':
            pm ? give_points(Side::white, r.yuko, false) : give_yuko(Side::white);
            break;
        case '4':
            pm ? change_shido(Side::blue, +1) : give_shido(Side::blue);
            break;
        case '0':
            pm ? change_shido(Side::white, +1) : give_shido(Side::white);
            break;
        default:
            break;
    }
}

void BoutEngine::hold_down_key(std::uint16_t key) {
    switch (key) {
        case vk::f5:
        case vk::f8: {
            const Side side = key == vk::f5 ? Side::blue : Side::white;
            if (!state_.holder) {
                setze_haltegriff(side);
            } else if (state_.holder != side && is_reversal()) {
                reverse_haltegriff(side);
            } else {
                aendern_haltegriff(side);
            }
            break;
        }
        case vk::f6:
            end_haltegriff();
            break;
        case vk::f7: {
            const bool was_held = state_.holder.has_value();
            if (was_held || board_.lblHG.text != "00")
                protocol("HALTEGRIFF_AUS", shown_number(board_.lblHG));
            reset_haltegriff();
            if (was_held) end_by_time_after_hold_down();
            break;
        }
        default:
            break;
    }
}

void BoutEngine::shift_key(std::uint16_t key) {
    const RuleSettings& r = rules_;
    Board& b = board_;
    switch (key) {
        case '1':
            points_mode() ? take_back(Side::blue, b.lbl_I_b, k_single, r.ippon)
                          : take_ippon(Side::blue);
            break;
        case '2':
            take_back(Side::blue, b.lbl_W_b, k_many, r.waza_ari);
            if (!points_mode()) take_hold_down_award(Side::blue, true);
            break;
        case '3':
            take_back(Side::blue, b.lbl_Y_b, k_many, r.yuko);
            if (!points_mode()) take_hold_down_award(Side::blue, false);
            break;
        case '7':
            points_mode() ? take_back(Side::white, b.lbl_I_W, k_single, r.ippon)
                          : take_ippon(Side::white);
            break;
        case '8':
            take_back(Side::white, b.lbl_W_W, k_many, r.waza_ari);
            if (!points_mode()) take_hold_down_award(Side::white, true);
            break;
        case '9':
            take_back(Side::white, b.lbl_Y_W, k_many, r.yuko);
            if (!points_mode()) take_hold_down_award(Side::white, false);
            break;
        case '4':
        case '0': {
            const Side side = key == '4' ? Side::blue : Side::white;
            if (points_mode()) {
                change_shido(side, -1);
            } else {
                take_shido(side, k_shido_take_back_limit);
            }
            break;
        }
        default:
            break;
    }
}

void BoutEngine::ctrl_key(std::uint16_t key) {
    switch (key) {
        case vk::f1:
            hansoku_make(Side::blue);
            break;
        case vk::f12:
            hansoku_make(Side::white);
            break;
        case 'N':
            if (weight_class_given()) neuer_kampf(true, true);
            break;
        case 'E':
            if (weight_class_given()) reset_to_configuration();
            break;
        case 'K':
            refresh_rules();
            if (rules_.teams_simple == 1) {
                neuer_kampf_teams_simple();
            } else {
                neuer_kampf(true, false);
            }
            break;
        case 'G':
            host_.gong_play();
            break;
        case 'T':
            titel_anzeigen();
            break;
        case 'Q':
            host_.overlay_bild();
            break;
        case 'R':
            host_.overlay_bild_aus();
            break;
        case 'C':
            open_control_panel();
            break;
        case 'I':
            host_.info();
            break;
        default:
            clock_key(key);
            break;
    }
}

bool BoutEngine::weight_class_given() {
    if (!state_.weight_class.empty()) return true;
    host_.show_note(
        "Strg+N und Strg+E brauchen eine Gewichtsklasse auf der Anzeige: den Kampf mit "
        "Strg+K eingeben, die Kampfliste in der Steuerung öffnen oder gewk in der kyomat.ini "
        "setzen");
    return false;
}

// Ctrl+E sits next to Ctrl+W: a bout in progress, running or standing, is wiped only when
// the operator says so with a deliberate click (Abbrechen is the default: a reflex Space or
// Return keeps the bout), and then with its clock stopped, so that the next bout can be loaded.
void BoutEngine::reset_to_configuration() {
    if (bout_in_progress() &&
        !host_.confirm_ok_cancel_default(catalogue_message(k_msg_values_cleared))) {
        return;
    }
    stop_clock();
    const int second = elapsed_seconds();
    const std::string shown = board_.lblZeit.text;
    if (!neuer_kampf(false, false)) return;
    // Both attempts stay in the protocol: the one given up, and the board it left.
    protocol_at(second, "STRG_E", std::nullopt, shown);
    protocol_new_bout(0, "nach Strg+E");
}

// The Ctrl keys of the clocks and the winner.
void BoutEngine::clock_key(std::uint16_t key) {
    switch (key) {
        case 'Z':
            correct_clock(+1);
            break;
        case 'V':
            correct_clock(-1);
            break;
        case 'P':
            correct_hold_down(true);
            break;
        case 'M':
            correct_hold_down(false);
            break;
        case 'A':
            state_.bout_active = true;
            state_.ended_by_time = false;
            zeigen_sieger(std::nullopt);
            break;
        case 'S':
            if (state_.clock_value != 0) break;
            // A Golden Score over a shown winner would let the loser's next score take the bout.
            if (shown_winner()) {
                host_.show_note(
                    "Der Kampf ist entschieden: erst den Sieger mit Strg+X aufheben, dann Golden "
                    "Score");
                break;
            }
            // Golden Score is for equal scores only: over a lead, the next score of the side
            // behind would take a bout it had lost.
            if (scores_differ()) {
                host_.show_note(
                    "Die Wertungen sind nicht gleich: kein Golden Score. Der Kampf ist mit "
                    "Strg+B / Strg+W zu entscheiden");
                break;
            }
            start_golden_score();
            break;
        case 'B':
        case 'W': {
            const Side side = key == 'B' ? Side::blue : Side::white;
            // A disqualified fighter is never the winner, whatever the keys say.
            if (shido_cell(side).text == "H") {
                host_.show_note(std::string(side == Side::blue ? "Blau" : "Weiß") +
                                " hat Hansoku-make und kann nicht Sieger sein");
                break;
            }
            // A declared winner ends the bout as an Ippon does: a clock running on would
            // count into the bout's time, and Space could no longer stop it.
            stop_clock();
            state_.holder.reset();
            // At equal scores after the end of time the referees decide (Hantei).
            state_.referee_decision = state_.ended_by_time && !winner_by_scores();
            zeigen_sieger(side);
            break;
        }
        case 'X':
            zeigen_sieger(std::nullopt);
            break;
        default:
            break;
    }
}

void BoutEngine::open_control_panel() {
    state_.control_panel_active = true;
    host_.board_changed();
    host_.show_control_panel();
}

}  // namespace kyomat
