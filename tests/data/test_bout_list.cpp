#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <random>
#include <thread>

#include "data/core/bout_access.h"
#include "data/core/call_up.h"
#include "data/core/cp1252.h"
#include "data/core/file_io.h"
#include "data/core/list_merge.h"
#include "data/core/team_score.h"
#include "temp_folder.h"

using namespace kyomat;
using kyomat::testing::TempFolder;

namespace {

BoutList two_bouts() {
    BoutList list;
    list.rows.resize(3);
    list.rows[1] = {"-60", "Name A", "Verein A", "Name B", "Verein B", "1:0", "10:0", "2:17"};
    list.rows[2] = {"-66", "Name C", "Verein C", "Name D", "Verein D", "", "", ""};
    return list;
}

}  // namespace

TEST(BoutListFile, SavedLinesOfTwoBouts) {
    EXPECT_EQ(format_bout_list(two_bouts(), 20261206, 102345),
              "#STR|KFL|20261206|102345\r\n#PAR|0|||3\r\n"
              "#DAT|-60|Name A|Verein A|Name B|Verein B|1:0|10:0|2:17\r\n"
              "#DAT|-66|Name C|Verein C|Name D|Verein D|||\r\n");
    BoutList fresh;
    EXPECT_EQ(format_bout_list(fresh, 1, 2), "#STR|KFL|1|2\r\n#PAR|0|||2\r\n#DAT||||||||\r\n");
    fresh.rows.resize(1);  // the only bout row deleted
    EXPECT_EQ(format_bout_list(fresh, 1, 2), "#STR|KFL|1|2\r\n#PAR|0|||1\r\n");
}

TEST(BoutListFile, RoundTripInCodePage1252) {
    BoutList list = two_bouts();
    list.team_mode = true;
    list.team1 = "JC Süd";
    list.team2 = "TSV Weiß";
    list.rows[2][1] = "Müller, Jürgen";
    const std::string bytes = format_bout_list(list, 20261206, 102345);
    EXPECT_NE(bytes.find("M\xFCller"), std::string::npos);
    BoutList back;
    ASSERT_TRUE(parse_bout_list(bytes, back));
    EXPECT_EQ(back.rows, list.rows);
    EXPECT_TRUE(back.team_mode);
    EXPECT_EQ(back.team2, "TSV Weiß");
}

TEST(BoutListFile, ReadsLfAndMissingLineEndsSkipsOtherLines) {
    BoutList list;
    ASSERT_TRUE(
        parse_bout_list("#STR|KFL|x|y\n#PAR|0|||4\n\n#XYZ|a\n#DAT|a\n#DAT|a\n#DAT|b|c", list));
    ASSERT_EQ(list.row_count(), 4);
    EXPECT_EQ(list.rows[1][0], "a");
    EXPECT_EQ(list.rows[2][0], "a");
    EXPECT_EQ(list.rows[3][0], "b");
    EXPECT_EQ(list.rows[3][1], "c");
    EXPECT_EQ(list.rows[3][7], "");
}

TEST(BoutListFile, StatedRowCountRules) {
    BoutList list;
    // A stated count smaller than the rows of the file loses none of them: they are kept, and
    // the next save states the true count. Short of the count rows stay empty.
    ASSERT_TRUE(parse_bout_list("#STR|KFL||\r\n#PAR|0|||2\r\n#DAT|a\r\n#DAT|b\r\n", list));
    EXPECT_EQ(list.row_count(), 3);
    EXPECT_EQ(list.rows[2][0], "b");
    EXPECT_NE(format_bout_list(list, 1, 1).find("#PAR|0|||3\r\n#DAT|a|"), std::string::npos);
    ASSERT_TRUE(parse_bout_list("#STR|KFL||\r\n#PAR|0|||5\r\n#DAT|a\r\n", list));
    EXPECT_EQ(list.row_count(), 5);
    EXPECT_EQ(list.rows[4][0], "");
    // A count that cannot be true keeps exactly the rows the file holds.
    for (const char* count : {"-3", "0", "2000000000"}) {
        ASSERT_TRUE(parse_bout_list(
            std::string("#STR|KFL||\r\n#PAR|0|||") + count + "\r\n#DAT|a\r\n#DAT|b\r\n", list))
            << count;
        EXPECT_EQ(list.row_count(), 3) << count;
        EXPECT_EQ(list.rows[2][0], "b") << count;
    }
}

TEST(BoutListFile, InvalidHeadersLeaveAResetList) {
    for (const char* bytes :
         {"", "\r\n#PAR|0|||2", "#STR|KFX|1|2\r\n#PAR|0|||2\r\n", "#STR|KFL|1\r\n#PAR|0|||2\r\n",
          "#STR|KFL|1|2\r\n#PAR|0|||zwei\r\n", "#STR|KFL|1|2\r\n#PAR|0||\r\n", "#STR|KFL|1|2"}) {
        BoutList list = two_bouts();
        EXPECT_FALSE(parse_bout_list(bytes, list)) << bytes;
        EXPECT_EQ(list.row_count(), 2) << bytes;
        EXPECT_EQ(list.rows[1], BoutList::Row{}) << bytes;
    }
}

TEST(BoutListFile, BarInACellShiftsTheRow) {
    BoutList list;
    list.rows[1] = {"a|b", "1", "2", "3", "4", "5", "6", "7"};
    BoutList back;
    ASSERT_TRUE(parse_bout_list(format_bout_list(list, 1, 1), back));
    EXPECT_EQ(back.rows[1], (BoutList::Row{"a", "b", "1", "2", "3", "4", "5", "6"}));
    // The cell pushed past the eighth is not shown, but a save keeps it.
    EXPECT_EQ(back.rows[1].tail, "|7");
    EXPECT_NE(format_bout_list(back, 1, 1).find("#DAT|a|b|1|2|3|4|5|6|7\r\n"), std::string::npos);
}

