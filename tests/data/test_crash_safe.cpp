// Saving a bout list survives a killed process and a full disk: the file always holds the
// old or the new list, whole.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#if defined(_WIN32)
#include <process.h>
#endif
#include <csignal>
#include <random>
#include <thread>

#include "data/core/bout_access.h"
#include "data/core/file_io.h"
#include "data/core/state_file.h"
#include "temp_folder.h"

using namespace kyomat;
namespace fs = std::filesystem;

namespace {

BoutList make_list(int bouts, const std::string& tag) {
    BoutList list;
    list.rows.resize(static_cast<std::size_t>(bouts) + 1);
    for (int r = 1; r <= bouts; ++r) {
        list.rows[static_cast<std::size_t>(r)] = {
            tag, "Name " + std::to_string(r), "Verein", "Gegner", "Verein", "1:0", "10:0", "2:17"};
    }
    return list;
}

}  // namespace

#if !defined(_WIN32)  // processes, POSIX permissions, links, pipes and file-size limits
TEST(CrashSafeSaving, KilledWriterLeavesOldOrNewList) {
    kyomat::testing::TempFolder dir;
    const BoutList old_list = make_list(3000, "alt");
    const BoutList new_list = make_list(3000, "neu");
    {
        BoutListFile file(dir.path(), nullptr);
        file.list = old_list;
        ASSERT_TRUE(file.write_to_file());
    }
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            BoutListFile file(dir.path(), nullptr);
            for (int i = 0;; ++i) {
                file.list = (i % 2 == 0) ? new_list : old_list;
                file.write_to_file();
            }
        }
        usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(rng));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        BoutListFile file(dir.path(), nullptr);
        ASSERT_TRUE(file.load_from_file()) << "round " << round;
        ASSERT_TRUE(file.list.rows == old_list.rows || file.list.rows == new_list.rows)
            << "round " << round;
    }
    // Left-over temporary files of killed writers do not disturb anything; they are another
    // process's (a save in flight, for all a save knows) until they are old, and then the
    // next save clears them away.
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        if (entry.path().filename() != "neu.kfl") {
            std::filesystem::last_write_time(
                entry.path(),
                std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
        }
    }
    BoutListFile file(dir.path(), nullptr);
    file.list = new_list;
    EXPECT_TRUE(file.write_to_file());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}
#endif

TEST(CrashSafeSaving, LoadingClearsStaleTemporariesOfItsOwnNamingOnly) {
    kyomat::testing::TempFolder dir;
    BoutListFile file(dir.path(), nullptr);
    file.list = make_list(2, "x");
    ASSERT_TRUE(file.write_to_file());
#if defined(_WIN32)
    const long process = _getpid();
#else
    const long process = getpid();
#endif
    const std::string own = "neu.kfl.tmp" + std::to_string(process) + "-17";
    dir.write(own, "half");
    dir.write("neu.kfl.tmp123", "an older program's, just now");
    dir.write("neu.kfl.tmp99999999-3", "another program's save in flight");
    dir.write("neu.kfl.tmp", "not ours");
    dir.write("andere.kfl.tmp5", "another list's");
    dir.write("neu.kfl.tmp77-2", "a crashed save of another program, long ago");
    std::filesystem::last_write_time(
        dir.path() / "neu.kfl.tmp77-2",
        std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    ASSERT_TRUE(file.load_from_file());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / own));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "neu.kfl.tmp77-2"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "neu.kfl.tmp123"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "neu.kfl.tmp99999999-3"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "neu.kfl.tmp"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "andere.kfl.tmp5"));
}

#if !defined(_WIN32)  // processes, POSIX permissions, links, pipes and file-size limits
TEST(CrashSafeSaving, ReadOnlyListIsRefusedAndKeepsItsProtection) {
    kyomat::testing::TempFolder dir;
    std::vector<std::string> messages;
    BoutListFile file(dir.path(),
                      [&](const std::string& t, MessageKind) { messages.push_back(t); });
    file.list = make_list(2, "alt");
    ASSERT_TRUE(file.write_to_file());
    fs::permissions(dir.path() / "neu.kfl", fs::perms::owner_read | fs::perms::group_read);
    file.list = make_list(3, "neu");
    EXPECT_FALSE(file.write_to_file());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("schreibgeschützt"), std::string::npos) << messages[0];
    EXPECT_EQ(fs::status(dir.path() / "neu.kfl").permissions(),
              fs::perms::owner_read | fs::perms::group_read);
    BoutListFile again(dir.path(), nullptr);
    ASSERT_TRUE(again.load_from_file());
    EXPECT_EQ(again.list.rows[1][0], "alt");
}
#endif

