#include "gui/keys_back.h"

#include <QApplication>
#include <QTimer>

namespace kyomat {
namespace {

constexpr int k_check_ms = 50;
constexpr int k_checks = 30;  // one and a half seconds

void check(QPointer<QWidget> window, int left) {
    if (!window || !window->isVisible()) return;
    if (QApplication::activeWindow() != window) {
        window->raise();
        window->activateWindow();
    }
    if (left > 0)
        QTimer::singleShot(k_check_ms, window, [window, left] { check(window, left - 1); });
}

}  // namespace

void hand_keys_back(QPointer<QWidget> window) {
    check(window, k_checks);
}

}  // namespace kyomat
