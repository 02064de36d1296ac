#pragma once
// The mat's paired remote (a tablet or a phone in the browser), as plain rules: what each
// button of the page does as a key of the key table, which role may press it, how often a
// device may send, that a command sent twice counts once, and when wrong pairing codes lock
// the pairing. The server and the board apply these; nothing here touches a socket.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/keys.h"

namespace kyomat {

// What a paired device may do. The keyboard is never subject to any of these.
enum class RemoteRole { everything, clock, scores, view };

// The role's word in the device file and the page's requests: "alles", "uhr", "wertung",
// "ansicht".
std::string_view role_word(RemoteRole role);
std::optional<RemoteRole> role_of_word(std::string_view word);
// The role as the operator reads it in the panel and the protocol.
std::string_view role_label(RemoteRole role);

// What a command belongs to: the clock (with Osaekomi, Toketa and Golden Score), the scores
// and penalties with their take-backs, or what decides the bout (only a device for everything).
enum class CommandGroup { clock, scores, decision };

struct RemoteCommand {
    std::string_view name;  // the page's word: "waza_blau", "-shido_weiss", "zeit", ...
    KeyEvent key;           // the key of the key table it stands for
    CommandGroup group;
    std::string_view label;  // for the operator: "Waza-ari Blau"
};

// The command of a page's word, or nothing for a word the board does not know.
const RemoteCommand* remote_command(std::string_view name);
bool role_allows(RemoteRole role, CommandGroup group);
// A command that discards or decides (the winner, the result handed on, the next bout): the
// device asks for a second tap before it is sent as confirmed.
bool needs_second_tap(const RemoteCommand& command, bool bout_in_progress);

// At most `per_second` commands a second from one device, with a burst of as many.
class CommandRate {
  public:
    explicit CommandRate(int per_second = 20) : per_second_(per_second) {}
    bool take(std::int64_t now_ms);

  private:
    int per_second_;
    double tokens_ = -1;
    std::int64_t last_ms_ = 0;
};

// The command numbers a device sent lately: one sent again (a retry after a lost answer) is
// known and not applied twice.
class SeenCommands {
  public:
    // True the first time a number is seen.
    bool first_time(std::uint64_t id);

  private:
    std::array<std::uint64_t, 64> ids_{};
    std::size_t next_ = 0;
    std::size_t filled_ = 0;
};

// Five wrong pairing codes in a row lock the pairing for a minute.
class PairingGuard {
  public:
    static constexpr int k_tries = 5;
    static constexpr std::int64_t k_lock_ms = 60'000;
    // Seconds until pairing opens again; 0 when open.
    int locked_seconds(std::int64_t now_ms) const;
    void wrong(std::int64_t now_ms);
    void right() { wrong_ = 0; }

  private:
    int wrong_ = 0;
    std::int64_t locked_until_ms_ = 0;
};

// Whether a request to the control part comes from the server's own page: the Host header
// names one of own_hosts (host without port, lower case; a port after ":" must be port), and
// an Origin header, where the browser sends one, is "http://" followed by that same Host.
bool same_origin(std::string_view host_header, std::string_view origin_header,
                 const std::vector<std::string>& own_hosts, std::uint16_t port);

// Milliseconds of a clock that never jumps, the same on every thread: when a command arrived
// and when the board applied it.
std::int64_t steady_ms();

// Two texts compared in a time that depends on their length only, never on where they differ.
bool equal_in_constant_time(std::string_view a, std::string_view b);

}  // namespace kyomat
