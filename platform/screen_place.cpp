#include "platform/screen_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace kyomat {

int place_on_screen(QWidget* window, int left) {
    QScreen* target = nullptr;
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect g = s->geometry();
        if (left >= g.left() && left <= g.right()) {
            target = s;
            break;
        }
    }
    if (target == nullptr) target = QGuiApplication::primaryScreen();
    window->setWindowState(Qt::WindowNoState);
    if (target != nullptr) {
        if (window->windowHandle() != nullptr) window->windowHandle()->setScreen(target);
        window->setGeometry(target->geometry());
    }
    window->setWindowState(Qt::WindowMaximized);
    return window->geometry().left();
}

}  // namespace kyomat
