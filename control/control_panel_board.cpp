// The panel while the board's monitor is missing and after it is back: the keys it relays
// and what its board field says.
#include <QTimer>

#include "control/control_panel.h"
#include "engine/engine.h"

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

}  // namespace kyomat
