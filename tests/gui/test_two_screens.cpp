// Operator screen and projector: the scoreboard, the text screen and the overlay fill the
// projector, the control panel opens on the operator's screen.
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include "app/app_host.h"
#include "control/control_panel.h"
#include "display/logo_overlay.h"
#include "display/scoreboard_window.h"
#include "display/text_screen.h"
#include "platform/message_box.h"
#include "temp_folder.h"

using namespace kyomat;

class TestTwoScreens : public QObject {
    Q_OBJECT

  private slots:
    void windowsLandOnTheProjector() {
        QCOMPARE(QGuiApplication::screens().size(), 2);
        message_boxes::set_auto_answer(true, true);
        testing::TempFolder dir;
        dir.write("kyomat.ini", "[anzeige]\r\nanz_links=1500\r\ntitel_dauer=0\r\n");
        const Settings settings(dir.path());
        AppHost host(settings);
        ScoreboardWindow scoreboard(host, settings);
        host.set_scoreboard(&scoreboard);
        // Before it is placed the window is visible on the first monitor, not off-screen.
        QVERIFY(
            QGuiApplication::screens()[0]->geometry().contains(scoreboard.geometry().topLeft()));
        scoreboard.show();
        QTRY_COMPARE(scoreboard.windowTitle(), QString("KYOMAT - Anzeigetafel"));
        QCOMPARE(scoreboard.geometry(), QRect(1280, 0, 1920, 1080));
        QCOMPARE(scoreboard.engine().state().display_left, 1500);

        scoreboard.text_screen().show_page(PageScheme::neutral, "a", "b", "c");
        QCOMPARE(scoreboard.text_screen().geometry(), QRect(1280, 0, 1920, 1080));
        scoreboard.text_screen().accept();

        scoreboard.overlay().overlay_bild();
        QCOMPARE(scoreboard.overlay().geometry(), QRect(1280, 0, 1920, 1080));
        scoreboard.overlay().overlay_bild_aus();

        PanelLinks links{[&](std::uint16_t k, Modifiers m) { scoreboard.handle_key(k, m); },
                         {},
                         {},
                         {},
                         {},
                         nullptr,
                         {},
                         {}};
        ControlPanel panel(scoreboard.engine(), host, links, &scoreboard);
        panel.show();
        QCOMPARE(panel.pos(), QPoint(0, 0));
        QVERIFY(QGuiApplication::screens()[0]->geometry().contains(panel.geometry()));
        panel.hide();
        scoreboard.close();
    }

    void zeroIsTheOperatorsScreenAndNoValueStaysVisible() {
        message_boxes::set_auto_answer(true, true);
        for (const std::string value : {"0", ""}) {
            testing::TempFolder dir;
            dir.write("kyomat.ini", "[anzeige]\r\nanz_links=" + value + "\r\n");
            const Settings settings(dir.path());
            AppHost host(settings);
            ScoreboardWindow scoreboard(host, settings);
            host.set_scoreboard(&scoreboard);
            message_boxes::take_log();
            scoreboard.show();
            // The display position is read once the window is up.
            if (value == "0") {
                QTRY_COMPARE(scoreboard.geometry(), QRect(0, 0, 1280, 1024));
            } else {
                std::vector<std::string> log;
                QTRY_VERIFY([&log] {
                    for (auto& line : message_boxes::take_log()) log.push_back(line);
                    return !log.empty();
                }());
                QCOMPARE(log, std::vector<std::string>{"F '' ist kein gültiger Integerwert"});
                QCOMPARE(scoreboard.windowTitle(), QString("Kyomat5 - Anzeigetafel"));
                QCOMPARE(scoreboard.size(), QSize(900, 674));
                QVERIFY(QGuiApplication::screens()[0]->geometry().contains(scoreboard.geometry()));
                QVERIFY(scoreboard.isVisible());
            }
            scoreboard.close();
        }
    }
};

QTEST_MAIN(TestTwoScreens)
#include "test_two_screens.moc"
