#pragma once
// Hands the board to the live view: after the scoreboard has painted, the state document is
// built once (several paints in one turn of the event loop make one document) and sent only
// when it shows something new, with a sequence number that grows with every change.
#include <QTimer>
#include <cstdint>
#include <string>

namespace kyomat {

class BoutEngine;
class LiveView;

class LiveBoard {
  public:
    LiveBoard(const BoutEngine& engine, LiveView& view);
    // Called after every paint of the board; the document is built after the paint's turn.
    void board_painted();
    // Builds and sends now when the board changed (the tests and benchmarks call it).
    void publish_now();
    // The mat's name and who is called next (call_up_body): part of every document from now.
    void set_call_up(std::string body);
    std::uint64_t sequence() const { return sequence_; }

  private:
    const BoutEngine& engine_;
    LiveView& view_;
    QTimer pending_;
    std::string body_;
    std::string call_up_;
    bool running_ = false;
    std::uint64_t sequence_ = 0;
};

}  // namespace kyomat
