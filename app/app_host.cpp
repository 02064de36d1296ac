#include "app/app_host.h"

#include <cstdio>

#include "app/about_box.h"
#include "control/control_panel.h"
#include "data/core/basis.h"
#include "data/core/catalogue.h"
#include "data/core/settings.h"
#include "data/core/team_score.h"
#include "dialogs/bout_entry_dialog.h"
#include "dialogs/team_score_dialog.h"
#include "display/logo_overlay.h"
#include "display/scoreboard_window.h"
#include "display/text_screen.h"
#include "engine/engine.h"
#include "engine/rule_settings.h"
#include "gui/window_keys.h"
#include "platform/message_box.h"
#include "platform/screen_place.h"
#include "platform/tick.h"

#include <QApplication>
#include <QScreen>
#include <QWindow>
#include <utility>

namespace kyomat {
namespace {

constexpr int k_gong_idle_ms = 5000;

}  // namespace

AppHost::AppHost(const Settings& settings)
    : settings_(settings),
      protocol_(settings.folder(), [this](const std::string& text) { protocol_problem_ = text; }),
      protocol_on_(protocol_on(settings)),
      bout_list_(settings.folder(), [](const std::string& text, MessageKind kind) {
          kyomat::show_message(text, letter(kind));
      }) {
    // A list the desk is saving is said in a note: a box would take the operator's next key.
    bout_list_.file.set_note([this](const std::string& text, MessageKind) { show_note(text); });
    // Nothing played and nothing coming for a while: the device sleeps (a gong still
    // sounding is let finish).
    gong_idle_.setSingleShot(true);
    gong_idle_.setInterval(k_gong_idle_ms);
    QObject::connect(&gong_idle_, &QTimer::timeout, &gong_idle_, [this] {
        if (gong_.playing()) {
            gong_idle_.start();
        } else {
            gong_.sleep();
        }
    });
}

std::uint32_t AppHost::tick_count() {
    return kyomat::tick_count();
}

void AppHost::tell_protocol_problem() {
    if (protocol_problem_.empty()) return;
    const std::string text = std::move(protocol_problem_);
    protocol_problem_.clear();
    // Told when it happens and without a box: a box would take the operator's next key.
    show_note(text);
}

void AppHost::protocol_line(const ProtocolLine& line) {
    if (!protocol_on_) return;
    protocol_.line(protocol_bout_, line, command_source_);
    tell_protocol_problem();
}

void AppHost::set_command_source(const CommandSource* source) {
    command_source_ = source;
    if (source != nullptr && (!largest_delay_ || source->delay_ms > largest_delay_->delay_ms)) {
        largest_delay_ = *source;
    }
}

void AppHost::protocol_new_bout(const ProtocolBout& bout) {
    protocol_on_ = protocol_on(settings_);
    largest_delay_.reset();
    if (!protocol_on_) return;
    protocol_bout_ = bout;
    // A bout from the list names its list, also when it comes back after a restart.
    if (bout.entry == ProtocolBout::k_from_list ||
        (bout.list_position > 0 && bout_list_.access.list_result_due)) {
        protocol_bout_.list_file = bout_list_.list_file_name();
    }
    protocol_.new_bout(protocol_bout_);
    tell_protocol_problem();
}

void AppHost::protocol_discarded(const ProtocolBout& bout) {
    if (!protocol_on(settings_)) return;
    protocol_.discarded(bout);
    tell_protocol_problem();
}

void AppHost::gong_play() {
    gong_.play();
    gong_idle_.start();
}

void AppHost::gong_soon(ScoreboardWindow::GongSoon soon) {
    using Soon = ScoreboardWindow::GongSoon;
    if (soon != Soon::no) {
        gong_idle_.stop();
        gong_.wake(soon == Soon::by_clock ? GongPlayer::Latency::by_clock
                                          : GongPlayer::Latency::by_key);
    } else if (gong_.awake() && !gong_idle_.isActive()) {
        gong_idle_.start();
    }
}

namespace {

GongStatus status_of(GongPlayer::Failure failure) {
    switch (failure) {
        case GongPlayer::Failure::none:
            return GongStatus::opened;
        case GongPlayer::Failure::file_missing:
            return GongStatus::file_missing;
        case GongPlayer::Failure::no_device:
            return GongStatus::no_sound_device;
        default:
            return GongStatus::unreadable_file;
    }
}

void log_gong_problem(const std::string& why) {
    if (!why.empty()) std::fprintf(stderr, "kyomat: %s\n", why.c_str());
}

}  // namespace

// What the folder tells at once is answered at once; a file that cannot be decoded, a sound
// too long or a device that will not open is reported a moment later, from the gong's own
// thread, so that neither start-up nor Ctrl+E waits for a file or a device.
GongStatus AppHost::gong_open(const std::string& path) {
    const int generation = ++gong_generation_;
    if (path.empty()) {
        gong_.close();
        return GongStatus::not_configured;
    }
    const auto failure =
        gong_.load(settings_.resolve(path),
                   [this, path, generation](GongPlayer::Failure f, const std::string& why) {
                       if (f == GongPlayer::Failure::none) return;
                       hand_over(&gong_news_, [this, path, generation, f, why] {
                           if (generation != gong_generation_) return;
                           log_gong_problem(why);
                           show_message(gong_failure_text(status_of(f), path),
                                        catalogue_kind(k_msg_gong_unavailable));
                       });
                   });
    if (failure != GongPlayer::Failure::none) log_gong_problem(gong_.last_error());
    return status_of(failure);
}

void AppHost::show_message(const std::string& text, MessageKind kind) {
    kyomat::show_message(text, letter(kind));
}

bool AppHost::confirm_ok(const std::string& question) {
    return kyomat::confirm_ok(question);
}

bool AppHost::confirm_ok_cancel_default(const std::string& question, const std::string& detail) {
    return kyomat::confirm_ok(question, true, detail);
}

// Green means that a key typed now reaches the board: the board itself, unless the panel
// blocks it; with keys relayed also the panel, the pause picture and a text page.
bool AppHost::scoreboard_has_focus() {
    const QWidget* active = QApplication::activeWindow();
    if (scoreboard_ == nullptr || active == nullptr) return false;
    const ControlPanel* p = panel(false);
    // As the last key read it, and the panel relaying for a missing or returned projector.
    const bool relayed = scoreboard_->engine().panel_keys() || (p != nullptr && p->relays_keys());
    const bool panel_open = p != nullptr && p->isVisible();
    if (active == scoreboard_) return relayed || !panel_open;
    if (!relayed) return false;
    return (panel_open && active == p) || scoreboard_->relays_keys_of(active);
}

EntryFields& AppHost::entry_fields() {
    return entry_ != nullptr ? entry_->fields() : fields_;
}

ListOutcome AppHost::kampf_laden() {
    const ListOutcome taken = bout_list_.access.kampf_laden(entry_fields());
    if (taken == ListOutcome::done && bout_taken_) bout_taken_();
    return taken;
}

void AppHost::show_entry_dialog(Answered done) {
    if (entry_ == nullptr) {
        done(false);
        return;
    }
    open_after_pages([this, done = std::move(done)] {
        entry_->prepare_entry();
        open_command_dialog(
            *entry_,
            [this, done] {
                done(entry_->take_entry());
                if (scoreboard_ != nullptr) scoreboard_->paint_board();
            },
            dialog_owner());
    });
}

// A command's dialog belongs to the open panel, else to the board: it stays above it.
QWidget* AppHost::dialog_owner() {
    if (ControlPanel* p = panel(false); p != nullptr && p->isVisible()) return p;
    return scoreboard_;
}

// A command's dialog opens when the pages of the command before it have ended.
void AppHost::open_after_pages(std::function<void()> open) {
    if (scoreboard_ != nullptr) {
        scoreboard_->after_pages(std::move(open));
    } else {
        open();
    }
}

void AppHost::result_handed_on() {
    if (handed_on_) handed_on_();
    if (panel_) {
        if (ControlPanel* p = panel_(false)) p->bout_handed_on();
    }
}

ListOutcome AppHost::anzeige_in_liste(const BoutResult& result) {
    const ListOutcome outcome = bout_list_.access.anzeige_in_liste(result);
    // A result that stays on the board to be written later is recorded when it is written,
    // under the bout's own heading; a row the desk moved is named with it.
    if (protocol_on_ && outcome != ListOutcome::failed) {
        protocol_.result(protocol_bout_, result_value_text(result), result.duration,
                         result_winner(result),
                         outcome == ListOutcome::done ? bout_list_.access.bout_row : 0);
        if (largest_delay_) protocol_.largest_delay(protocol_bout_, *largest_delay_);
        largest_delay_.reset();
        tell_protocol_problem();
    }
    return outcome;
}

void AppHost::clear_list_result_due() {
    bout_list_.access.list_result_due = false;
}

bool AppHost::list_bout_in_team_mode() {
    return bout_list_.access.list_result_due && bout_list_.access.team_bout;
}

void AppHost::eingabe_teams_simple(bool has_result, bool blue_won, Answered done) {
    if (entry_ == nullptr || teams_ == nullptr) {
        done(false);
        return;
    }
    open_after_pages([this, has_result, blue_won, done = std::move(done)] {
        teams_->prepare(team_fields_from_entry(entry_->fields(), has_result, blue_won));
        open_command_dialog(
            *teams_,
            [this, has_result, blue_won, done] {
                TeamFields team = team_fields_from_entry(entry_->fields(), has_result, blue_won);
                const bool saved = teams_->take(team);
                if (saved) team_fields_to_entry(team, entry_->fields());
                done(saved);
                if (scoreboard_ != nullptr) scoreboard_->paint_board();
            },
            dialog_owner());
    });
}

void AppHost::info() {
    AboutBox::open_box(entry_, QApplication::activeWindow());
}

void AppHost::show_page(PageScheme scheme, const std::string& line1, const std::string& line2,
                        const std::string& line3) {
    if (scoreboard_ != nullptr) scoreboard_->show_page(scheme, line1, line2, line3);
}

void AppHost::overlay_bild() {
    if (scoreboard_ != nullptr) scoreboard_->show_overlay();
}

void AppHost::overlay_bild_aus() {
    // A pause picture that was never built has nothing to take down.
    if (scoreboard_ != nullptr && scoreboard_->has_overlay())
        scoreboard_->overlay().overlay_bild_aus();
}

void AppHost::show_note(const std::string& text) {
    // On record as a box is: what the operator was told, and when the log says.
    std::fprintf(stderr, "kyomat: Hinweis: %s\n", text.c_str());
    const QString note = QString::fromStdString(text);
    // Where the operator is looking: the open panel; else their own monitor when the board has
    // one of its own (the board is on the projector behind them); else the board.
    if (ControlPanel* p = panel(false); p != nullptr && p->isVisible()) {
        p->show_note(note);
        return;
    }
    if (scoreboard_ == nullptr) return;
    QScreen* own = operator_screen(scoreboard_);
    const QScreen* board = QGuiApplication::screenAt(scoreboard_->geometry().center());
    if (own != nullptr && scoreboard_->isVisible() && board != nullptr && board != own) {
        if (!note_window_) note_window_ = std::make_unique<NoteWindow>();
        note_window_->show_note(note, own);
    } else {
        scoreboard_->show_note(note);
    }
}

void AppHost::show_control_panel() {
    ControlPanel* p = panel(true);
    if (p == nullptr) return;
    if (p->isVisible()) {
        p->raise();
        p->activateWindow();
        return;
    }
    if (scoreboard_ != nullptr) scoreboard_->set_panel_open(true);
    p->open_panel([this] {
        if (scoreboard_ == nullptr) return;
        scoreboard_->set_panel_open(false);
        scoreboard_->activateWindow();
        scoreboard_->engine().control_panel_closed();
    });
}

void AppHost::anzeige_uebernehmen() {
    // A panel not yet built takes the board when it is first shown.
    if (ControlPanel* p = panel(false)) p->anzeige_uebernehmen();
}

void AppHost::zeit_uebernehmen() {
    if (ControlPanel* p = panel(false)) p->zeit_uebernehmen();
}

void AppHost::place_on_display(int left) {
    if (scoreboard_ != nullptr) scoreboard_->place_on_display(left);
}

void AppHost::relayout() {
    if (scoreboard_ != nullptr) scoreboard_->lay_out();
}

void AppHost::close_scoreboard() {
    if (scoreboard_ != nullptr) scoreboard_->close();
}

void AppHost::board_changed() {
    if (scoreboard_ != nullptr) scoreboard_->paint_board();
}

}  // namespace kyomat
