#include "dialogs/team_score_dialog.h"

#include <QLineEdit>
#include <QPushButton>

#include "dialogs/entry_form.h"

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

TeamScoreDialog::TeamScoreDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("frmEingabeKampfTeams");
    resize(666, 216);
    std::vector<std::pair<const char*, const char*>> names;
    for (const FieldSpec& f : k_fields) names.emplace_back(f.name, f.label);
    // No key in the fields accepts the dialog: only "&Speichern" does.
    const EntryFormButtons buttons = build_entry_form(this, names, edits_);
    connect(buttons.save, &QPushButton::clicked, this, [this] {
        accepted_ = true;
        accept();
    });
}

void TeamScoreDialog::prepare(const TeamFields& fields) {
    setWindowTitle("KYOMAT - Punktestand Mannschaftskampf");
    accepted_ = false;
    for (const FieldSpec& f : k_fields)
        edits_[f.name]->setText(QString::fromStdString(fields.*f.member));
}

bool TeamScoreDialog::take(TeamFields& fields) const {
    if (accepted_) {
        for (const FieldSpec& f : k_fields)
            fields.*f.member = edits_.at(f.name)->text().toStdString();
    }
    return accepted_;
}

}  // namespace kyomat
