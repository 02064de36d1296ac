// The decision at and after the end of time over every penalty rule and many cells, and a
// handed-on bout under every key: the two places where a wrong rule gives a wrong result row.
#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "engine/engine_fixture.h"
#include "engine/invariants.h"

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

namespace {

struct KeyPress {
    const char* name;
    std::uint16_t key;
    bool shift, ctrl;
};

// Every key that scores, penalises, holds down, corrects, decides or takes back.
const std::vector<KeyPress>& decisive_keys() {
    static const std::vector<KeyPress> keys = {
        {"1", '1', false, false},           {"2", '2', false, false},
        {"3", '3', false, false},           {"4", '4', false, false},
        {"7", '7', false, false},           {"8", '8', false, false},
        {"9", '9', false, false},           {"0", '0', false, false},
        {"Shift+1", '1', true, false},      {"Shift+2", '2', true, false},
        {"Shift+3", '3', true, false},      {"Shift+4", '4', true, false},
        {"Shift+7", '7', true, false},      {"Shift+8", '8', true, false},
        {"Shift+9", '9', true, false},      {"Shift+0", '0', true, false},
        {"Space", vk::space, false, false}, {"F5", vk::f5, false, false},
        {"F6", vk::f6, false, false},       {"F7", vk::f7, false, false},
        {"F8", vk::f8, false, false},       {"Ctrl+P", 'P', false, true},
        {"Ctrl+M", 'M', false, true},       {"Ctrl+Z", 'Z', false, true},
        {"Ctrl+V", 'V', false, true},       {"Ctrl+B", 'B', false, true},
        {"Ctrl+W", 'W', false, true},       {"Ctrl+X", 'X', false, true},
        {"Ctrl+A", 'A', false, true},       {"Ctrl+S", 'S', false, true},
        {"Ctrl+F1", vk::f1, false, true},   {"Ctrl+F12", vk::f12, false, true}};
    return keys;
}

int score_total(const Board& b) {
    int sum = 0;
    for (const Element* cell :
         {&b.lbl_I_b, &b.lbl_W_b, &b.lbl_Y_b, &b.lbl_I_W, &b.lbl_W_W, &b.lbl_Y_W}) {
        sum += shown_number(*cell);
    }
    return sum;
}

}  // namespace

// The faults of the winner's rules hid in combinations: a key in the stopped second after the
// signal, a correction, a take-back over a decided bout. Every decisive key from every decisive
// state, then the bout run to its end: "H" never wins, a decided bout stays decided unless the
// key undoes or re-opens it, no more scores than the key and one hold-down award give, and the
// bout ends exactly once.
TEST_F(DecisionTable, EveryDecisiveKeyFromEveryDecisiveState) {
    const std::string rules =
        "haltegr_ippon=20\r\nhaltegr_waza=10\r\nhaltegr_yuko=5\r\ngeloest_wertung=1\r\n"
        "kampfzeit_gs=3\r\n[control]\r\nwaza2ippon=1\r\nMax_Shido=3\r\n";
    const auto wait = [this](int ms) {
        for (int t = 0; t < ms; t += 100) {
            host->tick += 100;
            engine->clock_tick();
        }
    };
    struct State {
        const char* name;
        bool decided;
        std::function<void()> reach;
    };
    const std::vector<State> states = {
        {"running", false, [&] { key(vk::space), wait(500); }},
        {"stopped at 0:00 in a hold-down", false,
         [&] { key(vk::space), wait(500), key(vk::f5), wait(6100), key(vk::space); }},
        {"a Waza-ari holder one second short, past the signal", false,
         [&] { key('2'), key(vk::space), key(vk::f5), wait(9100); }},
        {"Golden Score", false,
         [&] { key(vk::space), wait(2100), key('S', false, true), key(vk::space), wait(500); }},
        {"Golden Score, a hold-down one second short of a Yuko", false,
         [&] {
             key(vk::space), wait(2100), key('S', false, true), key(vk::space), key(vk::f8),
                 wait(4100);
         }},
        {"decided by Ippon", true, [&] { key(vk::space), wait(500), key('1'); }},
        {"decided by Hansoku-make", true,
         [&] { key(vk::space), wait(500), key('4'), key('4'), key('4'); }},
        {"decided by time", true, [&] { key('3'), key(vk::space), wait(2100); }},
    };
    for (const State& state : states) {
        for (const KeyPress& k : decisive_keys()) {
            const std::string what = std::string(state.name) + ", then " + k.name;
            start("[anzeige]\r\nanz_links=0\r\n" + rules);
            load_bout(2, "Meier, Hans", rules);
            state.reach();
            ASSERT_EQ(state.decided, !engine->state().bout_active) << state.name;
            const bool active_before = engine->state().bout_active;
            const char winner_before = winner();
            const int scores_before = score_total(board());
            const bool held_before = engine->state().holder.has_value();
            host->events.clear();

            key(k.key, k.shift, k.ctrl);
            EXPECT_EQ(kyomat::testing::check_invariants(*engine), "") << what;
            // Regular time is up and nothing holds the bout open any more: it has ended.
            const BoutState& now = engine->state();
            if (now.bout_active && !engine->golden_score() && now.clock_value == 0 && !now.holder &&
                !engine->clock_timer_on() && k.name != std::string("Ctrl+A")) {
                ADD_FAILURE() << what << ": the time is up, but the bout stands open";
            }
            const bool reopened = !active_before && engine->state().bout_active;
            const bool undoes = k.shift || k.name == std::string("Ctrl+X");
            // After the end of time a score at the gong decides anew, and a hold-down that
            // began with the signal re-opens the bout.
            const bool plain_digit = !k.shift && !k.ctrl && k.key >= '0' && k.key <= '9';
            const bool by_time_decides_anew = std::string(state.name) == "decided by time" &&
                                              (plain_digit || k.key == vk::f5 || k.key == vk::f8);
            const bool both_h = board().lbl_S_b.text == "H" && board().lbl_S_W.text == "H";
            if (state.decided && !undoes && !reopened && k.name != std::string("Ctrl+A") &&
                !by_time_decides_anew) {
                EXPECT_FALSE(engine->state().bout_active) << what;
                EXPECT_TRUE(winner() != 'X' || both_h) << what << " (was " << winner_before << ")";
            }
            const bool declared =
                k.name == std::string("Ctrl+B") || k.name == std::string("Ctrl+W");
            // Run the bout to its end: the clock started where it stands, released holds.
            for (int round = 0; round < 3; ++round) {
                if (engine->state().holder) key(vk::f6);
                if (engine->state().bout_active && !engine->clock_timer_on()) key(vk::space);
                wait(30000);
            }
            EXPECT_EQ(kyomat::testing::check_invariants(*engine), "") << what;
            EXPECT_FALSE(engine->state().bout_active) << what << ": never ended";
            const bool hold_possible = held_before || k.key == vk::f5 || k.key == vk::f8;
            EXPECT_LE(score_total(board()),
                      scores_before + (plain_digit ? 1 : 0) + (hold_possible ? 1 : 0))
                << what;
            // A declaration ends the bout without the gong; every other end sounds it once.
            const auto gongs = std::count(host->events.begin(), host->events.end(), "gong");
            EXPECT_EQ(gongs, (active_before && !declared) || reopened ? 1 : 0) << what;
        }
    }
}
