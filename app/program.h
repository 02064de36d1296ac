#pragma once
// All long-lived windows of the program, created in their order: the scoreboard (main
// window), the bout entry dialog with its bout list editor, the control panel owned by the
// scoreboard, the wait window and the team score dialog.
#include "app/app_host.h"
#include "app/wait_window.h"
#include "control/control_panel.h"
#include "data/core/settings.h"
#include "dialogs/bout_entry_dialog.h"
#include "dialogs/team_score_dialog.h"
#include "display/scoreboard_window.h"

namespace kyomat {

class Program {
  public:
    Program(const Settings& settings, AppHost& host);

    ScoreboardWindow scoreboard;
    BoutEntryDialog entry;
    ControlPanel* panel;  // owned by the scoreboard
    WaitWindow wait;
    TeamScoreDialog teams;
};

}  // namespace kyomat
