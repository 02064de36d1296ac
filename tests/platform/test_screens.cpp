// Which monitor holds the board, read as a table: by name in any letter case, by number from
// 1, "extern", and by position; nothing when it is not there.
#include <gtest/gtest.h>

#include "platform/screen_place.h"

using kyomat::board_screen;
using kyomat::ScreenFacts;

TEST(BoardScreen, ByNameNumberExternOrPosition) {
    const std::vector<ScreenFacts> two{{"eDP-1", 0, 1366, true}, {"HDMI-1", 1366, 1920, false}};
    const std::vector<ScreenFacts> one{{"eDP-1", 0, 1366, true}};
    using Want = std::optional<std::size_t>;
    struct Case {
        const std::vector<ScreenFacts>& screens;
        const char* monitor;
        std::optional<int> left;
        Want board;
    };
    const Case cases[] = {
        {two, "HDMI-1", std::nullopt, 1},
        {two, "hdmi-1", 0, 1},  // the name wins over left
        {two, "2", std::nullopt, 1},
        {two, "3", std::nullopt, std::nullopt},
        {two, "0", std::nullopt, std::nullopt},
        {two, "extern", std::nullopt, 1},
        {one, "extern", std::nullopt, std::nullopt},
        {one, "HDMI-1", 0, std::nullopt},  // named and missing: not the operator's screen
        {two, "", 1365, 0},
        {two, "", 1366, 1},
        {two, "", 3286, std::nullopt},
        {two, "", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(board_screen(c.screens, c.monitor, c.left), c.board)
            << c.monitor << " " << c.left.value_or(-1);
    }
}

// The board's room on a monitor it shares with the panel: below the panel, or the whole
// monitor when the panel stands on another one or leaves too little below it.
TEST(RoomBelow, BelowThePanelOrTheWholeMonitor) {
    const QRect laptop(0, 0, 1366, 768);
    const QRect beamer(1366, 0, 1920, 1080);
    const QRect panel(0, 0, 990, 460);
    EXPECT_EQ(kyomat::room_below(laptop, panel), QRect(0, 460, 1366, 308));
    EXPECT_EQ(kyomat::room_below(beamer, panel), beamer);
    EXPECT_EQ(kyomat::room_below(laptop, QRect()), laptop);
    // Less than a quarter left below: the board keeps its monitor and the panel lies over it.
    EXPECT_EQ(kyomat::room_below(laptop, QRect(0, 0, 990, 600)), laptop);
    EXPECT_EQ(kyomat::room_below(laptop, QRect(0, 0, 990, 576)), QRect(0, 576, 1366, 192));
}
