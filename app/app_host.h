#pragma once
// The program's Host: the engine's requests reach the platform and the real windows here.
#include <QTimer>
#include <functional>
#include <memory>

#include "app/note_window.h"
#include "data/core/bout_access.h"
#include "data/core/protocol.h"
#include "display/scoreboard_window.h"
#include "engine/host.h"
#include "platform/gong.h"
#include "platform/hand_over.h"

namespace kyomat {

class ScoreboardWindow;
class ControlPanel;
class BoutEntryDialog;
class TeamScoreDialog;
class Settings;

class AppHost : public Host {
  public:
    explicit AppHost(const Settings& settings);
    void set_scoreboard(ScoreboardWindow* w) { scoreboard_ = w; }
    void set_entry(BoutEntryDialog* entry) { entry_ = entry; }
    // The bout list in use: the host takes bouts from it and writes their results into it;
    // the state keeper, the panel's list and the list editor reach it here.
    BoutListInUse& bout_list() { return bout_list_; }
    void set_teams(TeamScoreDialog* teams) { teams_ = teams; }
    // The control panel, built on its first opening: panel(true) builds it, panel(false)
    // gives it only when it exists.
    void set_panel(std::function<ControlPanel*(bool build)> panel) { panel_ = std::move(panel); }
    // Runs when a result has been written and its bout closed (the crash state is kept then).
    void on_result_handed_on(std::function<void()> kept) { handed_on_ = std::move(kept); }
    void result_handed_on() override;
    // Runs when a bout has been taken from the list (the hall's call).
    void on_bout_taken(std::function<void()> taken) { bout_taken_ = std::move(taken); }
    // The gong is to be heard at this moment.
    bool gong_sounding() const { return gong_.playing(); }

    std::uint32_t tick_count() override;
    GongStatus gong_open(const std::string& path) override;
    void gong_play() override;
    // Wakes the sound device when a gong may come, with buffers as short as that gong needs;
    // lets it sleep after a while without.
    void gong_soon(ScoreboardWindow::GongSoon soon);
    void show_message(const std::string& text, MessageKind kind) override;
    bool confirm_ok(const std::string& question) override;
    bool confirm_ok_cancel_default(const std::string& question,
                                   const std::string& detail = {}) override;
    bool scoreboard_has_focus() override;

    EntryFields& entry_fields() override;
    ListOutcome kampf_laden() override;
    void show_entry_dialog(Answered done) override;
    ListOutcome anzeige_in_liste(const BoutResult& result) override;
    void protocol_line(const ProtocolLine& line) override;
    // While a command of a remote or a gamepad is applied: the protocol names it on every
    // line the command gives, and the bout's end names the largest delay.
    void set_command_source(const CommandSource* source);
    void protocol_new_bout(const ProtocolBout& bout) override;
    // A bout offered after a restart and thrown away: its end line in the protocol.
    void protocol_discarded(const ProtocolBout& bout);
    void clear_list_result_due() override;
    bool list_bout_in_team_mode() override;
    void eingabe_teams_simple(bool has_result, bool blue_won, Answered done) override;
    void info() override;

    void show_page(PageScheme scheme, const std::string& line1, const std::string& line2,
                   const std::string& line3) override;
    void overlay_bild() override;
    void overlay_bild_aus() override;
    void show_control_panel() override;
    void show_note(const std::string& text) override;
    void anzeige_uebernehmen() override;
    void zeit_uebernehmen() override;

    void place_on_display(int left) override;
    void relayout() override;
    void close_scoreboard() override;
    void board_changed() override;

  private:
    void open_after_pages(std::function<void()> open);
    QWidget* dialog_owner();

    const Settings& settings_;
    ScoreboardWindow* scoreboard_ = nullptr;
    BoutEntryDialog* entry_ = nullptr;
    TeamScoreDialog* teams_ = nullptr;
    std::function<ControlPanel*(bool build)> panel_;
    std::function<void()> handed_on_;
    std::function<void()> bout_taken_;
    ControlPanel* panel(bool build) const { return panel_ ? panel_(build) : nullptr; }
    // Puts the sound device to sleep once no gong has been due for a while.
    QTimer gong_idle_;
    // Before the gong: what the gong's thread reports arrives on the GUI thread here, until
    // the gong has ended.
    HandOverInbox gong_news_;
    GongPlayer gong_;
    std::unique_ptr<NoteWindow> note_window_;
    // Counts the gongs asked for: a report of an earlier one is not shown.
    int gong_generation_ = 0;
    EntryFields fields_;
    // The bout protocol, when protokoll=1 (read at every new bout).
    BoutProtocol protocol_;
    bool protocol_on_ = false;
    BoutListInUse bout_list_;
    ProtocolBout protocol_bout_;
    const CommandSource* command_source_ = nullptr;
    std::optional<CommandSource> largest_delay_;
    // A protocol failure is told at the bout's start or end, not while keys are pressed.
    std::string protocol_problem_;
    void tell_protocol_problem();
};

}  // namespace kyomat
