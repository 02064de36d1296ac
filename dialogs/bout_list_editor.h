#pragma once
// The bout list editor: a grid of the list's bouts, team mode and team names, and the file
// commands. The grid edits the list model of the current list file directly.
#include <QDialog>

#include "data/core/bout_access.h"

class QCheckBox;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kyomat {

class BoutListEditor : public QDialog {
    Q_OBJECT
  public:
    BoutListEditor(BoutListFile& file, QWidget* parent = nullptr);

    // "Änderungen verwerfen ?" when a cell, a team or the age class changed since the last
    // load or save; true to go on.
    bool edit_ok();
    // A result the scoreboard wrote into the file while the editor is open: its row here takes
    // it, and the operator's other unsaved edits stay.
    void take_result(int row, const BoutList::Row& cells);
    // Shows the model in the grid and the header strip.
    void show_list();

    void on_new_clicked();
    void on_load_clicked();
    void on_save_clicked();
    void on_save_as_clicked();
    void on_close_clicked();
    void on_add_row_clicked();
    void on_delete_row_clicked();

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QHBoxLayout* build_header();
    void follow_list_fields();
    void build_grid();
    QHBoxLayout* build_buttons();
    void set_caption();
    void apply_column_widths();
    void cell_changed(int row, int column);
    void write_list();
    // The list as it was last loaded or saved, and whether the operator changed it since.
    void remember_as_saved();
    bool content_changed() const;
    // Before a save over the list that was loaded: whether another program (the tournament
    // desk) changed the file meanwhile, and if so what the operator wants.
    bool may_overwrite();
    // The cell being typed into goes into the list before a save.
    void commit_open_cell();

    BoutListFile& file_;
    QTableWidget* grid_ = nullptr;
    QCheckBox* chkMannschaft_ = nullptr;
    QLineEdit* edtAltersklasse_ = nullptr;
    QLineEdit* edtMAN1_ = nullptr;
    QLineEdit* edtMAN2_ = nullptr;
    bool filling_ = false;
    BoutList saved_;
    // The file the saved list came from: only a save over that file can overwrite another's.
    std::filesystem::path saved_file_;
};

}  // namespace kyomat
