#pragma once
// All long-lived windows of the program, created in their order: the scoreboard (main
// window), the bout entry dialog with its bout list editor, the control panel owned by the
// scoreboard, the wait window and the team score dialog.
#include "app/app_host.h"
#include "app/untWait.h"
#include "control/untAnzeigeSTRG.h"
#include "data/core/settings.h"
#include "data/forms/untAnzeigeLaden.h"
#include "data/forms/untEingabeKampfTeams.h"
#include "display/untMainAnzeige.h"

namespace kyomat {

class Program {
public:
    Program(const Settings& settings, AppHost& host);

    TfrmMainAnzeige scoreboard;
    TfrmAnzeigeLaden entry;
    TfrmAnzeigeSTRG* panel;  // owned by the scoreboard
    TfrmWait wait;
    TfrmEingabeKampfTeams teams;
};

}  // namespace kyomat
