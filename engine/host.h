#pragma once
// Everything the engine asks of the world outside it: the tick count, the gong, message
// boxes, the bout entry component, the text screen, the overlay, the control panel and the
// scoreboard window. The program wires the real windows in; tests use a recording fake.
#include <cstdint>
#include <functional>
#include <string>

#include "data/core/catalogue.h"
#include "data/core/handover.h"
#include "data/core/protocol.h"

namespace kyomat {

enum class PageScheme { neutral, blau, weiss };

// What came of opening the gong file.
enum class GongStatus { opened, not_configured, file_missing, no_sound_device, unreadable_file };

// Services of the operating system.
class HostPlatform {
  public:
    virtual ~HostPlatform() = default;
    virtual std::uint32_t tick_count() = 0;
    // Opens the gong file (path as configured; relative to the program's folder), and says
    // why it could not when it could not.
    virtual GongStatus gong_open(const std::string& path) = 0;
    virtual void gong_play() = 0;
    virtual void show_message(const std::string& text, MessageKind kind) = 0;
    virtual bool confirm_ok(const std::string& question) = 0;
    // The same question where a reflex must not answer yes: Abbrechen is the default button.
    // detail: a line under the question (what would be lost); the question stays as it is.
    virtual bool confirm_ok_cancel_default(const std::string& question,
                                           const std::string& /*detail*/ = {}) {
        return confirm_ok(question);
    }
    // Whether the scoreboard window has the keyboard focus.
    virtual bool scoreboard_has_focus() = 0;
    // A short note for the operator that needs no answer: why a command did nothing.
    virtual void show_note(const std::string& /*text*/) {}
};

// The bout entry component: the bout list, its dialogs and the hooks it offers.
class BoutEntryComponent {
  public:
    virtual ~BoutEntryComponent() = default;
    virtual EntryFields& entry_fields() = 0;
    // The bout protocol: a bout comes on the board, and one event of it.
    virtual void protocol_new_bout(const ProtocolBout& /*bout*/) {}
    virtual void protocol_line(const ProtocolLine& /*line*/) {}
    virtual void reconnect() {}
    // Takes the next open bout of the bout list into the fields: found, none open, or the
    // list file failed (already reported to the operator).
    virtual ListOutcome kampf_laden() = 0;
    // Opens the bout entry dialog and returns; done(true) runs when the operator has saved,
    // done(false) when the dialog was closed otherwise. Commands never wait inside a dialog.
    using Answered = std::function<void(bool saved)>;
    virtual void show_entry_dialog(Answered done) = 0;
    // Hands a result to the bout list: written, not due, or the list file failed (reported).
    virtual ListOutcome anzeige_in_liste(const BoutResult& result) = 0;
    // The result is in the list and the bout closed: what a crash keeps must say so at once.
    virtual void result_handed_on() {}
    virtual void clear_list_result_due() = 0;
    // The bout on the board came from a list in team mode ("Mannschaftskampf").
    virtual bool list_bout_in_team_mode() { return false; }
    // Opens the team score dialog and returns; done as for the bout entry dialog.
    virtual void eingabe_teams_simple(bool has_result, bool blue_won, Answered done) = 0;
};

// The scoreboard window and the windows it owns.
class HostWindows {
  public:
    virtual ~HostWindows() = default;
    // The about box, modally.
    virtual void info() = 0;
    virtual void show_page(PageScheme scheme, const std::string& line1, const std::string& line2,
                           const std::string& line3) = 0;
    virtual void overlay_bild() = 0;
    virtual void overlay_bild_aus() = 0;
    // Opens the control panel (the engine sees it as modal: control_panel_active) and returns;
    // the host calls BoutEngine::control_panel_closed() when it has closed.
    virtual void show_control_panel() = 0;
    virtual void anzeige_uebernehmen() = 0;
    virtual void zeit_uebernehmen() = 0;
    virtual void place_on_display(int left) = 0;
    virtual void relayout() = 0;
    virtual void close_scoreboard() = 0;
    // The board is about to be shown to the operator by a modal window: paint it first.
    virtual void board_changed() {}
};

// Everything the engine asks of the world outside it.
class Host : public HostPlatform, public BoutEntryComponent, public HostWindows {};

}  // namespace kyomat
