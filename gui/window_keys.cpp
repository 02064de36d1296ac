#include "gui/window_keys.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWindow>
#include <memory>
#include <vector>

namespace kyomat {
namespace {

constexpr int k_check_ms = 50;
constexpr int k_checks = 60;  // three seconds: a slow machine maps and focuses late

std::function<void(QWidget&)>& placer() {
    static std::function<void(QWidget&)> place;
    return place;
}

void check(const QPointer<QWidget>& window, int left) {
    if (!window || !window->isVisible()) return;
    // A box or a command's dialog opened meanwhile (the bout entry after Ctrl+E) keeps the
    // keys: the grab back is over.
    if (QWidget* top = window_on_top(); top != nullptr && top != window) return;
    if (QApplication::activeWindow() != window) {
        window->raise();
        window->activateWindow();
    }
    if (left > 0)
        QTimer::singleShot(k_check_ms, window, [window, left] { check(window, left - 1); });
}

// Keeps the input for the open command dialogs: installed on the application while one is up.
class DialogGuard : public QObject {
  public:
    std::vector<QPointer<QDialog>> open;
    std::function<void(const QString&)> note;

    QDialog* top() {
        std::erase_if(open, [](const QPointer<QDialog>& d) { return !d || !d->isVisible(); });
        return open.empty() ? nullptr : open.back().data();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto type = event->type();
        // The window system's close (Alt+F4, the close box) is input as well: the board must
        // not go while the dialog that belongs to it is still up.
        const bool closing = type == QEvent::Close && event->spontaneous();
        if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress &&
            type != QEvent::MouseButtonDblClick && !closing) {
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        // A message box blocks everything itself; a window inside a dialog belongs to it.
        if (widget == nullptr || QApplication::activeModalWidget() != nullptr || !top() ||
            belongs_to_a_dialog(widget)) {
            return false;
        }
        if (closing) event->ignore();
        if (note) note(k_close_dialog_first);
        QDialog* dialog = top();
        dialog->raise();
        dialog->activateWindow();
        return true;
    }

  private:
    bool belongs_to_a_dialog(QWidget* widget) const {
        for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
            for (const auto& d : open) {
                if (w == d) return true;
            }
        }
        return false;
    }
};

DialogGuard& guard() {
    static auto* g = new DialogGuard;
    return *g;
}

}  // namespace

void open_command_dialog(QDialog& dialog, std::function<void()> closed, QWidget* above) {
    DialogGuard& g = guard();
    if (g.top() == nullptr) qApp->installEventFilter(&g);
    g.open.emplace_back(&dialog);
    dialog.setWindowModality(Qt::NonModal);
    // The keys go back to the window the dialog belongs to: without a window manager nobody
    // else gives them back.
    when_finished(dialog, [&g, closed = std::move(closed), back = QPointer<QWidget>(above)] {
        if (g.top() == nullptr) qApp->removeEventFilter(&g);
        if (back && back->isVisible()) back->activateWindow();
        if (closed) closed();
    });
    if (above != nullptr && above != &dialog && above->isVisible()) {
        dialog.winId();  // the dialog's own window, to belong to the other one
        if (QWindow* own = dialog.windowHandle()) own->setTransientParent(above->windowHandle());
    }
    if (placer()) placer()(dialog);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

void set_dialog_placer(std::function<void(QWidget&)> place) {
    placer() = std::move(place);
}

void when_finished(QDialog& dialog, std::function<void()> closed) {
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&dialog, &QDialog::finished, &dialog,
                                   [connection, closed = std::move(closed)] {
                                       QObject::disconnect(*connection);
                                       if (closed) closed();
                                   });
}

void set_refusal_note(std::function<void(const QString&)> note) {
    guard().note = std::move(note);
}

QWidget* window_on_top() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return guard().top();
}

void hand_keys_back(const QPointer<QWidget>& window) {
    check(window, k_checks);
}

}  // namespace kyomat
