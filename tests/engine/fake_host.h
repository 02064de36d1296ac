#pragma once
// A Host that records what the engine asked for and answers from queues: the engine's
// surroundings for the unit tests and the scenario runner.
#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "data/core/bout_access.h"
#include "data/core/team_score.h"
#include "engine/engine.h"

namespace kyomat::testing {

struct DialogAnswer {
    bool ok = false;
    std::string fields;  // FIELD=VALUE pairs separated by '|'
};

// The settings of a folder whose files the tests write at once, between two commands: a
// file rewritten with fewer sections counts at the next command.
inline Settings settings_written_at_once(const std::filesystem::path& folder) {
    Settings settings(folder);
    settings.quiet_ms = 0;
    return settings;
}

class FakeHost : public Host {
  public:
    explicit FakeHost(std::filesystem::path folder)
        : list_file(folder, [this](const std::string& text,
                                   MessageKind kind) { show_message(text, kind); }),
          access(list_file) {
        folder_ = std::move(folder);
        // The scenarios change files between keys, never during one: no waiting for a save.
        list_file.settle_ms = 0;
        // Files are written at once here: no other program is part-way through one.
        list_file.quiet_ms = 0;
        list_file.set_note([this](const std::string& text, MessageKind) { show_note(text); });
    }

    void attach(BoutEngine& engine) { engine_ = &engine; }

    // Queued answers of the windows the engine opens.
    std::deque<bool> confirm_answers;
    std::deque<DialogAnswer> entry_answers;
    std::deque<DialogAnswer> teams_answers;
    std::deque<std::string> panel_answers;  // close, exit, box
    // Events in the order they happened, as the scenario files write them.
    std::vector<std::string> events;
    // A window opened with no answer queued: "no answer for <kind>".
    std::string failure;

    std::filesystem::path folder_;
    std::uint32_t tick = 1000000;
    bool focus = true;
    bool closed = false;
    bool overlay_shown = false;
    std::vector<BoutResult> results;
    // Events as "SUBJECT AMOUNT SHOWN @SECOND", and the bouts as "ENTRY POSITION BLUE-WHITE".
    std::vector<std::string> protocol;
    std::vector<std::string> protocol_bouts;
    // The real bout list behind the fake dialogs; list_visible stands for the control panel's
    // bout grid (a result reaches its row whether the grid is shown or not).
    BoutListFile list_file;
    BoutListAccess access;
    bool list_visible = false;

    std::uint32_t tick_count() override { return tick; }
    GongStatus gong_open(const std::string& path) override;
    void gong_play() override { events.push_back("gong"); }
    void show_message(const std::string& text, MessageKind kind) override;
    bool confirm_ok(const std::string& question) override;
    bool scoreboard_has_focus() override { return focus; }
    // Notes need no answer and are not events: a scenario reads them with "expect note".
    void show_note(const std::string& text) override { notes.push_back(text); }
    std::vector<std::string> notes;

    EntryFields& entry_fields() override { return fields_; }
    void protocol_line(const ProtocolLine& line) override;
    void protocol_new_bout(const ProtocolBout& bout) override {
        protocol_bouts.push_back(bout.entry + " " + std::to_string(bout.list_position) + " " +
                                 bout.blue + "-" + bout.white);
    }
    ListOutcome kampf_laden() override { return access.kampf_laden(fields_); }
    void show_entry_dialog(Answered done) override;
    ListOutcome anzeige_in_liste(const BoutResult& result) override {
        results.push_back(result);
        return access.anzeige_in_liste(result);
    }
    void clear_list_result_due() override { access.list_result_due = false; }
    bool list_bout_in_team_mode() override { return access.list_result_due && access.team_bout; }
    void eingabe_teams_simple(bool has_result, bool blue_won, Answered done) override;
    void info() override { events.push_back("about"); }
    // As the program's host: the age class's own rules from its section.

    void show_page(PageScheme scheme, const std::string& line1, const std::string& line2,
                   const std::string& line3) override;
    void overlay_bild() override;
    void overlay_bild_aus() override;
    void show_control_panel() override;
    void anzeige_uebernehmen() override {}
    void zeit_uebernehmen() override {}

    void place_on_display(int /*left*/) override {}
    void relayout() override {}
    void close_scoreboard() override;

  private:
    bool fill_fields(const std::string& pairs);
    bool fill_team_fields(const std::string& pairs, TeamFields& team);

    BoutEngine* engine_ = nullptr;
    EntryFields fields_;
};

}  // namespace kyomat::testing
