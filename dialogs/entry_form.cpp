#include "dialogs/entry_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kyomat {

EntryFormButtons build_entry_form(QDialog* dialog,
                                  const std::vector<std::pair<const char*, const char*>>& fields,
                                  std::map<std::string, QLineEdit*>& edits) {
    auto* grid = new QGridLayout;
    int row = 0;
    QLineEdit* previous = nullptr;
    for (const auto& [name, label] : fields) {
        auto* edit = new QLineEdit(dialog);
        edit->setObjectName(name);
        edits[name] = edit;
        if (*label == '\0') {
            edit->hide();
            continue;
        }
        grid->addWidget(new QLabel(label, dialog), row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
        if (previous != nullptr) QWidget::setTabOrder(previous, edit);
        previous = edit;
    }
    EntryFormButtons b{new QPushButton("&Speichern", dialog),
                       new QPushButton("&Abbrechen", dialog)};
    b.save->setObjectName("btnSave");
    b.cancel->setObjectName("btnCancel");
    for (QPushButton* button : {b.save, b.cancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    QObject::connect(b.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(b.save);
    buttons->addWidget(b.cancel);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    return b;
}

}  // namespace kyomat
