#include "app/wait_window.h"

#include <QLabel>

namespace kyomat {

// Above the panel on the operator's monitor, and never taking the keys from the window that
// has them.
WaitWindow::WaitWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus) {
    setObjectName("frmWait");
    setWindowTitle("KYOMAT - Bitte warten");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(327, 78);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 0));
    setPalette(pal);
    auto* label = new QLabel("Bitte warten ...", this);
    label->setObjectName("lblWait");
    QFont f(QStringLiteral("Arial Black"));
    f.setPixelSize(19);
    f.setBold(true);
    label->setFont(f);
    label->move(48, 24);
    label->adjustSize();
    // A click on the label hides the notice.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void WaitWindow::showEvent(QShowEvent* event) {
    move(origin_);
    QWidget::showEvent(event);
    raise();
}

void WaitWindow::mousePressEvent(QMouseEvent* /*event*/) {
    hide();
}

}  // namespace kyomat
