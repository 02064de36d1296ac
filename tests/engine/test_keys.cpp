#include <gtest/gtest.h>

#include "engine/keys.h"

using namespace kyomat;

TEST(KeyCombo, ParsesEveryKeyForm) {
    struct Case {
        const char* text;
        std::uint16_t key;
        bool shift, ctrl, alt;
    };
    for (const Case& c :
         {Case{"1", 0x31, false, false, false}, Case{"Shift+1", 0x31, true, false, false},
          Case{"Ctrl+Shift+A", 0x41, true, true, false}, Case{"Alt+0", 0x30, false, false, true},
          Case{"Space", 0x20, false, false, false}, Case{"F1", 0x70, false, false, false},
          Case{"Ctrl+F12", 0x7B, false, true, false}, Case{"Plus", 0xBB, false, false, false},
          Case{"Hash", 0xBF, false, false, false}, Case{"Num7", 0x67, false, false, false},
          Case{"0x4e", 0x4E, false, false, false}}) {
        const auto ev = parse_key_combo(c.text);
        ASSERT_TRUE(ev.has_value()) << c.text;
        EXPECT_EQ(ev->key, c.key) << c.text;
        EXPECT_EQ(ev->mods.shift, c.shift) << c.text;
        EXPECT_EQ(ev->mods.ctrl, c.ctrl) << c.text;
        EXPECT_EQ(ev->mods.alt, c.alt) << c.text;
    }
    for (const char* bad : {"", "F13", "F0", "Fx", "Meta+1", "a", "Shift+", "0x", "12"}) {
        EXPECT_FALSE(parse_key_combo(bad).has_value()) << bad;
    }
}
