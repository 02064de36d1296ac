// A whole bout from the bout list, run only by clicks on the control panel, with the real
// scoreboard, bout entry component and list file.
#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "app/program.h"
#include "control/control_panel.h"
#include "data/core/basis.h"
#include "data/core/file_io.h"
#include "data/core/protocol.h"
#include "dialogs/bout_entry_dialog.h"
#include "dialogs/bout_list_editor.h"
#include "display/scoreboard_window.h"
#include "display/text_screen.h"
#include "gui/program_rig.h"
#include "platform/message_box.h"
#include "temp_folder.h"

using namespace kyomat;

namespace {

// The program's host with a tick count the test moves.
class DrivenHost : public AppHost {
  public:
    using AppHost::AppHost;
    std::uint32_t tick = 5000000;
    std::uint32_t tick_count() override { return tick; }
};

const char* const k_five_bouts =
    "#STR|KFL|1|1\r\n#PAR|0|||6\r\n#DAT|-60|A1|V|B1|V|1:0|10:0|1:00\r\n"
    "#DAT|-60|A2|V|B2|V|0:1|0:07|4:00\r\n#DAT|-66|A3|VA3|B3|VB3|||\r\n"
    "#DAT|-66|A4|V|B4|V|||\r\n#DAT|-73|A5|V|B5|V|||\r\n";

// The real program with its panel open, as Ctrl+C leaves it.
struct Rig : testing::ProgramRig<DrivenHost> {
    explicit Rig(const std::string& ini) : ProgramRig(ini, k_five_bouts) {
        program.scoreboard.show();
        program.scoreboard.engine().internals_for_tests().state.control_panel_active = true;
        program.control_panel().show();
        program.scoreboard.clock_timer().stop();  // the test delivers the ticks
    }
    ~Rig() {
        program.control_panel().hide();
        program.scoreboard.close();
    }
    void click(const char* name) {
        QWidget* w = program.control_panel().findChild<QWidget*>(name);
        if (auto* b = qobject_cast<QPushButton*>(w)) {
            b->click();
        } else {
            QTest::mouseClick(w, Qt::LeftButton);
        }
    }
    // The list is shown by a double click on its area, the editor closed at once.
    void show_list() {
        QTest::mouseDClick(program.control_panel().findChild<QWidget*>("pnlKaempfeListe"),
                           Qt::LeftButton);
        program.entry.editor().findChild<QPushButton*>("btnCloseAnzeige")->click();
    }
    std::string list_file() {
        std::string error;
        return read_whole_file(dir.path() / "neu.kfl", error).value_or("");
    }
    const Board& board() { return program.scoreboard.engine().board(); }
};

}  // namespace

class TestPanelBout : public QObject {
    Q_OBJECT

  private slots:
    void windowsAreBuiltWhenFirstNeeded() {
        testing::ProgramRig rig("[anzeige]\r\nanz_links=0\r\ncontrol=0\r\n");
        Program& program = rig.program;
        program.show();
        QTRY_COMPARE(program.scoreboard.windowTitle(), QString("KYOMAT - Anzeigetafel"));
        // The first frame needs none of them.
        QVERIFY(!program.panel_built());
        QVERIFY(program.scoreboard.findChild<TextScreen*>() == nullptr);
        QVERIFY(!program.scoreboard.has_overlay());
        QVERIFY(program.entry.findChild<BoutListEditor*>() == nullptr);
        // Mapped once, at its place: maximised on its monitor.
        QVERIFY(program.scoreboard.isMaximized());
        // A key that mirrors the board into the panel does not build it.
        program.scoreboard.handle_key('2', Modifiers{});
        QVERIFY(!program.panel_built());
        // Each is built once, when first asked for.
        QCOMPARE(&program.scoreboard.text_screen(), &program.scoreboard.text_screen());
        QCOMPARE(program.scoreboard.findChildren<TextScreen*>().size(), 1);
        QCOMPARE(&program.control_panel(), &program.control_panel());
        QVERIFY(program.panel_built());
    }

