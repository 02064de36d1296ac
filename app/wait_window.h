#pragma once
// "Bitte warten ...": a notice on the operator's screen while a page of the text screen
// covers the display.
#include <QWidget>

namespace kyomat {

class WaitWindow : public QWidget {
    Q_OBJECT
  public:
    explicit WaitWindow(QWidget* parent = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace kyomat
