// The scoreboard's companion windows: the text screen's pages, the pause picture and the
// operator's note, built when first needed.
#include <QApplication>
#include <QLabel>

#include "display/logo_overlay.h"
#include "display/scoreboard_window.h"
#include "display/text_screen.h"
#include "gui/window_keys.h"

namespace kyomat {

TextScreen& ScoreboardWindow::text_screen() {
    if (text_ == nullptr) {
        text_ = new TextScreen(
            engine_,
            [this](bool show) {
                if (wait_) wait_(show);
            },
            this);
        connect(text_, &QDialog::finished, this, &ScoreboardWindow::show_next_page);
        if (built_) built_(text_);
    }
    return *text_;
}

LogoOverlay& ScoreboardWindow::overlay() {
    if (overlay_ == nullptr) {
        overlay_ = new LogoOverlay(
            engine_.settings(), [this] { return engine_.state().display_left; }, this);
        overlay_->set_note([this](const QString& text) { host_.show_note(text.toStdString()); });
        if (built_) built_(overlay_);
    }
    return *overlay_;
}

void ScoreboardWindow::show_note(const QString& text) {
    if (note_ == nullptr) {
        note_ = new QLabel(this);
        note_->setObjectName("lblHinweis");
        note_->setWordWrap(true);
        note_->setAlignment(Qt::AlignCenter);
        note_->setStyleSheet(
            QStringLiteral("color: #000000; background: #fff4c0; padding: 4px; font: 14pt;"));
        note_timer_.setSingleShot(true);
        connect(&note_timer_, &QTimer::timeout, note_, &QLabel::hide);
    }
    note_->setText(text);
    const int w = width() * 9 / 10;
    note_->setFixedWidth(w);
    note_->adjustSize();
    note_->move((width() - w) / 2, height() - note_->height() - 8);
    note_->show();
    note_->raise();
    note_timer_.start(8000);
}

void ScoreboardWindow::show_page(PageScheme scheme, const std::string& line1,
                                 const std::string& line2, const std::string& line3) {
    pages_.push_back(Page{scheme, {line1, line2, line3}});
    if (!page_up_) show_next_page();
}

void ScoreboardWindow::show_next_page() {
    if (pages_.empty()) {
        pages_ended();
        return;
    }
    const Page next = pages_.front();
    pages_.pop_front();
    TextScreen& page = text_screen();
    if (engine_.panel_keys()) {
        page.set_key_sink([this](std::uint16_t k, Modifiers m) { handle_key(k, m); });
    } else {
        page.set_key_sink({});
    }
    if (!page_up_) had_keys_ = QApplication::activeWindow();
    page_up_ = true;
    page.show_page(next.scheme, next.lines[0], next.lines[1], next.lines[2]);
}

void ScoreboardWindow::pages_ended() {
    page_up_ = false;
    // The keyboard goes back to the window that had it (a non-modal page took it).
    if (engine_.panel_keys() && had_keys_ != text_) hand_keys_back(had_keys_);
    // First what the command that showed the pages does after them, then the keys typed
    // meanwhile, each once and in order; any of them may show pages again.
    while (!page_up_ && !after_pages_.empty()) {
        const auto then = std::move(after_pages_.front());
        after_pages_.erase(after_pages_.begin());
        then();
    }
    while (!page_up_ && !waiting_keys_.empty()) {
        const auto [k, m] = waiting_keys_.front();
        waiting_keys_.erase(waiting_keys_.begin());
        handle_key(k, m);
    }
}

void ScoreboardWindow::after_pages(std::function<void()> then) {
    if (page_up_) {
        after_pages_.push_back(std::move(then));
    } else {
        then();
    }
}

bool ScoreboardWindow::relays_keys_of(const QWidget* window) const {
    return window != nullptr && (window == static_cast<const QWidget*>(text_) ||
                                 window == static_cast<const QWidget*>(overlay_));
}

void ScoreboardWindow::show_overlay() {
    LogoOverlay& pause = overlay();
    if (engine_.panel_keys()) {
        pause.set_key_sink([this](std::uint16_t k, Modifiers m) { handle_key(k, m); });
    } else {
        pause.set_key_sink({});
    }
    pause.overlay_bild();
}

}  // namespace kyomat
