// The bout clock and the hold-down clock against the tick count.
#include <random>

#include "engine/engine_fixture.h"

using namespace kyomat;
using kyomat::testing::EngineTest;

namespace {

class ClockTest : public EngineTest {
  protected:
    // Delivers Timer1 ticks at random intervals of 100 to 400 ms until the bout ends; returns
    // the tick count (relative to the start) at which it ended.
    std::uint32_t run_with_late_ticks(std::uint32_t start_tick, unsigned seed) {
        host->tick = start_tick;
        key(vk::space);
        EXPECT_TRUE(engine->clock_timer_on());
        std::mt19937 rng(seed);
        std::uniform_int_distribution<std::uint32_t> gap(100, 400);
        std::uint32_t last_running = 0;
        for (int i = 0; i < 10000 && engine->state().bout_active; ++i) {
            last_running = host->tick - start_tick;
            host->tick += gap(rng);
            engine->clock_tick();
        }
        // The tick before the end had not yet passed the bout's time.
        EXPECT_LE(last_running, 240000u);
        return host->tick - start_tick;
    }
};

}  // namespace

TEST_F(ClockTest, LateTicksLoseNoTime) {
    start();
    for (unsigned seed : {1u, 2u, 3u}) {
        load_bout(240);
        const std::uint32_t ended = run_with_late_ticks(5000000, seed);
        EXPECT_GT(ended, 240000u);
        EXPECT_LE(ended, 240400u);
        EXPECT_EQ(board().lblZeit.text, "0:00");
        EXPECT_FALSE(engine->clock_timer_on());
        EXPECT_TRUE(engine->focus_timer_on());
    }
}

TEST_F(ClockTest, LateTicksAcrossTheWrapOfTheTickCount) {
    start();
    load_bout(240);
    const std::uint32_t ended = run_with_late_ticks(0xFFFFFFFFu - 100000u, 7);
    EXPECT_GT(ended, 240000u);
    EXPECT_LE(ended, 240400u);
}

TEST_F(ClockTest, StoppedFractionCarriesOver) {
    start();
    load_bout(240);
    key(vk::space);  // start at 1000000
    host->tick += 600;
    engine->clock_tick();
    key(vk::space);  // stop 600 ms into the second
    host->tick += 5000;
    key(vk::space);  // start again
    host->tick += 400;
    engine->clock_tick();
    EXPECT_EQ(board().lblZeit.text, "4:00");
    host->tick += 1;
    engine->clock_tick();
    EXPECT_EQ(board().lblZeit.text, "3:59");
}

TEST_F(ClockTest, StopBeforeALateTickDoesNotLoseTheSecond) {
    start();
    load_bout(240);
    key(vk::space);
    host->tick += 1050;  // a whole second has run, its tick has not come yet
    key(vk::space);
    key(vk::space);
    engine->clock_tick();
    EXPECT_EQ(board().lblZeit.text, "3:59");
    host->tick += 951;
    engine->clock_tick();
    EXPECT_EQ(board().lblZeit.text, "3:58");
}

TEST_F(ClockTest, HoldDownCountsOnPastTheEndOfTimeAndWins) {
    start();
    load_bout(3);
    key(vk::space);
    key(vk::f5);
    for (int i = 0; i < 260; ++i) {
        host->tick += 100;
        engine->clock_tick();
        if (i == 50) {
            EXPECT_EQ(board().lblZeit.text, "0:00");
            EXPECT_TRUE(engine->state().bout_active);
        }
    }
    EXPECT_FALSE(engine->state().bout_active);
    EXPECT_EQ(board().lbl_I_b.text, "1");
    EXPECT_TRUE(board().lbl_Sieger_Blau.visible);
    EXPECT_EQ(board().lblHG.text, "25");
    ASSERT_FALSE(host->events.empty());
    EXPECT_EQ(host->events.front(), "gong");
}

TEST_F(ClockTest, PointsModeHoldDownStopsTheClockButDecidesNothing) {
    start("[anzeige]\r\nanz_links=0\r\n[add_system]\r\nadd_aktiv=1\r\nmax_punkte=100\r\n");
    dir.write("kyomat.ini",
              "[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\n[add_system]\r\nadd_aktiv=1\r\n"
              "max_punkte=100\r\n");
    host->entry_answers.push_back({true, "edtNAMEBlau=A"});
    key('K', false, true);
    key(vk::space);
    key(vk::f8);
    for (int i = 0; i < 260; ++i) {
        host->tick += 100;
        engine->clock_tick();
    }
    EXPECT_FALSE(engine->clock_timer_on());
    EXPECT_TRUE(engine->state().bout_active);
    EXPECT_FALSE(engine->state().holder);
    EXPECT_FALSE(board().lbl_Sieger_Weiss.visible);
    EXPECT_EQ(board().lblZeit.text, "3:35");
}

