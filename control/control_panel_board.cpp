// The panel and the board's monitor: while it is missing and after it is back (the keys the
// panel relays and what its board field says), and while both share one monitor.
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "control/control_panel.h"
#include "control/panel_layout.h"
#include "engine/engine.h"
#include "engine/rule_settings.h"

namespace kyomat {

// How long the board's field says that its monitor is back.
constexpr int k_board_back_ms = 10000;

void ControlPanel::set_board_missing(bool missing, const QString& waited_for) {
    board_missing_ = missing;
    if (missing) relay_kept_ = true;
    board_waited_for_ = waited_for;
    set_keys_relayed(keys_relayed_here());
    if (board_back_ == nullptr) {
        board_back_ = new QTimer(this);
        board_back_->setSingleShot(true);
        connect(board_back_, &QTimer::timeout, this, &ControlPanel::mirror_board);
    }
    // That it is back goes into the board's own field: the status bar's other fields (class,
    // focus, bout time, live address) stay readable.
    if (missing) {
        board_back_->stop();
        show_note("Anzeige-Bildschirm fehlt: die Tafel erscheint, sobald " + waited_for +
                  " angeschlossen ist");
    } else {
        board_back_->start(k_board_back_ms);
    }
    mirror_board();
}

void ControlPanel::set_opened_for_board(bool opened) {
    opened_for_board_ = opened;
    set_keys_relayed(keys_relayed_here());
}

bool ControlPanel::keys_relayed_here() const {
    return engine_.panel_keys() || board_missing_ || opened_for_board_ || relay_kept_;
}

void ControlPanel::bout_handed_on() {
    if (!relay_kept_ || board_missing_) return;
    relay_kept_ = false;
    set_keys_relayed(keys_relayed_here());
    if (!keys_relayed_) {
        show_note(
            "Der Kampf ist weitergegeben: Tasten in der Steuerung wirken wieder nur mit "
            "panel_tasten=1, ihre Knöpfe wirken weiter");
    }
    mirror_board();
}

// A title bar's height before the window manager has told the real one.
constexpr int k_title_guess = 30;

void ControlPanel::share_board_screen() {
    const QWidget* board = parentWidget();
    QScreen* here = QGuiApplication::screenAt(pos());
    shares_board_screen_ = here != nullptr && board != nullptr && board->isVisible() &&
                           QGuiApplication::screenAt(board->geometry().center()) == here &&
                           board_below_panel(engine_.settings());
    if (shares_board_screen_) {
        fit_shared_screen();
    } else if (compacted_) {
        resize(k_panel_width, k_panel_height);
        compacted_ = false;
    }
}

void ControlPanel::fit_shared_screen() {
    const QScreen* here = QGuiApplication::screenAt(pos());
    if (here == nullptr) return;
    // The board keeps at least two fifths of the monitor below the panel, by the frame's
    // real height once the window manager has told it.
    const QRect room = here->availableGeometry();
    const int frame = frameGeometry().height() - height();
    const int most = room.height() * 3 / 5 - (frame > 0 ? frame : k_title_guess);
    const QSize fitted(std::min(k_panel_width, room.width()),
                       std::clamp(most, k_panel_least_height, k_panel_height));
    compacted_ = true;
    if (size() != fitted) resize(fitted);
}

void ControlPanel::tell_frame() {
    // Fitted while the window manager settles it; a size the operator gives it later stays.
    if (shares_board_screen_ && placing_ && isVisible()) fit_shared_screen();
    if (frame_told_) frame_told_(shares_board_screen_ && isVisible() ? frameGeometry() : QRect());
}

}  // namespace kyomat
