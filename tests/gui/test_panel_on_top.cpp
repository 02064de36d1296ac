// The control panel and the pause picture on one screen of a real X server: the panel stays
// above the picture, and the picture still ends on a click while the panel is open.
#include <QPushButton>
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

        board.handle_key('C', Modifiers{false, true, false});  // opens the panel
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        panel.findChild<QPushButton*>("btnPause")->click();  // Ctrl+Q: the pause picture
        QVERIFY(QTest::qWaitForWindowExposed(&overlay));
        const QPoint inside_panel = panel.geometry().center();
        QTRY_VERIFY(QApplication::widgetAt(inside_panel) != nullptr &&
                    QApplication::widgetAt(inside_panel)->window() == &panel);
        // A click on the picture beside the panel ends the pause.
        const QPoint beside_panel(panel.geometry().right() + 40, panel.geometry().bottom() + 40);
        QTest::mouseClick(overlay.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          overlay.mapFromGlobal(beside_panel));
        QTRY_VERIFY(!overlay.isVisible());
        // So does a character key typed on the picture.
        panel.findChild<QPushButton*>("btnPause")->click();  // "Pause beenden"
        panel.findChild<QPushButton*>("btnPause")->click();  // a pause again
        QTRY_VERIFY(overlay.isVisible());
        QTest::keyClick(overlay.windowHandle(), Qt::Key_A);
        QTRY_VERIFY(!overlay.isVisible());
        panel.findChild<QPushButton*>("btnCloseSTRG")->click();
        QVERIFY(!panel.isVisible());
        board.close();
    }
};

QTEST_MAIN(TestPanelOnTop)
#include "test_panel_on_top.moc"
