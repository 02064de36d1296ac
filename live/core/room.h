#pragma once
// Who gives up a place in the live view when a newcomer needs one. A pure function of the
// connections' facts, so that fairness can be read in a table: an address holds at most a
// few places, silent connections go before viewers, and the address holding the most gives
// one up first. Nobody is ever turned away at the door.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kyomat {

struct ClientFacts {
    std::string address;  // the client's address as text
    std::int64_t since_ms = 0;
    bool answered = false;  // has sent a whole request
    bool viewer = false;    // reads the push stream
    // Since when its stream has had bytes waiting; -1: none waiting.
    std::int64_t behind_since_ms = -1;
};

struct RoomRules {
    int places = 128;
    int per_address = 8;
    // A connection that has sent no whole request for this long is silent.
    std::int64_t silent_ms = 1000;
};

// A newcomer from address arrives (clients: everyone already in). It has sent nothing yet, so
// it never pushes out a viewer that streams, whatever its address: an address at its limit
// gives up its own oldest connection that is no healthy viewer; with every place taken, one
// that is no healthy viewer goes (a viewer behind with its stream, a silent one, one being
// answered, an unproven one), from the address holding the most. Where there is none, nobody
// leaves yet: the newcomer waits beyond the limit until it proves itself with a request.
std::optional<std::size_t> who_leaves_for_newcomer(const std::vector<ClientFacts>& clients,
                                                   const std::string& address, std::int64_t now,
                                                   const RoomRules& rules);

// A connection from address has sent its whole request (clients: everyone else). An address
// at its limit gives up its own connection that is no healthy viewer, the least healthy and
// oldest first (a browser that reconnects replaces its dead stream once it is seen behind);
// when all of them stream, the newcomer is refused. With the places over-full, one that is no
// healthy viewer goes; when all are, the longest-standing viewer stays and the newcomer is
// refused: the answer for a refusal is clients.size().
std::optional<std::size_t> who_leaves_for_proven(const std::vector<ClientFacts>& clients,
                                                 const std::string& address, std::int64_t now,
                                                 const RoomRules& rules);

}  // namespace kyomat
