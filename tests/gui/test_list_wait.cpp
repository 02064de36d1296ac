// The board and a list that the tournament desk saves slowly, in pieces: Ctrl+N waits for the
// save on a timer, never in a sleep, so the event loop (the clock, the gong) runs on; the
// keys typed behind it wait their turn; the result goes into the list the desk finished.
#include <QtTest>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "gui/program_rig.h"

using namespace kyomat;

namespace {

const char* const k_list =
    "#STR|KFL|1|2\r\n#PAR|0|||3|Männer\r\n"
    "#DAT|-81|Meier, Hans|JC Nord|Li, Wei|TSV Sued|||\r\n"
    "#DAT|-81|Berg, Ole|JC Ost|Kurz, Karl|JC West|||\r\n";

// The desk's save: the file emptied, then written in pieces with pauses.
void save_slowly(const std::filesystem::path& file, const std::string& text, int pieces,
                 int pause_ms) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    const std::size_t step = text.size() / static_cast<std::size_t>(pieces) + 1;
    for (std::size_t at = 0; at < text.size(); at += step) {
        out << text.substr(at, step);
        out.flush();
        std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms));
    }
}

}  // namespace

class TestListWait : public QObject {
    Q_OBJECT

  private slots:
    void theNextBoutWaitsForTheDesksSaveWithoutStoppingTheBoard() {
        testing::ProgramRig<> rig("[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\ngewk=x\r\n",
                                  k_list);
        Program& program = rig.program;
        program.scoreboard.show();
        const Board& board = program.scoreboard.engine().board();
        program.scoreboard.handle_key('N', Modifiers{false, true, false});
        QCOMPARE(board.lblBlau_Name.text, std::string("Meier, Hans"));
        program.scoreboard.handle_key('1', {});  // Ippon: the bout is decided

        // The desk saves the list three times in a row, slowly, a bout appended each time to
        // the list as it reads it then.
        const std::filesystem::path file = rig.dir.path() / "neu.kfl";
        std::atomic<bool> saving{true};
        std::thread desk([&] {
            for (int round = 1; round <= 3; ++round) {
                std::ifstream in(file, std::ios::binary);
                std::string text((std::istreambuf_iterator<char>(in)), {});
                in.close();
                text.replace(text.find("#PAR|0|||") + 9, 1, std::to_string(3 + round));
                text += "#DAT|-90|Neu " + std::to_string(round) + "|JC|Alt|JC|||\r\n";
                save_slowly(file, text, 6, 150);
            }
            saving = false;
        });
        // The loop must turn: a timer every 20 ms notes its longest gap.
        QElapsedTimer since;
        since.start();
        qint64 last = 0, longest = 0;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            longest = std::max(longest, since.elapsed() - last);
            last = since.elapsed();
        });
        probe.start(20);
        QTest::qWait(200);  // inside the first save
        // Ctrl+N from a remote: what names its device encloses its acting, when it acts.
        std::vector<bool> around;
        QVERIFY(program.scoreboard.remote_key('N', Modifiers{false, true, false},
                                              [&](bool on) { around.push_back(on); }));
        QVERIFY(around.empty());
        program.scoreboard.handle_key(vk::space, {});
        // Held: the old bout stays until the list is whole.
        QCOMPARE(board.lblBlau_Name.text, std::string("Meier, Hans"));
        QTRY_VERIFY_WITH_TIMEOUT(board.lblBlau_Name.text == "Berg, Ole", 8000);
        QCOMPARE(around, (std::vector<bool>{true, false}));
        // Space came after Ctrl+N and acted after it: the new bout's clock runs.
        QVERIFY(program.scoreboard.engine().clock_timer_on());
        QTRY_VERIFY_WITH_TIMEOUT(!saving, 10000);
        desk.join();
        probe.stop();
        QVERIFY2(longest < 500, qPrintable(QString::number(longest)));
        // The result is in bout 1's row of the list the desk wrote, with the desk's bouts.
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                std::ifstream in(file, std::ios::binary);
                const std::string text((std::istreambuf_iterator<char>(in)), {});
                return text.find("Meier, Hans|JC Nord|Li, Wei|TSV Sued|1:0|") !=
                           std::string::npos &&
                       text.find("Neu 1|") != std::string::npos;
            }(),
            6000);
        program.scoreboard.close();
    }
};

QTEST_MAIN(TestListWait)
#include "test_list_wait.moc"
