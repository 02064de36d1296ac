#pragma once
// The shape the two bout data dialogs share: labelled edit fields in rows, and "&Speichern"
// and "&Abbrechen" below them.
#include <QDialog>
#include <map>
#include <string>
#include <utility>
#include <vector>

class QLineEdit;
class QPushButton;

namespace kyomat {

struct EntryFormButtons {
    QPushButton* save;
    QPushButton* cancel;  // rejects the dialog
};

// fields: (object name, label) in tab order; a field with an empty label is hidden. Neither
// button is a default button, so Enter accepts only where the dialog connects it.
EntryFormButtons build_entry_form(QDialog* dialog,
                                  const std::vector<std::pair<const char*, const char*>>& fields,
                                  std::map<std::string, QLineEdit*>& edits);

}  // namespace kyomat
