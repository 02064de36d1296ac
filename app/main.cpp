// KYOMAT scoreboard: program entry. Creates the scoreboard as the main window and runs the
// event loop until it closes.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/app_host.h"
#include "app/untWait.h"
#include "control/untAnzeigeSTRG.h"
#include "data/forms/untAnzeigeLaden.h"
#include "data/forms/untEingabeKampfTeams.h"
#include "data/core/settings.h"
#include "display/untMainAnzeige.h"

namespace {

// Without any display Qt would abort with a cryptic message; say what is wrong instead.
bool display_available() {
#if defined(Q_OS_LINUX)
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') return true;
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    return (x != nullptr && *x != '\0') || (wl != nullptr && *wl != '\0');
#else
    return true;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    if (!display_available()) {
        std::fprintf(stderr,
                     "kyomat: no display found. Start it on a desktop, or set DISPLAY "
                     "(for example under xvfb-run).\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("KYOMAT");

    const std::filesystem::path folder = QCoreApplication::applicationDirPath().toStdString();
    const kyomat::Settings settings(folder);
    kyomat::AppHost host(settings);
    // Creation order: the scoreboard (main window), the bout entry dialog with its bout list
    // editor, the wait window, the team score dialog.
    kyomat::TfrmMainAnzeige scoreboard(host, settings);
    host.set_scoreboard(&scoreboard);
    kyomat::TfrmAnzeigeLaden entry(folder);
    host.set_entry(&entry);
    // The control panel belongs to the scoreboard; it reaches the scoreboard only through
    // the key handler and the board, and the bout list through the bout entry component.
    kyomat::PanelLinks links{
        [&scoreboard](std::uint16_t key, kyomat::Modifiers mods) { scoreboard.FormKeyDown(key, mods); },
        [&entry] { return entry.edit_kaempfe(); },
        [&entry](std::vector<std::array<std::string, 5>>& rows) {
            return entry.access().panel_rows(rows);
        }};
    auto* panel = new kyomat::TfrmAnzeigeSTRG(scoreboard.engine(), host, links, &scoreboard);
    host.set_panel(panel);
    kyomat::TfrmWait wait;
    scoreboard.set_wait_window([&wait](bool show) { wait.setVisible(show); });
    kyomat::TfrmEingabeKampfTeams teams;
    host.set_teams(&teams);
    scoreboard.show();
    app.exec();
    return 0;
}
