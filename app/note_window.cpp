#include "app/note_window.h"

#include <QScreen>

namespace kyomat {

NoteWindow::NoteWindow()
    : QLabel(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus) {
    setObjectName("frmHinweis");
    setWindowTitle("KYOMAT - Hinweis");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
    setStyleSheet(QStringLiteral(
        "color: #000000; background: #fff4c0; border: 2px solid #b00000; padding: 8px; "
        "font: 14pt;"));
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &QWidget::hide);
}

void NoteWindow::show_note(const QString& text, QScreen* screen) {
    setText(text);
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    const int w = area.width() * 3 / 5;
    setFixedWidth(w);
    adjustSize();
    move(area.left() + (area.width() - w) / 2, area.bottom() - height() - 24);
    show();
    raise();
    timer_.start(8000);
}

void NoteWindow::mousePressEvent(QMouseEvent* /*event*/) {
    hide();
}

}  // namespace kyomat
