#include "data/forms/untAnzeigeLaden.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "data/forms/untEditKaempfe.h"
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

TfrmAnzeigeLaden::TfrmAnzeigeLaden(const std::filesystem::path& program_folder, QWidget* parent)
    : QDialog(parent),
      file_(program_folder, [](const std::string& text, char kind) { show_message(text, kind); }),
      access_(file_) {
    setObjectName("frmAnzeigeLaden");
    resize(644, 247);
    auto* grid = new QGridLayout;
    int row = 0;
    for (const FieldSpec& f : k_fields) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(f.name);
        edits_[f.name] = edit;
        if (std::string(f.name) == "edtLPOS") {
            edit->hide();
            continue;
        }
        grid->addWidget(new QLabel(f.label, this), row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
        if (f.enter_accepts) {
            connect(edit, &QLineEdit::returnPressed, this, &TfrmAnzeigeLaden::btnSaveClick);
        }
    }
    auto* btnSave = new QPushButton("&Speichern", this);
    btnSave->setObjectName("btnSave");
    auto* btnCancel = new QPushButton("&Abbrechen", this);
    btnCancel->setObjectName("btnCancel");
    // Enter accepts only in the fields that say so, never through a default button.
    for (QPushButton* b : {btnSave, btnCancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(btnSave, &QPushButton::clicked, this, &TfrmAnzeigeLaden::btnSaveClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    for (std::size_t i = 0; i + 2 < std::size(k_fields); ++i) {
        setTabOrder(edits_[k_fields[i].name], edits_[k_fields[i + 1].name]);
    }
    editor_ = new TfrmEditKaempfe(file_, this);
}

TfrmAnzeigeLaden::~TfrmAnzeigeLaden() = default;

bool TfrmAnzeigeLaden::show_entry() {
    setWindowTitle("KYOMAT - Kampf eingeben für Anzeigetafel");
    accepted_ = false;
    for (const FieldSpec& f : k_fields) edits_[f.name]->setText(QString::fromStdString(fields_.*f.member));
    edits_["edtAKID"]->setFocus();
    exec();
    if (accepted_) {
        for (const FieldSpec& f : k_fields) fields_.*f.member = edits_[f.name]->text().toStdString();
    }
    return accepted_;
}

void TfrmAnzeigeLaden::btnSaveClick() {
    accepted_ = true;
    accept();
}

bool TfrmAnzeigeLaden::edit_kaempfe() {
    editor_->exec();
    return true;
}

}  // namespace kyomat
