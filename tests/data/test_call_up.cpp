// Who is called next on a mat, and the words of the spoken call.
#include <gtest/gtest.h>

#include <utility>

#include "data/core/bout_access.h"
#include "data/core/call_up.h"

using namespace kyomat;

namespace {

BoutList list_of(const std::string& bytes) {
    BoutList list;
    EXPECT_TRUE(parse_bout_list(bytes, list));
    return list;
}

std::vector<int> positions(const CallUp& call) {
    std::vector<int> rows;
    for (const CalledBout& b : call.next) rows.push_back(b.position);
    return rows;
}

}  // namespace

// In the order the next-bout command takes them: done rows and rows without a bout are
// passed over, the bout on the board is not called again, and no more than asked for.
TEST(CallUp, TheOpenBoutsInTheOrderTheyAreTaken) {
    const BoutList list = list_of(
        "#STR|KFL|1|2\r\n#PAR|0|||6| Männer \r\n"
        "#DAT|-81|Meier, Hans|JC Nord|Li, Wei|TSV Süd|1:0|10:0|2:00|\r\n"
        "#DAT|-81| Berg, Ole |JC Ost|Kurz, Karl|JC West|||\r\n"
        "#DAT||||||||\r\n"
        "#DAT|-90|Vogel, Jan|JC Süd|Wolf, Tim|JC Nord|||\r\n"
        "#DAT|-90|Adler, Max||Fuchs, Tom||   ||\r\n"
        "#DAT|+100|Stein, Ute||Roth, Eva||||\r\n");
    EXPECT_EQ(positions(call_up_of(list, 0, 3)), (std::vector<int>{2, 4, 5}));
    EXPECT_EQ(positions(call_up_of(list, 2, 3)), (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(positions(call_up_of(list, 4, 2)), (std::vector<int>{2, 5}));
    const CalledBout next = call_up_of(list, 0, 1).next.front();
    EXPECT_EQ(next.blue_name, "Berg, Ole");  // blanks around a cell are no part of it
    EXPECT_EQ(next.age_class, "Männer");
    EXPECT_EQ(next.weight_class, "-81");
    EXPECT_EQ(next.white_club, "JC West");
    EXPECT_EQ(call_up_of(list, 0, 3).list, CallUpList::open);
}

// Rows a desk keeps for bouts whose fighters are not known yet are no bout to call; a row
// with one fighter known is.
TEST(CallUp, ARowWithoutANameIsNotCalled) {
    const BoutList list = list_of(
        "#STR|KFL|1|2\r\n#PAR|0|||6|Männer\r\n"
        "#DAT|-66||||||\r\n"
        "#DAT|-73| |  | ||||\r\n"
        "#DAT|-81|Name, Vorname||Name, Vorname||||\r\n"
        "#DAT|-90|Vogel, Jan||||||\r\n"
        "#DAT|-90|Adler, Max||Fuchs, Tom||||\r\n");
    EXPECT_EQ(positions(call_up_of(list, 0, 3)), (std::vector<int>{4, 5}));
}

// The desk corrected the club of the bout on the mat while its clock ran: the call-up still
// leaves that bout out (by its names), and a row the desk moved it to as well.
TEST(CallUp, TheBoardsBoutIsLeftOutWhateverTheDeskDidToItsRow) {
    BoutList list = list_of(
        "#STR|KFL|1|2\r\n#PAR|0|||4|Männer\r\n"
        "#DAT|-81|Meier, Hans|JC Nord|Li, Wei|TSV Süd|||\r\n"
        "#DAT|-81|Berg, Ole|JC Ost|Kurz, Karl|JC West|||\r\n"
        "#DAT|-90|Vogel, Jan|JC Süd|Wolf, Tim|JC Nord|||\r\n");
    BoutListFile file(".", nullptr);
    BoutListAccess access(file);
    access.bout_row = 1;
    access.bout_cells = {"-81", "Meier, Hans", "JC Nord", "Li, Wei", "TSV Süd"};
    list.rows[1][2] = "JC Nord-Ost";
    EXPECT_EQ(positions(call_up_of(list, access.board_row_in(list), 3)), (std::vector<int>{2, 3}));
    std::swap(list.rows[1], list.rows[3]);
    EXPECT_EQ(positions(call_up_of(list, access.board_row_in(list), 3)), (std::vector<int>{1, 2}));
}

TEST(CallUp, AListWithoutAnOpenBoutLeftSaysSoAndTeamsAreTheClubs) {
    const BoutList done = list_of(
        "#STR|KFL|1|2\r\n#PAR|0|||1|\r\n#DAT|-81|Meier, Hans|JC Nord|Li, Wei|TSV "
        "Süd|0:1|0:10||\r\n");
    EXPECT_EQ(call_up_of(done, 0, 3).list, CallUpList::done);
    EXPECT_TRUE(call_up_of(done, 0, 3).next.empty());
    // The only open bout is the one on the board: nothing follows it.
    const BoutList last = list_of(
        "#STR|KFL|1|2\r\n#PAR|0|||1|\r\n#DAT|-81|Meier, Hans|JC Nord|Li, Wei|TSV Süd|||\r\n");
    EXPECT_EQ(call_up_of(last, 1, 3).list, CallUpList::done);
    const BoutList teams = list_of(
        "#STR|KFL|1|2\r\n#PAR|1|JC Nord|TSV Süd|1|\r\n#DAT|-81|Meier, Hans||Li, Wei||||\r\n");
    const CalledBout b = call_up_of(teams, 0, 3).next.at(0);
    EXPECT_EQ(b.blue_club, "JC Nord");
    EXPECT_EQ(b.white_club, "TSV Süd");
}

TEST(SpokenCall, TheMatTheBoutAndWhoGetsReadyInTheSettingsWords) {
    CalledBout now, next;
    now.blue_name = "Meier, Hans";
    now.white_name = "Li, Wei";
    next.blue_name = "Berg, Ole";
    next.white_name = "Kurz,Karl";
    CallWords words;
    words.mat = "Matte 1";
    EXPECT_EQ(spoken_call(words, now, &next),
              "Matte 1: Meier, Hans gegen Li, Wei. Bereit machen: Berg, Ole gegen Kurz,Karl.");
    EXPECT_EQ(spoken_call(words, now, nullptr), "Matte 1: Meier, Hans gegen Li, Wei.");
    words.first_name_first = true;
    EXPECT_EQ(spoken_call(words, now, &next),
              "Matte 1: Hans Meier gegen Wei Li. Bereit machen: Ole Berg gegen Karl Kurz.");
    // A mat without a name: no stray colon; a text of the operator's own, a field twice.
    words.mat.clear();
    words.first_name_first = false;
    EXPECT_EQ(spoken_call(words, now, nullptr), "Meier, Hans gegen Li, Wei.");
    words.mat = "Tatami A";
    words.announce = "{blau} und {weiss} auf {matte}, bitte. {matte}!";
    words.ready = "";
    EXPECT_EQ(spoken_call(words, now, &next),
              "Meier, Hans und Li, Wei auf Tatami A, bitte. Tatami A!");
    // A name without a comma, or with nothing after it, stays as it is.
    EXPECT_EQ(spoken_name("Kato", true), "Kato");
    EXPECT_EQ(spoken_name(" Kato, ", true), "Kato");
    EXPECT_EQ(spoken_name("von Berg, Ole Jan", true), "Ole Jan von Berg");
}

// A name of a million characters and words that repeat it: the call is built from a name cut
// to what a voice says, and stays a sentence, however the settings and the list are written.
TEST(SpokenCall, HasASizeWhateverTheNamesAndWords) {
    CallWords words;
    words.mat = "Matte 1";
    words.announce = "";
    for (int i = 0; i < 300; ++i) words.announce += "{blau} ";
    CalledBout now;
    now.blue_name = std::string(1'000'000, 'x');
    now.white_name = "Li, Wei";
    const std::string call = spoken_call(words, now, nullptr);
    EXPECT_LE(call.size(), k_spoken_call_characters);
    EXPECT_EQ(call.substr(0, k_spoken_name_characters + 1),
              std::string(k_spoken_name_characters, 'x') + " ");
}
