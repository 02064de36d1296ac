#pragma once
// The small widgets and helpers the control panel is built of.
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <functional>

#include "control/panel_layout.h"

namespace kyomat {

// The panel's face of that family (on Windows with the shipped sans where it is missing).
QFont panel_face(const char* family);
QFont pixel_font(const char* family, int px, bool bold = false);
void set_back(QWidget* w, const QColor& c);
void set_text_colour(QWidget* w, const QColor& c);
inline void place(QWidget* w, const Rect& r) {
    w->setGeometry(r.x, r.y, r.w, r.h);
}

// A panel that takes clicks: the clock fields and the hold-down panels.
class ClickPanel : public QLabel {
  public:
    using QLabel::QLabel;
    std::function<void()> on_click;
    std::function<void()> on_double_click;

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (on_click && e->button() == Qt::LeftButton) on_click();
    }
    void mouseDoubleClickEvent(QMouseEvent*) override {
        if (on_double_click) on_double_click();
    }
};

// An up-down control: two arrow buttons, up awards one more, down takes one back.
class UpDown : public QWidget {
  public:
    UpDown(QWidget* parent, const std::function<void(bool up)>& on_arrow);

  protected:
    void resizeEvent(QResizeEvent*) override;

  private:
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace kyomat
