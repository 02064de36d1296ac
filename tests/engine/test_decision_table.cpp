// The decision at and after the end of time over every penalty rule and many cells, and a
// handed-on bout under every key: the two places where a wrong rule gives a wrong result row.
#include <array>
#include <string>

#include "engine/engine_fixture.h"

using namespace kyomat;
using kyomat::testing::EngineTest;

namespace {

struct Cells {
    int waza, yuko;
    const char* shido;  // "0".."3" or "H"
};

int shido_count(const char* shido) {
    return std::string(shido) == "H" ? 4 : std::stoi(shido);
}

// The rule as a referee states it: "H" loses (both: nobody wins), then the higher score, then
// with strafen=2 the fewer Shido.
char expected_winner(const Cells& b, const Cells& w, int strafen) {
    const bool bh = std::string(b.shido) == "H", wh = std::string(w.shido) == "H";
    if (bh && wh) return 'X';
    if (bh) return 'W';
    if (wh) return 'B';
    const int sb = b.waza * 100 + b.yuko, sw = w.waza * 100 + w.yuko;
    if (sb != sw) return sb > sw ? 'B' : 'W';
    if (strafen == 2 && shido_count(b.shido) != shido_count(w.shido))
        return shido_count(b.shido) < shido_count(w.shido) ? 'B' : 'W';
    return 'X';
}

}  // namespace

class DecisionTable : public EngineTest {
  protected:
    void set_cells(const Cells& b, const Cells& w) {
        Board& board = engine->internals_for_tests().board;
        board.lbl_W_b.text = std::to_string(b.waza);
        board.lbl_Y_b.text = std::to_string(b.yuko);
        board.lbl_S_b.text = b.shido;
        board.lbl_W_W.text = std::to_string(w.waza);
        board.lbl_Y_W.text = std::to_string(w.yuko);
        board.lbl_S_W.text = w.shido;
    }
    void run_out_the_time() {
        key(vk::space);
        for (int i = 0; i < 30; ++i) {
            host->tick += 100;
            engine->clock_tick();
        }
        ASSERT_EQ(board().lblZeit.text, "0:00");
    }
    char winner() const {
        if (board().lbl_Sieger_Blau.visible && board().lbl_Sieger_Weiss.visible) return '2';
        if (board().lbl_Sieger_Blau.visible) return 'B';
        return board().lbl_Sieger_Weiss.visible ? 'W' : 'X';
    }
};

TEST_F(DecisionTable, AtAndAfterTheEndOfTime) {
    // Equal scores with other Shido counts, so that the penalty rule has something to decide.
    const std::array<Cells, 8> sides = {Cells{0, 0, "0"}, Cells{0, 1, "2"}, Cells{1, 0, "1"},
                                        Cells{1, 0, "H"}, Cells{0, 1, "0"}, Cells{0, 0, "H"},
                                        Cells{1, 0, "3"}, Cells{0, 0, "1"}};
    for (int strafen = 0; strafen <= 2; ++strafen) {
        const std::string rules =
            "[sieger]\r\nstrafen=" + std::to_string(strafen) + "\r\n[control]\r\nwaza2ippon=0\r\n";
        const std::string ini = "[anzeige]\r\nanz_links=0\r\nkampfzeit=2\r\n" + rules;
        for (const Cells& b : sides) {
            for (const Cells& w : sides) {
                const char want = expected_winner(b, w, strafen);
                const std::string what = "strafen=" + std::to_string(strafen) + " blue " +
                                         std::to_string(b.waza) + "/" + std::to_string(b.yuko) +
                                         "/" + b.shido + " white " + std::to_string(w.waza) + "/" +
                                         std::to_string(w.yuko) + "/" + w.shido;
                // At the gong: the cells stand when the time runs out.
                start(ini);
                load_bout(2, "Meier, Hans", rules);
                set_cells(b, w);
                run_out_the_time();
                EXPECT_EQ(winner(), want) << "at the end of time, " << what;
                // After it: the time ran out on an empty board, then the cells were corrected
                // (a Yuko given and taken back decides again).
                start(ini);
                load_bout(2, "Meier, Hans", rules);
                run_out_the_time();
                set_cells(b, w);
                key('3');
                key('3', true);
                EXPECT_EQ(winner(), want) << "after the end of time, " << what;
                EXPECT_FALSE(engine->state().bout_active) << what;
            }
        }
    }
}

// Once handed on, the bout is the row's: no key of the table, with any modifiers, changes a
// cell, a cross, the winner, the clocks or a flag of it.
TEST_F(DecisionTable, AHandedOnBoutStaysUnderEveryKey) {
    start("[anzeige]\r\nanz_links=0\r\n[control]\r\nMax_Shido=3\r\n");
    load_bout(240, "Meier, Hans", "[control]\r\nMax_Shido=3\r\n");
    key('3');
    key('0');
    key('0');
    key(vk::oem_plus);
    key(vk::space);
    host->tick += 1500;
    engine->clock_tick();
    key('0');  // white's Hansoku-make: blue wins by its Ippon
    ASSERT_TRUE(board().lbl_Sieger_Blau.visible);
    host->entry_answers.push_back({false, ""});
    key('K', false, true);
    ASSERT_TRUE(engine->state().handed_on);
    const Board before = board();
    const BoutState state_before = engine->state();
    // Keys that load, wipe or show something else, not the handed-on bout.
    const std::string elsewhere = "NEKCTQRIG";
    for (unsigned k = 1; k <= 0xFE; ++k) {
        for (int m = 0; m < 8; ++m) {
            const Modifiers mods{(m & 1) != 0, (m & 2) != 0, (m & 4) != 0};
            if (mods.ctrl && elsewhere.find(static_cast<char>(k)) != std::string::npos) continue;
            engine->handle_key(static_cast<std::uint16_t>(k), mods);
            host->tick += 700;
            engine->clock_tick();
            ASSERT_TRUE(board() == before) << "key 0x" << std::hex << k << " mods " << m;
            ASSERT_TRUE(engine->state() == state_before)
                << "key 0x" << std::hex << k << " mods " << m;
        }
    }
}
