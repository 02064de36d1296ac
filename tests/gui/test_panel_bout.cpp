// A whole bout from the bout list, run only by clicks on the control panel, with the real
// scoreboard, bout entry component and list file.
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "app/program.h"
#include "control/control_panel.h"
#include "data/core/file_io.h"
#include "dialogs/bout_entry_dialog.h"
#include "dialogs/bout_list_editor.h"
#include "display/scoreboard_window.h"
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

}  // namespace

class TestPanelBout : public QObject {
    Q_OBJECT

  private slots:
    void wholeBoutByClicks() {
        message_boxes::set_auto_answer(true, true);
        testing::TempFolder dir;
        dir.write("kyomat.ini", "[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\n");
        dir.write("neu.kfl",
                  "#STR|KFL|1|1\r\n#PAR|0|||6\r\n#DAT|-60|A1|V|B1|V|1:0|10:0|1:00\r\n"
                  "#DAT|-60|A2|V|B2|V|0:1|0:07|4:00\r\n#DAT|-66|A3|VA3|B3|VB3|||\r\n"
                  "#DAT|-66|A4|V|B4|V|||\r\n#DAT|-73|A5|V|B5|V|||\r\n");
        const Settings settings(dir.path());
        DrivenHost host(settings);
        Program program(settings, host);
        ScoreboardWindow& board = program.scoreboard;
        BoutEntryDialog& entry = program.entry;
        ControlPanel& panel = *program.panel;
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
        QTimer::singleShot(
            0, [&] { entry.editor().findChild<QPushButton*>("btnCloseAnzeige")->click(); });
        QTest::mouseDClick(panel.findChild<QWidget*>("pnlKaempfeListe"), Qt::LeftButton);
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
};

QTEST_MAIN(TestPanelBout)
#include "test_panel_bout.moc"
