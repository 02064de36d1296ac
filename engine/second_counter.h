#pragma once
// Counts whole seconds on the host's wrapping millisecond tick count, and keeps the part of
// a second already run across a stop, so that stopping and starting never gains or loses
// time. The bout clock and the hold-down clock each have one.
#include <algorithm>
#include <cstdint>

namespace kyomat {

class SecondCounter {
  public:
    static constexpr std::uint32_t k_second_ms = 1000;
    // A stop keeps at most this much of a running second (and of seconds not yet counted by
    // a late tick), so that a stale reference can never make the clock race.
    static constexpr std::uint32_t k_max_pending_ms = 60000;

    // Starts counting afresh at now.
    void restart(std::uint32_t now) {
        ref_ = now;
        kept_ = 0;
    }
    // Stops: keeps all that has run since the last counted second, late ticks included.
    void stop(std::uint32_t now) { kept_ = std::min<std::uint32_t>(now - ref_, k_max_pending_ms); }
    // Stops while not counting: keeps only the part of the current second.
    void stop_within_second(std::uint32_t now) { kept_ = (now - ref_) % k_second_ms; }
    // Goes on from a stop with what was kept.
    void resume(std::uint32_t now) {
        ref_ = now - kept_;
        kept_ = 0;
    }
    void forget_kept() { kept_ = 0; }

    // More than a whole second has run since the last counted one.
    bool second_due(std::uint32_t now) const {
        return static_cast<std::uint32_t>(now - ref_) > k_second_ms;
    }
    void count_second() { ref_ += k_second_ms; }
    // Milliseconds from now until the first tick that counts the next second (0: already).
    std::uint32_t ms_until_due(std::uint32_t now) const {
        const std::uint32_t run = now - ref_;
        return run > k_second_ms ? 0 : k_second_ms + 1 - run;
    }

  private:
    std::uint32_t ref_ = 0;
    std::uint32_t kept_ = 0;
};

}  // namespace kyomat
