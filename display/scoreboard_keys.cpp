// The scoreboard's input: every key, typed on the board or relayed by the panel, the pages
// and the pause picture, goes through handle_key, one command after the other.
#include <QApplication>
#include <QKeyEvent>

#include "display/scoreboard_window.h"
#include "display/text_screen.h"
#include "gui/keymap.h"
#include "gui/window_keys.h"

namespace kyomat {

void ScoreboardWindow::handle_key(std::uint16_t key, Modifiers mods) {
    // A command whose dialog is open has not ended, and the commands form one queue: a key
    // that comes meanwhile is the queue's to answer, and its answer is a refusal with a note
    // ("Erst den Dialog schließen"); the key is not kept for later, and the dialog stays in
    // front. Message boxes block all input themselves.
    if (window_on_top() != nullptr && QApplication::activeModalWidget() == nullptr) {
        host_.show_note(k_close_dialog_first.toStdString());
        return;
    }
    if (page_up_) {
        if (!engine_.panel_keys() || text_ == nullptr) {
            // The command that shows the pages ends with them; keys typed meanwhile follow.
            waiting_keys_.emplace_back(key, mods);
            return;
        }
        // With keys relayed, a key typed over title or winner pages ends them all at once and
        // then acts: no key waits for seconds of pages.
        pages_.clear();
        text_->accept();
    }
    engine_.handle_key(key, mods);
    paint_board();
}

bool ScoreboardWindow::remote_key(std::uint16_t key, Modifiers mods) {
    if (QApplication::activeModalWidget() != nullptr || window_on_top() != nullptr) {
        host_.show_note(k_close_dialog_first.toStdString());
        return false;
    }
    handle_key(key, mods);
    return true;
}

bool ScoreboardWindow::takes_input() const {
    return !panel_open_ || engine_.panel_keys() || (panel_relays_ && panel_relays_());
}

void ScoreboardWindow::keyPressEvent(QKeyEvent* event) {
    if (event->isAutoRepeat() || !takes_input()) {
        // A held key must not pour scores onto the board.
        event->accept();
        return;
    }
    if (const auto ev = map_key(*event)) {
        handle_key(ev->key, ev->mods);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ScoreboardWindow::on_focus_circle_pressed() {
    if (!takes_input()) return;
    if (engine_.close_requested_by_focus()) close();
}

}  // namespace kyomat
