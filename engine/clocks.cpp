// The bout clock, the hold-down clock and the focus indicator.
#include <algorithm>

#include "data/core/basis.h"
#include "data/core/setting_reader.h"
#include "engine/engine.h"

namespace kyomat {
namespace {

constexpr Colour k_focus_on{0, 128, 0};
constexpr Colour k_focus_off{128, 128, 128};

}  // namespace

std::string clock_text(std::int64_t seconds) {
    if (seconds < 0) return "-" + clock_text(-seconds);  // only a duration can be negative
    return std::to_string(seconds / 60) + ":" + format_number(seconds % 60, 2);
}

void BoutEngine::stop_colours() {
    board_.pnlZeit.back = rules_.farben_a.hintergrund_zeit_stop;
    board_.lblZeit.font = rules_.farben_a.font_zeit_stop;
}

void BoutEngine::set_clock_timer(bool on) {
    clock_timer_on_ = on;
    focus_timer_on_ = !on;
}

int BoutEngine::elapsed_seconds() const {
    const std::int64_t duration = state_.set_duration, clock = state_.clock_value;
    const std::int64_t elapsed = golden_score() ? duration + clock : duration - clock;
    return static_cast<int>(
        std::clamp<std::int64_t>(elapsed, -k_max_clock_seconds, k_max_clock_seconds));
}

void BoutEngine::stop_clock() {
    if (!clock_timer_on_) return;
    const std::uint32_t t = host_.tick_count();
    set_clock_timer(false);
    stop_colours();
    clock_seconds_.stop(t);
    hold_seconds_.stop_within_second(t);
    protocol("UHR_STOPP", std::nullopt, clock_text(state_.clock_value));
}

bool BoutEngine::schreiben_zeit() {
    int& clock = state_.clock_value;
    bool running = true;
    // Golden Score time counts up from 0:00; a correction below that has nothing to show.
    if (clock < 0 && golden_score()) clock = 0;
    if (clock <= 0 && !golden_score()) {
        clock = 0;
        running = false;
    } else if (golden_score() && state_.golden_score_limit > 0 &&
               clock >= state_.golden_score_limit) {
        running = false;
    }
    board_.lblZeit.text = clock_text(clock);
    return running;
}

void BoutEngine::schalten_stoppuhr() {
    if (state_.bout_active) {
        const std::uint32_t t = host_.tick_count();
        if (clock_timer_on_) {
            clock_timer_on_ = false;
            stop_colours();
            // The part of a second already run survives the stop, and so does a whole second
            // whose tick had not come yet: a stop never costs the bout a second.
            clock_seconds_.stop(t);
            if (state_.holder) {
                hold_seconds_.stop(t);
            } else {
                hold_seconds_.stop_within_second(t);
            }
        } else {
            board_.pnlZeit.back = rules_.farben_a.hintergrund_zeit_go;
            board_.lblZeit.font = rules_.farben_a.font_zeit_go;
            clock_seconds_.resume(t);
            hold_seconds_.resume(t);
            clock_timer_on_ = true;
            state_.begun = true;
        }
        protocol(clock_timer_on_ ? "UHR_START" : "UHR_STOPP", std::nullopt,
                 clock_text(state_.clock_value));
    }
    focus_timer_on_ = !clock_timer_on_;
}

void BoutEngine::control_focus() {
    board_.shpFocus.back = host_.scoreboard_has_focus() ? k_focus_on : k_focus_off;
}

std::optional<std::uint32_t> BoutEngine::ms_to_next_second() {
    if (!clock_timer_on_) return std::nullopt;
    const std::uint32_t now = host_.tick_count();
    std::uint32_t ms = clock_seconds_.ms_until_due(now);
    if (state_.holder) ms = std::min(ms, hold_seconds_.ms_until_due(now));
    return ms;
}

void BoutEngine::focus_tick() {
    if (focus_timer_on_) control_focus();
}

void BoutEngine::clock_tick() {
    if (!clock_timer_on_) return;
    const Settings::Batch one_reading(settings_);
    control_focus();
    const std::uint32_t t = host_.tick_count();
    if (clock_seconds_.second_due(t)) {
        clock_seconds_.count_second();
        if (golden_score()) {
            state_.clock_value = std::min(state_.clock_value + 1, k_max_clock_seconds);
        } else {
            --state_.clock_value;
        }
        if (!schreiben_zeit() && !state_.holder) {
            kampfende(std::nullopt);
            state_.ended_by_time = true;
        }
        if (state_.control_panel_active) host_.zeit_uebernehmen();
    }
    if (state_.holder && hold_seconds_.second_due(t)) {
        hold_down_second();
        hold_seconds_.count_second();
        if (state_.control_panel_active) host_.zeit_uebernehmen();
    }
}

void BoutEngine::hold_down_second() {
    if (schreiben_zeit_hg(true)) return;
    hold_down_reached();
}

// The hold-down reached its award, by a counted second or by a correction: it ends there,
// and in scores mode the bout with it.
void BoutEngine::hold_down_reached() {
    const MaybeSide holder = state_.holder;
    if (points_mode()) {
        host_.gong_play();
        if (clock_timer_on_) schalten_stoppuhr();
        state_.holder.reset();
    } else {
        // The award ends the hold-down: a late "Gelöst" or a re-opened clock gives nothing.
        state_.holder.reset();
        kampfende(holder);
    }
}

bool BoutEngine::time_is_up() const {
    if (!golden_score()) return state_.clock_value <= 0;
    return state_.golden_score_limit > 0 && state_.clock_value >= state_.golden_score_limit;
}

// The time ran out while a hold-down was counted: its end is the end of the bout. A running
// clock ends it at its next whole second; one stopped first (Mate before Toketa) never reaches
// another second, so the end comes at once.
void BoutEngine::end_by_time_after_hold_down() {
    if (!state_.bout_active || state_.holder || clock_timer_on_ || !time_is_up()) return;
    kampfende(std::nullopt);
    state_.ended_by_time = true;
}

const SideColours& BoutEngine::side_colours(Side side) const {
    return side == Side::blue ? rules_.farben_1 : rules_.farben_2;
}

bool BoutEngine::schreiben_zeit_hg(bool up) {
    const Side holder = state_.holder.value_or(Side::white);
    const bool has_waza = !points_mode() && waza_cell(holder).text == "1";
    const bool short_hold = has_waza && rules_.waza2ippon;
    int threshold = short_hold ? rules_.haltegr_waza : rules_.haltegr_ippon;
    // In Golden Score the first score wins: a Yuko time ends the hold-down there; where the
    // Yuko is switched off, it runs on to the Waza-ari time.
    const bool first_score_wins = !points_mode() && golden_score() && rules_.haltegr_yuko > 0;
    const bool yuko_ends = first_score_wins && !rules_.ohne_yuko && rules_.haltegr_yuko < threshold;
    const bool waza_ends = first_score_wins && rules_.ohne_yuko && !rules_.ohne_waza &&
                           rules_.haltegr_waza < threshold;
    if (yuko_ends) threshold = rules_.haltegr_yuko;
    if (waza_ends) threshold = rules_.haltegr_waza;
    const int c = shown_number(board_.lblHG) + (up ? 1 : -1);
    if (c < threshold) {
        board_.lblHG.text = format_number(std::max(c, 0), 2);
        return true;
    }
    if (state_.holder && !points_mode())
        protocol(hold_down_award_subject(*state_.holder), threshold);
    if (yuko_ends) {
        change_wertung(yuko_cell(holder), 99, +1);
    } else if (waza_ends) {
        change_wertung(waza_cell(holder), 99, +1);
    } else if (short_hold) {
        change_wertung(waza_cell(holder), 2, +1);
    } else {
        change_wertung(ippon_cell(holder), 1, +1);
    }
    board_.lblHG.text = format_number(threshold, 2);
    return false;
}

// "Gelöst" with geloest_wertung: what the hold-down reached, given before it stops.
void BoutEngine::release_haltegriff() {
    const MaybeSide holder = state_.holder;
    state_.holder.reset();
    if (holder) {
        protocol(*holder == Side::blue ? "HALTEGRIFF_GELOEST_B" : "HALTEGRIFF_GELOEST_W",
                 shown_number(board_.lblHG));
    }
    if (!holder || !rules_.geloest_wertung || points_mode()) return;
    const int held = shown_number(board_.lblHG);
    const bool waza = held >= rules_.haltegr_waza;
    const bool yuko =
        !waza && !rules_.ohne_yuko && rules_.haltegr_yuko > 0 && held >= rules_.haltegr_yuko;
    if (!waza && !yuko) return;
    protocol(release_award_subject(*holder), held);
    if (waza) {
        give_waza_ari(*holder);
    } else {
        give_yuko(*holder);
    }
}

void BoutEngine::end_haltegriff() {
    const bool was_held = state_.holder.has_value();
    release_haltegriff();
    if (was_held) end_by_time_after_hold_down();
}

void BoutEngine::setze_haltegriff(Side side) {
    if (state_.clock_value == 0) {
        state_.bout_active = true;
        state_.ended_by_time = false;
        zeigen_sieger(std::nullopt);
        state_.clock_value = 1;
        // Start a standing clock; one already running at 0:00 (the first second of Golden
        // Score) must not be stopped by the hold-down that needs it.
        if (!clock_timer_on_) schalten_stoppuhr();
    }
    state_.holder = side;
    state_.begun = true;
    hold_seconds_.restart(host_.tick_count());
    if (board_.lblHG.text != "00") save_haltegriff();
    board_.lblHG.font = side_colours(side).font_wertung;
    board_.pnlHG.back = side_colours(side).hintergrund_wertung;
    board_.lblHG.text = "00";
    protocol(side == Side::blue ? "HALTEGRIFF_START_B" : "HALTEGRIFF_START_W");
}

void BoutEngine::save_haltegriff() {
    board_.lblHG_Save.text = board_.lblHG.text;
    board_.lblHG_Save.font = board_.lblHG.font;
    board_.pnlHG_Bottom.back = board_.pnlHG.back;
}

void BoutEngine::aendern_haltegriff(Side side) {
    if (board_.lblHG.text.empty() || board_.lblHG.text.front() != '0') return;
    if (state_.holder != side) {
        protocol(side == Side::blue ? "HALTEGRIFF_WECHSEL_B" : "HALTEGRIFF_WECHSEL_W");
    }
    state_.holder = side;
    board_.lblHG.font = side_colours(side).font_wertung;
    board_.pnlHG.back = side_colours(side).hintergrund_wertung;
}

// Held long enough for a Yuko, the hold-down is the first holder's: F5/F8 for the other side
// is then a reversal, not a wrong colour set right.
bool BoutEngine::is_reversal() const {
    if (points_mode() || rules_.ohne_yuko || rules_.haltegr_yuko <= 0) return false;
    return shown_number(board_.lblHG) >= rules_.haltegr_yuko;
}

// The first hold-down is released (with geloest_wertung, what it reached is given) and the
// other side's starts from 0, unless the release decided the bout or the time is over.
void BoutEngine::reverse_haltegriff(Side side) {
    release_haltegriff();
    if (!state_.bout_active || (state_.clock_value <= 0 && !golden_score())) {
        end_by_time_after_hold_down();
        return;
    }
    setze_haltegriff(side);
}

void BoutEngine::reset_haltegriff() {
    state_.holder.reset();
    board_.lblHG.text = "00";
    hold_seconds_.forget_kept();
    board_.lblHG_Save.text.clear();
    board_.lblHG.font = board_.lblHG_Save.font = rules_.farben_a.font_zeit_stop;
    board_.pnlHG.back = board_.pnlHG_Bottom.back = rules_.farben_a.hintergrund_fuss;
}

void BoutEngine::start_golden_score() {
    if (rules_.ohne_golden_score) {
        host_.show_note(
            "Kein Golden Score in dieser Altersklasse: Entscheidung mit Strg+B / Strg+W");
        return;
    }
    state_.ended_by_time = false;
    board_.lbl_GS.visible = true;
    state_.golden_score_limit = bout_time(true);
    state_.clock_value = 0;
    schreiben_zeit();
    state_.bout_active = true;
    protocol("GOLDEN_SCORE");
}

void BoutEngine::correct_clock(int delta) {
    // However often the key is pressed, the clock stays a time the board can show.
    state_.clock_value = static_cast<int>(std::clamp<std::int64_t>(
        std::int64_t{state_.clock_value} + delta, -k_max_clock_seconds, k_max_clock_seconds));
    schreiben_zeit();
    protocol("UHR_KORREKTUR", delta, board_.lblZeit.text);
}

int BoutEngine::bout_time(bool golden_score) {
    // A bad value of the age class's own is reported, and the global time is taken.
    const std::string section = age_class_section(state_.age_class);
    SettingReading own;
    if (!section.empty()) {
        own = read_setting_value(settings_, golden_score ? Key::ak_kampfzeit_gs : Key::ak_kampfzeit,
                                 section);
    }
    if (!own.report.empty()) host_.show_message(own.report, MessageKind::error);
    if (!own.value) {
        const SettingReading global = read_setting_value(
            settings_, golden_score ? Key::anzeige_kampfzeit_gs : Key::anzeige_kampfzeit);
        if (!global.report.empty()) host_.show_message(global.report, MessageKind::error);
    }
    return get_kampfzeit(settings_, state_.age_class, golden_score);
}

void BoutEngine::correct_hold_down(bool up) {
    // Told before a score that the correction may give.
    protocol("HALTEGRIFF_KORREKTUR", up ? 1 : -1,
             format_number(std::max(shown_number(board_.lblHG) + (up ? 1 : -1), 0), 2));
    const bool below = schreiben_zeit_hg(up);
    hold_seconds_.forget_kept();
    // A correction up to the threshold is the second the clock did not count: it awards once
    // and ends the hold-down (and the bout) as that second would have.
    if (up && !below && state_.holder) hold_down_reached();
}

}  // namespace kyomat