TEST(BoutListFile, CellsAfterTheEighthSurviveASave) {
    BoutList list;
    ASSERT_TRUE(parse_bout_list(
        "#STR|KFL||\r\n#PAR|0|||3\r\n#DAT|-60|A|V|B|V|||||Notiz|\xE4\r\n#DAT|-66|C\r\n", list));
    EXPECT_EQ(list.rows[1][7], "");
    EXPECT_EQ(list.rows[1].tail, "||Notiz|ä");
    list.rows[1][5] = "1:0";
    const std::string saved = format_bout_list(list, 1, 1);
    EXPECT_NE(saved.find("#DAT|-60|A|V|B|V|1:0||||Notiz|\xE4\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("#DAT|-66|C||||||\r\n"), std::string::npos) << saved;
}

class BoutAccessTest : public ::testing::Test {
  protected:
    void write_list(const BoutList& list) {
        dir.write("neu.kfl", format_bout_list(list, 20261206, 102345));
    }
    BoutList read_list() {
        BoutList list;
        std::string error;
        EXPECT_TRUE(parse_bout_list(*read_whole_file(dir.path() / "neu.kfl", error), list));
        return list;
    }
    TempFolder dir;
    std::vector<std::string> messages;
    BoutListFile file{dir.path(), [this](const std::string& t, MessageKind k) {
                          messages.push_back(letter(k) + (" " + t));
                      }};
    BoutListAccess access{file};
    EntryFields fields;
    void SetUp() override {
        file.settle_ms = 0;
        // Written at once by these tests, whatever the head states.
        file.quiet_ms = 0;
    }
};

// A desk program that saves the shared list in place, line by line: its head states the rows
// it will have, and until the last one is there the list is not taken, neither to load a bout
// nor to write a result over it (which would drop the rows still to come).
TEST_F(BoutAccessTest, AListWrittenInPiecesIsNeverTakenHalf) {
    file.quiet_ms = 1000;
    BoutList desk = two_bouts();
    desk.rows[1][5] = desk.rows[1][6] = desk.rows[1][7] = "";
    write_list(desk);
    ASSERT_EQ(access.kampf_laden(fields), ListOutcome::done);
    ASSERT_EQ(fields.edtNAMEBlau, "Name A");
    desk.rows.push_back({"-73", "Name E", "Verein E", "Name F", "Verein F", "", "", ""});
    desk.rows.push_back({"-81", "Name G", "Verein G", "Name H", "Verein H", "", "", ""});
    const std::string whole = format_bout_list(desk, 20261206, 102345);
    const std::size_t third_row = whole.find("#DAT|-73");
    // Caught after its second row: told, the result stays due, the file untouched.
    dir.write("neu.kfl", whole.substr(0, third_row));
    const BoutResult result{"", "-60", "10", "1:00", " ", 1, true};
    EXPECT_EQ(access.anzeige_in_liste(result), ListOutcome::failed);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("noch nicht ganz"), std::string::npos) << messages[0];
    std::string error;
    EXPECT_EQ(*read_whole_file(dir.path() / "neu.kfl", error), whole.substr(0, third_row));
    std::vector<std::array<std::string, 5>> rows;
    EXPECT_FALSE(access.panel_rows(rows, true));
    // Caught inside its last line: every row the head states is there, the last one cut.
    dir.write("neu.kfl", whole.substr(0, whole.size() - 7));
    EXPECT_EQ(access.anzeige_in_liste(result), ListOutcome::failed);
    EXPECT_FALSE(access.panel_rows(rows, true));
    dir.write("neu.kfl", whole.substr(0, third_row));
    // The desk goes on writing, a piece every 100 ms; the write waits for the whole list.
    file.settle_ms = 10000;
    std::thread writer([&] {
        std::ofstream out(dir.path() / "neu.kfl", std::ios::binary | std::ios::app);
        for (std::size_t at = third_row; at < whole.size(); at += 20) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            out << whole.substr(at, 20) << std::flush;
        }
    });
    EXPECT_EQ(access.anzeige_in_liste(result), ListOutcome::done);
    writer.join();
    const BoutList back = read_list();
    ASSERT_EQ(back.row_count(), 5);
    EXPECT_EQ(back.rows[1][5], "1:0");
    EXPECT_EQ(back.rows[4][1], "Name G");
    // A head that states a wrong count is taken once nobody wrote for the quiet time.
    file.settle_ms = 0;
    file.quiet_ms = 50;
    dir.write("neu.kfl", "#STR|KFL|1|2\r\n#PAR|0|||9\r\n#DAT|-90|Name I||Name J||||\r\n");
    EXPECT_EQ(access.kampf_laden(fields), ListOutcome::failed);
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_EQ(access.kampf_laden(fields), ListOutcome::done);
    EXPECT_EQ(fields.edtNAMEBlau, "Name I");
}

