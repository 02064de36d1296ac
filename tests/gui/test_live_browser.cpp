// The live view's pages in a real browser: headless Chromium opens them from the running
// scoreboard, keys change the board, and the test reads what the pages rendered from their
// DOM over the browser's remote debugging protocol.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWebSocket>
#include <QtTest>
#include <memory>

#include "gui/browser.h"
#include "live/core/state_document.h"
#include "live/live_rig.h"
#include "platform/message_box.h"

using namespace kyomat;

class TestLiveBrowser : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::LiveRig> rig_;
    std::unique_ptr<testing::Browser> browser_;

    QString url(const char* path, quint16 port = 0) {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port ? port : rig_->port()).arg(path);
    }

  private slots:
    void initTestCase() {
        message_boxes::set_auto_answer(true, true);
        browser_ = std::make_unique<testing::Browser>();
    }
    void init() { rig_ = std::make_unique<testing::LiveRig>(); }
    void cleanup() { rig_.reset(); }
    void cleanupTestCase() { browser_.reset(); }

    void theBoardPageShowsWhatTheKeysChanged() {
        rig_->names("Müller, Anna", "Li, Wei");
        const QString page = browser_->open(url("/"));
        QTRY_COMPARE_WITH_TIMEOUT(browser_->text_of(page, "lblBlau_Name"), QString("Müller, Anna"),
                                  15000);
        QCOMPARE(browser_->text_of(page, "lblWeiss_Name"), QString("Li, Wei"));
        QCOMPARE(browser_->text_of(page, "lbl_W_b"), QString("0"));
        QCOMPARE(browser_->text_of(page, "lblZeit"), QString("0:00"));
        // Keys on the board: a waza-ari for blue, a shido for white, the clock started.
        rig_->press('2');
        rig_->press('0');
        rig_->run_clock();
        QTRY_COMPARE_WITH_TIMEOUT(browser_->text_of(page, "lbl_W_b"), QString("1"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(browser_->text_of(page, "lbl_S_W"), QString("1"), 10000);
        // The page follows the running clock without being asked.
        QTRY_VERIFY_WITH_TIMEOUT(browser_->text_of(page, "lblZeit") == "3:58", 10000);
        QCOMPARE(browser_->text_of(page, "lblZeit"),
                 QString::fromStdString(rig_->engine().board().lblZeit.text));
        // The colours are the board's.
        QCOMPARE(browser_->evaluate(page,
                                    "getComputedStyle(document.getElementById('pnlMiddle'))"
                                    ".backgroundColor"),
                 QString("rgb(1, 19, 196)"));
    }

    // On a portrait phone and on a hall screen: the clock, the hold-down and the names never
    // overlap; on the phone no text is under 16 pixels and a long name ends in "…".
    void thePagesFitAPhoneAndAHallScreen() {
        rig_->names("Schwarzenberger-Hohenlohe, Maximilian-Alexander", "Li, Wei");
        rig_->press(vk::f5);
        const QString overlaps = QStringLiteral(R"((function(){
            const ids = ["lblZeit", "lblHG", "lblBlau_Name", "lblWeiss_Name", "lblBLau_Verein",
                         "lblWeiss_Verein", "lblAK", "lblGewK"];
            const boxes = ids.map((id) => [id, document.getElementById(id)])
                .filter(([, e]) => e.offsetParent !== null && e.textContent !== "")
                .map(([id, e]) => [id, e.getBoundingClientRect()]);
            const bad = [];
            for (let i = 0; i < boxes.length; ++i)
              for (let j = i + 1; j < boxes.length; ++j) {
                const [a, p] = boxes[i], [b, q] = boxes[j];
                if (p.left < q.right - 1 && q.left < p.right - 1 && p.top < q.bottom - 1 &&
                    q.top < p.bottom - 1) bad.push(a + "/" + b);
              }
            for (const [id, r] of boxes)
              if (r.right > innerWidth + 1 || r.left < -1) bad.push(id + " outside");
            return bad.join(" ");
        })())");
        const QString small_text = QStringLiteral(R"((function(){
            const bad = [];
            for (const e of document.querySelectorAll("body *")) {
              if (e.offsetParent === null || e.children.length > 0) continue;
              if (e.textContent.trim() === "") continue;
              const size = parseFloat(getComputedStyle(e).fontSize);
              if (size < 16) bad.push((e.id || e.className) + " " + size);
            }
            return bad.join(" ");
        })())");
        // On the phone the score columns stand apart (never "1", "0", "0" read as "100") under
        // their headings, and a short name is drawn large.
        const QString phone_scores = QStringLiteral(R"((function(){
            const bad = [];
            for (const s of ["b", "W"]) {
              const boxes = ["W", "Y", "S"].map((k) => document.getElementById("lbl_" + k + "_" + s))
                  .filter((e) => e.offsetParent !== null).map((e) => e.getBoundingClientRect());
              for (let i = 0; i + 1 < boxes.length; ++i) {
                const gap = boxes[i + 1].left - boxes[i].right;
                const digit = Math.max(boxes[i].width, boxes[i + 1].width);
                if (gap < digit) bad.push(s + i + ": " + gap + " < " + digit);
              }
            }
            const white = parseFloat(document.getElementById("lblWeiss_Name").style.fontSize);
            if (white < 24) bad.push("white's name at " + white);
            const heading = document.getElementById("pnl1_titel_W");
            if (!heading || heading.offsetParent === null) bad.push("no heading");
            return bad.join(" ");
        })())");
        for (const auto& [w, h] : {std::pair{390, 844}, std::pair{1920, 1080}}) {
            const QString page = browser_->open(url("/"), w, h);
            browser_->viewport(page, w, h);
            QTRY_VERIFY_WITH_TIMEOUT(browser_->text_of(page, "lblBlau_Name").startsWith("Schwarz"),
                                     15000);
            browser_->evaluate(page, "layOut(), 0");
            // KYOMAT_SCREENSHOTS=FOLDER keeps pictures of both pages at both sizes.
            const QString shots = qEnvironmentVariable("KYOMAT_SCREENSHOTS");
            if (!shots.isEmpty()) {
                browser_->screenshot(
                    page, QStringLiteral("%1/live-board-%2x%3.png").arg(shots).arg(w).arg(h));
            }
            QTRY_COMPARE_WITH_TIMEOUT(browser_->evaluate(page, "layOut(), " + overlaps), QString(),
                                      10000);
            // Too long even at its smallest size: shortened with "…", within the page; on the
            // phone it takes two lines, whole or ending with "…".
            const QString cut = QStringLiteral(
                "layOut(), (function(){const e=document.getElementById('lblBlau_Name');"
                "const size=parseFloat(e.style.fontSize);"
                "const two=e.offsetHeight<=2*size*1.17+1&&e.scrollWidth<=innerWidth;"
                "return (innerWidth<innerHeight&&two?'two lines':getComputedStyle(e).textOverflow)"
                " + ' ' + innerWidth + ' ' + e.offsetWidth + ' ' + e.offsetHeight"
                " + ' ' + e.style.fontSize + ' ' + e.textContent;})()");
            QTRY_VERIFY2_WITH_TIMEOUT(browser_->evaluate(page, cut).startsWith("ellipsis") ||
                                          browser_->evaluate(page, cut).startsWith("two lines"),
                                      qPrintable(browser_->evaluate(page, cut)), 10000);
            if (w < h) {
                QTRY_COMPARE_WITH_TIMEOUT(browser_->evaluate(page, "layOut(), " + small_text),
                                          QString(), 10000);
                QTRY_COMPARE_WITH_TIMEOUT(browser_->evaluate(page, "layOut(), " + phone_scores),
                                          QString(), 10000);
                const QString hall = browser_->open(url("/halle"), w, h);
                browser_->viewport(hall, w, h);
                QTRY_VERIFY_WITH_TIMEOUT(
                    browser_->evaluate(hall, "document.querySelector('.name').textContent")
                        .startsWith("Schwarz"),
                    15000);
                QCOMPARE(browser_->evaluate(hall, small_text), QString());
                if (!shots.isEmpty()) {
                    browser_->screenshot(
                        hall, QStringLiteral("%1/live-halle-%2x%3.png").arg(shots).arg(w).arg(h));
                }
            }
        }
    }

    void theOverlayFollowsTheBoardToo() {
        rig_->names("Schmidt, Eva", "Kato, Yui");
        const QString page = browser_->open(url("/overlay"));
        QTRY_COMPARE_WITH_TIMEOUT(browser_->text_of(page, "blue_name"), QString("Schmidt, Eva"),
                                  15000);
        QCOMPARE(browser_->text_of(page, "white_name"), QString("Kato, Yui"));
        rig_->press('8');  // waza-ari for white
        QTRY_COMPARE_WITH_TIMEOUT(browser_->text_of(page, "white_waza_ari"), QString("1"), 10000);
        rig_->run_clock();
        QTRY_VERIFY_WITH_TIMEOUT(browser_->text_of(page, "clock") == "3:59", 10000);
        // Who holds is said and coloured; a win by Ippon is called so.
        rig_->press(vk::f5);
        QTRY_VERIFY_WITH_TIMEOUT(browser_->text_of(page, "hold").startsWith("Haltegriff Blau"),
                                 10000);
        QCOMPARE(browser_->evaluate(page,
                                    "getComputedStyle(document.getElementById('hold'))"
                                    ".backgroundColor"),
                 QString("rgb(255, 255, 255)"));
        rig_->press('1');
        QTRY_COMPARE_WITH_TIMEOUT(browser_->text_of(page, "blue_winner"), QString("◀ Ippon"),
                                  10000);
        // Long names and clubs never push the scores or the clock off the page: they end
        // with "…".
        Board& b = rig_->engine().internals_for_tests().board;
        b.lblBLau_Verein.text = "Judo-Club Sportgemeinschaft Mönchengladbach-Rheydt 1921 e.V.";
        rig_->names("Schwarzenberger-Hohenlohe, Maximilian-Alexander von und zu Hohenfels",
                    "Kato, Yui");
        const QString wide = browser_->open(url("/overlay"), 1920, 1080);
        browser_->viewport(wide, 1920, 1080);
        QTRY_VERIFY_WITH_TIMEOUT(browser_->text_of(wide, "blue_name").startsWith("Schwarz"), 15000);
        const QString outside = QStringLiteral(R"((function(){
            const bad = [];
            for (const id of ["blue_name", "blue_club", "blue_waza_ari", "blue_shido", "clock",
                              "white_waza_ari", "white_shido"]) {
              const r = document.getElementById(id).getBoundingClientRect();
              if (r.right > innerWidth + 1 || r.left < -1) bad.push(id + " outside");
            }
            for (const id of ["blue_name", "blue_club"]) {
              const e = document.getElementById(id);
              if (e.scrollWidth > e.clientWidth + 1 && getComputedStyle(e).textOverflow !== "ellipsis")
                bad.push(id + " cut without …");
            }
            const name = document.getElementById("blue_name");
            if (name.scrollWidth <= name.clientWidth) bad.push("the long name is not shortened");
            return bad.join(" ");
        })())");
        QTRY_COMPARE_WITH_TIMEOUT(browser_->evaluate(wide, outside), QString(), 10000);
        // Transparent around the strip, for a stream's browser source.
        QCOMPARE(browser_->evaluate(page, "getComputedStyle(document.body).backgroundColor"),
                 QString("rgba(0, 0, 0, 0)"));
    }

    void theHallShowsTwoMatsFromTwoScoreboards() {
        // A second mat: another server, fed a board of its own.
        LiveView other;
        QString error;
        QVERIFY(other.start("127.0.0.1", 0, error));
        rig_->names("Blau, Erste", "Weiss, Erste");
        rig_->press('2');
        testing::LiveRig second_board;
        second_board.names("Blau, Zweite", "Weiss, Zweite");
        other.publish(state_document(1, state_body(second_board.engine())), false);

        const QString hall =
            browser_->open(url("/halle?matten=127.0.0.1:") + QString::number(rig_->port()) +
                           ",127.0.0.1:" + QString::number(other.port()));
        const QString mat2_name = "document.querySelector('#mat2 .blue .name').textContent";
        QTRY_COMPARE_WITH_TIMEOUT(browser_->evaluate(hall, mat2_name), QString("Blau, Zweite"),
                                  15000);
        QCOMPARE(
            browser_->evaluate(hall, "document.querySelector('#mat1 .blue .name').textContent"),
            QString("Blau, Erste"));
        QCOMPARE(
            browser_->evaluate(hall, "document.querySelector('#mat1 .blue .waza_ari').textContent"),
            QString("1"));
    }
};

QTEST_MAIN(TestLiveBrowser)
#include "test_live_browser.moc"
