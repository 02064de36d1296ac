// Engine behaviour that the scenario files do not reach: the protocol hook, the result
// record, the reports of broken settings.
#include <functional>

#include "engine/engine_fixture.h"

using namespace kyomat;
using kyomat::testing::EngineTest;

TEST_F(EngineTest, ProtocolHookGetsCellNamesPointsAndShidoMarks) {
    start(
        "[anzeige]\r\nanz_links=0\r\n[add_system]\r\nadd_aktiv=1\r\nwaza-ari=7\r\nshido_1=3\r\n"
        "max_punkte=99\r\n");
    key('2');
    key('4');
    key('4', true);
    key('4', true);  // taking back at 0 reports nothing
    EXPECT_EQ(host->protocol,
              (std::vector<std::string>{"b 7 @0", "b 47 @0", "w 3 @0", "b -47 @0", "w -3 @0"}));
    host->protocol.clear();
    start();
    key('0');
    key('8', true);
    EXPECT_EQ(host->protocol, (std::vector<std::string>{"LBL_S_W 1 @0", "LBL_W_W -1 @0"}));
}

TEST_F(EngineTest, ResultRecordOfAnIpponWin) {
    start();
    load_bout(240);
    engine->internals_for_tests().state.clock_value = 160;
    key('1');
    host->entry_answers.push_back({false, ""});
    key('K', false, true);
    ASSERT_EQ(host->results.size(), 1u);
    const BoutResult& r = host->results.front();
    EXPECT_EQ(r.result_value, "10");
    EXPECT_EQ(r.duration, "1:20");
    EXPECT_TRUE(r.blue_won);
    EXPECT_EQ(r.separator, " ");
}

TEST_F(EngineTest, ResultRecordsAtTheEndOfTimeAndInGoldenScore) {
    // Each case: what happens after the regular time ran out; then the result handed on.
    struct Case {
        const char* name;
        std::function<void()> act;
        const char* value;
        const char* duration;
    };
    auto golden_score_35 = [this] {
        key('S', false, true);
        engine->internals_for_tests().state.clock_value = 35;
    };
    const std::vector<Case> cases = {
        {"waza-ari",
         [this] {
             key('2');
             engine->kampfende(std::nullopt);
         },
         "07", "4:00"},
        {"yuko",
         [this] {
             key('3');
             engine->kampfende(std::nullopt);
         },
         "05", "4:00"},
        {"decision", [this] { key('B', false, true); }, "01", "4:00"},
        {"gs yuko",
         [&] {
             golden_score_35();
             key('9');
         },
         "05", "4:35"},
        {"gs decision, equal shido",
         [&] {
             golden_score_35();
             key('W', false, true);
         },
         "10", "4:35"},
        {"gs decision, unequal shido",
         [&] {
             golden_score_35();
             key('0');
             key('W', false, true);
         },
         "01", "4:35"},
    };
    for (const Case& c : cases) {
        start();
        load_bout(240);
        engine->internals_for_tests().state.clock_value = 0;
        c.act();
        host->entry_answers.push_back({false, ""});
        key('K', false, true);
        ASSERT_EQ(host->results.size(), 1u) << c.name;
        EXPECT_EQ(host->results.front().result_value, c.value) << c.name;
        EXPECT_EQ(host->results.front().duration, c.duration) << c.name;
    }
}

TEST_F(EngineTest, PointsModeResultIsTheWinnersTotalOrTheLimit) {
    const std::string ini =
        "[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\n[add_system]\r\nadd_aktiv=1\r\n"
        "ippon=10\r\nwaza-ari=7\r\nmax_punkte=20\r\n";
    start(ini);
    host->entry_answers.push_back({true, "edtNAMEBlau=A"});
    key('K', false, true);
    key('1');
    key('2');                // blue 17
    key('8');                // white 7
    key('9', false, false);  // white yuko 0 points
    engine->internals_for_tests().state.clock_value = 0;
    key('B', false, true);
    host->entry_answers.push_back({false, ""});
    key('K', false, true);
    ASSERT_EQ(host->results.size(), 1u);
    EXPECT_EQ(host->results.back().result_value, "17");
    host->entry_answers.push_back({true, "edtNAMEBlau=A"});
    key('K', false, true);
    key('1');
    key('1');  // blue 20: ends the bout before the end of time
    EXPECT_TRUE(board().lbl_Sieger_Blau.visible);
    host->entry_answers.push_back({false, ""});
    key('K', false, true);
    EXPECT_EQ(host->results.back().result_value, "20");
}

TEST_F(EngineTest, BoutInProgressIsNotReplaced) {
    start();
    load_bout(240);
    engine->internals_for_tests().state.clock_value = 133;
    engine->internals_for_tests().state.begun = true;
    key('K', false, true);  // no dialog opens: nothing is queued and nothing fails
    EXPECT_TRUE(host->failure.empty());
    EXPECT_EQ(board().lblBlau_Name.text, "Meier, Hans");
}

TEST_F(EngineTest, TitlePagesSplitNamesByCharacters) {
    start();
    load_bout(240, "Jörg, Bärbel ");
    key('T', false, true);
    ASSERT_EQ(host->events.size(), 3u);
    EXPECT_EQ(host->events[0], "page neutral ||");
    EXPECT_EQ(host->events[1], "page blau Jörg|Bärbel|");
    EXPECT_EQ(host->events[2], "page weiss Li| Wei|");
    host->events.clear();
    load_bout(240, "Bö, Li");
    key('T', false, true);
    EXPECT_EQ(host->events[1], "page blau Bö, Li||");
}