// The desk saves the shared list as editors do: emptied and written again, or renamed away
// and written anew. Caught in that moment, Ctrl+N and the result's write wait for the list
// quietly and then do their work; a list that stays away is told once, as a note.
TEST_F(BoutAccessTest, AListBeingSavedIsWaitedForQuietly) {
    file.settle_ms = 60000;
    file.settle_step_ms = 0;
    file.quiet_ms = 60000;  // a half line is never taken for being still
    write_list(two_bouts());
    std::string error;
    const std::string whole = *read_whole_file(dir.path() / "neu.kfl", error);
    const auto path = dir.path() / "neu.kfl";
    // The desk's save, one piece at each attempt of the reader (no clock involved): emptied or
    // renamed away first, then half a line short, then whole.
    std::vector<std::function<void()>> pieces;
    file.between_reads = [&pieces] {
        if (pieces.empty()) return;
        pieces.front()();
        pieces.erase(pieces.begin());
    };
    const auto save_like_an_editor = [&](bool rename) {
        if (rename) {
            std::filesystem::rename(path, dir.path() / "neu.kfl~");
        } else {
            std::ofstream(path, std::ios::binary | std::ios::trunc).flush();
        }
        pieces = {[&] { dir.write("neu.kfl", whole.substr(0, whole.size() - 10)); },
                  [&] { dir.write("neu.kfl", whole); }};
    };
    save_like_an_editor(false);
    EXPECT_EQ(access.kampf_laden(fields), ListOutcome::done);
    EXPECT_TRUE(pieces.empty());  // it waited for every piece
    EXPECT_EQ(fields.edtNAMEBlau, "Name C");
    save_like_an_editor(true);
    const BoutResult result{"", "-66", "10", "1:00", " ", 2, true};
    EXPECT_EQ(access.anzeige_in_liste(result), ListOutcome::done);
    EXPECT_TRUE(pieces.empty());
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(read_list().rows[2][5], "1:0");
    EXPECT_EQ(read_list().row_count(), 3);
    file.between_reads = nullptr;
    // Gone for good: Ctrl+N says so once, after its wait, and the panel's look says nothing.
    file.settle_ms = 100;
    file.settle_step_ms = 20;
    std::filesystem::remove(dir.path() / "neu.kfl");
    EXPECT_EQ(access.kampf_laden(fields), ListOutcome::failed);
    EXPECT_EQ(messages.size(), 1u);
    std::vector<std::array<std::string, 5>> rows;
    EXPECT_FALSE(access.panel_rows(rows, true));
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(access.list_unreadable());
}

TEST_F(BoutAccessTest, TakesTheFirstOpenBoutAndCountsTeamWins) {
    BoutList list;
    list.team_mode = true;
    list.team1 = "Team Blau";
    list.team2 = "Team Weiß";
    list.rows.resize(6);
    list.rows[1][5] = "1:0";
    list.rows[2][5] = "0:1";
    list.rows[3][5] = "1:0";
    list.rows[4] = {"-73", "A", "Club A", "B", "Club B", "   ", "", ""};
    write_list(list);
    fields.edtKTXT = "stays";
    EXPECT_EQ(access.kampf_laden(fields), ListOutcome::done);
    EXPECT_TRUE(access.list_result_due);
    EXPECT_EQ(fields.edtLPOS, "4");
    EXPECT_EQ(fields.edtAKID, "2:1");
    EXPECT_EQ(fields.edtGEWK, "-73");
    EXPECT_EQ(fields.edtNAMEBlau, "A");
    EXPECT_EQ(fields.edtVERNBlau, "Team Blau");
    EXPECT_EQ(fields.edtVERNWeiss, "Team Weiß");
    EXPECT_EQ(fields.edtKTXT, "stays");
}

TEST_F(BoutAccessTest, NoOpenBoutAndMissingFile) {
    BoutList list;
    list.rows[1][5] = "0:0";
    write_list(list);
    fields.edtNAMEBlau = "untouched";
    EXPECT_EQ(access.kampf_laden(fields), ListOutcome::nothing);
    EXPECT_FALSE(access.list_result_due);
    EXPECT_EQ(fields.edtNAMEBlau, "untouched");
    std::filesystem::remove(dir.path() / "neu.kfl");
    EXPECT_EQ(access.kampf_laden(fields), ListOutcome::failed);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("kann nicht geöffnet werden"), std::string::npos) << messages[0];
}

// Lists beyond one mat's size are refused as a file that cannot be read (a result stays on
// the board), and a damaged list is said to be one instead of passing for a list without an
// open bout.
TEST_F(BoutAccessTest, OversizedAndDamagedListsAreSaidSo) {
    const auto list_of = [](int bouts) {
        std::string text = "#STR|KFL|1|2\r\n#PAR|0|||" + std::to_string(bouts) + "\r\n";
        for (int i = 0; i < bouts; ++i) text += "#DAT|-60|A|JC|B|TV|||\r\n";
        return text;
    };
    dir.write("neu.kfl", list_of(BoutList::k_max_bouts_read));
    EXPECT_EQ(access.kampf_laden(fields), ListOutcome::done);
    EXPECT_TRUE(messages.empty());
    dir.write("neu.kfl", list_of(BoutList::k_max_bouts_read + 1));
    const BoutResult result{"", "-60", "10", "1:00", " ", 1, true};
    EXPECT_EQ(access.anzeige_in_liste(result), ListOutcome::failed);
    EXPECT_EQ(access.kampf_laden(fields), ListOutcome::failed);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].rfind("W Das Ergebnis von A – B", 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find("mehr als 11000 Kämpfe"), std::string::npos) << messages[0];
    messages.clear();
    dir.write("neu.kfl", "#STR|KFL|1|2\r\n#PAR|0|||1\r\n" +
                             std::string(BoutList::k_max_file_bytes_read, 'x') + "\r\n");
    EXPECT_EQ(access.kampf_laden(fields), ListOutcome::failed);
    ASSERT_EQ(messages.size(), 1u);
    // Exact sizes: a rounded one would contradict itself ("4 MB; höchstens 4 MB").
    EXPECT_NE(messages[0].find("zu groß (4.613.762 Bytes; höchstens 4.613.734 Bytes)"),
              std::string::npos)
        << messages[0];
    messages.clear();
    dir.write("neu.kfl", "#STR|KLF|1|2\r\n#PAR|0|||1\r\n#DAT|-60|A|JC|B|TV|||\r\n");
    EXPECT_EQ(access.kampf_laden(fields), ListOutcome::failed);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("W Die Kampfliste", 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find("ist beschädigt"), std::string::npos) << messages[0];
}

