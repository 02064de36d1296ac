#pragma once
// "Bitte warten ...": a notice on the operator's screen while a page of the text screen
// covers the display.
#include <QWidget>

namespace kyomat {

class WaitWindow : public QWidget {
    Q_OBJECT
  public:
    explicit WaitWindow(QWidget* parent = nullptr);
    // Where it stands: the top left corner of the operator's monitor.
    void set_origin(QPoint origin) { origin_ = origin; }

  protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QPoint origin_;
};

}  // namespace kyomat