    void wholeBoutByClicks() {
        testing::ProgramRig<DrivenHost> rig(
            "[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\n",
            "#STR|KFL|1|1\r\n#PAR|0|||6\r\n#DAT|-60|A1|V|B1|V|1:0|10:0|1:00\r\n"
            "#DAT|-60|A2|V|B2|V|0:1|0:07|4:00\r\n#DAT|-66|A3|VA3|B3|VB3|||\r\n"
            "#DAT|-66|A4|V|B4|V|||\r\n#DAT|-73|A5|V|B5|V|||\r\n");
        testing::TempFolder& dir = rig.dir;
        DrivenHost& host = rig.host;
        Program& program = rig.program;
        ScoreboardWindow& board = program.scoreboard;
        BoutEntryDialog& entry = program.entry;
        ControlPanel& panel = program.control_panel();
        board.show();
        QTRY_COMPARE(board.windowTitle(), QString("KYOMAT - Anzeigetafel"));  // shown and placed
        board.engine().internals_for_tests().state.control_panel_active =
            true;  // as Ctrl+C does before showing it
        panel.show();
        board.clock_timer().stop();  // the test delivers the ticks
        auto click = [&](const char* name) {
            if (auto* b = qobject_cast<QPushButton*>(panel.findChild<QWidget*>(name))) {
                b->click();
            } else {
                QTest::mouseClick(panel.findChild<QWidget*>(name), Qt::LeftButton);
            }
        };
        auto field = [&](const char* name) {
            return qobject_cast<QLineEdit*>(panel.findChild<QWidget*>(name))->text();
        };

        // The list editor opens on a double click and is closed at once; the grid fills.
        QTest::mouseDClick(panel.findChild<QWidget*>("pnlKaempfeListe"), Qt::LeftButton);
        entry.editor().findChild<QPushButton*>("btnCloseAnzeige")->click();
        auto* grid = panel.findChild<QTableWidget*>("grdKaempfe");
        QVERIFY(panel.list_mode());
        QCOMPARE(grid->rowCount(), 5);
        QCOMPARE(grid->item(1, 3)->text(), QString("0:1"));

        click("btnNaechsterKampf");
        QCOMPARE(field("edtLPOS"), QString("3"));
        QCOMPARE(field("edtBlau_Name"), QString("A3"));
        QVERIFY(panel.list_mode());

        // Clock, a Waza-ari for blue, a hold-down for blue to Ippon.
        click("pnlKampfzeit");
        QVERIFY(board.engine().clock_timer_on());
        panel.findChild<QWidget*>("ud_W_b")->findChild<QToolButton*>("up")->click();
        QCOMPARE(field("edt_W_b"), QString("1"));
        host.tick += 10000;
        for (int i = 0; i < 10; ++i) board.engine().clock_tick();  // ten late ticks: 10 s
        click("pnlHGStartBlau");
        for (int i = 0; i < 260; ++i) {
            host.tick += 100;
            board.engine().clock_tick();
        }
        QVERIFY(!board.engine().state().bout_active);
        QCOMPARE(field("edt_I_b"), QString("1"));
        QVERIFY(panel.findChild<QWidget*>("pnlSiegerBlau")->isVisible());

        click("btnNaechsterKampf");
        std::string error;
        const std::string file = *read_whole_file(dir.path() / "neu.kfl", error);
        QVERIFY2(file.find("#DAT|-66|A3|VA3|B3|VB3|1:0|10:0|0:35\r\n") != std::string::npos,
                 file.c_str());
        QCOMPARE(field("edtLPOS"), QString("4"));
        QCOMPARE(grid->item(2, 3)->text(), QString("1:0"));

        // Keys typed into the panel itself are not relayed.
        const std::string before = board.engine().board().lbl_I_W.text;
        QTest::keyClick(&panel, Qt::Key_7);
        QCOMPARE(board.engine().board().lbl_I_W.text, before);
        panel.hide();
        board.close();
    }
    void saveBoutWritesTheResultOfAListBoutIntoItsRow() {
        Rig rig("[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\n");
        rig.show_list();
        rig.click("btnNaechsterKampf");
        QCOMPARE(rig.board().lblBlau_Name.text, std::string("A3"));
        rig.program.control_panel()
            .findChild<QWidget*>("ud_I_b")
            ->findChild<QToolButton*>("up")
            ->click();
        QVERIFY(rig.board().lbl_Sieger_Blau.visible);
        rig.click("btnSave");
        const std::string file = rig.list_file();
        QVERIFY2(file.find("#DAT|-66|A3|VA3|B3|VB3|1:0|10:0|0:00\r\n") != std::string::npos,
                 file.c_str());
        // The next open bout is the fourth, and list mode has ended as before.
        QVERIFY(file.find("#DAT|-66|A4|V|B4|V|||\r\n") != std::string::npos);
        QVERIFY(!rig.program.control_panel().list_mode());
        QVERIFY(!rig.board().lbl_Sieger_Blau.visible);  // the board is back to its default
    }

