#pragma once
// The about box: program name and version, made anew for every showing.
#include <QDialog>

namespace kyomat {

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr);
    // Creates a box, shows it modally and destroys it, also when the showing ends by an error.
    static void show_modal(QWidget* owner);
    // How many boxes exist now (one while shown, none afterwards).
    static int live_count();
    ~AboutBox() override;

  protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace kyomat
