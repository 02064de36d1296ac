#include "gui/window_keys.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

namespace kyomat {
namespace {

constexpr int k_check_ms = 50;
constexpr int k_checks = 60;  // three seconds: a slow machine maps and focuses late

void check(const QPointer<QWidget>& window, int left) {
    if (!window || !window->isVisible()) return;
    if (QApplication::activeWindow() != window) {
        window->raise();
        window->activateWindow();
    }
    if (left > 0)
        QTimer::singleShot(k_check_ms, window, [window, left] { check(window, left - 1); });
}

}  // namespace

void show_until_finished(QDialog& dialog) {
    dialog.setWindowModality(Qt::NonModal);
    QEventLoop loop;
    const auto closed = QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    if (dialog.isVisible()) loop.exec();
    QObject::disconnect(closed);
}

void hand_keys_back(const QPointer<QWidget>& window) {
    check(window, k_checks);
}

}  // namespace kyomat
