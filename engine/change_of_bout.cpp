// The change of bout: handing the result on, loading the next bout, the team score, and the
// title and winner pages.
#include <algorithm>
#include <tuple>

#include "data/core/basis.h"
#include "data/core/catalogue.h"
#include "data/core/cp1252.h"
#include "engine/engine.h"

namespace kyomat {
namespace {

constexpr const char* k_note_bout_in_progress =
    "Der laufende Kampf ist nicht beendet: erst den Sieger anzeigen (Strg+B / Strg+W) "
    "oder den Kampf mit Strg+E abschließen";

// Result values of the bout list: by Ippon (or a decision before time), Waza-ari, Yuko, or
// anything else.
constexpr const char* k_result_ippon = "10";
constexpr const char* k_result_waza = "07";
constexpr const char* k_result_yuko = "05";
constexpr const char* k_result_other = "01";
// Places of the three score cells in a points-system total.
constexpr int k_ippon_place = 100;
constexpr int k_waza_place = 10;

std::string result_value(const Board& b, int clock_value, bool golden) {
    std::string value = k_result_other;
    if (b.lbl_Y_b.text != b.lbl_Y_W.text) value = k_result_yuko;
    if (b.lbl_W_b.text != b.lbl_W_W.text) value = k_result_waza;
    if (b.lbl_I_b.text != b.lbl_I_W.text) value = k_result_ippon;
    if (clock_value > 0 && !golden) value = k_result_ippon;
    if (clock_value > 0 && golden && value == k_result_other && b.lbl_S_b.text == b.lbl_S_W.text) {
        value = k_result_ippon;
    }
    return value;
}

std::int64_t points_total(const Element& ippon, const Element& waza, const Element& yuko) {
    return std::int64_t{k_ippon_place} * shown_number(ippon) +
           std::int64_t{k_waza_place} * shown_number(waza) + shown_number(yuko);
}

// Splits a name for a title page at its comma, when the comma comes at position min_comma
// or later; skip is how many characters after the comma the second line starts.
std::pair<std::string, std::string> split_name(const std::string& name, std::size_t min_comma,
                                               std::size_t skip) {
    const std::size_t comma = utf8_find(name, ',');
    if (comma == std::string::npos || comma + 1 < min_comma) return {name, ""};
    return {utf8_substr(name, 0, comma), trim_right(utf8_substr(name, comma + skip))};
}

}  // namespace

// One test for every command that would replace or wipe a bout: from its first second of
// clock, or its first score, Shido or hold-down, until a winner shows or it is handed on.
bool BoutEngine::bout_in_progress() const {
    return state_.bout_active && state_.begun && !shown_winner() && !state_.handed_on;
}

// Leaving asks also for a result still on the board: it has not reached the list yet.
bool BoutEngine::leaving_loses_something() const {
    if (bout_in_progress()) return true;
    return state_.bout_on_board && !state_.handed_on &&
           (shown_winner().has_value() || decided_without_winner());
}

bool BoutEngine::close_requested_by_focus() {
    return leaving_confirmed();
}

// A parked mouse clicks the focus circle, a reflex Space answers: during a bout the question
// names the bout and only a deliberate Alt+O or click leaves.
bool BoutEngine::leaving_confirmed() {
    if (!leaving_loses_something()) return true;
    if (!bout_in_progress()) return host_.confirm_ok("Verlassen ohne Speichern ?");
    // The question as ever; the bout it would lose named under it.
    return host_.confirm_ok_cancel_default("Verlassen ohne Speichern ?",
                                           "Der Kampf " + board_.lblBlau_Name.text + " – " +
                                               board_.lblWeiss_Name.text + " läuft noch.");
}

// An ended bout that neither side won but that is decided all the same: both fighters
// disqualified, or a team bout from the list drawn at the end of time (Hikiwake).
bool BoutEngine::decided_without_winner() const {
    if (state_.bout_active || shown_winner()) return false;
    return both_hansoku_make() || (state_.ended_by_time && host_.list_bout_in_team_mode());
}

bool BoutEngine::neuer_kampf(bool load, bool from_list) {
    refresh_rules();
    // A result is handed on once: the bout it came from stays closed until the next one.
    const bool had_result =
        !state_.handed_on && (board_.lbl_Sieger_Blau.visible || board_.lbl_Sieger_Weiss.visible ||
                              decided_without_winner());
    // A bout in progress is never replaced, and ignoring the command must leave list mode
    // and the running bout's pending result as they were.
    if (load && bout_in_progress()) {
        host_.show_note(k_note_bout_in_progress);
        return false;
    }
    host_.reconnect();
    if (had_result) {
        if (!hand_on_result()) return false;
        state_.loaded_from_list = false;
        host_.clear_list_result_due();
    }
    if (!load) {
        // The next "Kampf eingeben" starts empty: the fighters of the bout just cleared, saved
        // again by a reflex Return, would make a bout that was never meant.
        EntryFields& fields = host_.entry_fields();
        for (std::string* field : {&fields.edtNAMEBlau, &fields.edtVERNBlau, &fields.edtNAMEWeiss,
                                   &fields.edtVERNWeiss, &fields.edtKTXT}) {
            field->clear();
        }
        state_.ended_by_time = state_.handed_on = state_.bout_on_board = state_.begun = false;
        state_.loaded_from_list = false;
        host_.clear_list_result_due();
        defaults();
        param_aus_ini();
        state_.bout_active = false;
        return true;
    }
    if (!from_list) {
        ask_bout_fields();
        return true;
    }
    if (!load_bout_fields()) return false;
    take_bout_fields();
    return true;
}

// False when the list file could not be written: the result stays on the board and the
// command can be given again.
bool BoutEngine::hand_on_result() {
    const Board& b = board_;
    const bool blue_won = b.lbl_Sieger_Blau.visible;
    const bool no_winner = !shown_winner();
    std::string value = result_value(b, state_.clock_value, golden_score());
    // A win by Ippon is an Ippon whether the clock stood at the signal or before it.
    if (ippon_winner()) value = k_result_ippon;
    const bool stopped_early = value == k_result_ippon || golden_score() || both_hansoku_make();
    // A clock corrected beyond the bout's time still gives a time a row can hold.
    const int secs = std::max(stopped_early ? elapsed_seconds() : state_.set_duration, 0);
    if (no_winner) {
        value = "0";
    } else if (points_mode()) {
        value = value == k_result_ippon
                    ? std::to_string(rules_.max_punkte)
                    : std::to_string(larger_of(points_total(b.lbl_I_b, b.lbl_W_b, b.lbl_Y_b),
                                               points_total(b.lbl_I_W, b.lbl_W_W, b.lbl_Y_W)));
    }
    const BoutResult result{state_.age_class,
                            state_.weight_class,
                            value,
                            clock_text(secs),
                            " ",
                            state_.list_position,
                            blue_won,
                            no_winner,
                            state_.referee_decision};
    // A winner shown on a board that never held a bout (Ctrl+B on the start board) goes to no
    // list and no protocol: there was no bout. A score given there (a walkover on the board
    // Ctrl+E left) makes it one.
    if ((state_.bout_on_board || state_.begun) &&
        host_.anzeige_in_liste(result) == ListOutcome::failed) {
        return false;
    }
    state_.clock_value = 0;
    state_.handed_on = true;
    state_.begun = false;
    host_.result_handed_on();
    if (rules_.sieger_auto && !no_winner) sieger_anzeigen(blue_won);
    return true;
}

void BoutEngine::preset_bout_fields() {
    EntryFields& fields = host_.entry_fields();
    fields.edtAKID = state_.age_class;
    fields.edtGEWK = state_.weight_class;
    fields.edtLPOS = "0";
}

// True when the list gave a bout to take; otherwise the board is left ready for one.
bool BoutEngine::load_bout_fields() {
    state_.loaded_from_list = false;
    host_.clear_list_result_due();
    preset_bout_fields();
    const ListOutcome found = host_.kampf_laden();
    if (found == ListOutcome::failed) return false;
    const bool ok = found == ListOutcome::done;
    state_.loaded_from_list = ok;
    if (!ok) {
        show_catalogue_message(k_msg_no_open_bout);
        set_names_from_settings();
        reset_kampf(0);
        // The board waits for a bout: nothing on it to offer back after a restart until its
        // clock runs or a score is given.
        state_.set_duration = 0;
        // After a team match's last bout the list gives its final score for the field.
        board_.lblAK.text = host_.entry_fields().edtAKID;
        protocol_new_bout(0, "kein offener Kampf in der Liste");
    }
    return ok;
}

// When the operator saves the entry dialog, the bout from the list, if any, is replaced by
// the one typed in; a cancelled entry leaves the board, and a bout from the list its row, as
// they were.
void BoutEngine::ask_bout_fields() {
    preset_bout_fields();
    host_.board_changed();
    host_.show_entry_dialog([this](bool saved) {
        if (!saved) return;
        state_.loaded_from_list = false;
        host_.clear_list_result_due();
        take_bout_fields();
    });
}

void BoutEngine::take_bout_fields() {
    const EntryFields& fields = host_.entry_fields();
    const auto position = to_integer(fields.edtLPOS);
    if (!position) {
        host_.show_message(conversion_error_text(fields.edtLPOS), MessageKind::error);
        return;
    }
    Board& b = board_;
    state_.list_position = *position;
    state_.bout_text = fields.edtKTXT;
    show_bout_fields(fields, std::to_string(state_.list_position));
    protocol_new_bout(state_.list_position,
                      state_.loaded_from_list ? ProtocolBout::k_from_list : "von Hand");
    const int seconds = bout_time(false);
    // The new bout takes the rules as the file says them now.
    rules_ = global_rules_;
    apply_age_class_rules();
    const RuleSettings& r = rules_;
    b.lbl_W_b.visible = b.lbl_W_W.visible = !r.ohne_waza;
    b.lbl_Y_b.visible = b.lbl_Y_W.visible = !r.ohne_yuko;
    host_.relayout();
    state_.set_duration = seconds;
    reset_kampf(seconds);
    if (r.titel_auto) titel_anzeigen();
    host_.relayout();
}

void BoutEngine::apply_age_class_rules() {
    RuleSettings& r = rules_;
    // Every bout starts from the global switches, so that no bout inherits the rules of the
    // previous bout's age class; the hook then sets those of this one.
    const auto switches = [](RuleSettings& x) {
        return std::tie(x.ohne_waza, x.ohne_yuko, x.waza2ippon, x.max_shido, x.strafen,
                        x.haltegr_ippon, x.haltegr_waza, x.haltegr_yuko, x.geloest_wertung,
                        x.ohne_golden_score);
    };
    switches(r) = switches(global_rules_);
    if (state_.age_class.find(']') != std::string::npos) {
        // A section name ends at the first "]": its own rules could never be found.
        host_.show_note("Die Altersklasse \"" + state_.age_class +
                        "\" enthält \"]\" und kann keinen eigenen Abschnitt [AK ...] in der "
                        "kyomat.ini haben: es gelten die allgemeinen Regeln");
    }
    read_age_class_rules(
        settings_, state_.age_class,
        AgeClassRules{r.ohne_waza, r.ohne_yuko, r.waza2ippon, r.max_shido, r.strafen,
                      r.haltegr_ippon, r.haltegr_waza, r.haltegr_yuko, r.geloest_wertung,
                      r.ohne_golden_score},
        [this](const std::string& text, MessageKind kind) { host_.show_message(text, kind); });
}

void BoutEngine::reset_kampf(int seconds) {
    const QuietProtocol quiet(*this);
    Board& b = board_;
    for (Element* cell : {&b.lbl_I_b, &b.lbl_W_b, &b.lbl_Y_b, &b.lbl_S_b, &b.lbl_I_W, &b.lbl_W_W,
                          &b.lbl_Y_W, &b.lbl_S_W}) {
        cell->text = "0";
    }
    for (Element* cross :
         {&b.lbl_Kreuz_b_1, &b.lbl_Kreuz_b_2, &b.lbl_Kreuz_w_1, &b.lbl_Kreuz_w_2}) {
        cross->text.clear();
    }
    b.lblZeit.text = "0:00";
    b.lblHG.text = "00";
    reset_haltegriff();
    // A clock still running (a winner declared while it ran) must not run into the new bout.
    set_clock_timer(false);
    state_.clock_value = seconds;
    clock_seconds_.forget_kept();
    schreiben_zeit();
    zeigen_sieger(std::nullopt);
    b.lbl_GS.visible = false;
    state_.points_b = state_.points_w = 0;
    state_.bout_active = true;
    state_.bout_on_board = true;
    state_.ended_by_time = state_.handed_on = state_.begun = false;
    state_.hansoku_ippon.reset();
}

void BoutEngine::neuer_kampf_teams_simple() {
    Board& b = board_;
    host_.reconnect();
    state_.loaded_from_list = false;
    const bool has_result = b.lbl_Sieger_Blau.visible || b.lbl_Sieger_Weiss.visible;
    const bool blue_won = b.lbl_Sieger_Blau.visible;
    EntryFields& fields = host_.entry_fields();
    fields.edtAKID = state_.age_class;
    fields.edtGEWK = state_.weight_class;
    fields.edtLPOS = "0";
    host_.board_changed();
    host_.eingabe_teams_simple(has_result, blue_won, [this, has_result](bool saved) {
        if (saved) take_team_fields(has_result);
    });
}

// The classes, the position and both fighters from the dialog's fields onto the board.
void BoutEngine::show_bout_fields(const EntryFields& fields, const std::string& position) {
    Board& b = board_;
    state_.age_class = fields.edtAKID;
    state_.weight_class = fields.edtGEWK;
    b.lblAK.text = state_.age_class;
    b.lblGewK.text = state_.weight_class;
    b.lblLPOS.text = position;
    b.lblBlau_Name.text = fields.edtNAMEBlau;
    b.lblBLau_Verein.text = fields.edtVERNBlau;
    b.lblWeiss_Name.text = fields.edtNAMEWeiss;
    b.lblWeiss_Verein.text = fields.edtVERNWeiss;
}

void BoutEngine::take_team_fields(bool had_result) {
    const EntryFields& fields = host_.entry_fields();
    show_bout_fields(fields, fields.edtLPOS);
    protocol_new_bout(to_integer(fields.edtLPOS).value_or(0), "Mannschaft");
    if (had_result || state_.clock_value <= 0) {
        state_.set_duration = bout_time(false);
        reset_kampf(state_.set_duration);
        if (rules_.titel_auto) titel_anzeigen();
        host_.relayout();
    }
}

void BoutEngine::titel_anzeigen() {
    const Board& b = board_;
    if (bout_in_progress()) {
        host_.show_note(
            "Keine Titelseiten während eines Kampfes: erst den Sieger anzeigen (Strg+B / "
            "Strg+W) oder den Kampf mit Strg+E abschließen");
        return;
    }
    if (b.lblBlau_Name.text.empty() || state_.clock_value != state_.set_duration) return;
    host_.board_changed();
    host_.show_page(PageScheme::neutral, state_.age_class, state_.weight_class, state_.bout_text);
    // Blue splits at a comma from the 4th character on, skipping the blank after it; white
    // from the 2nd character on, keeping what follows the comma.
    const auto [blue1, blue2] = split_name(b.lblBlau_Name.text, 4, 2);
    host_.show_page(PageScheme::blau, blue1, blue2, b.lblBLau_Verein.text);
    const auto [white1, white2] = split_name(b.lblWeiss_Name.text, 2, 1);
    host_.show_page(PageScheme::weiss, white1, white2, b.lblWeiss_Verein.text);
}

void BoutEngine::sieger_anzeigen(bool blue_won) {
    const Board& b = board_;
    host_.board_changed();
    host_.show_page(blue_won ? PageScheme::blau : PageScheme::weiss,
                    "Sieger:", blue_won ? b.lblBlau_Name.text : b.lblWeiss_Name.text,
                    blue_won ? b.lblBLau_Verein.text : b.lblWeiss_Verein.text);
}

}  // namespace kyomat
