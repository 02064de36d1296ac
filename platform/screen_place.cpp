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
    // Already there: placing it again would only unmap and map it.
    if (target != nullptr && window->windowState() == Qt::WindowMaximized &&
        window->windowHandle() != nullptr && window->windowHandle()->screen() == target &&
        window->geometry() == target->geometry()) {
        return window->geometry().left();
    }
    // A window not shown yet gets its native window now, so that it is mapped on its
    // monitor at once.
    if (window->windowHandle() == nullptr) window->winId();
    window->setWindowState(Qt::WindowNoState);
    if (target != nullptr) {
        if (window->windowHandle() != nullptr) window->windowHandle()->setScreen(target);
        window->setGeometry(target->geometry());
    }
    window->setWindowState(Qt::WindowMaximized);
    return window->geometry().left();
}

}  // namespace kyomat