// A list just below the read limit: the result that would take it past the limit is not
// written (the list would no longer load); it stays due, and the list still loads.
TEST_F(BoutAccessTest, NoResultMakesTheListUnreadable) {
    const std::string head = "#STR|KFL|1|2\r\n#PAR|0|||3\r\n#DAT|-60|A|JC|B|TV|||\r\n";
    const std::string last = "#DAT|-66|C|JC|D|TV|||\r\n";
    std::string filler = "#DAT|-73|";
    const std::size_t room = BoutList::k_max_file_bytes_read - 6 - head.size() - last.size();
    filler += std::string(room - filler.size() - 9, 'x') + "||F||||\r\n";
    ASSERT_EQ(head.size() + filler.size() + last.size(), BoutList::k_max_file_bytes_read - 6);
    dir.write("neu.kfl", head + filler + last);
    ASSERT_EQ(access.kampf_laden(fields), ListOutcome::done);
    const BoutResult result{"", "-60", "10", "1:00", " ", 1, true};
    EXPECT_EQ(access.anzeige_in_liste(result), ListOutcome::failed);
    EXPECT_TRUE(access.list_result_due);
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find("könnte nicht mehr gelesen werden"), std::string::npos)
        << messages.back();
    EXPECT_EQ(access.kampf_laden(fields), ListOutcome::done);
}

TEST_F(BoutAccessTest, ResultGoesIntoTheLoadedRowOnce) {
    write_list(two_bouts());
    ASSERT_EQ(access.kampf_laden(fields), ListOutcome::done);
    ASSERT_EQ(fields.edtLPOS, "2");
    const BoutResult result{"", "-66", "10", "3:12", " ", 2, true};
    EXPECT_EQ(access.anzeige_in_liste(result), ListOutcome::done);
    const BoutList back = read_list();
    EXPECT_EQ(back.rows[2][5], "1:0");
    EXPECT_EQ(back.rows[2][6], "10:0");
    EXPECT_EQ(back.rows[2][7], "3:12");
    access.list_result_due = false;
    EXPECT_EQ(access.anzeige_in_liste(result), ListOutcome::nothing);
    EXPECT_TRUE(messages.empty());
    // Due again, but its row is decided and no row is open: the operator gets the result.
    const BoutResult white{"", "", "07", "4:00", " ", 2, false};
    access.list_result_due = true;
    EXPECT_EQ(access.anzeige_in_liste(white), ListOutcome::nothing);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("0:1, 0:07, 4:00"), std::string::npos) << messages[0];
}

TEST_F(BoutAccessTest, NeverWritesIntoAnotherBoutsRow) {
    BoutList list = two_bouts();
    list.rows.resize(4);
    list.rows[3] = {"-81", "E", "", "F", "", "", "", ""};
    write_list(list);
    ASSERT_EQ(access.kampf_laden(fields), ListOutcome::done);  // row 2
    // Meanwhile someone re-opens row 1 in the editor: the first open row is not ours.
    list.rows[1][5] = "";
    write_list(list);
    EXPECT_EQ(access.anzeige_in_liste({"", "", "05", "4:00", " ", 2, false}), ListOutcome::done);
    BoutList back = read_list();
    EXPECT_EQ(back.rows[1][5], "");
    EXPECT_EQ(back.rows[2][5], "0:1");
    EXPECT_EQ(back.rows[2][6], "0:05");
    // Our row decided meanwhile as well: nothing is written, the operator is told.
    access.list_result_due = true;
    EXPECT_EQ(access.anzeige_in_liste({"", "", "05", "4:00", " ", 2, false}), ListOutcome::nothing);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].substr(0, 2), "W ");
    back = read_list();
    EXPECT_EQ(back.rows[1][5], "");
}

// The desk saves the list while the bout runs: rows inserted above it, a row of another bout
// edited, a row appended, and once more between our reading and our renaming. The result
// goes into the bout's own row wherever it now is, and nothing the desk wrote is lost.
TEST_F(BoutAccessTest, TheResultFindsItsOwnRowInAListTheDeskChanged) {
    BoutList list = two_bouts();
    write_list(list);
    ASSERT_EQ(access.kampf_laden(fields), ListOutcome::done);  // C - D in row 2
    list.rows.insert(list.rows.begin() + 1, BoutList::Row{{"-55", "N", "", "M", "", "", "", ""}});
    list.rows[1 + 1][6] = "10:0 (Desk)";
    list.rows.push_back(BoutList::Row{{"-90", "X", "", "Y", "", "", "", ""}});
    write_list(list);
    file.before_replace = [&, once = true]() mutable {
        if (!once) return;
        once = false;
        BoutList desk = list;
        desk.rows.insert(desk.rows.begin() + 1,
                         BoutList::Row{{"-50", "P", "", "Q", "", "", "", ""}});
        write_list(desk);
    };
    const BoutResult result{"", "-66", "07", "3:00", " ", 2, false};
    EXPECT_EQ(access.anzeige_in_liste(result), ListOutcome::done);
    const BoutList back = read_list();
    ASSERT_EQ(back.row_count(), 6);
    EXPECT_EQ(back.rows[1][1], "P");
    EXPECT_EQ(back.rows[2][1], "N");
    EXPECT_EQ(back.rows[2][5], "");
    EXPECT_EQ(back.rows[3][6], "10:0 (Desk)");
    EXPECT_EQ(back.rows[4][1], "Name C");
    EXPECT_EQ(back.rows[4][5], "0:1");
    EXPECT_EQ(back.rows[5][1], "X");
    EXPECT_EQ(access.bout_row, 4);
    EXPECT_TRUE(messages.empty());
    // The desk saves its older copy over it: the next look at the list writes it again, and
    // says so in a note (the look comes unasked, during the next bout).
    std::vector<std::string> notes;
    file.set_note([&notes](const std::string& t, MessageKind) { notes.push_back(t); });
    write_list(list);
    std::vector<std::array<std::string, 5>> rows;
    ASSERT_TRUE(access.panel_rows(rows));
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("fehlte in der Kampfliste"), std::string::npos) << notes[0];
    file.set_note({});
    EXPECT_EQ(read_list().rows[3][5], "0:1");
    EXPECT_EQ(rows[2][3], "0:1");
    messages.clear();

    // The bout's own row deleted by the desk: nothing is written anywhere, the operator gets
    // the fighters and the result.
    file.before_replace = nullptr;
    ASSERT_EQ(access.kampf_laden(fields), ListOutcome::done);  // N - M in row 1
    BoutList without = read_list();
    without.rows.erase(without.rows.begin() + 1);
    write_list(without);
    EXPECT_EQ(access.anzeige_in_liste({"", "", "10", "0:30", " ", 1, true}), ListOutcome::nothing);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("N – M (1:0, 10:0, 0:30)"), std::string::npos) << messages[0];
    EXPECT_TRUE(same_content(read_list(), without));
}

