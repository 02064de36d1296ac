// The hall's call-up from the real program: what the live view is told as bouts are taken
// and the desk saves the list, and the spoken call with a voice that records what it is
// asked to say.
#include <QTableWidget>
#include <QtTest>
#include <filesystem>

#include "app/hall_call.h"
#include "control/control_panel.h"
#include "display/scoreboard_window.h"
#include "gui/program_rig.h"

using namespace kyomat;

namespace {

const char* const k_list =
    "#STR|KFL|1|2\r\n#PAR|0|||4|Männer\r\n"
    "#DAT|-81|Meier, Hans|JC Nord|Li, Wei|TSV Süd|||\r\n"
    "#DAT|-81|Berg, Ole|JC Ost|Kurz, Karl|JC West|||\r\n"
    "#DAT|-90|Vogel, Jan|JC Süd|Wolf, Tim|JC Nord|||\r\n";

// Records what it is asked to say; says it has no voice when told to.
class RecordingVoice : public Voice {
  public:
    RecordingVoice(std::vector<QString>& said, bool missing) : said_(said), missing_(missing) {}
    void say(const QString& text) override {
        if (missing_) return tell_missing(QStringLiteral("keine Stimme"));
        said_.push_back(text);
    }

  private:
    std::vector<QString>& said_;
    bool missing_;
};

std::string ini(bool speak) {
    return std::string(
               "[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\ngewk=x\r\n[live]\r\nmatte=Matte 3\r\n"
               "[aufruf]\r\nsprechen=") +
           (speak ? "1" : "0") + "\r\n";
}

struct Rig : testing::ProgramRig<> {
    explicit Rig(bool speak = true, bool missing = false) : ProgramRig(ini(speak), k_list) {
        program.spoken_call.use_voice(
            [this, missing] { return std::make_unique<RecordingVoice>(said, missing); });
    }
    void key(std::uint16_t k, bool ctrl = false) {
        program.scoreboard.handle_key(k, Modifiers{false, ctrl, false});
        watch.board_changed();
    }
    const Board& board() { return program.scoreboard.engine().board(); }
    std::vector<QString> said;
    std::vector<CallUp> told;
    CallUpWatch watch{program.scoreboard.engine(), host.bout_list(), program.list_watch,
                      [this](const CallUp& c) { told.push_back(c); }};
};

std::vector<std::string> blue_names(const CallUp& call) {
    std::vector<std::string> names;
    for (const CalledBout& b : call.next) names.push_back(b.blue_name);
    return names;
}

}  // namespace

class TestHallCall : public QObject {
    Q_OBJECT
  private slots:
    // Nothing is in use before the first bout is taken; then the bouts after it, and the
    // desk's save (a new file renamed over the list) is followed without a key.
    void theCallUpFollowsTheBoutsAndTheDesk() {
        Rig rig;
        rig.watch.board_changed();
        QCOMPARE(rig.watch.call_up().list, CallUpList::none);
        rig.key('N', true);
        QCOMPARE(rig.board().lblBlau_Name.text, std::string("Meier, Hans"));
        QCOMPARE(rig.watch.call_up().list, CallUpList::open);
        QCOMPARE(blue_names(rig.watch.call_up()),
                 (std::vector<std::string>{"Berg, Ole", "Vogel, Jan"}));
        const std::filesystem::path list = rig.dir.path() / "neu.kfl";
        rig.dir.write("neu.kfl.neu", std::string(k_list).replace(
                                         std::string(k_list).find("Berg, Ole"), 9, "Adler, Max") +
                                         "#DAT|-90|Stein, Ute||Roth, Eva||||\r\n");
        std::filesystem::rename(rig.dir.path() / "neu.kfl.neu", list);
        QTRY_COMPARE_WITH_TIMEOUT(
            blue_names(rig.watch.call_up()),
            (std::vector<std::string>{"Adler, Max", "Vogel, Jan", "Stein, Ute"}), 5000);
        // A list the desk is in the middle of writing: the last bouts read stay called.
        rig.dir.write("neu.kfl", "#STR|KF");
        QTRY_COMPARE_WITH_TIMEOUT(rig.watch.call_up().list, CallUpList::unreadable, 5000);
        QCOMPARE(rig.watch.call_up().next.size(), std::size_t{3});
        rig.dir.write("neu.kfl", k_list);
        QTRY_COMPARE_WITH_TIMEOUT(rig.watch.call_up().list, CallUpList::open, 5000);
        // The bout ends and the next is taken: it is no longer called, the one after it is.
        rig.key('1');
        rig.key('N', true);
        QCOMPARE(rig.board().lblBlau_Name.text, std::string("Berg, Ole"));
        QCOMPARE(blue_names(rig.watch.call_up()), (std::vector<std::string>{"Vogel, Jan"}));
        rig.key('1');
        rig.key('N', true);
        rig.key('1');
        rig.key('N', true);
        QCOMPARE(rig.watch.call_up().list, CallUpList::done);
    }

