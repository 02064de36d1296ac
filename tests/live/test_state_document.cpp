// The live view's state document against the board, parsed as a browser parses it, and the
// judging of requests before anything is served.
#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "engine/engine_fixture.h"
#include "live/core/http_request.h"
#include "live/core/live_settings.h"
#include "live/core/state_document.h"
#include "temp_folder.h"

using namespace kyomat;
using kyomat::testing::EngineTest;

namespace {

QJsonObject parse(const std::string& text) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << text;
    return doc.object();
}

std::string str(const QJsonValue& v) {
    return v.toString().toStdString();
}

class LiveStateTest : public EngineTest {
  protected:
    QJsonObject state(std::uint64_t sequence = 1) {
        return parse(state_document(sequence, state_body(*engine)));
    }
    // Every element of the board appears under its control name as the board holds it.
    void expect_elements_match(const QJsonObject& s) {
        const QJsonObject elements = s["elements"].toObject();
        for (const auto& entry : Board::elements()) {
            if (entry.member == &Board::shpFocus) {
                EXPECT_FALSE(elements.contains("shpFocus"));
                continue;
            }
            const Element& e = board().*entry.member;
            const QJsonObject o = elements[entry.name].toObject();
            EXPECT_EQ(str(o["text"]), e.text) << entry.name;
            EXPECT_EQ(o["visible"].toBool(), e.visible) << entry.name;
            EXPECT_EQ(str(o["back"]).size(), 7u) << entry.name;
        }
    }
};

}  // namespace

TEST_F(LiveStateTest, BoutInProgressShowsNamesScoresAndTheRunningClock) {
    start();
    load_bout(240);
    key('2');
    key('3');
    key('0');
    key(vk::space);
    const QJsonObject s = state(7);
    EXPECT_EQ(s["sequence"].toInt(), 7);
    EXPECT_EQ(str(s["rules"]), "scores");
    const QJsonObject blue = s["blue"].toObject(), white = s["white"].toObject();
    EXPECT_EQ(str(blue["name"]), board().lblBlau_Name.text);
    EXPECT_EQ(str(white["name"]), "Li, Wei");
    EXPECT_EQ(str(blue["waza_ari"].toObject()["text"]), board().lbl_W_b.text);
    EXPECT_EQ(str(blue["waza_ari"].toObject()["text"]), "1");
    EXPECT_EQ(blue["yuko"].toObject()["visible"].toBool(), board().lbl_Y_b.visible);
    EXPECT_EQ(str(white["shido"].toObject()["text"]), "1");
    EXPECT_EQ(blue["crosses"].toArray().size(), 2);
    EXPECT_EQ(str(blue["colour"].toObject()["back"]).front(), '#');
    EXPECT_NE(str(blue["colour"].toObject()["back"]), str(white["colour"].toObject()["back"]));
    const QJsonObject clock = s["clock"].toObject();
    EXPECT_TRUE(clock["running"].toBool());
    EXPECT_EQ(str(clock["text"]), board().lblZeit.text);
    EXPECT_EQ(clock["seconds"].toInt(), engine->state().clock_value);
    EXPECT_TRUE(clock_running(*engine));
    EXPECT_TRUE(s["winner"].isNull());
    EXPECT_FALSE(s["golden_score"].toBool());
    expect_elements_match(s);
    key(vk::space);
    EXPECT_FALSE(state()["clock"].toObject()["running"].toBool());
    EXPECT_FALSE(clock_running(*engine));
}

