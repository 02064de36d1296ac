// The bout protocol: whole lines that a spreadsheet opens, read back in words, and a failure
// told once per bout without stopping it.
#include <gtest/gtest.h>

#include <fstream>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <random>

#include "data/core/basis.h"
#include "data/core/file_io.h"
#include "data/core/protocol.h"
#include "temp_folder.h"

using namespace kyomat;

namespace {

std::string today_file(const std::filesystem::path& folder) {
    return (folder / BoutProtocol::file_name(local_time_text("%Y-%m-%d"))).string();
}

std::string read(const std::string& file) {
    std::string error;
    return read_whole_file(file, error).value_or("");
}

ProtocolBout bout_of(int position, const std::string& age, const std::string& weight,
                     const std::string& blue, const std::string& white) {
    ProtocolBout bout;
    bout.list_position = position;
    bout.age_class = age;
    bout.weight_class = weight;
    bout.blue = blue;
    bout.white = white;
    return bout;
}

const ProtocolBout k_bout = bout_of(3, "U18", "-66", "Meier; Hans", "Li \"Wei\"");

}  // namespace

TEST(Protocol, WritesWholeCsvLinesAndReadsThemBackInWords) {
    kyomat::testing::TempFolder dir;
    std::vector<std::string> reports;
    {
        BoutProtocol protocol(dir.path(), [&](const std::string& t) { reports.push_back(t); });
        protocol.new_bout(k_bout);
        protocol.change(k_bout, 42, "LBL_W_B", 1);
        protocol.change(k_bout, 70, "LBL_S_W", 1);
        protocol.change(k_bout, 71, "LBL_S_W", -1);
        protocol.change(k_bout, 80, "w", 47);
        protocol.change(k_bout, 90, "GELOEST_B", 12);
        protocol.change(k_bout, 94, "HALTEGRIFF_W", 5);
        const CommandSource tablet{"Tablet 1", "Uhr und Osaekomi", "10:14:02.412", 37};
        protocol.line(k_bout, ProtocolLine{95, "UHR_STOPP", std::nullopt, "2:25"}, &tablet);
        protocol.result(k_bout, "07", "1:35", "Blau");
        protocol.largest_delay(k_bout, tablet);
    }
    EXPECT_TRUE(reports.empty());
    const std::string csv = read(today_file(dir.path()));
    // UTF-8 with its mark and a header, then one line per event, fields quoted where needed.
    ASSERT_EQ(csv.rfind(std::string("\xEF\xBB\xBF") + BoutProtocol::k_header + "\r\n", 0), 0u);
    EXPECT_NE(
        csv.find(";3;U18;-66;42;LBL_W_B;+1;\"Meier; Hans\";\"Li \"\"Wei\"\"\";;;;;;;;;;;;\r\n"),
        std::string::npos)
        << csv;
    // A remote's command names the device, its role, its press and the delay.
    EXPECT_NE(csv.find(";95;UHR_STOPP;;\"Meier; Hans\";\"Li \"\"Wei\"\"\";;;;;;2:25;;;Tablet 1;"
                       "Uhr und Osaekomi;10:14:02.412;37\r\n"),
              std::string::npos)
        << csv;
    const std::string text = protocol_as_text(csv, {3});
    EXPECT_NE(text.find("Kampf 3 (U18, -66)"), std::string::npos) << text;
    EXPECT_NE(text.find(": Meier; Hans – Li \"Wei\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  0:42 Waza-ari Blau +1\n  1:10 Shido Weiß +1\n  1:11 Shido Weiß -1\n"
                        "  1:20 Shido Weiß +1\n"
                        "  1:30 Wertung bei Gelöst Blau, Sekunden +12\n"
                        "  1:34 Wertung durch Haltegriff Weiß, Sekunden +5\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Ergebnis: Sieger Blau, Wertung 07, Dauer 1:35"), std::string::npos);
    EXPECT_NE(text.find("[Tablet 1, Uhr und Osaekomi, 37 ms]\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  Größte Verzögerung eines Geräts: 37 ms (Tablet 1)\n"), std::string::npos)
        << text;
    EXPECT_EQ(protocol_as_text(csv, {4}), "");
    // A second writer of the same day appends without a second header.
    {
        BoutProtocol again(dir.path(), nullptr);
        again.new_bout(bout_of(4, "", "", "A", "B"));
    }
    const std::string more = read(today_file(dir.path()));
    EXPECT_EQ(more.find(BoutProtocol::k_header), more.rfind(BoutProtocol::k_header));
    EXPECT_NE(protocol_as_text(more, {}).find("Kampf 4"), std::string::npos);
}

