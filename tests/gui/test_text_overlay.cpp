// The text screen and the logo overlay on the offscreen platform, and picture loading.
#include <QBuffer>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <future>

#include "display/fit_label.h"
#include "display/logo_overlay.h"
#include "display/picture_file.h"
#include "display/text_screen.h"
#include "engine/fake_host.h"
#include "platform/message_box.h"
#include "platform/picture.h"
#include "temp_folder.h"

using namespace kyomat;

namespace {

void save_image(const std::filesystem::path& file, const QColor& colour, const char* format) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(QString::fromStdString(file.string()), format));
}

}  // namespace

class TestTextOverlay : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::TempFolder> dir_;
    std::unique_ptr<testing::FakeHost> host_;
    std::unique_ptr<BoutEngine> engine_;

    void start(const std::string& ini) {
        dir_ = std::make_unique<testing::TempFolder>();
        dir_->write("kyomat.ini", ini);
        host_ = std::make_unique<testing::FakeHost>(dir_->path());
        engine_ = std::make_unique<BoutEngine>(
            *host_, kyomat::testing::settings_written_at_once(dir_->path()));
        engine_->on_create();
    }

  private slots:
    void init() { message_boxes::set_auto_answer(true, true); }
    void cleanup() { message_boxes::take_log(); }

    void layoutArithmetic() {
        // 1920 x 1080 with short lines: 180 points, tops 18, 384, 756, centred.
        TextLayout t = text_screen_layout(1920, 1080, [](int, int points) { return points * 3; });
        QCOMPARE(t.size[0], 180);
        QCOMPARE(t.size[2], 180);
        QCOMPARE(t.top[0], 18);
        QCOMPARE(t.top[1], 384);
        QCOMPARE(t.top[2], 756);
        QCOMPARE(t.left[0], (1920 - 540) / 2);
        // Lines shrink until they fit 95 % of the height (1026 px); lines 1 and 2 share the
        // smaller size, line 3 keeps its own.
        t = text_screen_layout(
            1920, 1080, [](int line, int points) { return line == 1 ? points * 10 : points * 3; });
        QCOMPARE(t.size[1], 102);
        QCOMPARE(t.size[0], 102);
        QCOMPARE(t.size[2], 180);
        // A line too long for 20 points stays at 20 and is cut at both edges.
        t = text_screen_layout(1920, 1080, [](int, int points) { return points * 200; });
        QCOMPARE(t.size[0], 20);
        QCOMPARE(t.left[0], (1920 - 4000) / 2);
        QVERIFY(t.left[0] < 0);
    }

    void longLinesOnTitlePagesWrapInsteadOfShrinkingToNothing() {
        start("[anzeige]\r\nanz_links=0\r\ntitel_dauer=0\r\n");
        TextScreen text(*engine_, [](bool) {});
        text.resize(1920, 1080);
        const QString club = "Judo-Club Sportgemeinschaft Mönchengladbach-Rheydt 1921 e.V.";
        QStringList lines;
        int points = 0;
        QRect l3_place, l1_place;
        bool l1_fitted = true;
        text.show_page(PageScheme::blau, "Meier", "Hans", club.toStdString());
        text.resize(1920, 1080);
        text.lay_out();
        auto* l3 = static_cast<FitLabel*>(text.findChild<QLabel*>("lbl3"));
        auto* l1 = static_cast<FitLabel*>(text.findChild<QLabel*>("lbl1"));
        lines = l3->shown_lines();
        points = l3->font().pointSize();
        l3_place = l3->geometry();
        l1_place = l1->geometry();
        l1_fitted = l1->fitted();
        QTest::mouseClick(&text, Qt::LeftButton);
        // Two lines at a size well above the 20 points of one line, inside the page.
        QCOMPARE(lines.size(), 2);
        QVERIFY(points > 40);
        QVERIFY(l3_place.bottom() < 1080);
        QVERIFY(l3_place.left() >= 0 && l3_place.right() < 1920);
        QCOMPARE(lines[0] + (lines[0].endsWith('-') ? "" : " ") + lines[1], club);
        // A short line keeps its place and its one line.
        QVERIFY(!l1_fitted);
        QCOMPARE(l1_place.top(), 18);
    }

    void pagesCloseByTimeOrClickInTheSchemeColours() {
        start(
            "[anzeige]\r\nanz_links=0\r\ntitel_dauer=0\r\n[Farben_1]\r\nhintergrund_name=$"
            "102030\r\n"
            "font_name=$405060\r\n[Farben_A]\r\nhintergrund_fuss=$010203\r\nfont_fuss=$0A0B0C\r\n");
        int waits = 0;
        TextScreen text(*engine_, [&waits](bool show) { waits += show ? 1 : 0; });
        text.show_page(PageScheme::blau, "Meier", "Hans", "JC Nord");
        QCOMPARE(text.palette().color(QPalette::Window), QColor(0x10, 0x20, 0x30));
        QCOMPARE(text.findChild<QLabel*>("lbl1")->palette().color(QPalette::WindowText),
                 QColor(0x40, 0x50, 0x60));
        QCOMPARE(text.findChild<QLabel*>("lbl2")->text(), QString("Hans"));
        // titel_dauer 0: the page stays however long it is up...
        for (int i = 0; i < 5; ++i) text.page_tick();
        QVERIFY(text.isVisible());
        // ...until it is clicked.
        QTest::mouseClick(&text, Qt::LeftButton);
        QVERIFY(!text.isVisible());
        QVERIFY(!text.page_timer().isActive());
        QCOMPARE(waits, 0);  // display at 0: never the wait notice
        engine_->internals_for_tests().rules.titel_dauer = "2";
        text.show_page(PageScheme::neutral, "U18", "-73 kg", "");
        QCOMPARE(text.palette().color(QPalette::Window), QColor(1, 2, 3));
        QCOMPARE(text.findChild<QLabel*>("lbl3")->palette().color(QPalette::WindowText),
                 QColor(10, 11, 12));
        text.page_tick();
        QVERIFY(text.isVisible());
        text.page_tick();
        QVERIFY(!text.isVisible());
        engine_->internals_for_tests().rules.titel_dauer = "abc";
        text.show_page(PageScheme::weiss, "Li", " Wei", "");
        QCOMPARE(text.page_duration(), 1);
        QCOMPARE(text.palette().color(QPalette::Window), QColor(1, 19, 196));  // Farben_2
        text.page_tick();
        QVERIFY(!text.isVisible());
    }

    void overlayRotation() {
        start("");
        save_image(dir_->path() / "a.jpg", Qt::red, "JPG");
        save_image(dir_->path() / "b.bmp", Qt::green, "BMP");
        save_image(dir_->path() / "c.jpeg", Qt::blue, "JPG");
        dir_->write(
            "kyomat.ini",
            "[pause]\r\nlogo1=a.jpg\r\nlogo2=b.bmp\r\nlogo3=c.jpeg\r\nzeit1=50\r\nzeit2=0\r\n"
            "zeit3=20\r\n");
        LogoOverlay overlay(engine_->settings(), [] { return 0; });
        overlay.decode_on_this_thread();
        overlay.logo_timer().stop();
        overlay.overlay_bild();
        QVERIFY(overlay.isVisible());
        QCOMPARE(overlay.current_logo(), std::string("a.jpg"));
        QVERIFY(!overlay.loading());
        overlay.logo_timer().stop();  // the test drives the ticks
        auto ticks = [&](int n) {
            for (int i = 0; i < n; ++i) overlay.on_logo_timer();
        };
        ticks(49);
        QCOMPARE(overlay.current_logo(), std::string("a.jpg"));
        ticks(1);  // logo 1 over; logo 2 has time 0: skipped, logo 1 stays 100 ms longer
        QCOMPARE(overlay.current_logo(), std::string("a.jpg"));
        ticks(1);
        QCOMPARE(overlay.current_logo(), std::string("c.jpeg"));
        ticks(19);
        QCOMPARE(overlay.current_logo(), std::string("c.jpeg"));
        ticks(1);
        QCOMPARE(overlay.current_logo(), std::string("a.jpg"));
        // Keys without a character do not close it; Escape does.
        QTest::keyClick(&overlay, Qt::Key_F1);
        QTest::keyClick(&overlay, Qt::Key_Left);
        QVERIFY(overlay.isVisible());
        QTest::keyClick(&overlay, Qt::Key_Escape);
        QVERIFY(!overlay.isVisible());
        QVERIFY(!overlay.logo_timer().isActive());
        // A second showing starts with logo 1 again and rotates by itself, as the first did;
        // a logo that went missing is reported.
        ticks(0);
        overlay.overlay_bild();
        QCOMPARE(overlay.current_logo(), std::string("a.jpg"));
        QVERIFY(overlay.logo_timer().isActive());
        std::filesystem::remove(dir_->path() / "c.jpeg");
        message_boxes::take_log();
        // Told as a note, which needs no answer: a box would take the operator's next key.
        QStringList notes;
        overlay.set_note([&notes](const QString& text) { notes << text; });
        overlay.logo_timer().stop();
        ticks(51);  // logo 1's time, logo 2 skipped, logo 3 fails
        QCOMPARE(notes.size(), 1);
        QVERIFY(notes[0].contains("c.jpeg"));
        QVERIFY(message_boxes::take_log().empty());
        QVERIFY(!overlay.logo_timer().isActive());
        QCOMPARE(overlay.current_logo(), std::string("a.jpg"));
        QTest::mouseClick(&overlay, Qt::LeftButton);
        QVERIFY(!overlay.isVisible());
    }

    void everyPauseRotatesItsLogosOnItsOwnTimer() {
        start("");
        save_image(dir_->path() / "a.bmp", Qt::red, "BMP");
        save_image(dir_->path() / "b.bmp", Qt::green, "BMP");
        dir_->write("kyomat.ini",
                    "[pause]\r\nlogo1=a.bmp\r\nlogo2=b.bmp\r\nzeit1=1\r\nzeit2=1\r\n");
        LogoOverlay overlay(engine_->settings(), [] { return 0; });
        overlay.decode_on_this_thread();
        for (int pause = 1; pause <= 3; ++pause) {
            overlay.overlay_bild();
            // The real timer, not ticks by hand: both logos come round in every pause.
            QTRY_COMPARE_WITH_TIMEOUT(overlay.current_logo(), std::string("b.bmp"), 10000);
            QTRY_COMPARE_WITH_TIMEOUT(overlay.current_logo(), std::string("a.bmp"), 10000);
            QTest::keyClick(&overlay, Qt::Key_Space);
            QVERIFY(!overlay.isVisible());
        }
    }

    void overlayDropsUnreadableLogosSilently() {
        start("");
        dir_->write("x.gif", "GIF89a");
        dir_->write("kyomat.ini",
                    "[pause]\r\nlogo1=x.gif\r\nlogo2=missing.jpg\r\nzeit1=5\r\nzeit2=5\r\n");
        LogoOverlay overlay(engine_->settings(), [] { return 0; });
        overlay.overlay_bild();
        QCOMPARE(overlay.current_logo(), std::string());
        QVERIFY(message_boxes::take_log().empty());
        QVERIFY(!overlay.findChild<QLabel*>("logo_main")->pixmap().isNull());  // built-in
        QCOMPARE(overlay.findChild<QLabel*>("logo_main")->pixmap().size(), QSize(1024, 768));
    }

    // A progressive picture with hundreds of scans is refused; one with a few dozen is not.
    void scanBombsAndHugeFilesAreRefused() {
        testing::TempFolder dir;
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "JPG");
        writer.setProgressiveScanWrite(true);
        QVERIFY(writer.write(image));
        const std::string jpeg(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        const std::size_t last_scan = jpeg.rfind("\xFF\xDA");
        const std::size_t end = jpeg.rfind("\xFF\xD9");
        QVERIFY(last_scan != std::string::npos && end != std::string::npos && last_scan < end);
        const auto with_scans = [&](int repeats) {
            std::string out = jpeg.substr(0, end);
            for (int i = 0; i < repeats; ++i) out += jpeg.substr(last_scan, end - last_scan);
            return out + "\xFF\xD9";
        };
        QString error;
        QVERIFY(decode_jpeg(with_scans(20), error).has_value());
        QVERIFY(!decode_jpeg(with_scans(500), error).has_value());
        QVERIFY(error.contains("scans"));
        // A sparse file of 2 GB is refused by its size, without reading it.
        {
            std::ofstream sparse(dir.path() / "huge.jpg", std::ios::binary);
            sparse.seekp(2LL * 1024 * 1024 * 1024);
            sparse.put('\0');
        }
        error.clear();
        QVERIFY(!load_picture(dir.path() / "huge.jpg", error).has_value());
        QVERIFY2(error.contains("zu groß"), qPrintable(error));
    }

    // A large logo is kept at the size of the screen it is shown on, not at its own.
    void largeLogosAreKeptAtTheOverlaysSize() {
        start("");
        QImage big(4000, 3000, QImage::Format_RGB32);
        big.fill(Qt::blue);
        QVERIFY(big.save(QString::fromStdString((dir_->path() / "big.jpg").string()), "JPG"));
        dir_->write("kyomat.ini", "[pause]\r\nlogo1=big.jpg\r\nzeit1=50\r\n");
        LogoOverlay overlay(engine_->settings(), [] { return 0; });
        overlay.overlay_bild();
        QTRY_COMPARE(overlay.current_logo(), std::string("big.jpg"));
        const QSize shown = overlay.findChild<QLabel*>("logo_main")->pixmap().size();
        QCOMPARE(shown, overlay.size());  // scaled to the screen, not to a default size
        overlay.overlay_bild_aus();
    }

    // While a logo is decoded the GUI thread goes on: timers fire, the board's clock ticks.
    void theGuiGoesOnWhileALogoIsDecoded() {
        start("");
        save_image(dir_->path() / "slow.jpg", Qt::red, "JPG");
        dir_->write("kyomat.ini", "[pause]\r\nlogo1=slow.jpg\r\nzeit1=50\r\n");
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        LogoOverlay overlay(engine_->settings(), [] { return 0; });
        overlay.set_picture_loader([released](const std::filesystem::path& file) {
            released.wait();  // a decoder as slow as the test wants
            LoadedPicture p;
            p.image = load_picture(file, p.error);
            return p;
        });
        int fired = 0;
        QTimer clock;
        connect(&clock, &QTimer::timeout, [&fired] { ++fired; });
        clock.start(10);
        overlay.overlay_bild();
        QTRY_VERIFY(fired >= 10);
        QVERIFY(overlay.loading());
        QCOMPARE(overlay.current_logo(), std::string());  // the built-in picture meanwhile
        release.set_value();
        QTRY_COMPARE(overlay.current_logo(), std::string("slow.jpg"));
        overlay.overlay_bild_aus();
    }

    void pictureLoading() {
        testing::TempFolder dir;
        save_image(dir.path() / "ok.JPG", Qt::red, "JPG");
        save_image(dir.path() / "ok.ico", Qt::red, "ICO");
        QString error;
        const auto jpg = load_picture(dir.path() / "ok.JPG", error);
        QVERIFY(jpg.has_value());
        QCOMPARE(jpg->size(), QSize(64, 48));
        QVERIFY(qRed(jpg->pixel(10, 10)) > 200);
        QVERIFY(load_picture(dir.path() / "ok.ico", error).has_value());
        // Truncated and corrupt JPEGs are failures, never a crash or an exit.
        std::string bytes;
        {
            std::ifstream in(dir.path() / "ok.JPG", std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        for (std::size_t cut : {std::size_t{2}, std::size_t{20}, bytes.size() / 2}) {
            dir.write("cut.jpg", bytes.substr(0, cut));
            // A cut stream may still decode partly (libjpeg fills the rest): then it has the
            // picture's size; otherwise the operator is told why.
            error.clear();
            const auto partial = load_picture(dir.path() / "cut.jpg", error);
            QVERIFY(partial ? partial->size() == QSize(64, 48) : !error.isEmpty());
        }
        dir.write("junk.jpg", std::string(500, '\x5A'));
        QVERIFY(!load_picture(dir.path() / "junk.jpg", error).has_value());
        QVERIFY(!error.isEmpty());
        dir.write("empty.jpeg", "");
        QVERIFY(!load_picture(dir.path() / "empty.jpeg", error).has_value());
        dir.write("logo.wmf", "\xD7\xCD\xC6\x9A");
        QVERIFY(!load_picture(dir.path() / "logo.wmf", error).has_value());
        QVERIFY(error.contains("Windows-Metadateien"));
        QVERIFY(!load_picture(dir.path() / "missing.bmp", error).has_value());
        std::filesystem::create_directory(dir.path() / "folder.jpg");
        QVERIFY(!load_picture(dir.path() / "folder.jpg", error).has_value());
        // A header that claims a huge picture is refused before memory is taken for it.
        std::string huge = bytes;
        const std::size_t sof = huge.find("\xFF\xC0");
        QVERIFY(sof != std::string::npos);
        huge[sof + 5] = '\x4E';  // height 20000
        huge[sof + 6] = '\x20';
        huge[sof + 7] = '\x4E';  // width 20000
        huge[sof + 8] = '\x20';
        dir.write("huge.jpg", huge);
        QVERIFY(!load_picture(dir.path() / "huge.jpg", error).has_value());
        dir.write("bad.bmp", "BMjunk");
        QVERIFY(!load_picture(dir.path() / "bad.bmp", error).has_value());
    }
};

QTEST_MAIN(TestTextOverlay)
#include "test_text_overlay.moc"