TEST_F(LiveStateTest, HoldDownNamesItsHolderAndCountsInBothModes) {
    for (const char* rules : {"", "[add_system]\r\nadd_aktiv=1\r\nmax_punkte=100\r\n"}) {
        start(std::string("[anzeige]\r\nanz_links=0\r\n") + rules);
        load_bout(240, "Meier, Hans", rules);
        key(vk::space);
        key(vk::f8);  // white holds
        for (int i = 0; i < 5; ++i) {
            host->tick += 1000;
            engine->clock_tick();
        }
        const QJsonObject s = state();
        EXPECT_EQ(str(s["rules"]), *rules ? "points" : "scores");
        const QJsonObject hold = s["hold_down"].toObject();
        EXPECT_TRUE(hold["running"].toBool()) << rules;
        EXPECT_EQ(str(hold["holder"]), "white") << rules;
        EXPECT_EQ(hold["seconds"].toInt(), shown_number(board().lblHG)) << rules;
        EXPECT_GT(hold["seconds"].toInt() + s["clock"].toObject()["seconds"].toInt(), 0);
        EXPECT_EQ(str(hold["text"]), board().lblHG.text);
        EXPECT_TRUE(clock_running(*engine));
        expect_elements_match(s);
        key(vk::f6);  // released
        const QJsonObject after = state()["hold_down"].toObject();
        EXPECT_FALSE(after["running"].toBool());
        EXPECT_TRUE(after["holder"].isNull());
    }
}

// A hold-down that ended the bout runs no more, though the board still shows who held; a
// bout from the list names its position, one typed in has none.
TEST_F(LiveStateTest, HoldDownEndsWithTheBoutAndTheListPositionIsGiven) {
    start("[anzeige]\r\nanz_links=0\r\nhaltegr_ippon=3\r\ngewk=x\r\n");
    dir.write("neu.kfl",
              "#STR|KFL|1|1\r\n#PAR|0|||2\r\n#DAT|-60|A||B||||\r\n#DAT|-66|C||D||||\r\n");
    key('N', false, true);
    EXPECT_EQ(str(state()["list_position"]), "1");
    key(vk::space);
    key(vk::f5);
    for (int i = 0; i < 4 && engine->state().bout_active; ++i) {
        host->tick += 1000;
        engine->clock_tick();
    }
    ASSERT_FALSE(engine->state().bout_active);
    const QJsonObject hold = state()["hold_down"].toObject();
    EXPECT_FALSE(hold["running"].toBool());
    EXPECT_EQ(str(state()["winner"]), "blue");
    load_bout(240);
    EXPECT_EQ(str(state()["list_position"]), "");
}

TEST_F(LiveStateTest, PointsModeCarriesTheTotals) {
    start("[anzeige]\r\nanz_links=0\r\n[add_system]\r\nadd_aktiv=1\r\nwaza-ari=7\r\n");
    load_bout(240, "Meier, Hans", "[add_system]\r\nadd_aktiv=1\r\nwaza-ari=7\r\n");
    key('2');
    key('2');
    const QJsonObject s = state();
    EXPECT_EQ(s["blue"].toObject()["points"].toInt(), 14);
    EXPECT_EQ(s["white"].toObject()["points"].toInt(), 0);
    EXPECT_EQ(str(s["blue"].toObject()["yuko"].toObject()["text"]), board().lbl_Y_b.text);
    expect_elements_match(s);
}

TEST_F(LiveStateTest, GoldenScoreAndTheWinner) {
    start();
    load_bout(240);
    engine->internals_for_tests().state.clock_value = 0;  // regular time is over
    key('S', false, true);
    QJsonObject s = state();
    EXPECT_TRUE(s["golden_score"].toBool());
    EXPECT_TRUE(s["elements"].toObject()["lbl_GS"].toObject()["visible"].toBool());
    key('7');  // ippon for white ends the bout
    s = state();
    EXPECT_EQ(str(s["winner"]), "white");
    EXPECT_TRUE(s["white"].toObject()["winner"].toBool());
    EXPECT_FALSE(s["blue"].toObject()["winner"].toBool());
    EXPECT_FALSE(s["clock"].toObject()["running"].toBool());
    expect_elements_match(s);
}

