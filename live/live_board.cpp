#include "live/live_board.h"

#include "live/core/state_document.h"
#include "live/live_server.h"

namespace kyomat {

LiveBoard::LiveBoard(const BoutEngine& engine, LiveView& view) : engine_(engine), view_(view) {
    pending_.setSingleShot(true);
    pending_.setInterval(0);
    QObject::connect(&pending_, &QTimer::timeout, &pending_, [this] { publish_now(); });
}

void LiveBoard::board_painted() {
    if (!pending_.isActive()) pending_.start();
}

void LiveBoard::set_call_up(std::string body) {
    if (body == call_up_) return;
    call_up_ = std::move(body);
    board_painted();
}

void LiveBoard::publish_now() {
    pending_.stop();
    std::string body = state_body(engine_);
    if (!call_up_.empty()) body += "," + call_up_;
    const bool running = clock_running(engine_);
    if (body == body_ && running == running_ && sequence_ > 0) return;
    body_ = std::move(body);
    running_ = running;
    ++sequence_;
    view_.publish(state_document(sequence_, body_), running_);
}

}  // namespace kyomat
