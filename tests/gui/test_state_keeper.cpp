// The state keeper with the real program: what it keeps of a bout, what the next start makes
// of it, and what it says when the file cannot be written.
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "app/state_keeper.h"
#include "data/core/file_io.h"
#include "dialogs/bout_entry_dialog.h"
#include "display/scoreboard_window.h"
#include "gui/program_rig.h"

using namespace kyomat;

namespace {

std::string file_text(const std::filesystem::path& file) {
    std::string error;
    return read_whole_file(file, error).value_or("");
}

const char* const k_ini = "[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\ngewk=x\r\n";

struct Rig : testing::ProgramRig<> {
    explicit Rig(const std::string& list = {}) : ProgramRig(k_ini, list) {
        host.on_result_handed_on([this] { keeper.keep_now(); });
    }
    void key(std::uint16_t k, bool ctrl = false) {
        program.scoreboard.handle_key(k, Modifiers{false, ctrl, false});
        keeper.board_changed();
    }
    // A bout typed into the entry dialog: names only, no weight class.
    void hand_bout() {
        key('K', true);
        program.entry.field("edtGEWK")->clear();
        program.entry.field("edtNAMEBlau")->setText("Meier, Hans");
        program.entry.field("edtNAMEWeiss")->setText("Li, Wei");
        program.entry.findChild<QPushButton*>("btnSave")->click();
        keeper.board_changed();
    }
    std::filesystem::path state_file() const { return dir.path() / "kampfstand.txt"; }

    std::vector<std::string> notes;
    StateKeeper keeper{dir.path(), program.scoreboard.engine(), host.bout_list(),
                       [] { return false; },
                       [this](const std::string& text) { notes.push_back(text); }};
};

}  // namespace

class TestStateKeeper : public QObject {
    Q_OBJECT
  private slots:
    // A begun bout without a weight class is kept as any other and comes back after a crash.
    void aHandBoutWithoutWeightClassComesBack() {
        std::string kept;
        {
            Rig rig;
            rig.hand_bout();
            QCOMPARE(rig.program.scoreboard.engine().board().lblBlau_Name.text,
                     std::string("Meier, Hans"));
            rig.key('2');
            QVERIFY(rig.keeper.closing().empty());
            QVERIFY(std::filesystem::exists(rig.state_file()));
            std::string error;
            kept = *read_whole_file(rig.state_file(), error);
        }
        Rig again;
        again.dir.write("kampfstand.txt", kept);
        QVERIFY(again.keeper.offer().find("Meier, Hans – Li, Wei") != std::string::npos);
        QCOMPARE(again.keeper.offered_bout(), std::string("Meier, Hans – Li, Wei"));
        bool list_mode = true;
        QVERIFY(again.keeper.restore(list_mode));
        QVERIFY(!list_mode);
        QCOMPARE(again.program.scoreboard.engine().board().lbl_W_b.text, std::string("1"));
    }

    // A write that fails is told once, in a note, until a write succeeds again; a failed last
    // write at a normal close is told too.
    void aFailedWriteIsToldOnceUntilOneSucceeds() {
        Rig rig;
        rig.hand_bout();
        const auto break_the_file = [&] {
            rig.keeper.keep_now();  // no write of the keeper's own in flight
            std::filesystem::remove_all(rig.state_file());
            std::filesystem::create_directory(rig.state_file());
        };
        break_the_file();
        for (std::uint16_t k : {'2', '3', '4', '8'}) {
            rig.key(k);
            rig.keeper.keep_now();
        }
        QCOMPARE(rig.notes.size(), std::size_t{1});
        QVERIFY(rig.notes[0].rfind("Nach einem Absturz kann der Kampf nicht", 0) == 0);
        std::filesystem::remove_all(rig.state_file());
        rig.key('9');
        rig.keeper.keep_now();
        rig.key('0');
        rig.keeper.keep_now();
        QCOMPARE(rig.notes.size(), std::size_t{1});
        break_the_file();
        rig.key('3');
        rig.keeper.keep_now();
        rig.key('9');
        QCOMPARE(rig.notes.size(), std::size_t{2});
        QVERIFY(!rig.keeper.closing().empty());
    }