TEST_F(EngineTest, BrokenSettingsAreReported) {
    start("[control]\r\nMax_Shido=99999999999\r\n");
    // No anz_links, no gong: both reported; the overflowing number too, and 4 is kept.
    EXPECT_EQ(engine->rules().max_shido, 4);
    host->events.clear();
    dir.write("kyomat.ini", "[control]\r\nMax_Shido=99999999999\r\n");
    engine->param_aus_ini();
    EXPECT_EQ(
        host->events,
        (std::vector<std::string>{
            "message F '99999999999' ist kein gültiger Integerwert",
            "message W Kein Gong eingestellt: tragen Sie im Abschnitt [anzeige] der kyomat.ini "
            "unter gong eine Tondatei ein. Das Programm läuft ohne Gong weiter (3007)"}));
}

TEST_F(EngineTest, GongOpensFromTheProgramFolder) {
    dir.write("gong.wav", "RIFF");
    start("[anzeige]\r\nanz_links=0\r\ngong=gong.wav\r\n");
    host->events.clear();
    engine->param_aus_ini();
    EXPECT_TRUE(host->events.empty());
}

// An age class with "]" cannot name a section of its own: the operator is told at the bout's
// start, and the global rules apply.
TEST_F(EngineTest, AnAgeClassWithABracketIsToldToHaveNoSection) {
    start("[anzeige]\r\nanz_links=0\r\n[AK U]18]\r\nohne_waza=1\r\n");
    host->entry_answers.push_back({true, "edtAKID=U]18|edtNAMEBlau=A|edtNAMEWeiss=B"});
    key('K', false, true);
    ASSERT_EQ(host->notes.size(), 1u);
    EXPECT_NE(host->notes[0].find("\"U]18\" enthält \"]\""), std::string::npos) << host->notes[0];
    EXPECT_TRUE(board().lbl_W_b.visible);
    host->entry_answers.push_back({true, "edtAKID=U18|edtNAMEBlau=A|edtNAMEWeiss=B"});
    key('K', false, true);
    EXPECT_EQ(host->notes.size(), 1u);
}

// At the end of time the scores decide by rank, not by count: one Waza-ari outweighs any
// number of Yuko the board can show, and one Ippon any number of Waza-ari.
TEST_F(EngineTest, AWazaAriOutweighsManyYukoAtTheEndOfTime) {
    const auto decide = [this](std::uint16_t blue_key, int blue_times, std::uint16_t white_key) {
        start("[anzeige]\r\nanz_links=0\r\nkampfzeit=5\r\n[control]\r\nwaza2ippon=0\r\n");
        load_bout(5);
        for (int i = 0; i < blue_times; ++i) key(blue_key);
        key(white_key);
        key(vk::space);
        for (int i = 0; i < 60; ++i) {
            host->tick += 100;
            engine->clock_tick();
        }
        return board().lbl_Sieger_Weiss.visible && !board().lbl_Sieger_Blau.visible;
    };
    EXPECT_TRUE(decide('3', 10, '8')) << "ten Yuko against one Waza-ari";
    EXPECT_TRUE(decide('3', 99, '8')) << "99 Yuko against one Waza-ari";
}

// A state file is input: a value no board could show is refused whole, one that a board can
// show comes back, and the restored Hansoku-make still knows the Ippon it gave.
TEST_F(EngineTest, ARestoredStateIsCheckedLikeAnyInput) {
    start("[anzeige]\r\nanz_links=0\r\n[control]\r\nMax_Shido=3\r\n");
    load_bout(240, "Meier, Hans", "[control]\r\nMax_Shido=3\r\n");
    key('0');
    key('0');
    key('0');  // white's Hansoku-make: blue's Ippon
    const StateValues kept = engine->snapshot();
    const auto with = [&](const std::string& key, const std::string& value) {
        StateMap map(kept.begin(), kept.end());
        map[key] = value;
        return map;
    };
    const std::string cell = "1|$000000|$FFFFFF|";
    for (const auto& [key, value] :
         std::vector<std::pair<std::string, std::string>>{{"e.lbl_S_b", cell + "2147483647"},
                                                          {"e.lbl_S_W", cell + "-1"},
                                                          {"e.lbl_I_b", cell + "2"},
                                                          {"e.lbl_W_W", cell + "100"},
                                                          {"e.lbl_Y_b", cell + "+5"},
                                                          {"e.lbl_W_b", cell + "H"},
                                                          {"uhr", "2147483647"},
                                                          {"dauer", "-2147483648"},
                                                          {"punkte_b", "-3"},
                                                          {"listenposition", "99999999"},
                                                          {"hansoku_ippon", "Q"}}) {
        start("[anzeige]\r\nanz_links=0\r\n[control]\r\nMax_Shido=3\r\n");
        std::string why;
        EXPECT_FALSE(engine->restore(with(key, value), why)) << key << "=" << value;
        EXPECT_FALSE(why.empty()) << key;
    }
    start("[anzeige]\r\nanz_links=0\r\n[control]\r\nMax_Shido=3\r\n");
    std::string why;
    ASSERT_TRUE(engine->restore(StateMap(kept.begin(), kept.end()), why)) << why;
    EXPECT_EQ(board().lbl_S_W.text, "H");
    key('0', true);  // the referees cancel it after the restart
    EXPECT_EQ(board().lbl_S_W.text, "2");
    EXPECT_EQ(board().lbl_I_b.text, "0");
}

// A winner declared on the start board, which never held a bout, is no result to hand on.
TEST_F(EngineTest, AWinnerOnTheStartBoardIsNoResult) {
    start("[anzeige]\r\nanz_links=0\r\ngewk=x\r\n");
    key('B', false, true);
    ASSERT_TRUE(board().lbl_Sieger_Blau.visible);
    key('N', false, true);
    EXPECT_TRUE(host->results.empty());
}