// The panel's look at the list may write a dropped result again while a bout's clock runs: it
// never waits for a list the desk is saving again at that moment (a command would wait up to
// settle_ms), and the result stays due until a look finds the list whole.
TEST_F(BoutAccessTest, ALookNeverWaitsForAListBeingSaved) {
    BoutList list = two_bouts();
    list.rows[1][5] = list.rows[1][6] = list.rows[1][7] = "";
    write_list(list);
    ASSERT_EQ(access.kampf_laden(fields), ListOutcome::done);  // A - B in row 1
    ASSERT_EQ(access.anzeige_in_liste({"", "", "10", "1:00", " ", 1, true}), ListOutcome::done);
    std::vector<std::string> notes;
    file.set_note([&notes](const std::string& t, MessageKind) { notes.push_back(t); });
    write_list(list);  // the desk's older copy: the result dropped
    const std::string whole = format_bout_list(list, 20261206, 102345);
    // Just as the look writes, the desk begins to save again: half a line so far.
    file.before_replace = [&, once = true]() mutable {
        if (once) dir.write("neu.kfl", whole.substr(0, whole.size() - 5));
        once = false;
    };
    file.settle_ms = 60000;
    file.quiet_ms = 60000;
    std::vector<std::array<std::string, 5>> rows;
    const auto started = std::chrono::steady_clock::now();
    access.panel_rows(rows, true);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_TRUE(notes.empty()) << notes.front();
    EXPECT_TRUE(messages.empty()) << messages.front();
    // The desk's save ends: the next look writes the result and says so.
    file.before_replace = nullptr;
    write_list(list);
    ASSERT_TRUE(access.panel_rows(rows, true));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("fehlte in der Kampfliste"), std::string::npos) << notes[0];
    EXPECT_EQ(read_list().rows[1][5], "1:0");
    EXPECT_EQ(read_list().row_count(), list.row_count());
    file.set_note({});
}

// A UTF-8 list from another program keeps every name through its results: read back byte
// for byte but for the result cells and the save stamp.
TEST_F(BoutAccessTest, AUtf8ListKeepsEveryNameThroughItsResults) {
    const std::string head = "\xEF\xBB\xBF#STR|KFL|20261206|101010\r\n#PAR|0|||4|U18\r\n";
    const std::string rows[] = {"#DAT|-52|Łucja|Kraków|Ayşe|İzmir", "#DAT|-57|Budō|Tōkyō|Zoë|Gent",
                                "#DAT|-63|Ñora|Bilbao|Jürgen|Köln"};
    dir.write("neu.kfl",
              head + rows[0] + "||||extra\r\n" + rows[1] + "|||\r\n" + rows[2] + "|||\r\n");
    const char* results[] = {"|1:0|10:0|1:00|extra\r\n", "|0:1|0:07|2:00\r\n",
                             "|1:0|05:0|3:00\r\n"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(access.kampf_laden(fields), ListOutcome::done);
        const BoutResult result{"U18",
                                "",
                                i == 1 ? "07" : (i == 0 ? "10" : "05"),
                                std::to_string(i + 1) + ":00",
                                " ",
                                i + 1,
                                i != 1};
        ASSERT_EQ(access.anzeige_in_liste(result), ListOutcome::done) << messages.front();
    }
    EXPECT_TRUE(messages.empty());
    std::string error;
    const std::string saved = *read_whole_file(dir.path() / "neu.kfl", error);
    const std::size_t stamp_end = saved.find("\r\n");
    EXPECT_EQ(saved.substr(0, 17), head.substr(0, 17));
    EXPECT_EQ(saved.substr(stamp_end), head.substr(head.find("\r\n")) + rows[0] + results[0] +
                                           rows[1] + results[1] + rows[2] + results[2]);
}

TEST_F(BoutAccessTest, FailedSaveKeepsTheOldFile) {
    write_list(two_bouts());
    ASSERT_TRUE(file.load_from_file());
    file.list.rows[2][1] = "Łukasz";  // not in code page 1252
    file.modified = true;
    EXPECT_FALSE(file.write_to_file());
    EXPECT_TRUE(file.modified);
    EXPECT_EQ(read_list().rows[2][1], "Name C");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Łukasz"), std::string::npos);
    // A folder that cannot be written.
    file.list.rows[2][1] = "Lukas";
    file.folder = dir.path() / "missing";
    EXPECT_FALSE(file.write_to_file());
    EXPECT_TRUE(file.modified);
    EXPECT_EQ(messages.size(), 2u);
    // No temporary file is left behind.
    int count = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++count;
    }
    EXPECT_EQ(count, 1);
}