    // The list in use survives a normal close without a bout: the next start opens it again;
    // the program's own neu.kfl, not shown, needs no reopening.
    void theListInUseSurvivesARestart() {
        std::string kept;
        {
            Rig rig;
            rig.dir.write("turnier.kfl", "#STR|KFL|1|1\r\n#PAR|0|||2\r\n#DAT|-60|A|V|B|V|||\r\n");
            rig.host.bout_list().use_list_file(rig.dir.path() / "turnier.kfl");
            QVERIFY(rig.keeper.closing().empty());
            std::string error;
            kept = *read_whole_file(rig.state_file(), error);
        }
        Rig again;
        again.dir.write("kampfstand.txt", kept);
        QVERIFY(again.keeper.offer().empty());
        const auto last = again.keeper.last_list();
        QVERIFY(last.has_value());
        QCOMPARE(last->file.filename().string(), std::string("turnier.kfl"));
        Rig plain;
        QVERIFY(plain.keeper.closing().empty());
        QVERIFY(plain.keeper.offer().empty());
        QVERIFY(!plain.keeper.last_list().has_value());
    }

    // The program's folder moved (a stick under another path) with an old copy of the list
    // still at the old path: the bout is offered, and its result goes into the list beside
    // the program now, never into the old copy; a list missing at the start keeps the result
    // waiting on the board.
    void aRestoredBoutFollowsItsMovedList() {
        const std::string list =
            "#STR|KFL|1|1\r\n#PAR|0|||3\r\n#DAT|-60|A1|V|B1|V|||\r\n#DAT|-66|A2|V|B2|V|||\r\n";
        Rig old_place;
        old_place.dir.write("turnier.kfl", list);
        old_place.host.bout_list().use_list_file(old_place.dir.path() / "turnier.kfl");
        old_place.key('N', true);
        old_place.key('1');
        QVERIFY(old_place.keeper.closing().empty());
        std::string error;
        const std::string kept = *read_whole_file(old_place.state_file(), error);
        for (const bool list_there : {true, false}) {
            Rig moved;
            moved.dir.write("kampfstand.txt", kept);
            if (list_there) moved.dir.write("turnier.kfl", list);
            QVERIFY(!moved.keeper.offer().empty());
            bool list_mode = false;
            QVERIFY(moved.keeper.restore(list_mode));
            QCOMPARE(moved.program.scoreboard.engine().board().lblBlau_Name.text,
                     std::string("A1"));
            moved.key('N', true);
            if (list_there) {
                QVERIFY(file_text(moved.dir.path() / "turnier.kfl").find("|A1|V|B1|V|1:0|") !=
                        std::string::npos);
            } else {
                QVERIFY(moved.program.scoreboard.engine().board().lbl_Sieger_Blau.visible);
                QVERIFY(moved.host.bout_list().access.list_result_due);
            }
        }
        QCOMPARE(file_text(old_place.dir.path() / "turnier.kfl"), list);
    }

    // The result handed on is in the state file before the next moment: a crash right after
    // it never offers the bout back.
    void aHandedOnBoutIsNeverOfferedBack() {
        Rig rig("#STR|KFL|1|1\r\n#PAR|0|||3\r\n#DAT|-60|A1|V|B1|V|||\r\n#DAT|-66|A2|V|B2|V|||\r\n");
        rig.key('N', true);
        QCOMPARE(rig.program.scoreboard.engine().board().lblBlau_Name.text, std::string("A1"));
        rig.key('1');
        rig.keeper.keep_now();
        QVERIFY(file_text(rig.state_file()).find("\noffen=1\n") != std::string::npos);
        rig.program.scoreboard.handle_key('N', Modifiers{false, true, false});
        // No board_changed since: only the hand-on itself wrote the state.
        std::string error;
        const std::string text = *read_whole_file(rig.state_file(), error);
        QVERIFY2(text.find("\noffen=0\n") != std::string::npos, text.c_str());
        // The last bout handed on: the empty board that says so is no bout to ask about.
        QCOMPARE(rig.program.scoreboard.engine().board().lblBlau_Name.text, std::string("A2"));
        rig.key('1');
        rig.key('N', true);
        rig.keeper.keep_now();
        QVERIFY(rig.keeper.offer().empty());
        const std::string after = *read_whole_file(rig.state_file(), error);
        QVERIFY2(after.find("\noffen=0\n") != std::string::npos, after.c_str());
    }
};

QTEST_MAIN(TestStateKeeper)
#include "test_state_keeper.moc"
