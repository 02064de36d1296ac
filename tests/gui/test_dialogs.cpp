// The bout list editor, the bout entry dialog, the team score dialog, the about box and the
// wait window on the offscreen platform.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "app/about_box.h"
#include "app/translation.h"
#include "app/wait_window.h"
#include "data/core/bout_list.h"
#include "data/core/file_io.h"
#include "dialogs/bout_entry_dialog.h"
#include "dialogs/bout_list_editor.h"
#include "dialogs/team_score_dialog.h"
#include "gui/window_keys.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "temp_folder.h"

using namespace kyomat;

namespace {

// Opens the dialog as a command opens it (the call returns at once), acts in it, and closes
// it if a failed check left it open.
void in_dialog(QDialog& dialog, const std::function<void(QWidget*)>& action) {
    open_command_dialog(dialog, {});
    action(&dialog);
    if (dialog.isVisible()) dialog.done(QDialog::Rejected);
}

// List files report in message boxes, as in the program.
void report_to_boxes(const std::string& text, MessageKind kind) {
    show_message(text, letter(kind));
}

std::string file_text(const std::filesystem::path& p) {
    std::string error;
    return read_whole_file(p, error).value_or("<missing>");
}

}  // namespace

class TestDialogs : public QObject {
    Q_OBJECT

