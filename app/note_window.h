#pragma once
// A note for the operator on their own monitor while the panel is closed: why a key did
// nothing, a file that could not be written. Frameless, above everything, never taking the
// keys, gone by itself after a few seconds.
#include <QLabel>
#include <QTimer>

class QScreen;

namespace kyomat {

class NoteWindow : public QLabel {
    Q_OBJECT
  public:
    NoteWindow();
    // Shows text along the bottom of that monitor for eight seconds.
    void show_note(const QString& text, QScreen* screen);

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QTimer timer_;
};

}  // namespace kyomat