TEST(TeamScore, PointsFromTheNameFields) {
    EntryFields entry;
    entry.edtNAMEBlau = "3";
    entry.edtNAMEWeiss = "2";
    entry.edtVERNBlau = "A";
    TeamFields t = team_fields_from_entry(entry, true, true);
    EXPECT_EQ(t.edtPunkteBlau, "4");
    EXPECT_EQ(t.edtPunkteWeiss, "2");
    EXPECT_EQ(t.edtVERNBlau, "A");
    t = team_fields_from_entry(entry, false, true);
    EXPECT_EQ(t.edtPunkteBlau, "3");
    entry.edtNAMEBlau = "Meier, Hans";
    entry.edtNAMEWeiss = "Li";
    t = team_fields_from_entry(entry, true, false);
    EXPECT_EQ(t.edtPunkteBlau, "0");
    EXPECT_EQ(t.edtPunkteWeiss, "1");
    t.edtPunkteBlau = "5 Punkte";
    team_fields_to_entry(t, entry);
    EXPECT_EQ(entry.edtNAMEBlau, "5 Punkte");
    EXPECT_EQ(team_fields_from_entry(entry, false, false).edtPunkteBlau, "5");
}

// Found by fuzzing: a byte order mark before code page 1252 text is dropped, and the text
// still reads as code page 1252; valid UTF-8 with the mark reads as UTF-8.
TEST(BoutListFile, AByteOrderMarkDoesNotDecideTheEncodingAlone) {
    BoutList list;
    ASSERT_TRUE(parse_bout_list(
        "\xEF\xBB\xBF#STR|KFL|1|1\r\n#PAR|0|||2\r\n#DAT|-60|Wei\xDF|V|Kr\xFCger|V|||\r\n", list));
    EXPECT_EQ(list.rows[1][1], "Weiß");
    EXPECT_EQ(list.rows[1][3], "Krüger");
    ASSERT_TRUE(parse_bout_list(
        "\xEF\xBB\xBF#STR|KFL|1|1\r\n#PAR|0|||2\r\n#DAT|-60|Wei\xC3\x9F|||||\r\n", list));
    EXPECT_EQ(list.rows[1][1], "Weiß");
}

// The age class rides as an optional sixth field of "#PAR": kept on save, absent when empty.
TEST(BoutListFile, AgeClassIsAnOptionalSixthField) {
    BoutList list;
    ASSERT_TRUE(
        parse_bout_list("#STR|KFL|1|1\r\n#PAR|0|||2|U18 m\xE4nnlich\r\n#DAT|-66|||||||\r\n", list));
    EXPECT_EQ(list.age_class, "U18 männlich");
    EXPECT_NE(format_bout_list(list, 1, 1).find("#PAR|0|||2|U18 m\xE4nnlich\r\n"),
              std::string::npos);
    ASSERT_TRUE(parse_bout_list("#STR|KFL|1|1\r\n#PAR|0|||2\r\n#DAT|-66|||||||\r\n", list));
    EXPECT_EQ(list.age_class, "");
    EXPECT_NE(format_bout_list(list, 1, 1).find("#PAR|0|||2\r\n"), std::string::npos);
}

TEST(BoutListFile, LongCellsAndEveryCharacterSurviveTheOnePassWriter) {
    // Cells far longer than the writer's first guess of a row, characters of one, two and
    // three UTF-8 bytes, and one that the file cannot hold.
    BoutList list;
    list.rows.resize(4);
    const std::string long_name = std::string(5000, 'a') + "äöüß€";
    list.rows[1] = {{"-73", long_name, "JC Süd", "Weiß, Hans", "", "1:0", "", "2:00"}, {}};
    list.rows[2] = {{"-81", "Šimek, Ťoma", "Œuvre „Club“", "", "", "", "", ""}, "|x|y"};
    list.rows[3] = {{"-90", "Łukasz", "", "", "", "", "", ""}, {}};
    list.team1 = "Süd";
    const std::string bytes = format_bout_list(list, 20261207, 101010);
    int bad = 0;
    utf8_to_cp1252(long_name, &bad);
    EXPECT_EQ(bad, 0);
    EXPECT_NE(bytes.find(utf8_to_cp1252(long_name)), std::string::npos);
    EXPECT_NE(bytes.find("\r\n#DAT|-90|?ukasz|"), std::string::npos);  // "Ł" has no byte
    BoutList back;
    ASSERT_TRUE(parse_bout_list(bytes, back));
    ASSERT_EQ(back.row_count(), 4);
    EXPECT_EQ(back.rows[1][1], long_name);
    EXPECT_EQ(back.rows[2][1], "Šimek, ?oma");  // "Ť" has none either
    EXPECT_EQ(back.rows[2][2], "Œuvre „Club“");
    EXPECT_EQ(back.rows[2].tail, "|x|y");
    EXPECT_EQ(back.team1, "Süd");
    // Every byte of code page 1252 decodes and encodes back to itself.
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(utf8_to_cp1252(cp1252_to_utf8(all)), all);
}

