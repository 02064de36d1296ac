#pragma once
// The about box: program name and version, made anew for every showing.
#include <QDialog>

namespace kyomat {

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr);
    // Creates a box, shows it and returns at once: the box goes when it is closed, and the keys
    // go back to keys_back (the window the command came from).
    static void open_box(QWidget* owner, QWidget* keys_back);
    // How many boxes exist now (one while shown, none afterwards).
    static int live_count();
    ~AboutBox() override;

  protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace kyomat
