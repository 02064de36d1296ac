// A gamepad's buttons as keys: the map read from [gamepad], the Shift button for the
// take-backs, pairs for what discards, and a controller unplugged with a button held.
#include <gtest/gtest.h>

#include <fstream>

#include "engine/fake_host.h"
#include "engine/gamepad_keys.h"
#include "temp_folder.h"

using namespace kyomat;
using kyomat::testing::TempFolder;

namespace {

GamepadMap map_of(const TempFolder& dir, const std::string& section) {
    dir.write("kyomat.ini", "[anzeige]\r\nanz_links=0\r\n" + section);
    return read_gamepad_map(kyomat::testing::settings_written_at_once(dir.path()));
}

bool is(const std::optional<KeyEvent>& key, std::uint16_t code, bool shift = false,
        bool ctrl = false) {
    return key && key->key == code && key->mods.shift == shift && key->mods.ctrl == ctrl;
}

}  // namespace

TEST(GamepadKeys, KeysInTheWordsOfTheKeyTable) {
    EXPECT_TRUE(is(parse_table_key("Leertaste"), vk::space));
    EXPECT_TRUE(is(parse_table_key(" strg+e "), 'E', false, true));
    EXPECT_TRUE(is(parse_table_key("Umschalt+2"), '2', true));
    EXPECT_TRUE(is(parse_table_key("F5"), vk::f5));
    EXPECT_TRUE(is(parse_table_key("+"), vk::oem_plus));
    EXPECT_TRUE(is(parse_table_key("#"), vk::oem_2));
    EXPECT_TRUE(is(parse_table_key("Strg+F12"), vk::f12, false, true));
    for (const char* bad : {"", "Hajime", "F13", "Strg+", "2+3", "start+back"}) {
        EXPECT_FALSE(parse_table_key(bad)) << bad;
    }
}

TEST(GamepadKeys, OffWithoutTheSectionAndWhatIsLeftOutIsSaid) {
    TempFolder dir;
    EXPECT_FALSE(map_of(dir, "").on);
    const GamepadMap map = map_of(dir,
                                  "[gamepad]\r\na=Leertaste\r\nb=Strg+E\r\nx=Hajime\r\n"
                                  "y=F6\r\nback=4\r\numschalt=back\r\npaar1=start+y:Strg+N\r\n"
                                  "paar2=start:Strg+B\r\n");
    EXPECT_TRUE(map.on);
    EXPECT_EQ(map.single.size(), 1U);  // only a: b discards, x is no key, y is paired, back shifts
    EXPECT_TRUE(map.single.count("a"));
    ASSERT_EQ(map.pairs.size(), 1U);
    EXPECT_EQ(map.problems.size(), 5U);
    for (const std::string& p : map.problems) EXPECT_NE(p.find("[gamepad]"), std::string::npos);
}

TEST(GamepadKeys, ShiftPairsAndAnUnpluggedController) {
    TempFolder dir;
    GamepadPresses presses(map_of(dir,
                                  "[gamepad]\r\na=Leertaste\r\ndpup=2\r\nleftshoulder=4\r\n"
                                  "rightshoulder=umschalt+0\r\numschalt=back\r\n"
                                  "paar1=start+guide:Strg+E\r\n"));
    EXPECT_TRUE(is(presses.press(1, "a"), vk::space));
    presses.release(1, "a");
    // Held Shift: the take-back of the same key; a second controller has its own buttons.
    EXPECT_FALSE(presses.press(1, "back"));
    EXPECT_TRUE(is(presses.press(1, "dpup"), '2', true));
    EXPECT_TRUE(is(presses.press(2, "dpup"), '2'));
    presses.release(1, "back");
    presses.release(1, "dpup");
    EXPECT_TRUE(is(presses.press(1, "dpup"), '2'));
    EXPECT_TRUE(is(presses.press(1, "rightshoulder"), '0', true));
    // A pair: nothing from either alone, its key when both are held, in either order.
    EXPECT_FALSE(presses.press(1, "start"));
    EXPECT_TRUE(is(presses.press(1, "guide"), 'E', false, true));
    presses.release(1, "start");
    presses.release(1, "guide");
    EXPECT_FALSE(presses.press(1, "guide"));
    EXPECT_TRUE(is(presses.press(1, "start"), 'E', false, true));
    // The same buttons on two controllers are no pair.
    EXPECT_FALSE(presses.press(2, "start"));
    presses.release(1, "start");
    presses.release(1, "guide");
    EXPECT_FALSE(presses.press(3, "guide"));
    // Unplugged with Shift held: plugged again, nothing of it is still held.
    EXPECT_FALSE(presses.press(4, "back"));
    presses.forget(4);
    EXPECT_TRUE(is(presses.press(4, "dpup"), '2'));
}
