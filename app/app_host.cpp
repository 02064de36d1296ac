#include "app/app_host.h"

#include "data/core/settings.h"
#include "display/untMainAnzeige.h"
#include "platform/message_box.h"
#include "platform/tick.h"

namespace kyomat {

std::uint32_t AppHost::tick_count() { return kyomat::tick_count(); }

bool AppHost::gong_open(const std::string& path) {
    if (path.empty()) {
        gong_.close();
        return false;
    }
    return gong_.open(settings_.resolve(path));
}

void AppHost::show_message(const std::string& text, char kind) {
    kyomat::show_message(text, kind);
}

bool AppHost::confirm_ok(const std::string& question) { return kyomat::confirm_ok(question); }

bool AppHost::scoreboard_has_focus() {
    return scoreboard_ != nullptr && scoreboard_->isActiveWindow();
}

// The bout list, the bout entry dialog, the team score dialog, the text screen, the about box
// and the control panel are windows of their own that this program does not have yet: until
// they exist the commands that need them find no bout and show nothing.
ListOutcome AppHost::kampf_laden() { return ListOutcome::nothing; }
bool AppHost::show_entry_dialog() { return false; }
ListOutcome AppHost::anzeige_in_liste(const BoutResult& /*result*/) { return ListOutcome::nothing; }
bool AppHost::eingabeTeamsSimple(bool /*has_result*/, bool /*blue_won*/) { return false; }
void AppHost::info() {}
void AppHost::show_page(PageScheme /*scheme*/, const std::string& /*line1*/,
                        const std::string& /*line2*/, const std::string& /*line3*/) {}

void AppHost::show_control_panel() {
    // No panel to show: it is closed at once, as its own close command would.
    if (scoreboard_ != nullptr) scoreboard_->engine().control_panel_active = false;
}

void AppHost::place_on_display(int left) {
    if (scoreboard_ != nullptr) scoreboard_->place_on_display(left);
}

void AppHost::relayout() {
    if (scoreboard_ != nullptr) scoreboard_->FormResize();
}

void AppHost::close_scoreboard() {
    if (scoreboard_ != nullptr) scoreboard_->close();
}

void AppHost::board_changed() {
    if (scoreboard_ != nullptr) scoreboard_->paint_board();
}

}  // namespace kyomat
