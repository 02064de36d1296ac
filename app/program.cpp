#include "app/program.h"

#include <QEvent>
#include <QTimer>

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
    keeper.watch(&scoreboard, panel);
    keeper.watch(&scoreboard.text_screen(), panel);
    keeper.watch(&scoreboard.overlay(), panel);
}

bool PanelKeeper::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if ((type == QEvent::Show || type == QEvent::WindowActivate) && panel_ != nullptr &&
        panel_->isVisible()) {
        QTimer::singleShot(0, panel_, [panel = panel_] {
            if (panel->isVisible()) panel->raise();
        });
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kyomat