  private slots:
    // Qt's standard dialogs and buttons speak German like the rest of the program.
    void qtTextsAreGerman() {
        QTranslator translator;
        QVERIFY(install_german_translation(translator));
        QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QString("Abbrechen"));
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QCOMPARE(dialog.labelText(QFileDialog::FileName), QString("Datei&name:"));
        QCoreApplication::removeTranslator(&translator);
    }

    void init() { message_boxes::set_auto_answer(true, true); }
    void cleanup() { message_boxes::take_log(); }

    void editorNewListSavedAtOnce() {
        testing::TempFolder dir;
        BoutListInUse list(dir.path(), report_to_boxes);
        BoutEntryDialog entry(list);
        BoutListEditor& editor = entry.editor();
        file_dialogs::set_next_answer(std::nullopt);  // save-as cancelled: still saved
        in_dialog(editor, [&](QWidget*) {
            QCOMPARE(editor.windowTitle(), QString("KYOMAT - Editieren Kampfliste <neu.kfl>"));
            editor.findChild<QPushButton*>("btnSave")->click();
            editor.findChild<QPushButton*>("btnCloseAnzeige")->click();
        });
        const std::string text = file_text(dir.path() / "neu.kfl");
        QVERIFY(text.find("#PAR|0|||2\r\n#DAT||||||||\r\n") != std::string::npos);
        QCOMPARE(text.substr(0, 9), std::string("#STR|KFL|"));
    }

    // The list's age class is shown, edited and saved as the sixth field of its "#PAR" record.
    void editorKeepsTheAgeClass() {
        testing::TempFolder dir;
        dir.write("u18.kfl", "#STR|KFL|1|1\r\n#PAR|0|||2|U18\r\n#DAT|-66|A|V|B|V|||\r\n");
        BoutListInUse list(dir.path(), report_to_boxes);
        BoutEntryDialog entry(list);
        BoutListEditor& editor = entry.editor();
        file_dialogs::set_next_answer(QString::fromStdString((dir.path() / "u18.kfl").string()));
        in_dialog(editor, [&](QWidget*) {
            editor.findChild<QPushButton*>("btnLoad")->click();
            auto* field = editor.findChild<QLineEdit*>("edtAltersklasse");
            QCOMPARE(field->text(), QString("U18"));
            field->selectAll();
            QTest::keyClicks(field, "U21|m");
            QCOMPARE(field->text(), QString("U21¦m"));
            editor.findChild<QPushButton*>("btnSave")->click();
            editor.findChild<QPushButton*>("btnCloseAnzeige")->click();
        });
        QVERIFY(file_text(dir.path() / "u18.kfl").find("#PAR|0|||2|U21\xA6m\r\n") !=
                std::string::npos);
        // The next bout takes the list's age class into the dialog's field.
        EntryFields& fields = entry.fields();
        QCOMPARE(list.access.kampf_laden(entry.fields()), ListOutcome::done);
        QCOMPARE(fields.edtAKID, std::string("U21¦m"));
    }

    // Opened during a bout: the keys land on the grid, where a Space (Matte) changes nothing;
    // blanks around a cell are never saved, and an age class without its own section in
    // kyomat.ini is said before the save (Abbrechen keeps the file as it was).
    void editorDuringABout() {
        testing::TempFolder dir;
        dir.write("kyomat.ini", "[anzeige]\r\nanz_links=0\r\n[AK U15]\r\nkampfzeit=180\r\n");
        dir.write("u15.kfl", "#STR|KFL|1|1\r\n#PAR|0|||2|U15\r\n#DAT|-40|A|V|B|V|||\r\n");
        BoutListInUse list(dir.path(), report_to_boxes);
        BoutEntryDialog entry(list);
        BoutListEditor& editor = entry.editor();
        file_dialogs::set_next_answer(QString::fromStdString((dir.path() / "u15.kfl").string()));
        message_boxes::set_auto_answer(false);
        in_dialog(editor, [&](QWidget*) {
            editor.findChild<QPushButton*>("btnLoad")->click();
            auto* grid = editor.findChild<QTableWidget*>();
            auto* age = editor.findChild<QLineEdit*>("edtAltersklasse");
            QCOMPARE(editor.focusWidget(), static_cast<QWidget*>(grid));
            QTest::keyClick(editor.focusWidget(), Qt::Key_Space);
            QCOMPARE(age->text(), QString("U15"));
            QCOMPARE(grid->item(0, 0)->text(), QString("-40"));
            grid->item(0, 1)->setText("  Anna ");
            age->selectAll();
            QTest::keyClicks(age, " U15 ");
            editor.findChild<QPushButton*>("btnSave")->click();
            QCOMPARE(age->text(), QString("U15"));
            age->selectAll();
            QTest::keyClicks(age, "U16");
            message_boxes::set_next_answer(false);
            editor.findChild<QPushButton*>("btnSave")->click();
            age->selectAll();
            QTest::keyClicks(age, "U15");
            editor.findChild<QPushButton*>("btnSave")->click();
            editor.findChild<QPushButton*>("btnCloseAnzeige")->click();
        });
        message_boxes::set_auto_answer(true, true);
        QCOMPARE(message_boxes::take_log(),
                 std::vector<std::string>{"confirm Zur Altersklasse „U16“ gibt es in der "
                                          "kyomat.ini keinen Abschnitt [AK U16]: die Kämpfe "
                                          "bekommen die allgemeinen Regeln. Trotzdem speichern?"});
        QCOMPARE(file_text(dir.path() / "u15.kfl")
                     .substr(file_text(dir.path() / "u15.kfl").find("#PAR")),
                 std::string("#PAR|0|||2|U15\r\n#DAT|-40|Anna|V|B|V|||\r\n"));
    }

    // The list is shared with the tournament desk: a save over a list the desk changed since
    // it was loaded asks first; "Beenden" after a save asks nothing; a character the code page
    // list cannot hold is refused at once; a result written meanwhile reaches the editor.
    void editorAndTheDesk() {
        testing::TempFolder dir;
        const std::string head = "#STR|KFL|1|1\r\n#PAR|0|||3\r\n";
        dir.write("t.kfl", head + "#DAT|-66|A|V|B|V|||\r\n#DAT|-73|C|V|D|V|||\r\n");
        BoutListInUse list(dir.path(), report_to_boxes);
        BoutEntryDialog entry(list);
        BoutListEditor& editor = entry.editor();
        file_dialogs::set_next_answer(QString::fromStdString((dir.path() / "t.kfl").string()));
        in_dialog(editor, [&](QWidget*) {
            editor.findChild<QPushButton*>("btnLoad")->click();
            // From here every box needs its answer: an unexpected one fails the test.
            message_boxes::set_auto_answer(true, false);
            auto* grid = editor.findChild<QTableWidget*>("grdKaempfe");
            // Keys alone (Alt of Alt+B) change nothing: no question.
            QTest::keyClick(grid, Qt::Key_Alt);
            QTest::keyClick(grid, Qt::Key_Down);
            message_boxes::set_next_answer(true);
            grid->item(0, 1)->setText("Łucja");
            QCOMPARE(grid->item(0, 1)->text(), QString("A"));
            grid->item(0, 1)->setText("Anna");
            // The scoreboard hands on the second bout's result meanwhile.
            QCOMPARE(list.access.kampf_laden(entry.fields()), ListOutcome::done);
            QCOMPARE(entry.fields().edtNAMEBlau, std::string("A"));
            QCOMPARE(list.access.anzeige_in_liste({"", "", "10", "1:00", " ", 1, true}),
                     ListOutcome::done);
            QCOMPARE(grid->item(0, 5)->text(), QString("1:0"));
            // The desk saves too: "Abbrechen" keeps both, "Trotzdem speichern" merges ours in.
            dir.write("t.kfl", file_text(dir.path() / "t.kfl") + "#DAT|-81|E|V|F|V|||\r\n");
            message_boxes::set_next_choice(2);
            editor.findChild<QPushButton*>("btnSave")->click();
            QVERIFY(file_text(dir.path() / "t.kfl").find("|E|") != std::string::npos);
            message_boxes::set_next_choice(1);
            editor.findChild<QPushButton*>("btnSave")->click();
            QCOMPARE(grid->item(grid->rowCount() - 1, 1)->text(), QString("E"));
            editor.findChild<QPushButton*>("btnCloseAnzeige")->click();
        });
        const auto log = message_boxes::take_log();
        const std::string saved = file_text(dir.path() / "t.kfl");
        QVERIFY2(saved.find("#DAT|-66|Anna|V|B|V|1:0|10:0|1:00\r\n#DAT|-73|C|V|D|V|||\r\n") !=
                     std::string::npos,
                 saved.c_str());
        // "Trotzdem speichern" put the operator's edit onto the desk's list: its bout stays.
        QVERIFY2(saved.find("#DAT|-81|E|V|F|V|||\r\n") != std::string::npos, saved.c_str());
        QCOMPARE(std::count_if(
                     log.begin(), log.end(),
                     [](const std::string& l) { return l.rfind("choose Die Kampfliste", 0) == 0; }),
                 2);
        QVERIFY(std::find(log.begin(), log.end(), "confirm Änderungen verwerfen ?") == log.end());
        QVERIFY(!log.empty() && log.front().find("Codepage 1252") != std::string::npos);
    }

    void editorGuardsCellsAndUnsavedEdits() {
        testing::TempFolder dir;
        BoutListInUse list(dir.path(), report_to_boxes);
        BoutEntryDialog entry(list);
        BoutListEditor& editor = entry.editor();
        in_dialog(editor, [&](QWidget*) {
            auto* grid = editor.findChild<QTableWidget*>("grdKaempfe");
            // Every heading is read whole, the short columns' too.
            const QFontMetrics metrics(grid->horizontalHeader()->font());
            for (int c = 0; c < grid->columnCount(); ++c) {
                const QString title = grid->horizontalHeaderItem(c)->text();
                QVERIFY2(grid->columnWidth(c) > metrics.horizontalAdvance(title),
                         qPrintable(title));
            }
            grid->item(0, 1)->setText("a|b");
            QCOMPARE(grid->item(0, 1)->text(), QString("a¦b"));
            grid->setCurrentCell(0, 0);
            editor.findChild<QPushButton*>("btnAddRow")->click();
            QCOMPARE(grid->rowCount(), 2);
            QCOMPARE(grid->item(1, 0)->text(), QString(" "));
            // Modified: "&Beenden" asks; cancelled, the editor stays open.
            message_boxes::set_auto_answer(false);
            message_boxes::set_next_answer(false);
            editor.findChild<QPushButton*>("btnCloseAnzeige")->click();
            QVERIFY(editor.isVisible());
            message_boxes::set_next_answer(true);
            editor.findChild<QPushButton*>("btnCloseAnzeige")->click();
        });
        const auto log = message_boxes::take_log();
        QCOMPARE(std::count(log.begin(), log.end(), "confirm Änderungen verwerfen ?"), 2);
        QVERIFY(!log.empty() && log.front().rfind("H Das Zeichen", 0) == 0);
        // Nothing was saved.
        QVERIFY(!std::filesystem::exists(dir.path() / "neu.kfl"));
    }

    void editorLoadsAndRefusesBadFiles() {
        testing::TempFolder dir;
        dir.write("bad.kfl", "#STR|XYZ|1|2\r\n#PAR|0|||2\r\n");
        dir.write("gut.kfl", "#STR|KFL|1|2\r\n#PAR|1|A|B|3\r\n#DAT|-60|X\r\n#DAT|-66|Y\r\n");
        BoutListInUse list(dir.path(), report_to_boxes);
        BoutEntryDialog entry(list);
        BoutListEditor& editor = entry.editor();
        file_dialogs::set_next_answer(QString::fromStdString((dir.path() / "bad.kfl").string()));
        file_dialogs::set_next_answer(QString::fromStdString((dir.path() / "gut.kfl").string()));
        in_dialog(editor, [&](QWidget*) {
            editor.findChild<QPushButton*>("btnLoad")->click();
            QCOMPARE(message_boxes::take_log(), std::vector<std::string>{"F Laden nicht möglich"});
            editor.findChild<QPushButton*>("btnLoad")->click();
            auto* grid = editor.findChild<QTableWidget*>("grdKaempfe");
            QCOMPARE(grid->rowCount(), 2);
            QCOMPARE(grid->item(1, 1)->text(), QString("Y"));
            QVERIFY(editor.findChild<QCheckBox*>("chkMannschaft")->isChecked());
            QVERIFY(editor.findChild<QLineEdit*>("edtMAN1")->isEnabled());
            QCOMPARE(editor.windowTitle(), QString("KYOMAT - Editieren Kampfliste <gut.kfl>"));
            editor.findChild<QPushButton*>("btnCloseAnzeige")->click();
        });
        // The list now comes from gut.kfl for the scoreboard too.
        QCOMPARE(list.access.kampf_laden(entry.fields()), ListOutcome::done);
        QCOMPARE(entry.fields().edtNAMEBlau, std::string("X"));
        QCOMPARE(entry.fields().edtAKID, std::string("0:0"));
        QCOMPARE(entry.fields().edtVERNBlau, std::string("A"));
    }

    void entryDialogEnterKeyAndKeptFields() {
        testing::TempFolder dir;
        BoutListInUse list(dir.path(), report_to_boxes);
        BoutEntryDialog entry(list);
        entry.fields().edtKTXT = "Finale";
        entry.prepare_entry();
        in_dialog(entry, [&](QWidget* w) {
            QCOMPARE(w->windowTitle(), QString("KYOMAT - Kampf eingeben für Anzeigetafel"));
            QCOMPARE(entry.field("edtKTXT")->text(), QString("Finale"));
            entry.field("edtGEWK")->setFocus();
            QTest::keyClick(entry.field("edtGEWK"), Qt::Key_Return);
            QVERIFY(w->isVisible());  // Enter in the weight class does not accept
            entry.field("edtNAMEBlau")->setText("Meier, Hans");
            QTest::keyClick(entry.field("edtNAMEBlau"), Qt::Key_Return);
        });
        QVERIFY(entry.take_entry());
        QCOMPARE(entry.fields().edtNAMEBlau, std::string("Meier, Hans"));
        entry.prepare_entry();
        in_dialog(entry, [&](QWidget*) { entry.findChild<QPushButton*>("btnCancel")->click(); });
        QVERIFY(!entry.take_entry());
        QCOMPARE(entry.fields().edtNAMEBlau, std::string("Meier, Hans"));
    }

    void teamDialog() {
        TeamScoreDialog teams;
        TeamFields t;
        t.edtPunkteBlau = "4";
        teams.prepare(t);
        in_dialog(teams, [&](QWidget* w) {
            QCOMPARE(w->windowTitle(), QString("KYOMAT - Punktestand Mannschaftskampf"));
            QCOMPARE(teams.field("edtPunkteBlau")->text(), QString("4"));
            QTest::keyClick(teams.field("edtPunkteBlau"), Qt::Key_Return);  // does not accept
            teams.field("edtPunkteWeiss")->setText("5 Punkte");
            teams.findChild<QPushButton*>("btnSave")->click();
        });
        QVERIFY(teams.take(t));
        QCOMPARE(t.edtPunkteWeiss, std::string("5 Punkte"));
        teams.prepare(t);
        in_dialog(teams, [&](QWidget* w) { w->close(); });
        QVERIFY(!teams.take(t));
    }

    // Made anew each time, and it opens and returns: no event loop of its own.
    void aboutBoxIsMadeAnewEachTime() {
        for (int i = 0; i < 2; ++i) {
            AboutBox::open_box(nullptr, nullptr);
            QCOMPARE(AboutBox::live_count(), 1);
            QWidget* w = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (qobject_cast<AboutBox*>(top) != nullptr) w = top;
            }
            QVERIFY(w != nullptr && w->isVisible());
            QCOMPARE(w->windowTitle(), QString("KYOMAT - Anzeigetafel - Programminfo"));
            QCOMPARE(w->findChild<QLabel*>("lblProg")->text(), QString("KYOMAT - Anzeigetafel"));
            QCOMPARE(w->findChild<QLabel*>("lblVers")->text(), QString("4.00"));
            w->findChild<QPushButton*>("btnOK")->click();
            QTRY_COMPARE(AboutBox::live_count(), 0);
        }
    }

    void waitWindowHidesOnClick() {
        WaitWindow wait;
        wait.move(300, 300);
        wait.show();
        QCOMPARE(wait.pos(), QPoint(0, 0));
        QTest::mouseClick(wait.findChild<QLabel*>("lblWait"), Qt::LeftButton);
        QVERIFY(!wait.isVisible());
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
