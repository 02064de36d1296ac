// The control panel and the pause picture on one screen of a real X server: the panel stays
// above the picture, and the picture still ends on a click while the panel is open.
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include "app/program.h"
#include "gui/program_rig.h"
#include "platform/message_box.h"

using namespace kyomat;

class TestPanelOnTop : public QObject {
    Q_OBJECT

  private slots:
    void panelStaysAboveThePausePictureWhichStillTakesItsClick() {
        testing::ProgramRig rig("[anzeige]\r\nanz_links=0\r\n");
        Program& program = rig.program;
        ScoreboardWindow& board = program.scoreboard;
        ControlPanel& panel = program.control_panel();
        LogoOverlay& overlay = board.overlay();
        board.show();
        QTRY_COMPARE(board.windowTitle(), QString("KYOMAT - Anzeigetafel"));

        // What happens while the panel is open, checked after it has closed again.
        bool overlay_shown = false, panel_on_top = false, overlay_closed = false;
        bool closed_by_key = false;
        QTimer::singleShot(0, [&] {
            if (QTest::qWaitForWindowExposed(&panel)) {
                panel.findChild<QPushButton*>("btnPause")->click();  // Ctrl+Q: the pause picture
                overlay_shown = QTest::qWaitForWindowExposed(&overlay);
                const QPoint inside_panel = panel.geometry().center();
                panel_on_top = QTest::qWaitFor([&] {
                    QWidget* top = QApplication::widgetAt(inside_panel);
                    return top != nullptr && top->window() == &panel;
                });
                // A click on the picture beside the panel ends the pause.
                const QPoint beside_panel(panel.geometry().right() + 40,
                                          panel.geometry().bottom() + 40);
                QTest::mouseClick(overlay.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                                  overlay.mapFromGlobal(beside_panel));
                overlay_closed = QTest::qWaitFor([&] { return !overlay.isVisible(); });
                // So does a character key typed on the picture.
                panel.findChild<QPushButton*>("btnPause")->click();  // "Pause beenden"
                panel.findChild<QPushButton*>("btnPause")->click();  // a pause again
                if (QTest::qWaitFor([&] { return overlay.isVisible(); })) {
                    QTest::keyClick(overlay.windowHandle(), Qt::Key_A);
                    closed_by_key = QTest::qWaitFor([&] { return !overlay.isVisible(); });
                }
            }
            panel.findChild<QPushButton*>("btnCloseSTRG")->click();
        });
        board.handle_key('C', Modifiers{false, true, false});  // opens the panel modally
        QVERIFY(overlay_shown);
        QVERIFY(panel_on_top);
        QVERIFY(overlay_closed);
        QVERIFY(closed_by_key);
        board.close();
    }
};

QTEST_MAIN(TestPanelOnTop)
#include "test_panel_on_top.moc"
