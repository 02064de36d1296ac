// The control panel: every control relays its key, the mirror follows the board, the ways
// out, the bout list area and the proportions of the layout.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "control/control_panel.h"
#include "control/panel_layout.h"
#include "control/relay.h"
#include "data/core/font_size.h"
#include "engine/fake_host.h"
#include "platform/message_box.h"
#include "temp_folder.h"

using namespace kyomat;

class TestControlPanel : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::TempFolder> dir_;
    std::unique_ptr<testing::FakeHost> host_;
    std::unique_ptr<BoutEngine> engine_;
    std::unique_ptr<ControlPanel> panel_;
    std::vector<KeyEvent> relayed_;
    int edits_ = 0;
    std::vector<std::array<std::string, 5>> rows_;
    bool list_loads_ = true;

    void start(const std::string& ini = "[anzeige]\r\nanz_links=0\r\n") {
        dir_ = std::make_unique<testing::TempFolder>();
        dir_->write("kyomat.ini", ini);
        host_ = std::make_unique<testing::FakeHost>(dir_->path());
        engine_ = std::make_unique<BoutEngine>(
            *host_, kyomat::testing::settings_written_at_once(dir_->path()));
        host_->attach(*engine_);
        engine_->on_create();
        relayed_.clear();
        PanelLinks links{[this](std::uint16_t key, Modifiers mods) {
                             relayed_.push_back(KeyEvent{key, mods});
                             engine_->handle_key(key, mods);
                         },
                         [this](const std::function<void()>& closed) {
                             ++edits_;
                             closed();
                         },
                         [this](std::vector<std::array<std::string, 5>>& rows, bool) {
                             rows = rows_;
                             return list_loads_;
                         },
                         {},
                         {},
                         nullptr,
                         {},
                         {}};
        panel_ = std::make_unique<ControlPanel>(*engine_, *host_, links);
        panel_->show();
    }
    QWidget* c(const char* name) { return panel_->findChild<QWidget*>(name); }
    QString text(const char* name) {
        if (auto* e = qobject_cast<QLineEdit*>(c(name))) return e->text();
        return qobject_cast<QLabel*>(c(name))->text();
    }
    void click(const char* name) {
        if (auto* b = qobject_cast<QPushButton*>(c(name))) {
            b->click();
        } else {
            QTest::mouseClick(c(name), Qt::LeftButton);
        }
    }

  private slots:
    void init() { message_boxes::set_auto_answer(true, true); }
    void cleanup() {
        panel_.reset();
        message_boxes::take_log();
    }

    void everyControlRelaysItsKey() {
        start();
        struct Case {
            const char* control;
            int arrow;  // 0 click, 1 up, -1 down
            std::uint16_t key;
            bool shift, ctrl;
        };
        const Case cases[] = {
            {"pnlKampfzeit", 0, 0x20, false, false},    {"btnZeitPlus", 0, 'Z', false, true},
            {"btnZeitMinus", 0, 'V', false, true},      {"btnHGPlus", 0, 'P', false, true},
            {"btnHGMinus", 0, 'M', false, true},        {"pnlHGStartBlau", 0, 0x74, false, false},
            {"pnlHGStartWeiss", 0, 0x77, false, false}, {"pnlHGStop", 0, 0x75, false, false},
            {"pnlHGReset", 0, 0x76, false, false},      {"btnSiegerBlau", 0, 'B', false, true},
            {"btnSiegerWeiss", 0, 'W', false, true},    {"BtnKeinSieger", 0, 'X', false, true},
            {"btnGoldenScore", 0, 'S', false, true},    {"btnHansoBlau", 0, 0x70, false, true},
            {"btnHansoWeiss", 0, 0x7B, false, true},    {"btnKreuz_B", 0, 0xBB, false, false},
            {"btnKreuz_W", 0, 0xBF, false, false},      {"btnGong", 0, 'G', false, true},
            {"btnTitel", 0, 'T', false, true},          {"btnKampfAktivieren", 0, 'A', false, true},
            {"ud_I_b", 1, '1', false, false},           {"ud_W_b", -1, '2', true, false},
            {"ud_Y_b", 1, '3', false, false},           {"ud_S_b", -1, '4', true, false},
            {"ud_I_w", 1, '7', false, false},           {"ud_W_w", 1, '8', false, false},
            {"ud_W_w", -1, '8', true, false},           {"ud_Y_w", -1, '9', true, false},
            {"ud_S_w", 1, '0', false, false},
        };
        for (const Case& k : cases) {
            relayed_.clear();
            if (k.arrow == 0) {
                click(k.control);
            } else {
                c(k.control)->findChild<QToolButton*>(k.arrow > 0 ? "up" : "down")->click();
            }
            QVERIFY2(relayed_.size() == 1, k.control);
            QCOMPARE(relayed_[0].key, k.key);
            QCOMPARE(relayed_[0].mods.shift, k.shift);
            QCOMPARE(relayed_[0].mods.ctrl, k.ctrl);
            QVERIFY(!relayed_[0].mods.alt);
        }
        // The notation itself, including pairs no control uses.
        QVERIFY(!relay_key('9', 'F'));
        QVERIFY(!relay_key('2', 'G'));
        QVERIFY(!relay_key('A', 'X'));
    }

    void mirrorFollowsTheBoard() {
        start("[anzeige]\r\nanz_links=0\r\nak=U18\r\ngewk=-73\r\n");
        click("btnKampfAktivieren");
        c("ud_W_b")->findChild<QToolButton*>("up")->click();
        QCOMPARE(text("edt_W_b"), QString("1"));
        click("btnHansoWeiss");
        QCOMPARE(text("edt_S_w"), QString("H"));
        QVERIFY(c("pnlSiegerBlau")->isVisible());
        QVERIFY(!c("pnlSiegerWeiss")->isVisible());
        QCOMPARE(text("sbPanel0"), QString("U18    -73"));
        QCOMPARE(text("sbPanel1"), QString(" "));
        engine_->internals_for_tests().board.lbl_Kreuz_b_2.text = "+";
        panel_->anzeige_uebernehmen();
        QCOMPARE(text("edtKreuz_B"), QString("2"));
        QCOMPARE(text("edtKreuz_W"), QString("0"));
        // The clock field mirrors text and colours.
        click("btnZeitPlus");
        click("btnKampfAktivieren");
        click("pnlKampfzeit");
        QCOMPARE(text("pnlKampfzeit"), QString("0:01"));
        QCOMPARE(c("pnlKampfzeit")->palette().color(QPalette::WindowText), QColor(14, 255, 19));
        // Waza-ari column hidden with ohne_waza.
        engine_->internals_for_tests().rules.ohne_waza = true;
        panel_->anzeige_uebernehmen();
        QVERIFY(!c("edt_W_w")->isVisible());
        QVERIFY(!c("ud_W_b")->isVisible());
        QVERIFY(!c("Label6")->isVisible());
        QVERIFY(c("edt_Y_w")->isVisible());
    }

    void pauseToggleSurvivesClosing() {
        start();
        click("btnPause");
        QCOMPARE(qobject_cast<QPushButton*>(c("btnPause"))->text(), QString("Pause beenden"));
        QVERIFY(host_->overlay_shown);
        engine_->internals_for_tests().state.control_panel_active = true;
        click("btnCloseSTRG");
        QVERIFY(!engine_->state().control_panel_active);
        QVERIFY(!host_->overlay_shown);
        QVERIFY(!panel_->isVisible());
        QCOMPARE(qobject_cast<QPushButton*>(c("btnPause"))->text(), QString("Pause beenden"));
        relayed_.clear();
        click("btnPause");
        QCOMPARE(relayed_.size(), std::size_t{1});
        QCOMPARE(relayed_[0].key, std::uint16_t{'R'});
        QCOMPARE(qobject_cast<QPushButton*>(c("btnPause"))->text(), QString("Anzeige auf Pause"));
    }

    void leavingAsksOnlyDuringABout() {
        start();
        engine_->internals_for_tests().board.lblBlau_Name.text = "Meier";
        engine_->internals_for_tests().state.set_duration = 240;
        engine_->internals_for_tests().state.clock_value = 200;
        engine_->internals_for_tests().state.bout_active = true;
        engine_->internals_for_tests().state.begun = true;
        host_->confirm_answers.push_back(false);
        click("btnCloseAnzeige");
        QVERIFY(!engine_->state().exit_request);
        QVERIFY(panel_->isVisible());
        host_->confirm_answers.push_back(true);
        click("btnCloseAnzeige");
        QVERIFY(engine_->state().exit_request);
        QVERIFY(!panel_->isVisible());
        QCOMPARE(std::count(host_->events.begin(), host_->events.end(),
                            "confirm Verlassen ohne Speichern ?"),
                 2);
        // An untouched clock: no question.
        start();
        engine_->internals_for_tests().board.lblBlau_Name.text = "Meier";
        engine_->internals_for_tests().state.set_duration =
            engine_->internals_for_tests().state.clock_value = 240;
        click("btnCloseAnzeige");
        QVERIFY(engine_->state().exit_request);
    }

    void escapeDoesNotCloseThePanel() {
        start();
        QTest::keyClick(panel_.get(), Qt::Key_Escape);
        QVERIFY(panel_->isVisible());
        QVERIFY(relayed_.empty());
    }

    void closeButtonDisabledWhenThePanelOpensAtStart() {
        start("[anzeige]\r\nanz_links=0\r\ncontrol=1  \r\n");
        QVERIFY(!c("btnCloseSTRG")->isEnabled());
        QCOMPARE(panel_->windowTitle(), QString("KYOMAT - Controlpanel für Anzeigetafel"));
        QCOMPARE(panel_->pos(), QPoint(0, 0));
    }

    void boutListArea() {
        start();
        rows_ = {{"-60", "A", "B", "1:0", "10:0"}, {"-66", "C", "D", "", ""}};
        auto* grid = panel_->findChild<QTableWidget*>("grdKaempfe");
        QVERIFY(!panel_->list_mode());
        QTest::mouseDClick(c("pnlKaempfeListe"), Qt::LeftButton);
        QCOMPARE(edits_, 1);
        QVERIFY(panel_->list_mode());
        QCOMPARE(grid->rowCount(), 2);
        QCOMPARE(grid->item(0, 3)->text(), QString("1:0"));
        QCOMPARE(grid->horizontalHeaderItem(3)->text(), QString("Ergebnis"));
        QCOMPARE(engine_->state().weight_class, std::string("..."));
        // A double click below the last row opens the editor as well.
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                           QPoint(20, grid->viewport()->height() - 5));
        QCOMPARE(edits_, 2);
        // A list the desk is saving at this moment: the grid keeps its rows and list mode.
        list_loads_ = false;
        panel_->anzeige_kaempfe();
        QVERIFY(panel_->list_mode());
        QCOMPARE(grid->rowCount(), 2);
        list_loads_ = true;
        // "Kampf speichern" leaves list mode before the result is handed on.
        click("btnSave");
        QVERIFY(!panel_->list_mode());
        QCOMPARE(relayed_.back().key, std::uint16_t{'E'});
        // "Nächster Kampf" without a bout from the list: the grid stays hidden.
        click("btnNaechsterKampf");
        QVERIFY(!panel_->list_mode());
        // A list that does not load leaves the grid hidden.
        list_loads_ = false;
        QTest::mouseDClick(c("pnlKaempfeListe"), Qt::LeftButton);
        QVERIFY(!panel_->list_mode());
        // Reconnect tells its catalogue number.
        message_boxes::take_log();
        click("btnReconnect");
        QCOMPARE(
            message_boxes::take_log(),
            std::vector<std::string>{
                "H Verbindung erneuert: die Kampfliste wird wieder gelesen und geschrieben (105)"});
    }

    void proportions() {
        const PanelLayout p = panel_layout(990, 547, 45, 20);
        QCOMPARE(p.pnlWertung.h, 200);
        QCOMPARE(p.pnlWertungWeiss.w, 495);
        QCOMPARE(p.pnlKaempfe.w, 495);
        QCOMPARE(p.pnlControlZeit.w, p.pnlControlZeit.h * 4 / 5);
        QCOMPARE(p.pnlKampfzeit.h, p.pnlControlZeit.h / 2);
        const ScoreRowLayout s = score_row_layout(477, 198, 21);
        QCOMPARE(s.u, 28);
        QCOMPARE(s.field[0], (Rect{28, 99, 56, 66}));
        QCOMPARE(s.field[1].x, 140);
        QCOMPARE(s.field[2].x, 252);
        QCOMPARE(s.field[3].x, 364);
        QCOMPARE(s.updown[0], (Rect{84, 99, 28, 66}));
        QCOMPARE(s.updown[3].x, 420);
        QCOMPARE(s.name_caption_top, 19);
        QCOMPARE(s.name.x, 140);
        QCOMPARE(s.name.w, 196);
        QCOMPARE(s.club.y, 19 + 21 * 4 / 3);
        QCOMPARE(s.button_left, 420);
        QCOMPARE(s.cross_count_left, 453);
        QCOMPARE(s.winner.x, 28);
        QCOMPARE(s.winner.w, 84);
        // A clock field 120 pixels high: 96 pixels, 44 points; a tiny window: 7.
        QCOMPARE(font_size(120 * 4 / 5, 0), 44);
        QCOMPARE(panel_layout(60, 70, 45, 20).clock_font, 7);
    }
};

QTEST_MAIN(TestControlPanel)
#include "test_control_panel.moc"
