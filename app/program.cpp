#include "app/program.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "data/core/file_io.h"
#include "dialogs/bout_list_editor.h"
#include "gui/window_keys.h"
#include "live/core/live_settings.h"
#include "live/core/state_document.h"
#include "platform/screen_place.h"

namespace kyomat {

Program::Program(const Settings& settings, AppHost& host)
    : scoreboard(host, settings),
      list_watch([&host] { return host.bout_list().list_file(); }),
      entry(host.bout_list()),
      spoken_call(
          settings, [&host] { return host.gong_sounding(); },
          [&host](const std::string& text) { host.show_note(text); }),
      host_(host) {
    wire_windows();
    wire_board_screen();
    wire_spoken_call();
    start_live_view(settings);
    start_remote(settings);
    gamepad = GamepadInput::from_settings(settings, scoreboard, host, table_check);
    if (gamepad) gamepad->on_changed([this] { tell_board_activity(); });
}

void Program::start_remote(const Settings& settings) {
    QString problem;
    remote =
        RemoteInput::from_settings(settings, live.get(), scoreboard, host_, table_check, problem);
    if (!problem.isEmpty()) {
        host_.show_note(problem.toStdString());
        std::fprintf(stderr, "kyomat: %s\n", problem.toLocal8Bit().constData());
    }
    if (!remote) return;
    remote->on_changed([this] {
        tell_board_activity();
        if (devices_window_ != nullptr) devices_window_->refresh();
    });
}

void Program::open_devices() {
    if (devices_window_ == nullptr) {
        devices_window_ = std::make_unique<DevicesWindow>(
            remote.get(), table_check, remote_url_,
            [this] { return gamepad ? gamepad->connected() : QStringList{}; }, panel_);
    }
    open_command_dialog(*devices_window_, {}, panel_);
}

// The windows the engine opens through the host, and the board's own helpers.
void Program::wire_windows() {
    host_.set_scoreboard(&scoreboard);
    host_.set_entry(&entry);
    host_.set_panel([this](bool build) { return build ? &control_panel() : panel_; });
    host_.set_teams(&teams);
    scoreboard.set_wait_window([this](bool show) {
        if (show) {
            if (QScreen* s = operator_screen(&scoreboard)) wait.set_origin(s->geometry().topLeft());
        }
        wait.setVisible(show);
        if (show) wait.raise();
    });
    scoreboard.set_gong_soon([this](ScoreboardWindow::GongSoon soon) { host_.gong_soon(soon); });
    set_refusal_note([this](const QString& text) { host_.show_note(text.toStdString()); });
    // The wait for a list that another program is saving is the board's timer, never a sleep
    // inside a command: the clock and the gong go on.
    BoutListInUse& list = host_.bout_list();
    list.file.never_wait = true;
    scoreboard.set_list_saving([&list] { return list.being_saved(); }, list.file.settle_ms);
    keeper.watch(&scoreboard);
    keeper.set_changed([this] { tell_board_activity(); });
    scoreboard.set_window_built([this](QWidget* window) { keeper.watch(window); });
    scoreboard.set_painted([this] {
        // One mirror fed by the board: a key that reached the board directly shows in the
        // open panel as well as one typed into it.
        if (panel_ != nullptr && panel_->isVisible()) panel_->mirror_board();
        for (const auto& told : painted_) told();
    });
}

// The board's monitor going and coming: the panel opens for it and relays the keys.
void Program::wire_board_screen() {
    scoreboard.set_screen_missing([this](bool missing, const QString& waited_for) {
        std::fprintf(stderr, "kyomat: %s\n",
                     missing ? qPrintable("Anzeige-Bildschirm fehlt: warte auf " + waited_for)
                             : "Anzeige-Bildschirm wieder da");
        if (!missing) {
            if (panel_ == nullptr) return;
            panel_->set_board_missing(false, {});
            // The keys go back to the board they were typed on; the panel the program opened
            // stays open and keeps relaying them.
            if (panel_->opened_for_board()) hand_keys_back(&scoreboard);
            return;
        }
        // Opened as Ctrl+C opens it, once this change has been dealt with.
        QTimer::singleShot(0, &scoreboard, [this, waited_for] {
            if (!scoreboard.screen_missing()) return;
            ControlPanel& panel = control_panel();
            if (!panel.isVisible()) panel.set_opened_for_board(true);
            panel.set_board_missing(true, waited_for);
            if (!panel.isVisible()) scoreboard.handle_key('C', Modifiers{false, true, false});
        });
    });
}

// The call at the mat: the bout taken and the one after it.
void Program::wire_spoken_call() {
    host_.on_bout_taken([this] {
        const BoutListAccess& access = host_.bout_list().access;
        const CalledBout now = called_bout(access.list_read(), access.bout_row);
        const CallUp next = call_up_of(access.list_read(), access.bout_row, 1);
        spoken_call.bout_taken(now, next.next.empty() ? nullptr : &next.next.front());
    });
}

void Program::tell_board_activity() {
    if (panel_ != nullptr) panel_->set_board_activity(board_activity());
}

ControlPanel& Program::control_panel() {
    if (panel_ == nullptr) {
        // The control panel reaches the scoreboard only through its key handler and its
        // board, and the bout list through the host that owns it.
        PanelLinks links{
            [this](std::uint16_t key, Modifiers mods) { scoreboard.handle_key(key, mods); },
            [this](std::function<void()> closed) {
                open_command_dialog(entry.editor(), std::move(closed), panel_);
            },
            [this](std::vector<std::array<std::string, 5>>& rows, bool quiet) {
                return host_.bout_list().access.panel_rows(rows, quiet);
            },
            [this] { return host_.bout_list().access.list_unreadable(); },
            [this] { return host_.bout_list().access.writes; },
            &list_watch,
            [this] { return host_.bout_list().due_row(); },
            [this](std::function<void()> then) { scoreboard.after_key(std::move(then)); }};
        panel_ = new ControlPanel(scoreboard.engine(), host_, std::move(links), &scoreboard);
        scoreboard.set_panel_relays([this] { return panel_ != nullptr && panel_->relays_keys(); });
        keeper.set_panel(panel_);
        panel_->set_frame_told([this](const QRect& frame) { scoreboard.set_panel_frame(frame); });
        if (!live_text_.isEmpty()) panel_->set_live_text(live_text_, live_problem_);
        if (remote || gamepad) panel_->set_devices_opener([this] { open_devices(); });
        tell_board_activity();
        if (restore_list_mode_) {
            restore_list_mode_ = false;
            scoreboard.engine().enter_list_mode();
            panel_->anzeige_kaempfe();
        }
    }
    return *panel_;
}

void Program::list_reopened() {
    list_reopened_ = true;
    if (call_up) call_up->board_changed();
}

bool Program::list_shown() const {
    return list_reopened_ || restore_list_mode_ || (panel_ != nullptr && panel_->list_mode());
}

QString Program::board_activity() {
    QStringList what;
    if (scoreboard.pages_up()) {
        what << QStringLiteral("Seiten laufen");
    } else if (scoreboard.has_overlay() && scoreboard.overlay().isVisible()) {
        what << QStringLiteral("Pause");
    }
    if (gamepad && !gamepad->status().isEmpty()) what << gamepad->status();
    if (remote && !remote->status().isEmpty()) what << remote->status();
    return what.join(QStringLiteral(" · "));
}

void Program::set_live_text(const QString& text, bool problem) {
    live_text_ = text;
    live_problem_ = problem;
    if (panel_ != nullptr) panel_->set_live_text(text, problem);
}

void Program::show() {
    scoreboard.show_placed();
}

Program::~Program() {
    // The live view and the panel go before the scoreboard and the host: neither may be
    // reached through them any more.
    scoreboard.set_painted({});
    scoreboard.set_panel_relays({});
    keeper.set_changed({});
    set_refusal_note({});
    scoreboard.set_gong_soon({});
    host_.set_panel({});
    host_.on_bout_taken({});
    gamepad.reset();
    devices_window_.reset();
    remote.reset();
    if (panel_ != nullptr) panel_->set_frame_told({});
}

void Program::start_live_view(const Settings& settings) {
    const LiveSettings wanted = read_live_settings(settings);
    QString problem = QString::fromStdString(wanted.problem);
    if (problem.isEmpty() && wanted.port != 0) {
        LiveLimits limits;
        limits.per_address = wanted.per_address;
        live = std::make_unique<LiveView>(limits);
        QString error;
        if (live->start(QString::fromStdString(wanted.address), wanted.port, error)) {
            live_board = std::make_unique<LiveBoard>(scoreboard.engine(), *live);
            live->set_hall_mats(hall_mats_document(wanted.hall_mats));
            const std::string mat = wanted.mat;
            live_board->set_call_up(call_up_body(mat, {}));
            call_up = std::make_unique<CallUpWatch>(
                scoreboard.engine(), host_.bout_list(), list_watch,
                [board = live_board.get(), mat](const CallUp& call) {
                    board->set_call_up(call_up_body(mat, call));
                },
                [this] { return list_shown(); });
            on_painted([board = live_board.get(), watch = call_up.get()] {
                watch->board_changed();
                board->board_painted();
            });
            const QString address = QString::fromStdString(wanted.address);
            const QStringList urls = live_urls(address, live->port());
            remote_url_ = urls.value(0) + QStringLiteral("steuerung");
            const QHostAddress host(address);
            // Who can see it is said plainly: on every network, without a password.
            const bool everyone = host == QHostAddress::AnyIPv4 || host == QHostAddress::Any ||
                                  host == QHostAddress::AnyIPv6;
            set_live_text((everyone ? "Live für alle Geräte im Netz, ohne Passwort: " : "Live: ") +
                              urls.join(QStringLiteral(" · ")),
                          false);
            return;
        }
        live.reset();
        problem = QStringLiteral("Live-Ansicht aus: %1:%2 – %3")
                      .arg(QString::fromStdString(wanted.address))
                      .arg(wanted.port)
                      .arg(error);
    }
    if (problem.isEmpty()) return;
    // Said where the operator looks, and in the log; the scoreboard works on without it.
    set_live_text(problem, true);
    std::fprintf(stderr, "kyomat: %s\n", problem.toLocal8Bit().constData());
}

bool PanelKeeper::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if ((type == QEvent::Show || type == QEvent::Hide) && changed_) {
        // Between two pages one hides and the next shows: told once they have settled.
        QTimer::singleShot(0, this, [this] {
            if (changed_) changed_();
        });
    }
    if ((type == QEvent::Show || type == QEvent::WindowActivate) && panel_ != nullptr &&
        panel_->isVisible()) {
        QTimer::singleShot(0, panel_, [panel = panel_] {
            if (panel->isVisible()) panel->raise();
            // A dialog or question opened meanwhile stays above the panel until it closes.
            if (QWidget* modal = window_on_top(); modal != nullptr && modal != panel) {
                modal->raise();
                modal->activateWindow();
            }
        });
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kyomat