TEST_F(ClockTest, GoldenScoreCountsUpToItsLimit) {
    start();
    load_bout(1);
    key(vk::space);
    host->tick += 1001;
    engine->clock_tick();
    EXPECT_FALSE(engine->state().bout_active);
    key('S', false, true);
    EXPECT_TRUE(engine->golden_score());
    EXPECT_EQ(engine->state().golden_score_limit, 60);
    key(vk::space);
    for (int i = 0; i < 610; ++i) {
        host->tick += 100;
        engine->clock_tick();
    }
    EXPECT_EQ(board().lblZeit.text, "1:00");
    EXPECT_FALSE(engine->clock_timer_on());
    EXPECT_EQ(engine->elapsed_seconds(), 61);
}

// An award made by the hold-down clock or by "Gelöst" is in the protocol as such, with the
// seconds held, before the score it gives.
TEST_F(ClockTest, HoldDownAwardsAreRecordedAsSuch) {
    start();
    load_bout(240);
    RuleSettings& r = engine->internals_for_tests().rules;
    r.haltegr_waza = 10;
    r.haltegr_yuko = 5;
    r.geloest_wertung = true;
    auto hold = [this](std::uint16_t side, int ms) {
        key(side);
        for (int i = 0; i < ms / 100; ++i) {
            host->tick += 100;
            engine->clock_tick();
        }
    };
    key(vk::space);
    hold(vk::f5, 12100);
    host->protocol.clear();
    key(vk::f6);
    EXPECT_EQ(host->protocol, (std::vector<std::string>{"HALTEGRIFF_GELOEST_B 12 @12",
                                                        "GELOEST_B 12 @12", "LBL_W_B 1 @12"}));
    key(vk::f7);
    engine->internals_for_tests().state.clock_value = 0;
    engine->internals_for_tests().board.lbl_GS.visible = true;
    host->protocol.clear();
    hold(vk::f8, 5100);
    // The hold-down's start, its award, the Yuko it gives, the clock stopped, the winner.
    ASSERT_EQ(host->protocol.size(), 5u);
    EXPECT_EQ(host->protocol[0].rfind("HALTEGRIFF_START_W @", 0), 0u) << host->protocol[0];
    EXPECT_EQ(host->protocol[1].rfind("HALTEGRIFF_W 5 @", 0), 0u) << host->protocol[1];
    EXPECT_EQ(host->protocol[2].rfind("LBL_Y_W 1 @", 0), 0u) << host->protocol[2];
    EXPECT_EQ(host->protocol[3].rfind("UHR_STOPP 0:0", 0), 0u) << host->protocol[3];
    EXPECT_EQ(host->protocol[4].rfind("SIEGER_W @", 0), 0u) << host->protocol[4];
    EXPECT_TRUE(board().lbl_Sieger_Weiss.visible);
}

// The tick aimed at the next second counts it 1 ms after the whole second has run, whatever
// the moment of the start, and keeps the counting rules: a stop keeps the fraction, Golden
// Score counts up, the hold-down has its own seconds.
TEST_F(ClockTest, AimedTicksCountEachSecondOneMillisecondAfterIt) {
    start();
    load_bout(240);
    EXPECT_FALSE(engine->ms_to_next_second());  // the clock stands
    host->tick = 7777;
    key(vk::space);
    auto aimed_tick = [this] {
        const auto ms = engine->ms_to_next_second();
        EXPECT_TRUE(ms);
        host->tick += ms.value_or(0);
        engine->clock_tick();
    };
    aimed_tick();
    EXPECT_EQ(host->tick, 7777u + 1001u);
    EXPECT_EQ(board().lblZeit.text, "3:59");
    aimed_tick();
    EXPECT_EQ(host->tick, 7777u + 2001u);
    EXPECT_EQ(board().lblZeit.text, "3:58");
    // Stopped 600 ms into a second and started again: 401 ms are left of it.
    host->tick += 599;
    key(vk::space);
    host->tick += 5000;
    key(vk::space);
    EXPECT_EQ(engine->ms_to_next_second(), 401u);
    aimed_tick();
    EXPECT_EQ(board().lblZeit.text, "3:57");
    // A hold-down started 300 ms into a second of the bout clock (the aimed tick came 1 ms
    // into it): its second comes 301 ms after the clock's; each aimed tick counts the one due.
    host->tick += 300;
    key(vk::f5);
    EXPECT_EQ(engine->ms_to_next_second(), 700u);
    aimed_tick();
    EXPECT_EQ(board().lblZeit.text, "3:56");
    EXPECT_EQ(board().lblHG.text, "00");
    EXPECT_EQ(engine->ms_to_next_second(), 301u);
    aimed_tick();
    EXPECT_EQ(board().lblHG.text, "01");
    key(vk::f7);
    // Golden Score counts up on the same aim.
    key(vk::space);
    engine->internals_for_tests().state.clock_value = 0;
    key('S', false, true);
    key(vk::space);
    aimed_tick();
    EXPECT_EQ(board().lblZeit.text, "0:01");
    EXPECT_TRUE(board().lbl_GS.visible);
}
