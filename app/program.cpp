#include "app/program.h"

namespace kyomat {

Program::Program(const Settings& settings, AppHost& host)
    : scoreboard(host, settings), entry(settings.folder()) {
    host.set_scoreboard(&scoreboard);
    host.set_entry(&entry);
    // The control panel reaches the scoreboard only through its key handler and its board,
    // and the bout list through the bout entry component.
    PanelLinks links{
        [this](std::uint16_t key, Modifiers mods) { scoreboard.handle_key(key, mods); },
        [this] { return entry.edit_kaempfe(); },
        [this](std::vector<std::array<std::string, 5>>& rows) {
            return entry.access().panel_rows(rows);
        }};
    panel = new ControlPanel(scoreboard.engine(), host, std::move(links), &scoreboard);
    host.set_panel(panel);
    scoreboard.set_wait_window([this](bool show) { wait.setVisible(show); });
    host.set_teams(&teams);
}

}  // namespace kyomat