// A win by the other side's Hansoku-make is a win by Ippon; the board page shows "IPPON" only
// with ippon_zeigen.
TEST_F(LiveStateTest, AWinByIpponAndWhetherTheBoardSaysSo) {
    start();
    load_bout(240);
    key(vk::f1, false, true);  // Hansoku-make for blue
    for (const bool shown : {false, true}) {
        engine->internals_for_tests().rules.ippon_zeigen = shown;
        const QJsonObject white = state()["white"].toObject();
        EXPECT_TRUE(white["won_by_ippon"].toBool());
        EXPECT_EQ(white["ippon_shown"].toBool(), shown);
        EXPECT_FALSE(state()["blue"].toObject()["won_by_ippon"].toBool());
    }
}

TEST_F(LiveStateTest, AnUnchangedBoardGivesTheSameBody) {
    start();
    load_bout(240);
    const std::string before = state_body(*engine);
    engine->focus_tick();  // the operator's focus circle is not the audience's
    EXPECT_EQ(state_body(*engine), before);
    key('2');
    EXPECT_NE(state_body(*engine), before);
}

TEST(LiveJson, TextIsQuotedSafelyWhateverItHolds) {
    EXPECT_EQ(json_quoted("Müller \"Hans\"\\"), "\"Müller \\\"Hans\\\"\\\\\"");
    EXPECT_EQ(json_quoted("a\nb\tc\x01"), "\"a\\nb\\tc\\u0001\"");
    EXPECT_EQ(json_quoted("</script>"), "\"\\u003c/script>\"");
    // Bytes that are not UTF-8 (a lone umlaut of code page 1252, a cut sequence, an overlong
    // form, a surrogate) become the replacement character, so the document always parses.
    for (std::string bad :
         {"M\xFCller", "ab\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        const std::string doc = "{\"t\":" + json_quoted(bad) + "}";
        QJsonParseError error;
        QJsonDocument::fromJson(QByteArray::fromStdString(doc), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << doc;
        EXPECT_NE(doc.find("\\ufffd"), std::string::npos) << doc;
    }
    EXPECT_EQ(json_quoted("日本 😀"), "\"日本 😀\"");
}

TEST(LiveRequests, OnlyCompleteGetAndHeadOfKnownPathsAreServed) {
    LiveRequest r = judge_request("GET /state.json HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(r.verdict, RequestVerdict::complete);
    EXPECT_EQ(r.path, LivePath::state);
    EXPECT_FALSE(r.head_only);
    r = judge_request("HEAD /?a=b HTTP/1.0\n\n");
    EXPECT_EQ(r.verdict, RequestVerdict::complete);
    EXPECT_EQ(r.path, LivePath::board_page);
    EXPECT_TRUE(r.head_only);
    EXPECT_EQ(judge_request("GET /events HTTP/1.1\r\nHost: x\r\n").verdict,
              RequestVerdict::incomplete);
    EXPECT_EQ(judge_request("").verdict, RequestVerdict::incomplete);
    for (const char* method : {"POST", "PUT", "DELETE", "OPTIONS", "PATCH"}) {
        const std::string req = std::string(method) + " /state.json HTTP/1.1\r\n\r\n";
        EXPECT_EQ(judge_request(req).verdict, RequestVerdict::method_not_allowed) << method;
    }
    for (const char* bad :
         {"GET\r\n\r\n", "GET  HTTP/1.1\r\n\r\n", "GET state.json HTTP/1.1\r\n\r\n",
          "GET /a b HTTP/1.1\r\n\r\n", "GET / HTTP/2\r\n\r\n", "G@T / HTTP/1.1\r\n\r\n",
          "GET / HTTP/1.1\r\nno colon\r\n\r\n", "GET / HTTP/1.1\r\n: empty\r\n\r\n",
          "GET /\x01 HTTP/1.1\r\n\r\n"}) {
        EXPECT_EQ(judge_request(bad).verdict, RequestVerdict::bad_request) << bad;
    }
    // The limit is the whole head, blank line included: one byte more is refused, a head of
    // exactly the limit is served, and as much without its end yet is still waited for.
    const std::string start = "GET / HTTP/1.1\r\nX: ";
    const std::string exact = start + std::string(k_max_request_head - start.size() - 4, 'a');
    EXPECT_EQ(judge_request(exact + "\r\n\r\n").verdict, RequestVerdict::complete);
    EXPECT_EQ(judge_request(exact + "a\r\n\r\n").verdict, RequestVerdict::too_large);
    EXPECT_EQ(judge_request(exact + "a\r\n\r").verdict, RequestVerdict::incomplete);
    EXPECT_EQ(judge_request(exact + "a\r\n\r\n" + "GET").verdict, RequestVerdict::too_large);
    const std::string huge = "GET / HTTP/1.1\r\nX: " + std::string(k_max_request_head, 'a');
    EXPECT_EQ(judge_request(huge).verdict, RequestVerdict::too_large);
    EXPECT_EQ(judge_request(huge + "\r\n\r\n").verdict, RequestVerdict::too_large);
    // No path reaches a file: only the fixed names are known.
    for (const char* path : {"/../kyomat.ini", "/kyomat.ini", "/%2e%2e/etc/passwd",
                             "/state.json/../../x", "//etc/passwd", "/overlay/x"}) {
        EXPECT_EQ(live_path_of(path), LivePath::not_found) << path;
    }
    EXPECT_EQ(live_path_of("/halle?matten=a:1,b:2"), LivePath::hall_page);
    EXPECT_EQ(live_path_of("/aufruf?matten=a:1"), LivePath::call_up_page);
    EXPECT_EQ(live_path_of("/halle.json"), LivePath::hall_mats);
    EXPECT_EQ(live_path_of("/overlay"), LivePath::overlay_page);
    EXPECT_EQ(live_path_of("/events"), LivePath::events);
}

TEST(LiveRequests, AnswersCarryTheirLengthAndMayBeReadByOtherPages) {
    const std::string a = live_answer(200, "application/json", "{}");
    EXPECT_EQ(a.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_NE(a.find("Content-Length: 2\r\n"), std::string::npos);
    EXPECT_NE(a.find("Access-Control-Allow-Origin: *\r\n"), std::string::npos);
    EXPECT_EQ(a.substr(a.size() - 6), "\r\n\r\n{}");
    const std::string head = live_answer(200, "text/html", "<p>", true);
    EXPECT_NE(head.find("Content-Length: 3\r\n"), std::string::npos);
    EXPECT_EQ(head.substr(head.size() - 4), "\r\n\r\n");
    EXPECT_NE(live_refusal(RequestVerdict::method_not_allowed).find("Allow: GET, HEAD"),
              std::string::npos);
    EXPECT_EQ(live_refusal(RequestVerdict::too_large).rfind("HTTP/1.1 431", 0), 0u);
    EXPECT_EQ(live_stream_event("{\"a\":1}"), "data: {\"a\":1}\n\n");
}

TEST(LiveSettingsTest, OffByDefaultOnWithAPortAndReportedWhenBroken) {
    kyomat::testing::TempFolder dir;
    dir.write("kyomat.ini", "[anzeige]\r\nanz_links=0\r\n");
    LiveSettings s = read_live_settings(Settings(dir.path()));
    EXPECT_EQ(s.port, 0);
    EXPECT_EQ(s.address, "127.0.0.1");
    EXPECT_TRUE(s.problem.empty());
    dir.write("kyomat.ini", "[live]\r\nport=8080 \r\nadresse= 0.0.0.0\r\n");
    s = read_live_settings(Settings(dir.path()));
    EXPECT_EQ(s.port, 8080);
    EXPECT_EQ(s.address, "0.0.0.0");
    EXPECT_EQ(s.per_address, 8);
    for (const auto& [each, read] : {std::pair{"3", 3}, {"0", 1}, {"500", 128}}) {
        dir.write("kyomat.ini", std::string("[live]\r\nport=80\r\nje_adresse=") + each + "\r\n");
        EXPECT_EQ(read_live_settings(Settings(dir.path())).per_address, read) << each;
    }
    for (const char* bad : {"http", "70000", "-1", "99999999999"}) {
        dir.write("kyomat.ini", std::string("[live]\r\nport=") + bad + "\r\n");
        s = read_live_settings(Settings(dir.path()));
        EXPECT_EQ(s.port, 0) << bad;
        EXPECT_NE(s.problem.find(bad), std::string::npos) << bad;
    }
}

// Names of any length from a list: the document carries what a viewer can read (300
// characters and "…"), so it stays far below the size at which every viewer would be cut.
TEST_F(LiveStateTest, NamesOfAnyLengthKeepTheDocumentSmall) {
    start();
    std::string name;
    for (int i = 0; i < 100000; ++i) name += "ä";
    load_bout(240, name);
    const std::string text = state_document(1, state_body(*engine));
    EXPECT_LT(text.size(), 16u * 1024);
    const QJsonObject s = parse(text);
    const std::string shown = str(s["blue"].toObject()["name"]);
    EXPECT_EQ(shown, name.substr(0, 600) + "…");
    EXPECT_EQ(str(s["elements"].toObject()["lblBlau_Name"].toObject()["text"]), shown);
    EXPECT_EQ(board().lblBlau_Name.text, name);  // the board keeps the whole name of record
}

// The mat's part of the document: its name and who is next, as a browser reads it, with the
// list's cells cut as the board's texts are.
TEST(LiveCallUp, TheMatAndItsNextBoutsAsAPageReadsThem) {
    CallUp call;
    call.list = CallUpList::open;
    CalledBout b;
    b.position = 4;
    b.age_class = "Männer";
    b.weight_class = "-81";
    b.blue_name = "Meier, \"Hans\" </script>";
    b.white_name = std::string(5000, 'x');
    b.white_club = "JC Süd";
    call.next = {b};
    const QJsonObject s = parse("{" + call_up_body("Matte 1", call) + "}");
    EXPECT_EQ(str(s["mat"]), "Matte 1");
    EXPECT_EQ(str(s["list"]), "open");
    const QJsonObject next = s["next"].toArray().at(0).toObject();
    EXPECT_EQ(next["position"].toInt(), 4);
    EXPECT_EQ(str(next["weight_class"]), "-81");
    EXPECT_EQ(str(next["blue"].toObject()["name"]), "Meier, \"Hans\" </script>");
    EXPECT_EQ(str(next["white"].toObject()["club"]), "JC Süd");
    EXPECT_LT(str(next["white"].toObject()["name"]).size(), 1000u);
    for (const auto& [list, word] : {std::pair{CallUpList::none, "none"},
                                     {CallUpList::done, "done"},
                                     {CallUpList::unreadable, "unreadable"}}) {
        const QJsonObject t = parse("{" + call_up_body("", CallUp{list, {}}) + "}");
        EXPECT_EQ(str(t["list"]), word);
        EXPECT_TRUE(t["next"].toArray().isEmpty());
    }
}

TEST(LiveCallUp, TheHallsMatsFromTheSettings) {
    EXPECT_EQ(hall_mats_document(""), "{\"matten\":[]}");
    EXPECT_EQ(hall_mats_document(" 192.168.1.21:8080, ,matte2.local:8080 ,"),
              "{\"matten\":[\"192.168.1.21:8080\",\"matte2.local:8080\"]}");
    const QJsonObject h = parse(hall_mats_document("a\"b,<c>"));
    EXPECT_EQ(h["matten"].toArray().size(), 2);
    EXPECT_EQ(str(h["matten"].toArray().at(0)), "a\"b");
    kyomat::testing::TempFolder dir;
    dir.write("kyomat.ini",
              "[live]\r\nport=80\r\nmatte= Matte 2 \r\n[halle]\r\nmatten=a:1,b:2\r\n");
    const LiveSettings s = read_live_settings(Settings(dir.path()));
    EXPECT_EQ(s.mat, "Matte 2");
    EXPECT_EQ(s.hall_mats, "a:1,b:2");
}