// Two open rows with the same fighters (the desk copied a row): the remembered row is taken
// when it still holds the bout; otherwise which one is the bout cannot be told, and nothing
// is guessed. Blanks around a cell, which the editor drops, do not hide the bout.
TEST(BoutRowSearch, TwoIdenticalOpenRowsAreNeverGuessed) {
    BoutList list;
    list.rows.resize(5);
    list.rows[1] = {"-60", "A", "V", "B", "W", "", "", ""};
    list.rows[2] = {"-66", "C", "V", "D", "W", "", "", ""};
    list.rows[3] = {"-60", "A", "V", "B", "W", "", "", ""};
    list.rows[4] = {"-73", "E ", "V", " F", "W", "", "", ""};
    const BoutCells bout{"-60", "A", "V", "B", "W"};
    EXPECT_EQ(find_bout_row(list, bout, 3), 3);
    EXPECT_EQ(find_bout_row(list, bout, 1), 1);
    EXPECT_EQ(find_bout_row(list, bout, 2), 0);
    EXPECT_EQ(find_bout_row(list, bout, 0), 0);
    list.rows[1][5] = "1:0";  // one of them has its result: the other is the bout
    EXPECT_EQ(find_bout_row(list, bout, 0), 3);
    EXPECT_EQ(find_bout_row(list, BoutCells{"-73", "E", "V", "F", "W"}, 0), 4);
}

// The editor's save over a list the desk changed: the operator's changed, deleted and new
// rows go onto the file as it is now; the desk's new and changed rows stay; a cell both
// changed is a conflict that keeps the desk's value until the operator chooses.
TEST(ListMerge, TheOperatorsEditsGoOntoTheDesksList) {
    const auto row = [](const char* w, const char* a, const char* b, const char* club = "V") {
        return BoutList::Row{{w, a, club, b, "V", "", "", ""}, {}};
    };
    BoutList base;
    base.rows = {bout_list_header(), row("-60", "A", "B"), row("-66", "C", "D"),
                 row("-73", "E", "F")};
    BoutList mine = base;
    mine.rows[1][1] = "Anna";
    mine.rows[3][2] = "Mine";
    mine.rows.erase(mine.rows.begin() + 2);     // C - D deleted
    mine.rows.push_back(row("-81", "G", "H"));  // new after E - F
    BoutList theirs = base;
    theirs.rows[3][2] = "Desk";
    theirs.rows[3][5] = "1:0";
    theirs.rows.insert(theirs.rows.begin() + 1, row("-55", "X", "Y"));
    theirs.rows.push_back(row("-90", "P", "Q"));
    const ListMerge merged = merge_bout_lists(base, mine, theirs);
    std::vector<std::string> names;
    for (std::size_t r = 1; r < merged.list.rows.size(); ++r)
        names.push_back(merged.list.rows[r][1]);
    EXPECT_EQ(names, (std::vector<std::string>{"X", "Anna", "E", "G", "P"}));
    EXPECT_EQ(merged.list.rows[3][5], "1:0");
    ASSERT_EQ(merged.conflicts.size(), 1u);
    EXPECT_EQ(merged.conflicts[0].row, 3);
    EXPECT_EQ(merged.conflicts[0].column, 2);
    EXPECT_EQ(merged.conflicts[0].mine, "Mine");
    EXPECT_EQ(merged.list.rows[3][2], "Desk");
    EXPECT_EQ(merged.own_edits.size(), 4u);
    EXPECT_EQ(merged.desk_changes,
              (std::vector<std::string>{"Zeile 4 geändert: -73 E – F", "neu: Zeile 1: -55 X – Y",
                                        "neu: Zeile 5: -90 P – Q"}));
    // Nothing changed on either side: the list as it is.
    EXPECT_EQ(merge_bout_lists(base, base, base).list.rows.size(), base.rows.size());
    // A row the operator deleted while the mat wrote its result into it stays, with its
    // result: the operator is told, the result is never lost.
    BoutList fought = base;
    fought.rows[2][5] = "0:1";
    fought.rows[2][6] = "0:10";
    BoutList without = base;
    without.rows.erase(without.rows.begin() + 2);
    const ListMerge kept = merge_bout_lists(base, without, fought);
    ASSERT_EQ(kept.list.rows.size(), base.rows.size());
    EXPECT_EQ(kept.list.rows[2][1], "C");
    EXPECT_EQ(kept.list.rows[2][5], "0:1");
    ASSERT_EQ(kept.own_edits.size(), 1u);
    EXPECT_NE(kept.own_edits[0].find("bleibt"), std::string::npos) << kept.own_edits[0];
}

// A result that would push a list past the size the program itself reads is not written: the
// list stays readable, the result stays due, and the operator is told.
TEST_F(BoutAccessTest, AResultNeverMakesTheListUnreadable) {
    const std::size_t limit = BoutList::k_max_file_bytes_read;
    const std::string open_row = "#DAT|-66|X|V|Y|V|||\r\n";
    const std::string closed_tail = "|V|B|V|1:0|10:0|1:00\r\n";
    const int closed = 4000;
    std::string head =
        "#STR|KFL|20261206|102345\r\n#PAR|0|||" + std::to_string(closed + 2) + "\r\n";
    // Closed bouts with long names, the last one filled up to 5 bytes below the limit.
    const std::size_t each = (limit - head.size() - open_row.size()) / closed;
    std::string text = head;
    for (int i = 0; i < closed; ++i) {
        std::string row = "#DAT|-60|";
        const std::size_t fill = i + 1 < closed ? each - row.size() - closed_tail.size()
                                                : limit - 5 - text.size() - open_row.size() -
                                                      row.size() - closed_tail.size();
        text += row + std::string(fill, 'n') + closed_tail;
    }
    text += open_row;
    ASSERT_EQ(text.size(), limit - 5);
    dir.write("neu.kfl", text);
    ASSERT_EQ(access.kampf_laden(fields), ListOutcome::done);
    ASSERT_EQ(fields.edtNAMEBlau, "X");
    const BoutResult result{"", "-66", "10", "1:00", " ", closed + 1, true};
    EXPECT_EQ(access.anzeige_in_liste(result), ListOutcome::failed);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("könnte nicht mehr gelesen werden"), std::string::npos)
        << messages[0];
    std::string error;
    EXPECT_EQ(*read_whole_file(dir.path() / "neu.kfl", error), text);
}