    void gridShowsTheFileAfterEveryWriteAndMarksTheLoadedBout() {
        Rig rig("[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\npanel_tasten=1\r\n");
        rig.show_list();
        ControlPanel& panel = rig.program.control_panel();
        auto* grid = panel.findChild<QTableWidget*>("grdKaempfe");
        rig.click("btnNaechsterKampf");
        QCOMPARE(rig.board().lblBlau_Name.text, std::string("A3"));
        auto selected = [grid] {
            const auto rows = grid->selectionModel()->selectedRows();
            return rows.size() == 1 ? rows[0].row() : -1;
        };
        QCOMPARE(selected(), 2);
        // Ippon typed into the panel, then Ctrl+N typed too: the grid follows the file at
        // once, and the new bout is the marked one.
        QTest::keyClick(&panel, Qt::Key_1);
        QVERIFY(rig.board().lbl_Sieger_Blau.visible);
        QTest::keyClick(&panel, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(rig.board().lblBlau_Name.text, std::string("A4"));
        QCOMPARE(grid->item(2, 3)->text(), QString("1:0"));
        QCOMPARE(selected(), 3);
        // The desk inserts a bout above without a click here: the grid shows it within a few
        // seconds, and the bout on the board is marked, and numbered, where it now stands.
        std::string desk = rig.list_file();
        const std::size_t third = desk.find("#DAT|-66|A3");
        desk.insert(third, "#DAT|-55|N|V|M|V|||\r\n");
        rig.dir.write("neu.kfl", desk);
        QTRY_COMPARE_WITH_TIMEOUT(grid->rowCount(), 6, 5000);
        QCOMPARE(grid->item(2, 1)->text(), QString("N"));
        QCOMPARE(selected(), 4);
        QCOMPARE(rig.board().lblLPOS.text, std::string("5"));
        // Its result goes into its own row.
        QTest::keyClick(&panel, Qt::Key_7);
        QTest::keyClick(&panel, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(rig.list_file().find("#DAT|-66|A4|V|B4|V|0:1|0:10|") != std::string::npos);
        QVERIFY(rig.list_file().find("#DAT|-55|N|V|M|V|||") != std::string::npos);
    }

    void protocolRecordsTheBoutWhenSwitchedOn() {
        Rig rig("[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\nprotokoll=1\r\n");
        rig.show_list();
        rig.click("btnNaechsterKampf");
        rig.program.control_panel()
            .findChild<QWidget*>("ud_W_b")
            ->findChild<QToolButton*>("up")
            ->click();
        rig.program.control_panel()
            .findChild<QWidget*>("ud_I_b")
            ->findChild<QToolButton*>("up")
            ->click();
        rig.click("btnSave");
        std::string error;
        const std::string csv =
            read_whole_file(rig.dir.path() / BoutProtocol::file_name(local_time_text("%Y-%m-%d")),
                            error)
                .value_or("");
        const std::string text = protocol_as_text(csv, {3});
        // The list it came from, the clubs, the buttons' scores and the winner they gave.
        QVERIFY2(text.find("Kampf 3 (-66), Liste neu.kfl, ") != std::string::npos, text.c_str());
        QVERIFY2(text.find(": A3 (VA3) in weiß – B3 (VB3) in blau\n  0:00 Waza-ari weiß (A3) +1\n"
                           "  0:00 Ippon weiß (A3) +1\n  0:00 Sieger weiß (A3) angezeigt\n") !=
                     std::string::npos,
                 text.c_str());
        QVERIFY2(
            text.find("Ergebnis: Sieger weiß (A3), Wertung 10, Dauer 0:00") != std::string::npos,
            text.c_str());
    }

    void saveBoutOfAHandEnteredBoutLeavesTheListAlone() {
        Rig rig("[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\ngewk=-60\r\n");
        rig.show_list();
        rig.click("btnEingabeKampf");
        rig.program.entry.findChild<QLineEdit*>("edtNAMEBlau")->setText("Hand, Eingabe");
        rig.program.entry.findChild<QPushButton*>("btnSave")->click();
        QCOMPARE(rig.board().lblBlau_Name.text, std::string("Hand, Eingabe"));
        rig.program.control_panel()
            .findChild<QWidget*>("ud_I_b")
            ->findChild<QToolButton*>("up")
            ->click();
        rig.click("btnSave");
        QCOMPARE(rig.list_file(), std::string(k_five_bouts));
    }

    // A key that reaches the board directly (after a click on it) shows in the open panel:
    // the mirror follows the board, not the path of the key; so does a taken-back Ippon.
    void panelMirrorsEveryChangeOfTheBoard() {
        Rig rig("[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\ngewk=-60\r\npanel_tasten=1\r\n");
        ControlPanel& panel = rig.program.control_panel();
        rig.program.scoreboard.engine().internals_for_tests().state.bout_active = true;
        QTest::keyClick(&rig.program.scoreboard, Qt::Key_2);
        QCOMPARE(panel.findChild<QLineEdit*>("edt_W_b")->text(), QString("1"));
        QWidget* winner = panel.findChild<QWidget*>("pnlSiegerBlau");
        QTest::keyClick(&rig.program.scoreboard, Qt::Key_1);
        QVERIFY(winner->isVisibleTo(&panel));
        QTest::keyClick(&rig.program.scoreboard, Qt::Key_Exclam, Qt::ShiftModifier);
        QVERIFY(!winner->isVisibleTo(&panel));
        QCOMPARE(panel.findChild<QLineEdit*>("edt_I_b")->text(), QString("0"));
        QCOMPARE(panel.findChild<QLineEdit*>("edt_I_b")->text(),
                 QString::fromStdString(rig.board().lbl_I_b.text));
    }

    // With keys relayed, Space typed over the title pages ends them all and starts the clock
    // at once; without, the key waits until the pages have ended. The panel says they run.
    void aKeyOverThePagesEndsThemAndActs() {
        for (const bool relayed : {true, false}) {
            Rig rig(std::string("[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\ngewk=-60\r\n") +
                    "titel_dauer=3\r\n" + (relayed ? "panel_tasten=1\r\n" : ""));
            ScoreboardWindow& board = rig.program.scoreboard;
            BoutEngine& engine = board.engine();
            engine.internals_for_tests().board.lblBlau_Name.text = "Meier, Hans";
            engine.internals_for_tests().state.bout_active = true;
            engine.internals_for_tests().state.set_duration = 240;
            engine.internals_for_tests().state.clock_value = 240;
            TextScreen& page = board.text_screen();
            // The operator, whose back is to the board, reads on the panel that pages run.
            auto* up = rig.program.control_panel().findChild<QLabel*>("sbPanel1");
            board.handle_key('T', Modifiers{false, true, false});
            QVERIFY(page.isVisible());
            QVERIFY(board.pages_up());
            QTRY_COMPARE(up->text(), QString("Seiten laufen"));
            board.handle_key(' ', Modifiers{});
            QCOMPARE(page.isVisible(), !relayed);
            QCOMPARE(engine.clock_timer_on(), relayed);
            if (relayed) continue;
            // The pages end one after the other; then the waiting Space starts the clock.
            for (int i = 0; i < 3 && page.isVisible(); ++i) page.accept();
            QVERIFY(!board.pages_up());
            QVERIFY(engine.clock_timer_on());
            QTRY_COMPARE(up->text(), QString(" "));
        }
    }

    void keysTypedIntoThePanelReachTheBoardOnlyWithTheSetting() {
        for (const bool on : {false, true}) {
            Rig rig(std::string("[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\ngewk=-60\r\n") +
                    (on ? "panel_tasten=1\r\n" : ""));
            ControlPanel& panel = rig.program.control_panel();
            rig.program.scoreboard.engine().internals_for_tests().state.bout_active = true;
            std::vector<std::unique_ptr<QSignalSpy>> spies;
            for (auto* b : panel.findChildren<QAbstractButton*>()) {
                spies.push_back(std::make_unique<QSignalSpy>(b, &QAbstractButton::clicked));
            }
            QTest::keyClick(&panel, Qt::Key_Space);
            QTest::keyClick(&panel, Qt::Key_3);
            QTest::keyClick(&panel, Qt::Key_F5);
            QTest::keyClick(&panel, Qt::Key_Return);
            // The key that opens the panel must not open it a second time.
            QTest::keyClick(&panel, Qt::Key_C, Qt::ControlModifier);
            const BoutEngine& engine = rig.program.scoreboard.engine();
            QCOMPARE(engine.clock_timer_on(), on);
            QCOMPARE(engine.board().lbl_Y_b.text, std::string(on ? "1" : "0"));
            QCOMPARE(engine.state().holder.has_value(), on);
            if (on) {
                QCOMPARE(panel.findChild<QLineEdit*>("edt_Y_b")->text(), QString("1"));
                QVERIFY(panel.findChild<QPushButton*>("btnGong")->focusPolicy() == Qt::NoFocus);
            }
            for (const auto& spy : spies) QCOMPARE(spy->count(), 0);
        }
    }
};

QTEST_MAIN(TestPanelBout)
#include "test_panel_bout.moc"
