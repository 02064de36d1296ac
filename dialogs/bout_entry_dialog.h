#pragma once
// The bout entry dialog and the scoreboard's access to the bout list: the operator types a
// bout here, or the list's next open bout is taken into the same fields.
#include <QDialog>
#include <map>
#include <memory>

#include "data/core/bout_access.h"
#include "data/core/handover.h"

class QLineEdit;

namespace kyomat {

class BoutListEditor;

class BoutEntryDialog : public QDialog {
    Q_OBJECT
  public:
    explicit BoutEntryDialog(BoutListInUse& list, QWidget* parent = nullptr);
    ~BoutEntryDialog() override;

    // The fields as the scoreboard hands them over; they keep their contents between uses.
    EntryFields& fields() { return fields_; }
    // Fills the dialog from the fields before it is shown; once it has closed, take_entry()
    // copies what was typed into the fields and is true when the operator saved.
    void prepare_entry();
    bool take_entry();

    // Built when first opened: start-up does not wait for it.
    BoutListEditor& editor();
    QLineEdit* field(const char* name);

    void on_save_clicked();

  private:
    void build_form();

    BoutListFile& file_;
    BoutListAccess& access_;
    BoutListEditor* editor_ = nullptr;
    EntryFields fields_;
    std::map<std::string, QLineEdit*> edits_;
    bool accepted_ = false;
};

}  // namespace kyomat
