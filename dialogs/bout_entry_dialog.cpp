#include "dialogs/bout_entry_dialog.h"

#include <QLineEdit>
#include <QPushButton>

#include "dialogs/bout_list_editor.h"
#include "dialogs/entry_form.h"
#include "platform/message_box.h"

namespace kyomat {
namespace {

struct FieldSpec {
    const char* name;
    const char* label;
    std::string EntryFields::*member;
    bool enter_accepts;
};

// In tab order; edtLPOS is hidden.
const FieldSpec k_fields[] = {
    {"edtAKID", "Altersklasse", &EntryFields::edtAKID, true},
    {"edtGEWK", "Gewichts-Klasse", &EntryFields::edtGEWK, false},
    {"edtNAMEBlau", "Name (1)", &EntryFields::edtNAMEBlau, true},
    {"edtVERNBlau", "Verein (1)", &EntryFields::edtVERNBlau, true},
    {"edtNAMEWeiss", "Name (2)", &EntryFields::edtNAMEWeiss, true},
    {"edtVERNWeiss", "Verein (2)", &EntryFields::edtVERNWeiss, true},
    {"edtKTXT", "Text", &EntryFields::edtKTXT, false},
    {"edtLPOS", "", &EntryFields::edtLPOS, false},
};

}  // namespace

BoutEntryDialog::BoutEntryDialog(BoutListInUse& list, QWidget* parent)
    : QDialog(parent), file_(list.file), access_(list.access) {
    setObjectName("frmAnzeigeLaden");
    access_.result_written = [this](int row, const BoutList::Row& cells) {
        if (editor_ != nullptr) editor_->take_result(row, cells);
    };
    resize(644, 247);
}

void BoutEntryDialog::build_form() {
    // The fields are built when the dialog is first needed: the bout's data lives in
    // fields_, and start-up does not wait for a form it may never show.
    if (!edits_.empty()) return;
    std::vector<std::pair<const char*, const char*>> names;
    for (const FieldSpec& f : k_fields) names.emplace_back(f.name, f.label);
    const EntryFormButtons buttons = build_entry_form(this, names, edits_);
    // Enter accepts only in the fields that say so.
    for (const FieldSpec& f : k_fields) {
        if (f.enter_accepts) {
            connect(edits_[f.name], &QLineEdit::returnPressed, this,
                    &BoutEntryDialog::on_save_clicked);
        }
    }
    connect(buttons.save, &QPushButton::clicked, this, &BoutEntryDialog::on_save_clicked);
}

BoutListEditor& BoutEntryDialog::editor() {
    if (editor_ == nullptr) editor_ = new BoutListEditor(file_, this);
    return *editor_;
}

BoutEntryDialog::~BoutEntryDialog() = default;

QLineEdit* BoutEntryDialog::field(const char* name) {
    build_form();
    return edits_.at(name);
}

void BoutEntryDialog::prepare_entry() {
    build_form();
    setWindowTitle("KYOMAT - Kampf eingeben für Anzeigetafel");
    accepted_ = false;
    for (const FieldSpec& f : k_fields)
        edits_[f.name]->setText(QString::fromStdString(fields_.*f.member));
    edits_["edtAKID"]->setFocus();
}

bool BoutEntryDialog::take_entry() {
    if (accepted_) {
        for (const FieldSpec& f : k_fields)
            fields_.*f.member = edits_[f.name]->text().toStdString();
    }
    return accepted_;
}

void BoutEntryDialog::on_save_clicked() {
    accepted_ = true;
    accept();
}

}  // namespace kyomat
