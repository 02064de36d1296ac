// The scoreboard window on the offscreen platform: real Qt key events reach the engine and
// the labels show the board.
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>
#include <map>
#include <optional>

#include "app/app_host.h"
#include "display/fit_label.h"
#include "display/scoreboard_layout.h"
#include "display/scoreboard_window.h"
#include "gui/keymap.h"
#include "platform/message_box.h"
#include "temp_folder.h"

using namespace kyomat;

class TestScoreboardWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::TempFolder> dir_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<AppHost> host_;
    std::unique_ptr<ScoreboardWindow> window_;

    QString text(const char* name) { return window_->findChild<QLabel*>(name)->text(); }
    void start(const std::string& ini) {
        dir_ = std::make_unique<testing::TempFolder>();
        dir_->write("kyomat.ini", ini);
        settings_ = std::make_unique<Settings>(dir_->path());
        host_ = std::make_unique<AppHost>(*settings_);
        window_ = std::make_unique<ScoreboardWindow>(*host_, *settings_);
        host_->set_scoreboard(window_.get());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QCoreApplication::processEvents();
    }

  private slots:
    void init() { message_boxes::set_auto_answer(true, true); }
    void cleanup() {
        window_.reset();
        host_.reset();
        message_boxes::take_log();
    }

    void startsWithTheDefaultLookAndReportsMissingSettings() {
        start("");
        QCOMPARE(text("lblZeit"), QString("0:00"));
        QCOMPARE(text("lblBlau_Name"), QString("Name, Vorname"));
        QCOMPARE(text("lblBLau_Verein"), QString("Verein/Landesverband"));
        QVERIFY(!window_->findChild<QLabel*>("lbl_I_b")->isVisible());
        QVERIFY(!window_->findChild<QLabel*>("lbl_GS")->isVisible());
        const auto log = message_boxes::take_log();
        QVERIFY(std::find(log.begin(), log.end(),
                          "W Kein Gong eingestellt: tragen Sie im Abschnitt [anzeige] der "
                          "kyomat.ini unter gong eine Tondatei ein. Das Programm läuft ohne "
                          "Gong weiter (3007)") != log.end());
        QVERIFY(std::find(log.begin(), log.end(), "F '' ist kein gültiger Integerwert") !=
                log.end());
        QCOMPARE(window_->windowTitle(), QString("Kyomat5 - Anzeigetafel"));
    }

    void placesItselfOnTheConfiguredMonitor() {
        start("[anzeige]\r\nanz_links=0\r\n");
        QTRY_COMPARE(window_->windowTitle(), QString("KYOMAT - Anzeigetafel"));
    }

    void digitsShiftedDigitsAndKeypad() {
        start("[anzeige]\r\nanz_links=0\r\n");
        QTest::keyClick(window_.get(), Qt::Key_A, Qt::ControlModifier);  // re-open the bout
        QTest::keyClick(window_.get(), Qt::Key_2);
        QTest::keyClick(window_.get(), Qt::Key_2);
        QCOMPARE(text("lbl_W_b"), QString("2"));
        // Shift+2 arrives as '"' on a German keyboard and takes one back.
        QTest::keyClick(window_.get(), Qt::Key_QuoteDbl, Qt::ShiftModifier);
        QCOMPARE(text("lbl_W_b"), QString("1"));
        // Shift+8 arrives as '(' on a German keyboard.
        QTest::keyClick(window_.get(), Qt::Key_8);
        QCOMPARE(text("lbl_W_W"), QString("1"));
        QTest::keyClick(window_.get(), Qt::Key_ParenLeft, Qt::ShiftModifier);
        QCOMPARE(text("lbl_W_W"), QString("0"));
        // Keypad digits score nothing.
        QTest::keyClick(window_.get(), Qt::Key_3, Qt::KeypadModifier);
        QCOMPARE(text("lbl_Y_b"), QString("0"));
        // Shido and its take-back with Shift+4 ('$').
        QTest::keyClick(window_.get(), Qt::Key_4);
        QCOMPARE(text("lbl_S_b"), QString("1"));
        QTest::keyClick(window_.get(), Qt::Key_Dollar, Qt::ShiftModifier);
        QCOMPARE(text("lbl_S_b"), QString("0"));
        // Ippon: the winner mark shows.
        QTest::keyClick(window_.get(), Qt::Key_7);
        QVERIFY(window_->findChild<QLabel*>("lbl_Sieger_Weiss")->isVisible());
        QTest::keyClick(window_.get(), Qt::Key_Exclam, Qt::ShiftModifier);  // Shift+1 on blue
        QVERIFY(!window_->findChild<QLabel*>("lbl_Sieger_Weiss")->isVisible());
    }

    void crossesHoldDownAndClock() {
        start("[anzeige]\r\nanz_links=0\r\n[Farben_A]\r\nhintergrund_zeit_go=$000080\r\n");
        QTest::keyClick(window_.get(), Qt::Key_Plus);
        QCOMPARE(text("lbl_Kreuz_b_1"), QString("+"));
        QTest::keyClick(window_.get(), Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(text("lbl_Kreuz_b_2"), QString("+"));
        QTest::keyClick(window_.get(), Qt::Key_NumberSign);
        QCOMPARE(text("lbl_Kreuz_w_1"), QString("+"));
        // F5 at clock 0 starts the hold-down and the clock; F6 stops, F7 clears.
        // The clocks paint their panel's colour themselves, the go and the stop colour alike.
        const auto same_as_panel = [this] {
            for (const auto& [clock, panel] :
                 {std::pair{"lblZeit", "pnlZeit"}, {"lblHG", "pnlHG"}}) {
                const QColor inside =
                    window_->findChild<QWidget*>(clock)->palette().color(QPalette::Window);
                if (inside !=
                    window_->findChild<QWidget*>(panel)->palette().color(QPalette::Window))
                    return false;
            }
            return true;
        };
        QVERIFY(same_as_panel());
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QVERIFY(window_->clock_timer().isActive());
        QVERIFY(!window_->focus_timer().isActive());
        QVERIFY(same_as_panel());
        QTest::keyClick(window_.get(), Qt::Key_Space);
        QVERIFY(!window_->clock_timer().isActive());
        QVERIFY(window_->focus_timer().isActive());
        QVERIFY(same_as_panel());
        QTest::keyClick(window_.get(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(text("lblHG"), QString("01"));
        QTest::keyClick(window_.get(), Qt::Key_F7);
        QCOMPARE(text("lblHG"), QString("00"));
        QVERIFY(!window_->engine().state().holder);
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(text("lblZeit"), QString("0:02"));
    }

    // A tick that changes nothing repaints nothing and tells nobody (the live view, the kept
    // state, the panel): a standing board costs next to nothing. A counted second is told.
    void ticksThatChangeNothingTellNobody() {
        start("[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\n");
        BoutState& state = window_->engine().internals_for_tests().state;
        state.bout_active = true;
        state.clock_value = state.set_duration = 240;
        QVERIFY(window_->focus_timer().isActive());
        QTest::qWait(700);  // the circle takes the focus as it is now
        int painted = 0;
        window_->set_painted([&painted] { ++painted; });
        QTest::qWait(1200);  // two beats of the focus circle at least
        QCOMPARE(painted, 0);
        const QString standing = text("lblZeit");
        QTest::keyClick(window_.get(), Qt::Key_Space);
        painted = 0;
        QTRY_VERIFY(text("lblZeit") != standing);
        QVERIFY(painted > 0);
        window_->set_painted({});

        // A running clock ticks at its seconds, not ten times for each of them.
        int ticks = 0;
        connect(&window_->clock_timer(), &QTimer::timeout, this, [&ticks] { ++ticks; });
        const int before = state.clock_value;
        QTRY_VERIFY_WITH_TIMEOUT(state.clock_value <= before - 3, 10000);
        QVERIFY2(ticks <= 6, qPrintable(QString::number(ticks)));
        // Without the tick of each tenth, the circle follows a change of focus by itself.
        window_->clock_timer().stop();
        const Colour green{0, 128, 0};
        QCOMPARE(window_->engine().board().shpFocus.back, green);
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QTRY_VERIFY(window_->engine().board().shpFocus.back != green);
    }

    // The sound device is awake whenever a gong may come: by default all the while a clock
    // runs (for a gong by key), with gong_bereit=0 only ahead of the clock's own gong, which
    // needs the quick buffers: from 5 s before the end of time and while a hold-down counts.
    void theSoundDeviceIsAwakeWhileAGongMayCome() {
        using Soon = ScoreboardWindow::GongSoon;
        for (const bool always : {true, false}) {
            start(std::string("[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\n") +
                  (always ? "" : "gong_bereit=0\r\n"));
            std::optional<Soon> soon;
            window_->set_gong_soon([&soon](Soon s) { soon = s; });
            BoutState& state = window_->engine().internals_for_tests().state;
            state.bout_active = true;
            state.clock_value = state.set_duration = 240;
            QTest::keyClick(window_.get(), Qt::Key_Space);
            QCOMPARE(soon, std::optional<Soon>(always ? Soon::by_key : Soon::no));
            QTest::keyClick(window_.get(), Qt::Key_F5);
            QCOMPARE(soon, std::optional<Soon>(Soon::by_clock));
            QTest::keyClick(window_.get(), Qt::Key_F7);  // the hold-down taken back
            QCOMPARE(soon, std::optional<Soon>(always ? Soon::by_key : Soon::no));
            state.clock_value = 7;
            QTRY_COMPARE(soon, std::optional<Soon>(Soon::by_clock));
            QTest::keyClick(window_.get(), Qt::Key_Space);
            QCOMPARE(soon, std::optional<Soon>(Soon::no));
            cleanup();
        }
    }

    // Read at a glance, at three screen sizes: every cell, the "H", the crosses, the headings
    // and "IPPON" lie inside the screen and apart from each other.
    void atAGlanceEverythingInsideAndApart() {
        start(
            "[anzeige]\r\nanz_links=0\r\nippon_zeigen=1\r\nspalten_titel=1\r\n"
            "rand_korrektur=1\r\n");
        Board& b = window_->engine().internals_for_tests().board;
        const char* names[] = {"lbl_W_b",       "lbl_Y_b",       "lbl_S_b",       "lbl_W_W",
                               "lbl_Y_W",       "lbl_S_W",       "lbl_Kreuz_b_1", "lbl_Kreuz_b_2",
                               "lbl_Kreuz_w_1", "lbl_Kreuz_w_2", "Titel_W",       "Titel_Y",
                               "Titel_S",       "Ippon_b",       "Ippon_W"};
        const auto misplaced = [&] {
            QStringList bad;
            std::vector<std::pair<QString, QRect>> shown;
            for (const char* n : names) {
                auto* l = window_->findChild<QLabel*>(n);
                if (l == nullptr || !l->isVisible()) continue;
                const QRect r(l->mapTo(window_.get(), QPoint(0, 0)), l->size());
                if (!window_->rect().contains(r)) bad << QString("%1 outside").arg(n);
                for (const auto& [other, o] : shown) {
                    if (r.intersects(o)) bad << QString("%1/%2").arg(n, other);
                }
                shown.emplace_back(n, r);
            }
            return bad.join(' ');
        };
        for (const QSize size : {QSize(1280, 720), QSize(1920, 1080), QSize(3840, 2160)}) {
            for (Element* cross :
                 {&b.lbl_Kreuz_b_1, &b.lbl_Kreuz_b_2, &b.lbl_Kreuz_w_1, &b.lbl_Kreuz_w_2}) {
                cross->text = "+";
            }
            b.lbl_S_W.text = "H";
            b.lbl_Sieger_Blau.visible = false;
            window_->resize(size);
            window_->paint_board();
            window_->lay_out();
            QVERIFY(window_->findChild<QLabel*>("Titel_W")->isVisible());
            QCOMPARE(misplaced(), QString());
            // Blue wins by white's Hansoku-make: "IPPON" covers blue's cells.
            b.lbl_Sieger_Blau.visible = true;
            window_->paint_board();
            QVERIFY(window_->findChild<QLabel*>("Ippon_b")->isVisible());
            QVERIFY(!window_->findChild<QLabel*>("lbl_W_b")->isVisible());
            QCOMPARE(misplaced(), QString());
        }
        // Without the settings nothing of it shows, and the cells stay where they were.
        b.lbl_Sieger_Blau.visible = false;
        window_->engine().internals_for_tests().rules.ippon_zeigen = false;
        window_->engine().internals_for_tests().rules.spalten_titel = false;
        window_->paint_board();
        QVERIFY(!window_->findChild<QLabel*>("Titel_W")->isVisible());
    }

    void keyMapTable() {
        auto key = [](int k, Qt::KeyboardModifiers m, quint32 scan = 0) {
            const auto ev = map_key(k, m, scan, 0);
            return ev ? ev->key : 0;
        };
        QCOMPARE(key(Qt::Key_Exclam, Qt::ShiftModifier, 10), 0x31);  // X11 digit row
        QCOMPARE(key(Qt::Key_ParenLeft, Qt::ShiftModifier, 17), 0x38);
        QCOMPARE(key(Qt::Key_ParenLeft, Qt::ShiftModifier, 18), 0x39);   // US Shift+9
        QCOMPARE(key(Qt::Key_Asterisk, Qt::ShiftModifier, 17), 0x38);    // US Shift+8
        QCOMPARE(key(Qt::Key_Asterisk, Qt::ShiftModifier, 35), 0xBB);    // German Shift+"+"
        QCOMPARE(key(Qt::Key_Equal, Qt::NoModifier, 21), 0xBB);          // US "="
        QCOMPARE(key(Qt::Key_Equal, Qt::ShiftModifier, 19), 0x30);       // German Shift+0
        QCOMPARE(key(Qt::Key_Slash, Qt::NoModifier, 61), 0xBF);          // US "/"
        QCOMPARE(key(Qt::Key_Apostrophe, Qt::ShiftModifier, 51), 0xBF);  // German Shift+"#"
        QCOMPARE(key(Qt::Key_7, Qt::KeypadModifier, 79), 0x67);
        QCOMPARE(key(Qt::Key_Plus, Qt::KeypadModifier, 86), 0x6B);
        QCOMPARE(key(Qt::Key_F8, Qt::NoModifier), 0x77);
        QCOMPARE(key(Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier), 0x4E);
        const auto alt = map_key(Qt::Key_1, Qt::AltModifier, 10, 0);
        QVERIFY(alt && alt->mods.alt && !alt->mods.shift);
        QVERIFY(!map_key(Qt::Key_Escape, Qt::NoModifier, 9, 0));
    }

    // The wipe question of Ctrl+E over a standing bout: Return and Space, typed as a reflex,
    // keep the bout; only OK (here Alt+O) wipes it.
    void ctrlEQuestionIsCancelledByAReflex() {
        start("[anzeige]\r\nanz_links=0\r\ngewk=-60\r\nkampfzeit=240\r\n");
        BoutState& st = window_->engine().internals_for_tests().state;
        window_->engine().internals_for_tests().board.lblBlau_Name.text = "Meier";
        st.bout_active = true;
        st.set_duration = st.clock_value = 240;
        QTest::keyClick(window_.get(), Qt::Key_2);  // a Waza-ari: the bout has begun
        for (const auto& [key, mods] : {std::pair{Qt::Key_Return, Qt::NoModifier},
                                        {Qt::Key_Space, Qt::NoModifier},
                                        {Qt::Key_O, Qt::AltModifier}}) {
            message_boxes::set_auto_answer(false);
            bool asked = false;
            QTimer answer;
            answer.setInterval(50);
            connect(&answer, &QTimer::timeout, this, [&, key = key, mods = mods] {
                QWidget* box = QApplication::activeModalWidget();
                if (box == nullptr || !box->isVisible()) return;
                asked = true;
                answer.stop();
                // What follows the question (the gong's report after a wipe) is answered.
                message_boxes::set_auto_answer(true, true);
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, key, mods);
            });
            answer.start();
            QTest::keyClick(window_.get(), Qt::Key_E, Qt::ControlModifier);
            answer.stop();
            QVERIFY(asked);
            const bool wiped = key == Qt::Key_O;
            QCOMPARE(text("lblBlau_Name"), wiped ? QString() : QString("Meier"));
            QCOMPARE(text("lbl_W_b"), wiped ? QString("0") : QString("1"));
        }
    }

    void focusCircleAsksBeforeLeavingARunningBout() {
        start("[anzeige]\r\nanz_links=0\r\n");
        BoutEngine& e = window_->engine();
        e.internals_for_tests().state.set_duration = 240;
        e.internals_for_tests().state.clock_value = 200;
        e.internals_for_tests().state.bout_active = e.internals_for_tests().state.begun = true;
        e.internals_for_tests().board.lblBlau_Name.text = "Meier";
        message_boxes::set_auto_answer(false);
        message_boxes::take_log();
        message_boxes::set_next_answer(false);
        QWidget* circle = window_->findChild<QWidget*>("shpFocus");
        QTest::mouseClick(circle, Qt::LeftButton);
        QVERIFY(window_->isVisible());
        QCOMPARE(message_boxes::take_log(),
                 std::vector<std::string>{"confirm Verlassen ohne Speichern ?"});
        message_boxes::set_next_answer(true);
        QTest::mouseClick(circle, Qt::LeftButton);
        QVERIFY(!window_->isVisible());
    }

    void longTextsShrinkToTheirRoomOnlyWithTheSetting() {
        // Characters of about 0.6 of the font size, as a wide sans serif face has them.
        const std::map<std::string, std::string> texts = {
            {"lblBlau_Name", "Schmidt-Hoffmann, Maximilian"},
            {"lblBLau_Verein", "Budokan Mönchengladbach"},
            {"lblWeiss_Name", "Li, Wei"},
            {"lblWeiss_Verein", "JC Nord"},
            {"lblAK", "U18 männlich"},
            {"lblGewK", "-66"}};
        const auto measure = [&](const std::string& name, int points) {
            const auto it = texts.find(name);
            const int chars = it == texts.end() ? 4 : static_cast<int>(it->second.size());
            return LabelSize{chars * points * 6 / 10, points * 3 / 2};
        };
        FontCorrections fit;
        fit.fit_texts = true;
        const ScoreboardLayout off = scoreboard_layout(1920, 1080, {}, false, false, measure);
        const ScoreboardLayout on = scoreboard_layout(1920, 1080, fit, false, false, measure);
        // Without the setting nothing moves; with it, only what is too wide shrinks.
        QCOMPARE(off.labels.at("lblBlau_Name").points, 115);
        QCOMPARE(off.labels.at("lblAK").points, 98);
        const int name_room = 1920 - 634 - 2 * 10, class_room = 634 - 2 * 10;
        const int name_points = on.labels.at("lblBlau_Name").points;
        QVERIFY(measure("lblBlau_Name", name_points).width <= name_room);
        QVERIFY(measure("lblBlau_Name", name_points + 1).width > name_room);  // just enough
        const int class_points = on.labels.at("lblAK").points;
        QVERIFY(measure("lblAK", class_points).width <= class_room);
        QVERIFY(measure("lblAK", class_points + 1).width > class_room);
        QVERIFY(measure("lblBLau_Verein", on.labels.at("lblBLau_Verein").points).width <=
                name_room);
        for (const char* fits : {"lblWeiss_Name", "lblWeiss_Verein", "lblGewK"}) {
            QCOMPARE(on.labels.at(fits).points, off.labels.at(fits).points);
        }
        for (const auto& [name, place] : off.labels) {
            if (texts.count(name) == 0) QCOMPARE(on.labels.at(name).points, place.points);
        }
        // A text that cannot fit even at two fifths of its size stops there and is cut.
        const auto huge = [](const std::string&, int points) { return LabelSize{points * 100, 1}; };
        const ScoreboardLayout cut = scoreboard_layout(1920, 1080, fit, false, false, huge);
        QCOMPARE(cut.labels.at("lblBlau_Name").points, 115 * 2 / 5);
    }

    void namesBeyondTheSmallestFontBreakAtABlankOrHyphenNeverInALetter() {
        start("[anzeige]\r\nanz_links=0\r\n[Korrektur_Font]\r\nnamen_anpassen=1\r\n");
        window_->resize(1280, 720);
        Board& b = window_->engine().internals_for_tests().board;
        const QString name = "Schwarzenberger-Hohenlohe, Maximilian-Alexander";
        const QString club = "Judo-Club Sportgemeinschaft Mönchengladbach-Rheydt 1921 e.V.";
        b.lblBlau_Name.text = name.toStdString();
        b.lblBLau_Verein.text = club.toStdString();
        b.lblAK.text = "Männliche Jugend unter 18 Jahren, Bezirksmeisterschaft";
        window_->paint_board();
        const int room = window_->width() - window_->findChild<QWidget*>("pnl1")->width();
        for (const char* n : {"lblBlau_Name", "lblBLau_Verein", "lblAK"}) {
            auto* l = static_cast<FitLabel*>(window_->findChild<QLabel*>(n));
            QVERIFY2(l->fitted(), n);
            // The value of record stays whole; only what is painted is wrapped.
            QCOMPARE(l->text().toStdString(), b.find(n)->text);
            const QStringList lines = l->shown_lines();
            QVERIFY(lines.size() == 2);
            const QFontMetrics m(l->font());
            for (const QString& line : lines) QVERIFY(m.horizontalAdvance(line) <= l->width());
            QVERIFY(l->x() + l->width() <= room);
            // Line 1 ends where the text may break; line 2 continues it, or ends in "…".
            QVERIFY2(lines[0].endsWith('-') || l->text().startsWith(lines[0] + ' '), n);
            QString second = lines[1];
            if (second.endsWith(QStringLiteral("…"))) second.chop(1);
            QVERIFY2(l->text().mid(lines[0].size()).trimmed().startsWith(second), n);
        }
        // A short name is one plain line again.
        b.lblBlau_Name.text = "Li, Wei";
        window_->paint_board();
        QVERIFY(!static_cast<FitLabel*>(window_->findChild<QLabel*>("lblBlau_Name"))->fitted());
    }

    void wrappingKeepsWholeLettersAndEndsWithEllipsis() {
        const QFontMetrics m(QFont("DejaVu Sans", 20));
        const int w = m.horizontalAdvance("Mönchengladbach-Rheydt");
        QCOMPARE(wrap_to_width("Mönchengladbach-Rheydt", m, w),
                 QStringList{"Mönchengladbach-Rheydt"});
        QCOMPARE(wrap_to_width("Judo Mönchengladbach-Rheydt", m, w),
                 (QStringList{"Judo Mönchengladbach-", "Rheydt"}));
        QCOMPARE(wrap_to_width("Mönchengladbach-Rheydt Judo", m,
                               m.horizontalAdvance("Mönchengladbach-")),
                 (QStringList{"Mönchengladbach-", "Rheydt Judo"}));
        // No break fits: one line of whole letters and "…".
        const QStringList cut = wrap_to_width("Mönchengladbach", m, w / 2);
        QCOMPARE(cut.size(), 1);
        QVERIFY(cut[0].endsWith(QStringLiteral("…")));
        QVERIFY(QString("Mönchengladbach").startsWith(cut[0].chopped(1)));
        const QStringList three =
            wrap_to_width("aaa bbb ccc ddd eee", m, m.horizontalAdvance("aaa bbb"));
        QCOMPARE(three.size(), 2);
        QCOMPARE(three[0], QString("aaa bbb"));
        QVERIFY(three[1].endsWith(QStringLiteral("…")));
    }

    void layoutArithmeticOfTheWorkedExamples() {
        const auto measure = [](const std::string&, int points) {
            return LabelSize{points, points * 3 / 2};
        };
        ScoreboardLayout L = scoreboard_layout(1920, 1080, {}, false, false, measure);
        QCOMPARE(L.T, 360);
        QCOMPARE(L.P, 634);
        QCOMPARE(L.B, 360);
        QCOMPARE(L.labels["lblBlau_Name"].points, 115);
        QCOMPARE(L.labels["lblWeiss_Verein"].points, 90);
        QCOMPARE(L.labels["lblWeiss_Verein"].top, 190);
        QCOMPARE(L.labels["lbl_Sieger_Blau"].top, 190);
        QCOMPARE(L.labels["lbl_W_b"].points, 196);
        QCOMPARE(L.labels["lbl_S_W"].points, 147);
        QCOMPARE(L.labels["lbl_S_b"].top, 84);
        QCOMPARE(L.labels["lbl_W_b"].left, 63);
        QCOMPARE(L.labels["lbl_Y_b"].left, 273);
        QCOMPARE(L.labels["lbl_S_b"].left, 482);
        QCOMPARE(L.labels["lblAK"].points, 98);
        QCOMPARE(L.labels["lblGewK"].top, 170);
        QCOMPARE(L.labels["lblZeit"].points, 172);
        QCOMPARE(L.labels["lblZeit"].top, -36);
        QCOMPARE(L.labels["lblZeit"].left, (1920 - 2 * 634 - 172) / 2);
        QCOMPARE(L.Bb, 120);
        QCOMPARE(L.labels["lblHG"].points, 131);
        QCOMPARE(L.labels["lblHG_Save"].points, 65);
        QCOMPARE(L.labels["shpFocus"].left, 601);
        QCOMPARE(L.labels["shpFocus"].top, 87);
        QCOMPARE(L.labels["lbl_GS"].points, 43);
        QCOMPARE(L.labels["lbl_Kreuz_b_1"].top, -36);
        QCOMPARE(L.labels["lbl_Kreuz_b_1"].left, 482 - 82);  // N(147 / 1.8)
        QCOMPARE(L.labels["lbl_Kreuz_w_2"].left, 482 + 49);

        L = scoreboard_layout(900, 674, {}, false, false, measure);
        QCOMPARE(L.T, 225);
        QCOMPARE(L.P, 297);
        QCOMPARE(L.B, 224);
        QCOMPARE(L.labels["lblBlau_Name"].points, 72);
        QCOMPARE(L.labels["lblZeit"].points, 107);

        L = scoreboard_layout(100, 60, {}, false, false, measure);
        QCOMPARE(L.labels["lblBlau_Name"].points, 7);
        QCOMPARE(L.labels["lblBLau_Verein"].points, 7);
        QCOMPARE(L.labels["lblAK"].points, 7);
        QCOMPARE(L.labels["lbl_W_b"].points, 11);
        QCOMPARE(L.labels["lbl_S_b"].points, 8);
        QVERIFY(L.labels["lbl_GS"].points < 7);

        // Without Yuko the Waza-ari counters sit halfway; corrections touch their group only.
        L = scoreboard_layout(1920, 1080, {50, 100, 100, 100}, false, true, measure);
        QCOMPARE(L.labels["lbl_W_b"].left, 168);
        QCOMPARE(L.labels["lbl_Y_W"].left, 168);
        QCOMPARE(L.labels["lblBlau_Name"].points, 57);
        QCOMPARE(L.labels["lbl_W_b"].points, 196);
        QCOMPARE(L.labels["lblAK"].points, 98);
        L = scoreboard_layout(1920, 1080, {100, 100, 100, 50}, false, false, measure);
        QCOMPARE(L.labels["lblAK"].points, 49);
        QCOMPARE(L.labels["lblBlau_Name"].points, 115);
    }

    void clubLinesHiddenInNameOnlyMode() {
        start("[anzeige]\r\nanz_links=0\r\n[anz_layout]\r\nname_verein=1\r\n");
        QVERIFY(!window_->findChild<QLabel*>("lblBLau_Verein")->isVisible());
        QVERIFY(!window_->findChild<QLabel*>("lblWeiss_Verein")->isVisible());
        QTest::keyClick(window_.get(), Qt::Key_B, Qt::ControlModifier);
        QVERIFY(window_->findChild<QLabel*>("lbl_Sieger_Blau")->isVisible());
    }

    void layoutFollowsTheWindowSize() {
        start("[anzeige]\r\nanz_links=0\r\n");
        window_->setWindowState(Qt::WindowNoState);
        window_->resize(900, 674);
        window_->lay_out();
        QCOMPARE(window_->findChild<QWidget*>("pnlTop")->height(), 225);
        QCOMPARE(window_->findChild<QWidget*>("pnl1")->width(), 297);
        QCOMPARE(window_->findChild<QLabel*>("lblBlau_Name")->font().pointSize(), 72);
        QCOMPARE(window_->findChild<QLabel*>("lblZeit")->font().pointSize(), 107);
    }
};

QTEST_MAIN(TestScoreboardWindow)
#include "test_scoreboard_window.moc"