#if !defined(_WIN32)  // processes, POSIX permissions, links, pipes and file-size limits
TEST(CrashSafeSaving, ALinkedListIsSavedThroughTheLinkWithItsPermissions) {
    kyomat::testing::TempFolder dir;
    fs::create_directory(dir.path() / "turnier");
    {
        BoutListFile file(dir.path() / "turnier", nullptr);
        file.list = make_list(2, "alt");
        ASSERT_TRUE(file.write_to_file());
    }
    const fs::perms shared = fs::perms::owner_read | fs::perms::owner_write |
                             fs::perms::group_read | fs::perms::group_write;
    fs::permissions(dir.path() / "turnier" / "neu.kfl", shared);
    fs::create_symlink("turnier/neu.kfl", dir.path() / "neu.kfl");
    BoutListFile file(dir.path(), nullptr);
    file.list = make_list(3, "neu");
    ASSERT_TRUE(file.write_to_file());
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.path() / "neu.kfl")));
    BoutListFile target(dir.path() / "turnier", nullptr);
    ASSERT_TRUE(target.load_from_file());
    EXPECT_EQ(target.list.rows[1][0], "neu");
    EXPECT_EQ(fs::status(dir.path() / "turnier" / "neu.kfl").permissions(), shared);
}
#endif

#if !defined(_WIN32)  // processes, POSIX permissions, links, pipes and file-size limits
TEST(HostileListFiles, AreRefusedWithTheirReasonAndNeverHang) {
    kyomat::testing::TempFolder dir;
    std::vector<std::string> messages;
    BoutListFile file(dir.path(),
                      [&](const std::string& t, MessageKind) { messages.push_back(t); });
    const fs::path list = dir.path() / "neu.kfl";
    fs::create_directory(list);
    EXPECT_FALSE(file.load_from_file());
    fs::remove(list);
    ASSERT_EQ(::mkfifo(list.c_str(), 0600), 0);
    EXPECT_FALSE(file.load_from_file());
    fs::remove(list);
    fs::create_symlink("/dev/zero", list);
    EXPECT_FALSE(file.load_from_file());
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_NE(messages[0].find("ein Ordner"), std::string::npos) << messages[0];
    EXPECT_NE(messages[1].find("eine Pipe"), std::string::npos) << messages[1];
    EXPECT_NE(messages[2].find("ein Gerät"), std::string::npos) << messages[2];
    for (const auto& m : messages) EXPECT_NE(m.find(list.string()), std::string::npos) << m;
    // Saving over a folder is refused too, and the folder stays.
    fs::remove(list);
    fs::create_directory(list);
    file.list = make_list(1, "x");
    EXPECT_FALSE(file.write_to_file());
    EXPECT_TRUE(fs::is_directory(list));
}
#endif

// A list keeps the encoding it was read in: a UTF-8 list with its byte order mark stays one.
TEST(HostileListFiles, Utf8WithAByteOrderMarkIsReadAndSavedAsUtf8) {
    kyomat::testing::TempFolder dir;
    dir.write("neu.kfl",
              "\xEF\xBB\xBF#STR|KFL|1|1\r\n#PAR|0|||2\r\n#DAT|-60|M\xC3\xBCller|V|B|V|||\r\n");
    BoutListFile file(dir.path(), nullptr);
    ASSERT_TRUE(file.load_from_file());
    EXPECT_EQ(file.list.rows[1][1], "Müller");
    ASSERT_TRUE(file.write_to_file());
    std::string error;
    const std::string saved = *read_whole_file(dir.path() / "neu.kfl", error);
    EXPECT_EQ(saved.find("\xEF\xBB\xBF#STR|KFL|"), 0u);
    EXPECT_NE(saved.find("|M\xC3\xBCller|"), std::string::npos);
}

