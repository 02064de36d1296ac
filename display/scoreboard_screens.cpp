// The board's monitor while the program runs: a projector whose cable is pulled, a beamer
// switched off over lunch, a TV plugged in after the start. The board is never thrown onto
// the operator's screen; it comes back on its own monitor, full screen, as it is now.
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "data/core/basis.h"
#include "display/logo_overlay.h"
#include "display/scoreboard_window.h"
#include "display/text_screen.h"
#include "platform/screen_place.h"

namespace kyomat {

void ScoreboardWindow::watch_screens() {
    if (following_screens_) return;
    following_screens_ = true;
    // After the window system has settled the change: a removed monitor's windows are moved
    // by then, and the board is put back where it belongs.
    const auto later = [this] { QTimer::singleShot(0, this, [this] { follow_screens(); }); };
    connect(qGuiApp, &QGuiApplication::screenAdded, this, later);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, later);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, later);
}

void ScoreboardWindow::follow_screens() {
    const std::string monitor =
        trim_right(read_setting_text(engine_.settings(), Key::anzeige_anz_monitor));
    const auto screens = QGuiApplication::screens();
    const auto target = board_screen(screen_facts(), monitor, left_);
    if (target) {
        QScreen* screen = screens[static_cast<qsizetype>(*target)];
        const bool was_missing = screen_missing_;
        screen_missing_ = false;
        found_once_ = true;
        // By name: the pages follow the monitor; by position they find it from anz_links.
        if (!monitor.empty()) engine_.set_display_left(screen->geometry().left());
        const QRect room = room_below(screen->geometry(), panel_frame_);
        const bool elsewhere =
            windowHandle() == nullptr || windowHandle()->screen() != screen || geometry() != room;
        if (elsewhere || was_missing) {
            place_on_screen(this, screen, room);
            if (text_ != nullptr) text_->place_again();
            if (overlay_ != nullptr) overlay_->place_again();
        }
        if (!isVisible()) {
            show();
            paint_board();
        }
        if (was_missing) {
            if (pause_was_up_) show_overlay();
            pause_was_up_ = false;
            if (screen_missing_told_) screen_missing_told_(false, {});
        }
        return;
    }
    // Never on its monitor yet and placed by position alone: the primary screen, as ever.
    if (monitor.empty() && !found_once_) {
        if (left_) place_on_screen(this, *left_);
        return;
    }
    if (screen_missing_) return;
    screen_missing_ = true;
    pause_was_up_ = overlay_ != nullptr && overlay_->isVisible();
    if (overlay_ != nullptr) overlay_->hide();
    if (text_ != nullptr && text_->isVisible()) text_->accept();
    panel_frame_ = {};
    hide();
    const QString waited_for =
        monitor.empty() ? QStringLiteral("der Bildschirm bei x=%1").arg(left_.value_or(0))
                        : QStringLiteral("„%1“").arg(QString::fromStdString(monitor));
    if (screen_missing_told_) screen_missing_told_(true, waited_for);
}

void ScoreboardWindow::set_panel_frame(const QRect& frame) {
    if (frame == panel_frame_) return;
    panel_frame_ = frame;
    if (isVisible() && !screen_missing_) follow_screens();
}

}  // namespace kyomat
