#pragma once
// The real scoreboard (offscreen) with its live view on a free port of this computer: what
// the live view's tests and benchmarks drive.
#include <QCoreApplication>
#include <QtTest>
#include <memory>

#include "app/app_host.h"
#include "display/scoreboard_window.h"
#include "live/live_board.h"
#include "live/live_server.h"
#include "temp_folder.h"

namespace kyomat::testing {

class LiveRig {
  public:
    explicit LiveRig(LiveLimits limits = {}) {
        dir_.write("kyomat.ini", "[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\n");
        settings_ = std::make_unique<Settings>(dir_.path());
        host_ = std::make_unique<AppHost>(*settings_);
        window_ = std::make_unique<ScoreboardWindow>(*host_, *settings_);
        host_->set_scoreboard(window_.get());
        live_ = std::make_unique<LiveView>(limits);
        QString error;
        if (!live_->start("127.0.0.1", 0, error)) qFatal("%s", qPrintable(error));
        board_ = std::make_unique<LiveBoard>(window_->engine(), *live_);
        window_->set_painted([this] { board_->board_painted(); });
        window_->show();
        if (!QTest::qWaitForWindowExposed(window_.get())) qFatal("no window");
        QTest::qWait(50);
    }
    ~LiveRig() { window_->set_painted({}); }
    LiveRig(const LiveRig&) = delete;
    LiveRig& operator=(const LiveRig&) = delete;

    quint16 port() const { return live_->port(); }
    ScoreboardWindow& window() { return *window_; }
    AppHost& host() { return *host_; }
    BoutEngine& engine() { return window_->engine(); }
    LiveView& live() { return *live_; }
    LiveBoard& board() { return *board_; }

    void press(std::uint16_t key, Modifiers mods = {}) {
        window_->handle_key(key, mods);
        QCoreApplication::processEvents();
    }
    // A bout of four minutes under way, its clock started.
    void run_clock() {
        auto& state = engine().internals_for_tests().state;
        state.clock_value = 240;
        state.bout_active = true;
        press(vk::space);
    }
    // The names of a loaded bout, as the bout entry would set them.
    void names(const std::string& blue, const std::string& white) {
        Board& b = engine().internals_for_tests().board;
        b.lblBlau_Name.text = blue;
        b.lblWeiss_Name.text = white;
        engine().internals_for_tests().state.bout_on_board = true;
        window_->paint_board();
        QCoreApplication::processEvents();
    }

  private:
    TempFolder dir_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<AppHost> host_;
    std::unique_ptr<ScoreboardWindow> window_;
    std::unique_ptr<LiveView> live_;
    std::unique_ptr<LiveBoard> board_;
};

}  // namespace kyomat::testing
