#include "live/core/room.h"

#include <map>
#include <tuple>

namespace kyomat {
namespace {

// How readily a connection leaves, most readily first.
enum Kind { behind = 0, silent = 1, answered_closing = 2, unproven = 3, healthy_viewer = 4 };

Kind kind_of(const ClientFacts& c, std::int64_t now, const RoomRules& rules) {
    if (c.viewer) return c.behind_since_ms >= 0 ? behind : healthy_viewer;
    if (c.answered) return answered_closing;
    return now - c.since_ms >= rules.silent_ms ? silent : unproven;
}

std::map<std::string, int> counts_by_address(const std::vector<ClientFacts>& clients) {
    std::map<std::string, int> counts;
    for (const ClientFacts& c : clients) ++counts[c.address];
    return counts;
}

// The first to leave among those that may: the address holding the most, then the kind,
// then the longest behind or the oldest.
std::optional<std::size_t> first_to_leave(const std::vector<ClientFacts>& clients, std::int64_t now,
                                          const RoomRules& rules, bool viewers_too) {
    const auto counts = counts_by_address(clients);
    std::optional<std::size_t> best;
    auto rank = [&](const ClientFacts& c) {
        const Kind kind = kind_of(c, now, rules);
        const std::int64_t since = kind == behind ? c.behind_since_ms : c.since_ms;
        return std::tuple(-counts.at(c.address), static_cast<int>(kind), since);
    };
    for (std::size_t i = 0; i < clients.size(); ++i) {
        if (!viewers_too && kind_of(clients[i], now, rules) == healthy_viewer) continue;
        if (!best || rank(clients[i]) < rank(clients[*best])) best = i;
    }
    return best;
}

// The address's own connection that goes first: the least healthy, then the oldest; viewers
// that stream only when viewers_too. Also how many the address holds.
std::optional<std::size_t> own_to_leave(const std::vector<ClientFacts>& clients,
                                        const std::string& address, std::int64_t now,
                                        const RoomRules& rules, bool viewers_too, int& own) {
    own = 0;
    std::optional<std::size_t> best;
    const auto rank = [&](const ClientFacts& c) {
        return std::tuple(static_cast<int>(kind_of(c, now, rules)), c.since_ms);
    };
    for (std::size_t i = 0; i < clients.size(); ++i) {
        if (clients[i].address != address) continue;
        ++own;
        if (!viewers_too && kind_of(clients[i], now, rules) == healthy_viewer) continue;
        if (!best || rank(clients[i]) < rank(clients[*best])) best = i;
    }
    return best;
}

}  // namespace

std::optional<std::size_t> who_leaves_for_newcomer(const std::vector<ClientFacts>& clients,
                                                   const std::string& address, std::int64_t now,
                                                   const RoomRules& rules) {
    int own = 0;
    const auto own_leaving = own_to_leave(clients, address, now, rules, false, own);
    if (own >= rules.per_address) return own_leaving;
    if (static_cast<int>(clients.size()) < rules.places) return std::nullopt;
    return first_to_leave(clients, now, rules, false);
}

std::optional<std::size_t> who_leaves_for_proven(const std::vector<ClientFacts>& clients,
                                                 const std::string& address, std::int64_t now,
                                                 const RoomRules& rules) {
    // clients holds everyone but the one that proved itself.
    int own = 0;
    // A viewer that streams is never cut for another from its own address (ten TVs behind a
    // router would push each other off in turn): the newcomer is told instead.
    const auto own_leaving = own_to_leave(clients, address, now, rules, false, own);
    if (own >= rules.per_address) return own_leaving ? own_leaving : clients.size();
    if (static_cast<int>(clients.size()) < rules.places) return std::nullopt;
    if (const auto leaving = first_to_leave(clients, now, rules, false)) return leaving;
    return clients.size();
}

}  // namespace kyomat