// The list shared with the desk, as a day goes: the desk adds, inserts, corrects and deletes
// bouts and saves by rename or in place, line by line, between the mat's steps and in the
// middle of them; the mat takes bouts and writes their results. Whatever the order: every
// result is in its own bout's row, no row the desk wrote is ever lost, and the call-up never
// names the bout on the board.
TEST_F(BoutAccessTest, TheSharedListKeepsEveryRowAndEveryResult) {
    file.quiet_ms = 60'000;  // a list whose head states other rows stays unwritten here
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const auto pick = [&](int n) {
            return static_cast<int>(random() % static_cast<unsigned>(n));
        };
        int next_id = 1;
        const auto bout = [&] {
            const std::string id = std::to_string(next_id++);
            return BoutList::Row{"-" + id, "B" + id, "C" + id, "W" + id, "V" + id, "", "", ""};
        };
        BoutList desk;
        desk.rows.assign(1, bout_list_header());
        for (int i = 0; i < 4; ++i) desk.rows.push_back(bout());
        std::string half_rest;  // what the desk has still to write of a save in place
        const auto save = [&](bool in_pieces) {
            const std::string whole = format_bout_list(desk, 20261209, 120000);
            if (!in_pieces) {
                dir.write("neu.kfl.desk", whole);
                std::filesystem::rename(dir.path() / "neu.kfl.desk", dir.path() / "neu.kfl");
                return;
            }
            // Cut after a whole line: the head and some rows are there, the rest to come.
            std::vector<std::size_t> ends;
            for (std::size_t at = whole.find('\n'); at != std::string::npos;
                 at = whole.find('\n', at + 1))
                ends.push_back(at + 1);
            const std::size_t cut =
                ends[static_cast<std::size_t>(pick(static_cast<int>(ends.size()) - 1))];
            dir.write("neu.kfl", whole.substr(0, cut));
            half_rest = whole.substr(cut);
        };
        const auto finish_save = [&] {
            if (half_rest.empty()) return;
            std::ofstream(dir.path() / "neu.kfl", std::ios::binary | std::ios::app) << half_rest;
            half_rest.clear();
        };
        save(false);
        std::map<std::string, std::string> results;  // a bout's blue name: the result it got
        std::string on_board;                        // the blue name of the bout on the board
        bool due = false;
        for (int step = 0; step < 40; ++step) {
            if (half_rest.empty() && pick(2) == 0) {
                // The desk reads the list as it is now and changes it.
                BoutList now;
                std::string error;
                ASSERT_TRUE(parse_bout_list(*read_whole_file(dir.path() / "neu.kfl", error), now));
                desk = now;
                const int rows = desk.row_count();
                switch (pick(4)) {
                    case 0:
                        desk.rows.push_back(bout());
                        break;
                    case 1:
                        desk.rows.insert(desk.rows.begin() + 1 + pick(rows), bout());
                        break;
                    case 2:
                        if (rows > 1)
                            desk.rows[static_cast<std::size_t>(1 + pick(rows - 1))][2] += "x";
                        break;
                    default:
                        // Only an open bout that is not on the board is ever deleted.
                        for (int r = 1; r < rows; ++r) {
                            auto& row = desk.rows[static_cast<std::size_t>(r)];
                            if (row[5].empty() && row[1] != on_board) {
                                desk.rows.erase(desk.rows.begin() + r);
                                break;
                            }
                        }
                        break;
                }
                save(pick(2) == 0);
                continue;
            }
            // The mat: the result due is written, then the next bout is taken.
            const bool caught_half = !half_rest.empty();
            if (due) {
                const BoutResult result{"", "-", "10", "1:00", " ", access.bout_row, true};
                const ListOutcome written = access.anzeige_in_liste(result);
                if (caught_half) {
                    EXPECT_EQ(written, ListOutcome::failed) << "over a half list";
                }
                if (written == ListOutcome::done) results[on_board] = "1:0";
                if (written != ListOutcome::failed) due = false;
            }
            if (!due) {
                const ListOutcome taken = access.kampf_laden(fields);
                if (caught_half) {
                    EXPECT_EQ(taken, ListOutcome::failed) << "a half list taken";
                }
                due = taken == ListOutcome::done;
                on_board = due ? fields.edtNAMEBlau : "";
            }
            finish_save();
            // What the file holds now.
            BoutList now;
            std::string error;
            ASSERT_TRUE(parse_bout_list(*read_whole_file(dir.path() / "neu.kfl", error), now));
            for (std::size_t r = 1; r < desk.rows.size(); ++r) {
                const std::string& name = desk.rows[r][1];
                const auto found =
                    std::find_if(now.rows.begin() + 1, now.rows.end(),
                                 [&](const BoutList::Row& row) { return row[1] == name; });
                ASSERT_NE(found, now.rows.end()) << name << " lost";
            }
            for (std::size_t r = 1; r < now.rows.size(); ++r) {
                const auto& row = now.rows[r];
                const auto it = results.find(row[1]);
                EXPECT_EQ(row[5], it == results.end() ? "" : it->second) << row[1] << "'s result";
            }
            if (due) {
                for (const CalledBout& b : call_up_of(now, access.board_row_in(now), 3).next)
                    EXPECT_NE(b.blue_name, on_board) << "the bout on the board called as next";
            }
        }
    }
}
