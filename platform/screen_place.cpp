#include "platform/screen_place.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cctype>

namespace kyomat {

QScreen* operator_screen(const QWidget* board) {
    // Where the board stands, by its middle: the window's own idea of its screen may lag a
    // move on some window systems.
    const QScreen* board_screen = board != nullptr && board->isVisible()
                                      ? QGuiApplication::screenAt(board->geometry().center())
                                      : nullptr;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != board_screen) return primary;
    for (QScreen* s : QGuiApplication::screens()) {
        if (s != board_screen) return s;
    }
    return primary;
}

namespace {
QPointer<const QWidget> g_board;
}  // namespace

void set_board_for_placing(const QWidget* board) {
    g_board = board;
}

void place_on_operator_screen(QWidget& window) {
    if (g_board.isNull() || &window == g_board.data()) return;
    QScreen* own = operator_screen(g_board.data());
    if (own == nullptr) return;
    const QRect area = own->availableGeometry();
    // Where Qt would open it: where it was put, else over the window it belongs to.
    const QWidget* parent =
        window.parentWidget() != nullptr ? window.parentWidget()->window() : nullptr;
    bool there = false;
    if (window.testAttribute(Qt::WA_Moved)) {
        there = area.contains(window.frameGeometry().center());
    } else if (parent != nullptr && parent->isVisible()) {
        there = area.contains(parent->frameGeometry().center());
    }
    if (there) return;
    window.ensurePolished();
    QSize size = window.size();
    if (!window.testAttribute(Qt::WA_Resized)) size = window.sizeHint();
    size = size.boundedTo(area.size());
    window.move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    if (window.isWindow()) window.setScreen(own);
}

std::vector<ScreenFacts> screen_facts() {
    std::vector<ScreenFacts> facts;
    for (QScreen* s : QGuiApplication::screens()) {
        facts.push_back({s->name().toStdString(), s->geometry().left(), s->geometry().width(),
                         s == QGuiApplication::primaryScreen()});
    }
    return facts;
}

std::string screen_list_text() {
    std::string text;
    std::size_t number = 0;
    for (const ScreenFacts& s : screen_facts()) {
        if (!text.empty()) text += " · ";
        text += std::to_string(++number) + " " + s.name + (s.primary ? " (Hauptbildschirm)" : "");
    }
    return text;
}

std::optional<std::size_t> board_screen(const std::vector<ScreenFacts>& screens,
                                        std::string_view monitor, std::optional<int> left) {
    const auto folded = [](std::string_view t) {
        std::string f(t);
        for (char& c : f) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return f;
    };
    if (!monitor.empty()) {
        const std::string wanted = folded(monitor);
        if (wanted == "extern") {
            for (std::size_t i = 0; i < screens.size(); ++i) {
                if (!screens[i].primary) return i;
            }
            return std::nullopt;
        }
        for (std::size_t i = 0; i < screens.size(); ++i) {
            if (folded(screens[i].name) == wanted) return i;
        }
        if (wanted.find_first_not_of("0123456789") == std::string::npos && wanted.size() < 4) {
            const std::size_t number = std::stoul(wanted);
            if (number >= 1 && number <= screens.size()) return number - 1;
        }
        return std::nullopt;
    }
    if (!left) return std::nullopt;
    for (std::size_t i = 0; i < screens.size(); ++i) {
        if (*left >= screens[i].left && *left < screens[i].left + screens[i].width) return i;
    }
    return std::nullopt;
}

int place_on_screen(QWidget* window, int left) {
    QScreen* target = nullptr;
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect g = s->geometry();
        if (left >= g.left() && left <= g.right()) {
            target = s;
            break;
        }
    }
    return place_on_screen(window, target);
}

QRect room_below(const QRect& screen, const QRect& taken) {
    if (taken.isEmpty() || !screen.intersects(taken)) return screen;
    QRect room = screen;
    room.setTop(taken.bottom() + 1);
    return room.height() >= screen.height() / 4 ? room : screen;
}

int place_on_screen(QWidget* window, QScreen* target, const QRect& part) {
    if (target == nullptr) target = QGuiApplication::primaryScreen();
    if (target != nullptr && part.isValid() && part != target->geometry()) {
        if (window->windowHandle() == nullptr) window->winId();
        if (window->geometry() == part && window->windowState() == Qt::WindowNoState) {
            return part.left();
        }
        window->setWindowState(Qt::WindowNoState);
        if (window->windowHandle() != nullptr) window->windowHandle()->setScreen(target);
        window->setGeometry(part);
        return window->geometry().left();
    }
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
