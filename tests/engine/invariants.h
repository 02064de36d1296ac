#pragma once
// What must hold on the board after every event, whatever the operator does: for the
// key-storm soak and the engine fuzz target.
#include <cstdint>
#include <random>
#include <string>

#include "engine/fake_host.h"

namespace kyomat::testing {

// An empty text when every invariant holds, otherwise what is wrong.
std::string check_invariants(const BoutEngine& engine);

// Drives an engine from a stream of bytes: keys, tick advances, timer events and switches of
// the rule settings (written to kyomat.ini and taken over by Ctrl+E). Answers every dialog.
class EventDriver {
  public:
    EventDriver(const std::filesystem::path& folder);
    // Applies one event taken from the bytes at pos (advancing pos); false at the end.
    bool step(const std::uint8_t* data, std::size_t size, std::size_t& pos);
    BoutEngine& engine() { return engine_; }
    FakeHost& host() { return host_; }

  private:
    // a and b choose the rule switches and times; chosen, when not 0, one more key and value
    // (hostile ones among them).
    void write_settings(std::uint8_t a, std::uint8_t b, std::uint8_t chosen);
    void queue_answers();

    std::filesystem::path folder_;
    FakeHost host_;
    BoutEngine engine_;
};

}  // namespace kyomat::testing
