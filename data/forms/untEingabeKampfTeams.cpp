#include "data/forms/untEingabeKampfTeams.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kyomat {
namespace {

struct FieldSpec {
    const char* name;
    const char* label;
    std::string TeamFields::*member;
};

const FieldSpec k_fields[] = {
    {"edtAKID", "Altersklasse", &TeamFields::edtAKID},
    {"edtGEWK", "Gewichts-Klasse", &TeamFields::edtGEWK},
    {"edtPunkteBlau", "Punkte (1)", &TeamFields::edtPunkteBlau},
    {"edtVERNBlau", "Verein (1)", &TeamFields::edtVERNBlau},
    {"edtPunkteWeiss", "Punkte (2)", &TeamFields::edtPunkteWeiss},
    {"edtVERNWeiss", "Verein (2)", &TeamFields::edtVERNWeiss},
};

}  // namespace

TfrmEingabeKampfTeams::TfrmEingabeKampfTeams(QWidget* parent) : QDialog(parent) {
    setObjectName("frmEingabeKampfTeams");
    resize(666, 216);
    auto* grid = new QGridLayout;
    int row = 0;
    for (const FieldSpec& f : k_fields) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(f.name);
        edits_[f.name] = edit;
        grid->addWidget(new QLabel(f.label, this), row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    auto* btnSave = new QPushButton("&Speichern", this);
    btnSave->setObjectName("btnSave");
    auto* btnCancel = new QPushButton("&Abbrechen", this);
    btnCancel->setObjectName("btnCancel");
    // No key in the fields accepts the dialog.
    for (QPushButton* b : {btnSave, btnCancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(btnSave, &QPushButton::clicked, this, [this] {
        accepted_ = true;
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

bool TfrmEingabeKampfTeams::run(TeamFields& fields) {
    setWindowTitle("KYOMAT - Punktestand Mannschaftskampf");
    accepted_ = false;
    for (const FieldSpec& f : k_fields) edits_[f.name]->setText(QString::fromStdString(fields.*f.member));
    exec();
    if (accepted_) {
        for (const FieldSpec& f : k_fields) fields.*f.member = edits_[f.name]->text().toStdString();
    }
    return accepted_;
}

}  // namespace kyomat
