// Who makes room in a full live view: read as a table of cases, each a crowd and a newcomer.
#include <gtest/gtest.h>

#include "live/core/room.h"

using namespace kyomat;

namespace {

// Facts in short: address, arrival, and what the connection is.
ClientFacts viewer(const char* address, std::int64_t since, std::int64_t behind = -1) {
    return {address, since, true, true, behind};
}
ClientFacts waiting(const char* address, std::int64_t since) {
    return {address, since, false, false, -1};
}
ClientFacts answered(const char* address, std::int64_t since) {
    return {address, since, true, false, -1};
}

constexpr std::int64_t now = 10'000;

}  // namespace

TEST(LiveRoom, ANewcomerTakesThePlaceItsFairnessAllows) {
    const RoomRules four{4, 2, 1000};
    struct Case {
        const char* what;
        std::vector<ClientFacts> in;
        const char* newcomer;
        std::optional<std::size_t> leaves;
    };
    const Case cases[] = {
        {"room to spare: nobody leaves", {viewer("a", 1), viewer("b", 2)}, "c", std::nullopt},
        {"an address at its limit whose places all stream: nobody leaves for a connection that "
         "has sent nothing (it waits to prove itself)",
         {viewer("a", 5), viewer("a", 1), viewer("b", 0)},
         "a",
         std::nullopt},
        {"silent connections from the viewer's own address: one of them goes, never the viewer",
         {viewer("a", 0), waiting("a", now - 3000)},
         "a",
         1},
        {"full: the address holding the most gives up its silent one, not another's",
         {viewer("h", 0), waiting("x", now - 5000), waiting("x", now - 100), waiting("y", 0)},
         "z",
         1},
        {"full: a viewer behind with its stream goes before a silent one of the same address",
         {viewer("x", 0), waiting("x", now - 5000), viewer("x", 10, now - 3000), viewer("h", 0)},
         "z",
         2},
        {"full of healthy viewers and one that waits: only the unproven one may go",
         {viewer("x", 0), viewer("x", 1), viewer("h", 2), waiting("y", now - 10)},
         "z",
         3},
        {"full of healthy viewers: nobody leaves before the newcomer proves itself",
         {viewer("x", 0), viewer("x", 1), viewer("h", 2), viewer("g", 3)},
         "z",
         std::nullopt},
        {"an answered page closing goes before an unproven newcomer",
         {waiting("x", now - 10), answered("x", now - 20), viewer("h", 2), viewer("g", 3)},
         "z",
         1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(who_leaves_for_newcomer(c.in, c.newcomer, now, four), c.leaves) << c.what;
    }
}

TEST(LiveRoom, AProvenNewcomerNeverRotatesAViewerOutOfAFullHouse) {
    const RoomRules four{4, 8, 1000};
    const auto refused = [](std::size_t n) { return std::optional<std::size_t>{n}; };
    // Over-full with viewers that all stream: they stay, the newcomer is refused.
    EXPECT_EQ(who_leaves_for_proven(
                  {viewer("h", 0), viewer("x", 5), viewer("x", 3), viewer("x", 4)}, "n", now, four),
              refused(4));
    // Not over-full: nobody.
    EXPECT_EQ(
        who_leaves_for_proven({viewer("h", 0), viewer("x", 5), viewer("x", 3)}, "n", now, four),
        std::nullopt);
    // Over-full with one that is no healthy viewer: that one goes.
    EXPECT_EQ(who_leaves_for_proven(
                  {viewer("a", 0), viewer("b", 1), waiting("c", now - 1500), viewer("d", 2)}, "n",
                  now, four),
              std::optional<std::size_t>{2});
    // An address at its limit whose places all stream (many TVs behind one router): nobody
    // is cut, the newcomer is refused (and told so on its page).
    const RoomRules two{8, 2, 1000};
    EXPECT_EQ(
        who_leaves_for_proven({viewer("a", 5), viewer("a", 1), viewer("b", 0)}, "a", now, two),
        refused(3));
    // A browser that reconnects replaces its own stream once that one is seen behind.
    EXPECT_EQ(who_leaves_for_proven({viewer("a", 5), viewer("a", 1, now - 3000), viewer("b", 0)},
                                    "a", now, two),
              std::optional<std::size_t>{1});
}
