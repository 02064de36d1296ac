#pragma once
// All long-lived windows of the program: the scoreboard (main window), the bout entry dialog
// with its bout list editor, the wait window and the team score dialog; the control panel,
// owned by the scoreboard, is built when it is first opened.
#include "app/app_host.h"
#include "app/devices_window.h"
#include "app/gamepad_input.h"
#include "app/hall_call.h"
#include "app/remote_input.h"
#include "app/wait_window.h"
#include "control/control_panel.h"
#include "data/core/settings.h"
#include "dialogs/bout_entry_dialog.h"
#include "dialogs/team_score_dialog.h"
#include "display/logo_overlay.h"
#include "display/scoreboard_window.h"
#include "display/text_screen.h"
#include "live/live_board.h"
#include "live/live_server.h"

#include <memory>

namespace kyomat {

// Keeps the control panel above the scoreboard, the text screen and the pause picture on
// the operator's screen: whenever one of them is shown while the panel is open, the panel
// is raised again once they have settled.
class PanelKeeper : public QObject {
  public:
    void watch(QWidget* window) { window->installEventFilter(this); }
    void set_panel(QWidget* panel) { panel_ = panel; }
    // Told a moment after one of the watched windows was shown or hidden.
    void set_changed(std::function<void()> changed) { changed_ = std::move(changed); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* panel_ = nullptr;
    std::function<void()> changed_;
};

class Program {
  public:
    Program(const Settings& settings, AppHost& host);
    ~Program();
    // Shows the scoreboard, mapped once at its place on its monitor.
    void show();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    ScoreboardWindow scoreboard;
    // The shared list's one watch: the panel's grid and the hall's call-up follow it.
    ListWatch list_watch;
    BoutEntryDialog entry;
    WaitWindow wait;
    TeamScoreDialog teams;
    PanelKeeper keeper;
    // The live view for browsers, when [live] gives it a port.
    std::unique_ptr<LiveView> live;
    std::unique_ptr<LiveBoard> live_board;
    // Who is next on this mat, for the live view; the call spoken at the mat.
    std::unique_ptr<CallUpWatch> call_up;
    SpokenCall spoken_call;
    // What the devices' window shows of a pressed button instead of applying it.
    TableCheck table_check;
    // The paired remote, when [fernbedienung] aktiv=1 and the live view runs.
    std::unique_ptr<RemoteInput> remote;
    // The gamepads, when kyomat.ini has a [gamepad] section.
    std::unique_ptr<GamepadInput> gamepad;

    // The devices' window (pairing, the paired remotes, the table check), from the panel.
    void open_devices();
    DevicesWindow* devices_window() { return devices_window_.get(); }

    // The control panel, built on first use; panel_built() says whether it exists.
    ControlPanel& control_panel();
    bool panel_built() const { return panel_ != nullptr; }
    // Told after every paint of the board, in the order added.
    void on_painted(std::function<void()> told) { painted_.push_back(std::move(told)); }
    // A restored bout was in list mode: the panel shows the list when it opens.
    void restore_list_mode() { restore_list_mode_ = true; }
    // The list in use last time was opened again: the hall's call-up follows it at once.
    void list_reopened();
    // The panel shows the list, or will as soon as it opens (a restart reopened it).
    bool list_shown() const;

  private:
    // The constructor's wiring, by what it wires.
    void wire_windows();
    void wire_board_screen();
    void wire_spoken_call();
    void start_live_view(const Settings& settings);
    void tell_board_activity();
    // What covers the board for the audience, and the gamepads connected: for the panel's
    // status bar on the operator's screen.
    QString board_activity();
    void set_live_text(const QString& text, bool problem);
    void start_remote(const Settings& settings);

    AppHost& host_;
    ControlPanel* panel_ = nullptr;  // owned by the scoreboard
    std::vector<std::function<void()>> painted_;
    bool restore_list_mode_ = false;
    bool list_reopened_ = false;
    QString live_text_;
    // Where a tablet opens the remote.
    QString remote_url_;
    std::unique_ptr<DevicesWindow> devices_window_;
    bool live_problem_ = false;
};

}  // namespace kyomat