TEST(Protocol, AFailureIsToldOncePerBoutAndTheBoutGoesOn) {
    kyomat::testing::TempFolder dir;
    std::vector<std::string> reports;
    BoutProtocol protocol(dir.path() / "missing",
                          [&](const std::string& t) { reports.push_back(t); });
    protocol.new_bout(k_bout);
    for (int i = 0; i < 10; ++i) protocol.change(k_bout, i, "LBL_Y_B", 1);
    protocol.result(k_bout, "05", "4:00", "Blau");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("kann nicht geschrieben werden"), std::string::npos);
    protocol.new_bout(k_bout);
    EXPECT_EQ(reports.size(), 2u);
}

#if !defined(_WIN32)  // processes, signals, pipes and file-size limits
TEST(Protocol, AFullDiskIsToldOnceAndLeavesWholeLines) {
    kyomat::testing::TempFolder dir;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{600, RLIM_INFINITY};  // a file-size limit stands for a full disk
        setrlimit(RLIMIT_FSIZE, &limit);
        int reports = 0;
        std::string said;
        {
            BoutProtocol protocol(dir.path(), [&](const std::string& t) {
                ++reports;
                said = t;
            });
            protocol.new_bout(k_bout);
            for (int i = 0; i < 50; ++i) protocol.change(k_bout, i, "LBL_Y_B", 1);
            // Space again: the next lines go in whole, none glued onto a half one.
            rlimit none{RLIM_INFINITY, RLIM_INFINITY};
            setrlimit(RLIMIT_FSIZE, &none);
            for (int i = 50; i < 60; ++i) protocol.change(k_bout, i, "LBL_Y_B", 1);
        }
        const std::string csv = read(today_file(dir.path()));
        bool whole = csv.size() >= 2 && csv.substr(csv.size() - 2) == "\r\n";
        std::size_t pos = 0;
        while (whole && pos < csv.size()) {
            const std::size_t end = csv.find("\r\n", pos);
            const std::string line = csv.substr(pos, end - pos);
            whole = line.find("\r") == std::string::npos &&
                    std::count(line.begin(), line.end(), ';') == (pos == 0 ? 20 : 21);
            pos = end + 2;
        }
        const bool resumed = csv.find(";59;LBL_Y_B;+1;") != std::string::npos;
        _exit(reports == 1 && said.find("der Datenträger ist voll") != std::string::npos && whole &&
                      resumed
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif

#if !defined(_WIN32)  // processes, signals, pipes and file-size limits
TEST(Protocol, AKilledWriterNeverGluesLinesTogether) {
    kyomat::testing::TempFolder dir;
    std::mt19937 rng(11);
    for (int round = 0; round < 30; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            BoutProtocol protocol(dir.path(), nullptr);
            protocol.new_bout(k_bout);
            for (int i = 0;; ++i) protocol.change(k_bout, i % 300, "LBL_W_W", i % 2 ? 1 : -1);
        }
        // The writer is killed while it writes, not before it has begun: on a loaded machine
        // the child may not have run at all within the random delay.
        const std::size_t before = read(today_file(dir.path())).size();
        for (int wait = 0; wait < 5000 && read(today_file(dir.path())).size() <= before; ++wait)
            usleep(1000);
        usleep(std::uniform_int_distribution<useconds_t>(0, 5000)(rng));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
    }
    // The next run ends a line the last kill may have cut.
    BoutProtocol(dir.path(), nullptr).new_bout(k_bout);
    const std::string csv = read(today_file(dir.path()));
    ASSERT_EQ(csv.substr(csv.size() - 2), "\r\n");
    std::size_t pos = 0, lines = 0, cut = 0;
    while (pos < csv.size()) {
        const std::size_t end = csv.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos);
        const std::string line = csv.substr(pos, end - pos);
        // A kill may cut a line (a write is cut at a page of the disk cache), but no line is
        // ever glued onto another: never more than a line's separators.
        const auto separators = std::count(line.begin(), line.end(), ';');
        EXPECT_LE(separators, lines == 0 ? 20 : 21) << line;
        if (separators < (lines == 0 ? 20 : 21)) ++cut;
        pos = end + 2;
        ++lines;
    }
    EXPECT_GT(lines, 30u);
    EXPECT_LE(cut, 30u);
}

