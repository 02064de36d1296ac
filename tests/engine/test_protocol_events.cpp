// A bout as its protocol tells it afterwards: the engine's events written by the real
// protocol file and read back in words, as the table reads it in a dispute.
#include <gtest/gtest.h>

#include <memory>

#include "data/core/basis.h"
#include "data/core/protocol.h"
#include "engine/engine_fixture.h"
#include "temp_folder.h"

namespace kyomat::testing {
namespace {

// The recording host with the protocol file behind it, as the program has it.
class ProtocolHost : public FakeHost {
  public:
    explicit ProtocolHost(const std::filesystem::path& folder)
        : FakeHost(folder), file_(folder, nullptr, [] { return std::string("2026-12-07"); }) {}

    void protocol_new_bout(const ProtocolBout& bout) override {
        FakeHost::protocol_new_bout(bout);
        bout_ = bout;
        file_.new_bout(bout_);
    }
    void protocol_line(const ProtocolLine& line) override {
        FakeHost::protocol_line(line);
        file_.line(bout_, line);
    }
    ListOutcome anzeige_in_liste(const BoutResult& result) override {
        file_.result(bout_, result_value_text(result), result.duration, result_winner(result));
        return FakeHost::anzeige_in_liste(result);
    }

  private:
    BoutProtocol file_;
    ProtocolBout bout_;
};

class ProtocolEvents : public EngineTest {
  protected:
    std::unique_ptr<FakeHost> make_host() override {
        return std::make_unique<ProtocolHost>(dir.path());
    }
    void enter_bout(const std::string& fields) {
        host->entry_answers.push_back({true, fields});
        key('K', false, true);
    }
    void wait_ms(int ms) {
        for (int i = 0; i < ms / 100; ++i) {
            host->tick += 100;
            engine->clock_tick();
        }
    }
    // The events of the chosen bouts in words, without the times of day.
    std::string read_back(const ProtocolQuery& query) const {
        std::string error;
        const std::string csv =
            read_whole_file(dir.path() / BoutProtocol::file_name("2026-12-07"), error).value_or("");
        std::string text = protocol_as_text(csv, query), out;
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            std::string line = text.substr(pos, end - pos);
            pos = end + 1;
            // "Kampf 5 (U18, -66), von Hand, 10:00:00: ..." and "  10:00:00 Ergebnis: ..."
            const std::size_t clock = line.find(":", line.find_first_of("0123456789", 2));
            if (line.rfind("Kampf", 0) == 0 || line.find(" Ergebnis:") != std::string::npos)
                line.replace(clock - 2, 8, "HH:MM:SS");
            out += line + "\n";
        }
        return out;
    }
};

constexpr const char* k_ini =
    "[anzeige]\r\nanz_links=0\r\nkampfzeit=60\r\nkampfzeit_gs=0\r\nprotokoll=1\r\n";

TEST_F(ProtocolEvents, ABoutWithHoldDownGoldenScoreAndDecisionReadsBackInWords) {
    start(k_ini);
    enter_bout(
        "edtLPOS=5|edtAKID=U18|edtGEWK=-66|edtNAMEBlau=Meier, Hans|edtVERNBlau=JC "
        "Nord|edtNAMEWeiss=Li, Wei|edtVERNWeiss=JV Süd");
    key(vk::space);
    host->tick += 50;  // the keys below come in the middle of a second
    wait_ms(10000);
    key(vk::f8);  // white holds
    wait_ms(3000);
    key(vk::f5);  // handed over to blue
    wait_ms(5000);
    key('P', false, true);  // one second more on the hold-down clock
    key(vk::f6);            // released: no score under the usual rules
    key('0');               // Shido white
    key('0', true);         // taken back
    key(vk::space);
    key('Z', false, true);  // one second back on the bout clock
    key(vk::space);
    wait_ms(43000);  // time is up, the scores are level
    key('S', false, true);
    key(vk::space);
    wait_ms(7000);
    key(vk::space);
    key('W', false, true);  // decision for white
    key('E', false, true);  // the result is handed on
    EXPECT_EQ(read_back({5}),
              "Kampf 5 (U18, -66), von Hand, HH:MM:SS: Meier, Hans (JC Nord) in weiß – Li, Wei (JV "
              "Süd) in blau\n"
              "  0:00 Uhr läuft ab 1:00\n"
              "  0:10 Haltegriff blau (Li, Wei) beginnt\n"
              "  0:13 Haltegriff wechselt zu weiß (Meier, Hans)\n"
              "  0:18 Haltegriff-Uhr korrigiert, Sekunden +1, zeigt 08\n"
              "  0:18 Haltegriff weiß (Meier, Hans) gelöst, Sekunden +8\n"
              "  0:18 Shido blau (Li, Wei) +1\n"
              "  0:18 Shido blau (Li, Wei) -1\n"
              "  0:18 Uhr steht bei 0:42\n"
              "  0:17 Uhr korrigiert, Sekunden +1, zeigt 0:43\n"
              "  0:17 Uhr läuft ab 0:43\n"
              "  1:00 Uhr steht bei 0:00\n"
              "  1:00 Golden Score beginnt\n"
              "  1:00 Uhr läuft ab 0:00\n"
              "  1:06 Uhr steht bei 0:06\n"
              "  1:06 Sieger blau (Li, Wei) angezeigt\n"
              "  HH:MM:SS Ergebnis: Sieger blau (Li, Wei), Wertung 10, Dauer 1:06\n"
              "  1:06 Tafel mit Strg+E zurückgesetzt, Uhr bei 0:06\n")
        << read_back({});
}

// A Hansoku-make is one line, whether given directly or by the last Shido; the Shido that
// led to it stays a Shido.
TEST_F(ProtocolEvents, HansokuMakeIsRecordedAsSuch) {
    start(std::string(k_ini) + "[control]\r\nMax_Shido=3\r\n");
    enter_bout("edtLPOS=1|edtNAMEBlau=A|edtNAMEWeiss=B");
    key(vk::f1, false, true);  // Ctrl+F1: Hansoku-make for blue
    enter_bout("edtLPOS=2|edtNAMEBlau=C|edtNAMEWeiss=D");
    for (int i = 0; i < 3; ++i) key('0');
    const std::string first = read_back({1}), second = read_back({2});
    EXPECT_NE(first.find("  0:00 Hansoku-make weiß (A)\n  0:00 Sieger blau (B) angezeigt\n"),
              std::string::npos)
        << first;
    EXPECT_EQ(first.find("Shido"), std::string::npos) << first;
    EXPECT_NE(second.find("  0:00 Shido blau (D) +1\n  0:00 Shido blau (D) +1\n"
                          "  0:00 Shido blau (D) +1\n"
                          "  0:00 Hansoku-make blau (D)\n  0:00 Sieger weiß (C) angezeigt\n"),
              std::string::npos)
        << second;
    EXPECT_EQ(second.find("Ippon"), std::string::npos) << second;
}

// What decides a bout without a score is named as such: a referees' decision at a tie after
// the end of time, and both fighters disqualified; the injury crosses are there too. Sides are
// named by the colour the audience saw, here with the bands swapped to red and yellow.
TEST_F(ProtocolEvents, DecisionsAndDoubleHansokuMakeAreNamedAsSuch) {
    start(std::string(k_ini) +
          "[control]\r\nMax_Shido=3\r\n[Farben_1]\r\nhintergrund_name=$FFE000\r\n"
          "[Farben_2]\r\nhintergrund_name=$D01010\r\n");
    enter_bout("edtLPOS=1|edtGEWK=-60|edtNAMEBlau=A|edtNAMEWeiss=B");
    key(vk::oem_plus);
    key(vk::space);
    wait_ms(61000);
    key('B', false, true);
    key('E', false, true);
    const std::string decision = read_back({1});
    EXPECT_NE(decision.find("-60), von Hand, HH:MM:SS: A in gelb – B in rot\n  0:00 "
                            "Verletzungskreuze gelb (A) jetzt 1\n"),
              std::string::npos)
        << decision;
    EXPECT_NE(decision.find("Entscheidung für gelb (A) angezeigt\n"
                            "  HH:MM:SS Ergebnis: Sieger gelb (A) durch Entscheidung, Dauer 1:00"),
              std::string::npos)
        << decision;

    enter_bout("edtLPOS=2|edtGEWK=-60|edtNAMEBlau=C|edtNAMEWeiss=D");
    key(vk::f1, false, true);
    key(vk::f12, false, true);
    key('E', false, true);
    const std::string both = read_back({2});
    EXPECT_NE(both.find("Hansoku-make rot (D)\n  0:00 Hansoku-make beider Kämpfer\n"
                        "  0:00 Sieger aufgehoben\n  HH:MM:SS Ergebnis: ohne Sieger (0:0)"),
              std::string::npos)
        << both;
}

// A bout begun again after Ctrl+E: the first attempt, its reset and the second attempt are
// all found under its position. Lines after a restart of the program do not join the last
// bout of the earlier run.
TEST_F(ProtocolEvents, EveryAttemptAndEveryRunHasItsOwnBout) {
    start(k_ini);
    enter_bout("edtLPOS=7|edtGEWK=-60|edtNAMEBlau=A|edtNAMEWeiss=B");
    key(vk::space);
    host->tick += 50;
    wait_ms(2000);
    host->confirm_answers.push_back(true);
    key('E', false, true);
    enter_bout("edtLPOS=7|edtGEWK=-60|edtNAMEBlau=A|edtNAMEWeiss=B");
    key('2');
    const std::string both = read_back({7});
    EXPECT_NE(both.find("  0:02 Uhr steht bei 0:58\n  0:02 Tafel mit Strg+E zurückgesetzt, Uhr "
                        "bei 0:58\n"),
              std::string::npos)
        << both;
    EXPECT_NE(both.find("von Hand, HH:MM:SS: A in weiß – B in blau\n  0:00 Waza-ari weiß (A) +1\n"),
              std::string::npos)
        << both;
    EXPECT_EQ(both.find("Kampf 7"), 0u) << both;
    EXPECT_NE(both.find("Kampf 7", 1), std::string::npos) << both;
    // The board that Ctrl+E left is a bout of its own, without a list position.
    EXPECT_NE(read_back({0}).find("nach Strg+E"), std::string::npos) << read_back({});

    start(k_ini);  // the program again, on the same day
    key('8');
    EXPECT_EQ(read_back({7}).find("Waza-ari blau"), std::string::npos) << read_back({});
    EXPECT_NE(read_back({0}).find("Programmstart, HH:MM:SS: Name, Vorname (Verein/Landesverband) "
                                  "in weiß – Name, Vorname (Verein/Landesverband) in blau\n"
                                  "  0:00 Waza-ari blau (Name, Vorname) +1\n"),
              std::string::npos)
        << read_back({});
}

// A walkover on the board that Ctrl+E left (names from the settings, a score typed, the clock
// never run) is a bout with a result like one entered by Ctrl+K; a winner shown on a board
// where nothing happened is no bout.
TEST_F(ProtocolEvents, EveryDeclaredWinnerOfABoutGetsItsResult) {
    start(k_ini + std::string("gewk=-60\r\n"));
    key('B', false, true);
    key('E', false, true);
    EXPECT_TRUE(host->results.empty());
    key('2');
    key('B', false, true);
    key('E', false, true);
    ASSERT_EQ(host->results.size(), 1u);
    EXPECT_TRUE(host->results[0].blue_won);
    EXPECT_NE(read_back({0}).find("Ergebnis:"), std::string::npos) << read_back({0});
}

}  // namespace
}  // namespace kyomat::testing
