// Saving a bout list survives a killed process and a full disk: the file always holds the
// old or the new list, whole.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <random>

#include "data/core/bout_access.h"
#include "data/core/file_io.h"
#include "temp_folder.h"

using namespace kyomat;

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
    // Left-over temporary files of killed writers do not disturb anything.
    BoutListFile file(dir.path(), nullptr);
    file.list = new_list;
    EXPECT_TRUE(file.write_to_file());
}

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
        BoutListFile file(dir.path(), [&](const std::string& t, char) { messages.push_back(t); });
        file.list = make_list(500, "neu");
        file.modified = true;
        const bool saved = file.write_to_file();
        // Exit code: 0 when the save failed as it should, was reported and kept the flag.
        _exit(!saved && messages.size() == 1 && file.modified && file.list.row_count() == 501 ? 0
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