// A bout whose heading line was lost (the disk was full at its first line) is read back with
// its result, under a heading made from its own columns.
TEST(Protocol, ABoutWithoutItsHeadingIsStillShown) {
    kyomat::testing::TempFolder dir;
    BoutProtocol protocol(dir.path(), nullptr);
    protocol.new_bout(k_bout);
    protocol.change(k_bout, 1, "LBL_W_B", 1);
    const ProtocolBout next = bout_of(4, "U18", "-73", "Berg", "Kurz");
    protocol.new_bout(next);
    protocol.change(next, 7, "LBL_I_W", 1);
    protocol.result(next, "10", "0:07", "Weiß");
    std::string csv = read(today_file(dir.path()));
    const std::size_t lost = csv.find(";NEUER KAMPF;", csv.find(";4;U18;-73;") - 20);
    csv.erase(csv.rfind('\n', lost) + 1, csv.find('\n', lost) - csv.rfind('\n', lost));
    const std::string text = protocol_as_text(csv, {4});
    EXPECT_NE(text.find("Kampf 4 (U18, -73), ohne Kopfzeile im Protokoll"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Ergebnis: Sieger Weiß, Wertung 10, Dauer 0:07"), std::string::npos)
        << text;
}

// A file that ends in half a line gets its line end before the next line, and the reader
// skips the half line with a note.
TEST(Protocol, HalfALineIsEndedAndSkippedWithANote) {
    kyomat::testing::TempFolder dir;
    BoutProtocol(dir.path(), nullptr).new_bout(k_bout);
    const std::string whole = read(today_file(dir.path()));
    std::ofstream(today_file(dir.path()), std::ios::app | std::ios::binary) << "10:00:00;3;U18;-6";
    BoutProtocol protocol(dir.path(), nullptr);
    protocol.change(k_bout, 5, "LBL_W_B", 1);
    const std::string csv = read(today_file(dir.path()));
    EXPECT_EQ(csv.find(whole + "10:00:00;3;U18;-6\r\n"), 0u) << csv;
    const std::string text = protocol_as_text(csv, {3});
    EXPECT_NE(text.find("(eine unvollständige Zeile übersprungen)\n  0:05 Waza-ari"),
              std::string::npos)
        << text;
}
#endif

// Names, clubs and classes that a spreadsheet would run as formulas are written as text and
// read back as they were; a weight class such as "-66" stays a plain number.
TEST(Protocol, FormulaCellsAreWrittenAsText) {
    kyomat::testing::TempFolder dir;
    {
        BoutProtocol protocol(dir.path(), nullptr);
        protocol.new_bout(bout_of(1, "@U18", "-66", "=HYPERLINK(\"x\")", "+Wolf\tTim"));
        protocol.change(bout_of(1, "@U18", "-66", "=HYPERLINK(\"x\")", "+Wolf\tTim"), 3, "LBL_W_B",
                        1);
    }
    const std::string csv = read(today_file(dir.path()));
    EXPECT_NE(csv.find(";1;'@U18;-66;;NEUER KAMPF;;\"'=HYPERLINK(\"\"x\"\")\";'+Wolf\tTim;"),
              std::string::npos)
        << csv;
    const std::string text = protocol_as_text(csv, {1});
    EXPECT_NE(text.find("Kampf 1 (@U18, -66)"), std::string::npos) << text;
    EXPECT_NE(text.find(": =HYPERLINK(\"x\") – +Wolf\tTim\n"), std::string::npos) << text;
}

#if !defined(_WIN32)  // processes, signals, pipes and file-size limits
// A pipe in the place of the day's file: refused at once, the caller never waits on it.
TEST(Protocol, APipeInItsPlaceIsRefusedWithoutWaiting) {
    kyomat::testing::TempFolder dir;
    const std::string fifo = today_file(dir.path());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::string> reports;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(10);  // a hang would end in SIGALRM, not in a test run that never ends
        BoutProtocol protocol(dir.path(), [&](const std::string& t) { reports.push_back(t); });
        protocol.new_bout(k_bout);
        protocol.change(k_bout, 1, "LBL_Y_B", 1);
        _exit(reports.size() == 1 && reports[0].find("keine gewöhnliche Datei") != std::string::npos
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the protocol waited on the pipe";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// The day's file deleted, moved away, replaced by an editor's copy and rename, or swapped
// for a pipe between two bouts: every later line goes into the file of that name, or the
// operator is told.
TEST(Protocol, FollowsItsFileWhenItIsDeletedMovedOrReplaced) {
    kyomat::testing::TempFolder dir;
    const std::filesystem::path file = today_file(dir.path());
    std::vector<std::string> reports;
    BoutProtocol protocol(dir.path(), [&](const std::string& t) { reports.push_back(t); });
    protocol.new_bout(k_bout);
    int second = 0;
    const auto next_line_lands = [&] {
        protocol.change(k_bout, ++second, "LBL_Y_B", 1);
        const std::string csv = read(file);
        return csv.rfind("Uhrzeit;", 3) == 3 &&
               csv.find(";" + std::to_string(second) + ";LBL_Y_B;") != std::string::npos;
    };
    std::filesystem::remove(file);
    EXPECT_TRUE(next_line_lands());
    std::filesystem::rename(file, dir.path() / "stick.csv");
    EXPECT_TRUE(next_line_lands());
    std::filesystem::copy_file(file, dir.path() / "copy.csv");
    std::filesystem::rename(dir.path() / "copy.csv", file);
    EXPECT_TRUE(next_line_lands());
    EXPECT_EQ(reports.size(), 3u);
    std::filesystem::remove(file);
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    reports.clear();
    protocol.change(k_bout, 99, "LBL_Y_B", 1);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_NE(reports[1].find("keine gewöhnliche Datei"), std::string::npos) << reports[1];
}
#endif

// A bout across midnight stays in the file of the day it began, where the reader finds all
// of it; the next bout goes to the new day's file.
TEST(Protocol, ABoutAcrossMidnightStaysInTheFileOfItsDay) {
    kyomat::testing::TempFolder dir;
    std::string day = "2026-12-06";
    {
        BoutProtocol protocol(dir.path(), nullptr, [&] { return day; });
        protocol.new_bout(k_bout);
        protocol.change(k_bout, 10, "LBL_Y_B", 1);
        day = "2026-12-07";  // midnight
        protocol.change(k_bout, 20, "LBL_W_W", 1);
        protocol.result(k_bout, "07", "4:00", "Weiß");
        protocol.new_bout(bout_of(4, "", "", "A", "B"));
    }
    const std::string first = read((dir.path() / BoutProtocol::file_name("2026-12-06")).string());
    const std::string text = protocol_as_text(first, {3});
    EXPECT_NE(text.find("0:10 Yuko Blau +1\n  0:20 Waza-ari Weiß +1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Ergebnis: Sieger Weiß"), std::string::npos) << text;
    const std::string second = read((dir.path() / BoutProtocol::file_name("2026-12-07")).string());
    EXPECT_NE(protocol_as_text(second, {4}).find("Kampf 4"), std::string::npos);
    EXPECT_EQ(protocol_as_text(second, {3}), "");
}

// A restored bout whose row the desk moved: its result stands under its own heading with the
// fighters' names, and says where the row went; a bout thrown away at the restart gets an end
// line under its heading.
TEST(Protocol, ARestoredBoutStaysTogether) {
    kyomat::testing::TempFolder dir;
    ProtocolBout bout = bout_of(3, "U18", "-66", "Weiß, Lukas", "Li, Wei");
    bout.list_file = "turnier.kfl";
    bout.blue_colour = "weiß";
    bout.white_colour = "blau";
    {
        BoutProtocol protocol(dir.path(), nullptr);
        protocol.new_bout(bout);
        protocol.change(bout, 12, "LBL_W_W", 1);
        protocol.result(bout, "07", "4:00", "Weiß", 5);
        ProtocolBout other = bout_of(4, "U18", "-73", "Berg, Ole", "Kurz, Karl");
        other.list_file = "turnier.kfl";
        protocol.new_bout(other);
        protocol.discarded(other);
    }
    const std::string text = protocol_as_text(read(today_file(dir.path())), ProtocolQuery{});
    EXPECT_EQ(text.find("ohne Kopfzeile"), std::string::npos) << text;
    EXPECT_NE(text.find("Ergebnis: Sieger blau (Li, Wei)"), std::string::npos) << text;
    EXPECT_NE(text.find("(in der Liste jetzt Zeile 5)"), std::string::npos) << text;
    EXPECT_NE(text.find("Kampf nach einem Neustart verworfen"), std::string::npos) << text;
}
