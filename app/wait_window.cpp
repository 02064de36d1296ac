#include "app/wait_window.h"

#include <QLabel>

namespace kyomat {

WaitWindow::WaitWindow(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName("frmWait");
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
    move(0, 0);
    QWidget::showEvent(event);
}

void WaitWindow::mousePressEvent(QMouseEvent* /*event*/) {
    hide();
}

}  // namespace kyomat
