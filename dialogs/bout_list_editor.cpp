#include "dialogs/bout_list_editor.h"

#include <algorithm>

#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/core/basis.h"
#include "data/core/cp1252.h"
#include "data/core/settings.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"

namespace kyomat {
namespace {

const QString k_filter = QStringLiteral("Kyomat - Namen (*.kfl);;Alle Dateien (*)");
// The file separates cells by "|": a typed one is replaced by the broken bar.
const QString k_bar = QStringLiteral("|");
const QString k_broken_bar = QStringLiteral("¦");

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

BoutListEditor::BoutListEditor(BoutListFile& file, QWidget* parent) : QDialog(parent), file_(file) {
    setObjectName("frmEditKaempfe");
    resize(979, 516);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(build_header());
    build_grid();
    layout->addWidget(grid_, 1);
    layout->addLayout(build_buttons());
    set_caption();
}

// The list's own fields (age class, team mode and teams) and the row buttons, above the grid.
QHBoxLayout* BoutListEditor::build_header() {
    auto* header = new QHBoxLayout;
    auto* lblAltersklasse = new QLabel("Altersklasse", this);
    lblAltersklasse->setObjectName("lblAltersklasse");
    edtAltersklasse_ = new QLineEdit(this);
    edtAltersklasse_->setObjectName("edtAltersklasse");
    edtAltersklasse_->setToolTip(
        "Altersklasse aller Kämpfe der Liste; ihre Regeln stehen in "
        "kyomat.ini im Abschnitt [AK <Altersklasse>]");
    header->addWidget(lblAltersklasse);
    header->addWidget(edtAltersklasse_);
    chkMannschaft_ = new QCheckBox("Mannschaftskampf", this);
    chkMannschaft_->setObjectName("chkMannschaft");
    auto* lblMAN1 = new QLabel("Mannschaft 1", this);
    lblMAN1->setObjectName("lblMAN1");
    edtMAN1_ = new QLineEdit(this);
    edtMAN1_->setObjectName("edtMAN1");
    auto* lblMan2 = new QLabel("Mannschaft 2", this);
    lblMan2->setObjectName("lblMan2");
    edtMAN2_ = new QLineEdit(this);
    edtMAN2_->setObjectName("edtMAN2");
    auto* btnAddRow = new QPushButton("+", this);
    btnAddRow->setObjectName("btnAddRow");
    btnAddRow->setToolTip("Zeile einfügen");
    auto* btnDelRow = new QPushButton("−", this);
    btnDelRow->setObjectName("btnDelRow");
    btnDelRow->setToolTip("Zeile löschen");
    for (QWidget* w : {static_cast<QWidget*>(chkMannschaft_), static_cast<QWidget*>(lblMAN1),
                       static_cast<QWidget*>(edtMAN1_), static_cast<QWidget*>(lblMan2),
                       static_cast<QWidget*>(edtMAN2_), static_cast<QWidget*>(btnAddRow),
                       static_cast<QWidget*>(btnDelRow)}) {
        header->addWidget(w);
    }
    connect(btnAddRow, &QPushButton::clicked, this, &BoutListEditor::on_add_row_clicked);
    connect(btnDelRow, &QPushButton::clicked, this, &BoutListEditor::on_delete_row_clicked);
    follow_list_fields();
    return header;
}

// Every edit of the list's own fields goes straight into the list.
void BoutListEditor::follow_list_fields() {
    connect(chkMannschaft_, &QCheckBox::toggled, this, [this](bool on) {
        edtMAN1_->setEnabled(on);
        edtMAN2_->setEnabled(on);
        if (filling_) return;
        file_.list.team_mode = on;
    });
    connect(edtAltersklasse_, &QLineEdit::textEdited, this, [this](QString t) {
        // "|" separates the fields of the file: as in the cells it becomes "¦".
        if (t.contains('|')) {
            t.replace('|', QChar(0x00A6));
            edtAltersklasse_->setText(t);
        }
        file_.list.age_class = t.toStdString();
    });
    connect(edtMAN1_, &QLineEdit::textEdited, this,
            [this](const QString& t) { file_.list.team1 = t.toStdString(); });
    connect(edtMAN2_, &QLineEdit::textEdited, this,
            [this](const QString& t) { file_.list.team2 = t.toStdString(); });
    edtMAN1_->setEnabled(false);
    edtMAN2_->setEnabled(false);
}

// The list's commands under the grid.
QHBoxLayout* BoutListEditor::build_buttons() {
    auto* buttons = new QHBoxLayout;
    struct Command {
        const char* name;
        const char* text;
        void (BoutListEditor::*clicked)();
    };
    const Command commands[] = {
        {"btnNew", "&Neue Liste", &BoutListEditor::on_new_clicked},
        {"btnLoad", "Liste &Laden", &BoutListEditor::on_load_clicked},
        {"btnSave", "&Speichern", &BoutListEditor::on_save_clicked},
        {"btnSaveAs", "Speichern &unter", &BoutListEditor::on_save_as_clicked},
        {"btnCloseAnzeige", "&Beenden", &BoutListEditor::on_close_clicked}};
    for (const Command& c : commands) {
        auto* button = new QPushButton(c.text, this);
        button->setObjectName(c.name);
        button->setAutoDefault(false);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, c.clicked);
    }
    buttons->addStretch();
    return buttons;
}

void BoutListEditor::set_caption() {
    if (file_.file_name.empty()) file_.file_name = "Neu";
    setWindowTitle("KYOMAT - Editieren Kampfliste <" + q(file_.file_name) + ">");
}

void BoutListEditor::show_list() {
    filling_ = true;
    const BoutList& list = file_.list;
    chkMannschaft_->setChecked(list.team_mode);
    edtMAN1_->setEnabled(list.team_mode);
    edtMAN2_->setEnabled(list.team_mode);
    edtMAN1_->setText(q(list.team1));
    edtMAN2_->setText(q(list.team2));
    edtAltersklasse_->setText(q(list.age_class));
    grid_->setRowCount(list.row_count() - 1);
    for (int r = 1; r < list.row_count(); ++r) {
        for (int c = 0; c < BoutList::k_columns; ++c) {
            const QString text =
                q(list.rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
            if (auto* item = grid_->item(r - 1, c)) {
                item->setText(text);
            } else {
                grid_->setItem(r - 1, c, new QTableWidgetItem(text));
            }
        }
    }
    filling_ = false;
}

void BoutListEditor::cell_changed(int row, int column) {
    if (filling_) return;
    QTableWidgetItem* item = grid_->item(row, column);
    if (item == nullptr) return;
    QString text = item->text();
    if (text.contains(k_bar)) {
        text.replace(k_bar, k_broken_bar);
        filling_ = true;
        item->setText(text);
        filling_ = false;
        show_message(
            "Das Zeichen \"|\" trennt in der Listendatei die Spalten; es wurde durch "
            "\"¦\" ersetzt.",
            'H');
    }
    const auto r = static_cast<std::size_t>(row) + 1;
    if (r >= file_.list.rows.size()) return;
    std::string& cell = file_.list.rows[r][static_cast<std::size_t>(column)];
    // A code page list cannot hold every character: said at once, not at the first result.
    int unmappable = 0;
    if (file_.list.encoding == BoutList::Encoding::cp1252) {
        utf8_to_cp1252(text.toStdString(), &unmappable);
    }
    if (unmappable > 0) {
        filling_ = true;
        item->setText(q(cell));
        filling_ = false;
        show_message("\"" + text.toStdString() +
                         "\" enthält ein Zeichen, das diese Kampfliste (Codepage 1252) nicht "
                         "aufnehmen kann. Bitte ersetzen (z. B. Ł durch L).",
                     'W');
        return;
    }
    cell = text.toStdString();
}

bool BoutListEditor::eventFilter(QObject* watched, QEvent* event) {
    // A Space is Matte at the referee table: on the grid it never starts typing over a cell
    // (in a cell's open editor, which gets its own keys, it is a blank as always).
    if (watched == grid_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void BoutListEditor::remember_as_saved() {
    saved_ = file_.list;
    saved_file_ = file_.current_file();
    file_.modified = false;
}

bool BoutListEditor::content_changed() const {
    return !same_content(file_.list, saved_);
}

bool BoutListEditor::edit_ok() {
    commit_open_cell();
    return !content_changed() || confirm_ok("Änderungen verwerfen ?", true);
}

void BoutListEditor::commit_open_cell() {
    // Moving the current cell away makes the grid commit what is being typed.
    const QModelIndex at = grid_->currentIndex();
    if (!at.isValid()) return;
    grid_->setCurrentIndex(QModelIndex());
    grid_->setCurrentIndex(at);
}

void BoutListEditor::take_result(int row, const BoutList::Row& cells) {
    BoutCells bout;
    std::copy(cells.begin(), cells.begin() + 5, bout.begin());
    // Found by its cells as last saved; the operator may have retyped a name in it since.
    const int saved_row = find_bout_row(saved_, bout, row);
    int r = find_bout_row(file_.list, bout, row);
    if (r == 0 && saved_row > 0 && saved_row < file_.list.row_count()) r = saved_row;
    for (std::size_t c = 5; c < BoutList::k_columns; ++c) {
        if (saved_row > 0) saved_.rows[static_cast<std::size_t>(saved_row)][c] = cells[c];
        if (r > 0) file_.list.rows[static_cast<std::size_t>(r)][c] = cells[c];
    }
    if (r == 0) return;
    filling_ = true;
    for (int c = 5; c < BoutList::k_columns; ++c) {
        if (auto* item = grid_->item(r - 1, c)) {
            item->setText(q(cells[static_cast<std::size_t>(c)]));
        }
    }
    filling_ = false;
}

void BoutListEditor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    set_caption();
    apply_column_widths();
    file_.list.reset();
    if (upper_case_de(file_.file_name) != "NEU.KFL") file_.load_from_file();
    remember_as_saved();
    show_list();
    // The keys land on the grid, not in a text field: a Space meant for the board must not
    // become the age class of the list.
    grid_->setFocus();
}

void BoutListEditor::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    apply_column_widths();
}

void BoutListEditor::on_new_clicked() {
    if (!edit_ok()) return;
    file_.new_list();
    remember_as_saved();
    set_caption();
    show_list();
}

void BoutListEditor::on_load_clicked() {
    if (!edit_ok()) return;
    const auto chosen =
        get_open_file(this, QString::fromStdString(utf8_of(file_.folder)), k_filter);
    if (!chosen) return;
    const QFileInfo info(*chosen);
    file_.folder = path_from_utf8(info.absolutePath().toStdString());
    file_.file_name = info.fileName().toStdString();
    set_caption();
    const bool ok = file_.load_from_file();
    remember_as_saved();
    show_list();
    if (!ok) show_message("Laden nicht möglich", 'F');
}

void BoutListEditor::write_list() {
    // A blank typed at Matte into the age class must not become the class of every bout.
    if (trim_bout_list(file_.list)) show_list();
    const std::string& age_class = file_.list.age_class;
    if (!has_age_class_section(Settings(file_.program_folder()), age_class) &&
        !confirm_ok("Zur Altersklasse „" + age_class +
                        "“ gibt es in der kyomat.ini keinen Abschnitt [AK " + age_class +
                        "]: die Kämpfe bekommen die allgemeinen Regeln. Trotzdem speichern?",
                    true)) {
        return;
    }
    if (file_.write_to_file()) remember_as_saved();
}

void BoutListEditor::on_save_clicked() {
    commit_open_cell();
    if (file_.file_name != "neu.kfl") {
        if (!may_overwrite()) return;
        write_list();
    } else {
        on_save_as_clicked();
    }
}

void BoutListEditor::on_save_as_clicked() {
    commit_open_cell();
    const auto chosen =
        get_save_file(this, QString::fromStdString(utf8_of(file_.folder)), k_filter, "kfl");
    if (chosen) {
        const QFileInfo info(*chosen);
        file_.folder = path_from_utf8(info.absolutePath().toStdString());
        file_.file_name = info.fileName().toStdString();
        set_caption();
    }
    // Saved back over the list it came from (the default list, or the same name chosen):
    // what another program saved there meanwhile is asked about, as for "Speichern".
    if (!may_overwrite()) return;
    write_list();
}

void BoutListEditor::on_close_clicked() {
    // Unsaved edits are never dropped without a question.
    if (!edit_ok()) return;
    QDialog::reject();
}

void BoutListEditor::reject() {
    on_close_clicked();
}

void BoutListEditor::on_add_row_clicked() {
    const int current = grid_->currentRow();
    const int at = current + 1;  // table row; the list row is one more (header)
    BoutList::Row blanks;
    blanks.fill(" ");
    file_.list.rows.insert(file_.list.rows.begin() + at + 1, blanks);
    show_list();
    if (current >= 0) grid_->setCurrentCell(current, std::max(grid_->currentColumn(), 0));
}

void BoutListEditor::on_delete_row_clicked() {
    const int current = grid_->currentRow();
    if (current < 0) return;
    file_.list.rows.erase(file_.list.rows.begin() + current + 1);
    show_list();
}

}  // namespace kyomat
