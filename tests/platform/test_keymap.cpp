// The keys of a German keyboard as each system reports them. On Windows the virtual-key
// code decides (the key table is written in them); on Linux the X key code of the digit row
// and Qt's key for the rest. Wine maps some German keys to other virtual keys than Windows
// does, so these are the codes a real German Windows gives.
#include <gtest/gtest.h>

#include "engine/keys.h"
#include "gui/keymap.h"

using namespace kyomat;

namespace {

struct Press {
    int qt_key;
    Qt::KeyboardModifiers mods;
    quint32 scan_code;
    quint32 virtual_key;
    std::optional<std::uint16_t> expected;
    const char* what;
};

}  // namespace

TEST(Keymap, GermanKeyboard) {
    const std::uint16_t plus = vk::oem_plus, hash = vk::oem_2;
#if defined(Q_OS_WIN)
    const Press presses[] = {
        {Qt::Key_Plus, Qt::NoModifier, 0x1B, 0xBB, plus, "+ (VK_OEM_PLUS)"},
        {Qt::Key_NumberSign, Qt::NoModifier, 0x2B, 0xBF, hash, "# (VK_OEM_2)"},
        {Qt::Key_1, Qt::NoModifier, 0x02, '1', '1', "1 of the digit row"},
        {Qt::Key_Exclam, Qt::ShiftModifier, 0x02, '1', '1', "Shift+1 gives ! and is still 1"},
        {Qt::Key_Equal, Qt::ShiftModifier, 0x0B, '0', '0', "Shift+0 gives = and is still 0"},
        {Qt::Key_5, Qt::KeypadModifier, 0x4C, 0x65, vk::numpad0 + 5, "keypad 5 is not a digit"},
        {Qt::Key_F5, Qt::NoModifier, 0x3F, 0x74, vk::f5, "F5"},
        {Qt::Key_N, Qt::ControlModifier, 0x31, 'N', 'N', "Ctrl+N"},
    };
#else
    const Press presses[] = {
        {Qt::Key_Plus, Qt::NoModifier, 35, 0, plus, "+"},
        {Qt::Key_NumberSign, Qt::NoModifier, 51, 0, hash, "#"},
        {Qt::Key_1, Qt::NoModifier, 10, 0, '1', "1 of the digit row"},
        {Qt::Key_Exclam, Qt::ShiftModifier, 10, 0, '1', "Shift+1 gives ! and is still 1"},
        {Qt::Key_Equal, Qt::ShiftModifier, 19, 0, '0', "Shift+0 gives = and is still 0"},
        {Qt::Key_5, Qt::KeypadModifier, 84, 0, vk::numpad0 + 5, "keypad 5 is not a digit"},
        {Qt::Key_F5, Qt::NoModifier, 71, 0, vk::f5, "F5"},
        {Qt::Key_N, Qt::ControlModifier, 57, 0, 'N', "Ctrl+N"},
    };
#endif
    for (const Press& p : presses) {
        const auto ev = map_key(p.qt_key, p.mods, p.scan_code, p.virtual_key);
        ASSERT_TRUE(ev.has_value()) << p.what;
        EXPECT_EQ(ev->key, *p.expected) << p.what;
        EXPECT_EQ(ev->mods.shift, p.mods.testFlag(Qt::ShiftModifier)) << p.what;
        EXPECT_EQ(ev->mods.ctrl, p.mods.testFlag(Qt::ControlModifier)) << p.what;
    }
}
