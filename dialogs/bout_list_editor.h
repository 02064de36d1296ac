#pragma once
// The bout list editor: a grid of the list's bouts, team mode and team names, and the file
// commands. The grid edits the list model of the current list file directly.
#include <QDialog>

#include "data/core/bout_access.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kyomat {

class BoutListEditor : public QDialog {
    Q_OBJECT
  public:
    BoutListEditor(BoutListFile& file, QWidget* parent = nullptr);

    // "Änderungen verwerfen ?" when the list was modified; true to go on.
    bool edit_ok();
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
    void set_caption();
    void apply_column_widths();
    void cell_changed(int row, int column);
    void write_list();

    BoutListFile& file_;
    QTableWidget* grid_;
    QCheckBox* chkMannschaft_;
    QLineEdit* edtAltersklasse_;
    QLineEdit* edtMAN1_;
    QLineEdit* edtMAN2_;
    bool filling_ = false;
};

}  // namespace kyomat
