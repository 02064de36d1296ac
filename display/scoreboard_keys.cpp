// The scoreboard's input: every key, typed on the board or relayed by the panel, the pages
// and the pause picture, goes through handle_key, one command after the other.
#include <QApplication>
#include <QKeyEvent>
#include <chrono>
#include <utility>

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
    if (!run_or_hold_for_list(key, mods)) return;
    act(key, mods, std::exchange(around_, {}));
}

void ScoreboardWindow::act(std::uint16_t key, Modifiers mods,
                           const std::function<void(bool)>& around) {
    if (around) around(true);
    engine_.handle_key(key, mods);
    if (around) around(false);
    paint_board();
}

void ScoreboardWindow::set_list_saving(std::function<bool()> saving, int max_wait_ms) {
    list_saving_ = std::move(saving);
    list_wait_ms_ = max_wait_ms;
    list_wait_.setInterval(100);
    list_wait_.disconnect(this);
    connect(&list_wait_, &QTimer::timeout, this, [this] { list_wait_tick(); });
}

namespace {

// The commands that read or write the shared list.
bool list_command(std::uint16_t key, Modifiers mods) {
    return mods.ctrl && (key == 'N' || key == 'E');
}

qint64 steady_now_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

bool ScoreboardWindow::run_or_hold_for_list(std::uint16_t key, Modifiers mods) {
    // One queue: behind a command that waits for the list, every key waits too.
    if (list_wait_.isActive()) {
        behind_list_.push_back({key, mods, {}, std::exchange(around_, {})});
        return false;
    }
    if (!list_command(key, mods) || !list_saving_ || !list_saving_()) return true;
    behind_list_.push_front({key, mods, {}, std::exchange(around_, {})});
    list_waiting_since_ = steady_now_ms();
    list_wait_.start();
    host_.show_note(std::string(key == 'N' ? "Strg+N" : "Strg+E") +
                    " wartet: die Kampfliste wird gerade von einem anderen Programm "
                    "gespeichert und ist noch nicht ganz.");
    return false;
}

void ScoreboardWindow::list_wait_tick() {
    // Once the save is done, or after the longest wait (then the command says what it found).
    if (list_saving_() && steady_now_ms() - list_waiting_since_ < list_wait_ms_) return;
    list_wait_.stop();
    HeldKey held = std::move(behind_list_.front());
    behind_list_.pop_front();
    act(held.key, held.mods, held.around);
    for (const auto& then : held.then) then();
    while (!list_wait_.isActive() && !behind_list_.empty()) {
        HeldKey next = std::move(behind_list_.front());
        behind_list_.pop_front();
        around_ = std::move(next.around);
        handle_key(next.key, next.mods);
        around_ = {};
        if (list_wait_.isActive()) {
            // Held in its turn: what follows it waits with it.
            behind_list_.front().then = std::move(next.then);
        } else {
            for (const auto& then : next.then) then();
        }
    }
}

void ScoreboardWindow::after_key(std::function<void()> then) {
    if (list_wait_.isActive() && !behind_list_.empty()) {
        behind_list_.back().then.push_back(std::move(then));
        return;
    }
    then();
}

bool ScoreboardWindow::remote_key(std::uint16_t key, Modifiers mods,
                                  std::function<void(bool)> around) {
    if (QApplication::activeModalWidget() != nullptr || window_on_top() != nullptr) {
        host_.show_note(k_close_dialog_first.toStdString());
        return false;
    }
    around_ = std::move(around);
    handle_key(key, mods);
    around_ = {};
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