    // The desk puts a bout in above the one on the board: the call-up still leaves out the
    // board's bout by its fighters (its row number now names the new bout) and calls the new
    // one.
    void theBoardsBoutIsLeftOutByItsCellsNotItsRow() {
        Rig rig(false);
        rig.key('N', true);
        QCOMPARE(rig.board().lblBlau_Name.text, std::string("Meier, Hans"));
        const std::string list = std::string(k_list);
        const std::size_t first = list.find("#DAT");
        rig.dir.write("neu.kfl.neu",
                      std::string(list).insert(first, "#DAT|-73|Neu, Ida|JC|Alt, Eva|TV|||\r\n"));
        std::filesystem::rename(rig.dir.path() / "neu.kfl.neu", rig.dir.path() / "neu.kfl");
        QTRY_COMPARE_WITH_TIMEOUT(blue_names(rig.watch.call_up()),
                                  (std::vector<std::string>{"Neu, Ida", "Berg, Ole", "Vogel, Jan"}),
                                  5000);
    }

    // One watch of the list tells both the panel's grid and the call-up, and a desk save
    // that keeps the size within the same second (a FAT stick's two-second stamps) counts.
    void theOneWatchTellsTheGridAndTheCallUp() {
        Rig rig(false);
        rig.key('N', true);
        ControlPanel& panel = rig.program.control_panel();
        panel.show();
        panel.anzeige_kaempfe();
        const auto* grid = panel.findChild<QTableWidget*>("grdKaempfe");
        QVERIFY(grid != nullptr && !grid->isHidden());
        QCOMPARE(grid->item(1, 1)->text(), QString("Berg, Ole"));
        const std::string list = std::string(k_list);
        rig.dir.write("neu.kfl", std::string(list).replace(list.find("Berg, Ole"), 9, "Berg, Uwe"));
        // Written in place: taken once it has stood still for a moment, at a look of the poll.
        QTRY_COMPARE_WITH_TIMEOUT(blue_names(rig.watch.call_up()),
                                  (std::vector<std::string>{"Berg, Uwe", "Vogel, Jan"}), 6000);
        QTRY_COMPARE_WITH_TIMEOUT(grid->item(1, 1)->text(), QString("Berg, Uwe"), 3000);
        panel.hide();
    }

    // The call names the mat, the bout and who gets ready; it is spoken after the key has
    // done its work, and a key right after it acts at once.
    void theNextBoutIsCalledAloud() {
        Rig rig;
        rig.key('N', true);
        QCOMPARE(rig.said.size(), std::size_t{1});
        QCOMPARE(rig.said.back(),
                 QString("Matte 3: Meier, Hans gegen Li, Wei. Bereit machen: Berg, Ole gegen "
                         "Kurz, Karl."));
        rig.key('2');
        QCOMPARE(rig.board().lbl_W_b.text, std::string("1"));
        // The setting counts at every call: off, nothing is said; a changed text is used.
        rig.dir.write("kyomat.ini", ini(false));
        rig.key('1');
        rig.key('N', true);
        QCOMPARE(rig.said.size(), std::size_t{1});
        rig.dir.write("kyomat.ini", ini(true) + "vorname_zuerst=1\r\nbereit=\r\n");
        rig.key('1');
        rig.key('N', true);
        QCOMPARE(rig.said.back(), QString("Matte 3: Jan Vogel gegen Tim Wolf."));
    }

    // Without a voice the operator is told once, in a note; the board works on.
    void aMissingVoiceIsToldOnce() {
        Rig rig(true, true);
        std::vector<std::string> notes;
        SpokenCall call(
            rig.settings, [] { return false; },
            [&notes](const std::string& text) { notes.push_back(text); },
            [&rig] { return std::make_unique<RecordingVoice>(rig.said, true); });
        CalledBout bout;
        bout.blue_name = "Meier, Hans";
        call.bout_taken(bout, nullptr);
        call.bout_taken(bout, nullptr);
        QCOMPARE(notes.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(notes[0]).contains("keine Stimme"));
        rig.key('N', true);
        QCOMPARE(rig.board().lblBlau_Name.text, std::string("Meier, Hans"));
    }

    // The call waits for the gong to end, and a newer call replaces one still waiting.
    void theCallFollowsTheGong() {
        Rig rig;
        bool sounding = true;
        SpokenCall call(
            rig.settings, [&sounding] { return sounding; }, {},
            [&rig] { return std::make_unique<RecordingVoice>(rig.said, false); });
        CalledBout first, second;
        first.blue_name = "Meier, Hans";
        second.blue_name = "Berg, Ole";
        call.bout_taken(first, nullptr);
        call.bout_taken(second, nullptr);
        QTest::qWait(150);
        QVERIFY(rig.said.empty());
        sounding = false;
        QTRY_COMPARE_WITH_TIMEOUT(rig.said.size(), std::size_t{1}, 2000);
        QVERIFY(rig.said[0].contains("Berg, Ole"));
        QTest::qWait(150);
        QCOMPARE(rig.said.size(), std::size_t{1});
    }
};

QTEST_MAIN(TestHallCall)
#include "test_hall_call.moc"