#if !defined(_WIN32)  // processes, POSIX permissions, links, pipes and file-size limits
TEST(CrashSafeSaving, FullDiskKeepsOldFileAndUnsavedList) {
    kyomat::testing::TempFolder dir;
    {
        BoutListFile file(dir.path(), nullptr);
        file.list = make_list(5, "alt");
        ASSERT_TRUE(file.write_to_file());
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A file-size limit stands for a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{200, 200};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::vector<std::string> messages;
        BoutListFile file(dir.path(),
                          [&](const std::string& t, MessageKind) { messages.push_back(t); });
        file.list = make_list(500, "neu");
        file.modified = true;
        const bool saved = file.write_to_file();
        // Exit code: 0 when the save failed as it should, was reported with its reason and
        // kept the flag.
        _exit(!saved && messages.size() == 1 &&
                      messages[0].find("der Datenträger ist voll") != std::string::npos &&
                      file.modified && file.list.row_count() == 501
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    BoutListFile file(dir.path(), nullptr);
    ASSERT_TRUE(file.load_from_file());
    EXPECT_EQ(file.list.row_count(), 6);
    EXPECT_EQ(file.list.rows[1][0], "alt");
}
#endif

// What Windows does differently: a rename does not replace an existing file there unless
// asked to, folder names with umlauts go through the system's wide-character calls, and a
// read-only file is one with the read-only attribute. Runs on both systems.
TEST(CrashSafeSaving, AListIsSavedTwiceOverItselfInAFolderWithUmlauts) {
    kyomat::testing::TempFolder dir;
    const fs::path folder = dir.path() / fs::path(u8"Prüfung Jürgen");
    fs::create_directories(folder);
    BoutListFile file(folder, nullptr);
    file.file_name = "Übung.kfl";
    file.list = make_list(2, "-60");
    ASSERT_TRUE(file.write_to_file());
    file.list.rows[2][5] = "0:1";
    ASSERT_TRUE(file.write_to_file());
    BoutListFile again(folder, nullptr);
    again.file_name = "Übung.kfl";
    ASSERT_TRUE(again.load_from_file());
    EXPECT_EQ(again.list.rows[2][5], "0:1");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"Übung.kfl"});
    fs::permissions(folder / fs::path(u8"Übung.kfl"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    std::vector<std::string> said;
    BoutListFile guarded(folder, [&](const std::string& t, MessageKind) { said.push_back(t); });
    guarded.file_name = "Übung.kfl";
    ASSERT_TRUE(guarded.load_from_file());
    EXPECT_FALSE(guarded.write_to_file());
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("schreibgeschützt"), std::string::npos) << said[0];
    fs::permissions(folder / fs::path(u8"Übung.kfl"), fs::perms::owner_write,
                    fs::perm_options::add);
}

// The state keeper's writer saves the state while the GUI thread saves the list: each save
// finds its own temporary, and neither clears away the other's (the thread-sanitizer run
// also sees the temporaries' shared counter here).
TEST(CrashSafeSaving, TwoThreadsSavingAtOnceEachKeepTheirOwnFile) {
    kyomat::testing::TempFolder dir;
    const auto save_often = [&](const std::string& name, std::vector<std::string>& errors) {
        for (int i = 0; i < 150; ++i) {
            std::string error;
            if (!write_file_atomically(dir.path() / name, name + std::to_string(i), error))
                errors.push_back(error);
        }
    };
    std::vector<std::string> state_errors, list_errors;
    std::thread writer(save_often, "kyomat.state", std::ref(state_errors));
    save_often("liste.kfl", list_errors);
    writer.join();
    EXPECT_EQ(state_errors, std::vector<std::string>{});
    EXPECT_EQ(list_errors, std::vector<std::string>{});
    std::string error;
    EXPECT_EQ(read_whole_file(dir.path() / "kyomat.state", error, 100), "kyomat.state149");
    EXPECT_EQ(read_whole_file(dir.path() / "liste.kfl", error, 100), "liste.kfl149");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"kyomat.state", "liste.kfl"}));
}

// Names from the settings, the list and the command line are UTF-8: the path made from one
// names the same characters on every system, and gives the same text back.
TEST(Utf8Paths, NamesThatNeedTheConversionMakeTheRoundTrip) {
    const std::pair<std::string, std::u32string> names[] = {
        {"Prüfung Jürgen/Übung.kfl", U"Prüfung Jürgen/Übung.kfl"}, {"Łódź", U"Łódź"}};
    for (const auto& [utf8, characters] : names) {
        const fs::path path = kyomat::path_from_utf8(utf8);
        EXPECT_EQ(path.u32string(), characters) << utf8;
        EXPECT_EQ(kyomat::utf8_of(path), utf8);
        EXPECT_EQ(path, fs::path(std::u8string(utf8.begin(), utf8.end())));
    }
}

// The state kept for a crash: what is written is read back as it was, line ends and
// backslashes in names included, and a file cut at any byte (a power cut during a write that
// was not flushed) is refused as a whole instead of restoring half a bout.
TEST(CrashSafeState, ReadBackWholeAndNeverHalf) {
    const StateValues values{{"e.lblBlau_Name", "1|$000000|$FFFFFF|Meier\\n\\\\Hans|x"},
                             {"uhr", "-3"},
                             {"liste_datei", "Prüfung.kfl"}};
    const std::string text = format_state(values);
    const auto back = parse_state(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->at("e.lblBlau_Name"), values[0].second);
    EXPECT_EQ(state_int(*back, "uhr"), -3);
    EXPECT_EQ(back->at("liste_datei"), "Prüfung.kfl");
    for (std::size_t cut = 0; cut < text.size(); ++cut) {
        EXPECT_FALSE(parse_state(text.substr(0, cut)).has_value()) << cut;
    }
    EXPECT_FALSE(parse_state("KYOMAT Kampfstand 2\nende=1\n").has_value());
}

#if !defined(_WIN32)
// A desk save that keeps the size and, on a stick with two-second stamps, the modification
// time: the list's stamp still changes, so the grid and the call-up read it again.
TEST(FileStamp, ASameSizeSaveWithinTheStampsGrainIsSeen) {
    kyomat::testing::TempFolder dir;
    const std::filesystem::path list = dir.path() / "neu.kfl";
    dir.write("neu.kfl", "#DAT|-60|Meier|\r\n");
    const auto when = std::filesystem::last_write_time(list);
    const std::string before = file_stamp(list);
    EXPECT_EQ(file_stamp(list), before);
    std::string error;
    ASSERT_TRUE(write_file_atomically(list, "#DAT|-60|Maier|\r\n", error));
    std::filesystem::last_write_time(list, when);
    const std::string renamed = file_stamp(list);
    EXPECT_NE(renamed, before);
    dir.write("neu.kfl", "#DAT|-60|Mayer|\r\n");  // in place
    std::filesystem::last_write_time(list, when);
    EXPECT_NE(file_stamp(list), renamed);
}
#endif
