#include "display/text_screen.h"

#include <algorithm>
#include <array>

#include <QKeyEvent>
#include <QLabel>

#include "data/core/basis.h"
#include "data/core/cp1252.h"
#include "data/core/setting_reader.h"
#include "display/fit_label.h"
#include "gui/colour.h"
#include "gui/keymap.h"
#include "platform/fonts.h"
#include "platform/screen_place.h"

namespace kyomat {

TextLayout text_screen_layout(int W, int H, const std::function<int(int, int)>& width) {
    TextLayout t{};
    const int limit = H * 95 / 100;  // of the height, not the width
    for (int i = 0; i < 3; ++i) {
        int size = H / 6;
        while (width(i, size) > limit && size > 20) --size;
        t.size[i] = size;
    }
    t.size[0] = t.size[1] = std::min(t.size[0], t.size[1]);
    const int third = H / 3;
    t.top[0] = third / 20;
    t.top[1] = third + third / 15;
    t.top[2] = 2 * third + third / 10;
    for (int i = 0; i < 3; ++i) t.left[i] = (W - width(i, t.size[i])) / 2;
    return t;
}

namespace {

QFont line_font(int points) {
    QFont f = heavy_font();
    f.setPointSize(points > 0 ? points : 1);
    return f;
}

}  // namespace

TextScreen::TextScreen(const BoutEngine& engine, std::function<void(bool)> wait, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      engine_(engine),
      wait_(std::move(wait)) {
    setObjectName("frmAnzeigeText");
    setWindowTitle("KYOMAT - Textseite");
    setAutoFillBackground(true);
    for (int i = 0; i < 3; ++i) {
        lines_[i] = new FitLabel(this);
        lines_[i]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        lines_[i]->setObjectName(QString("lbl%1").arg(i + 1));
        lines_[i]->setTextFormat(Qt::PlainText);
        lines_[i]->setAttribute(Qt::WA_TransparentForMouseEvents);  // a click closes the page
        lines_[i]->setFont(line_font(12));
    }
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &TextScreen::page_tick);
}

void TextScreen::show_page(PageScheme scheme, const std::string& line1, const std::string& line2,
                           const std::string& line3) {
    mode_ = scheme;
    const std::string* texts[3] = {&line1, &line2, &line3};
    for (int i = 0; i < 3; ++i) lines_[i]->setText(QString::fromStdString(shown_part(*texts[i])));
    // Never a nested event loop: the page is shown and the call returns; the board shows the
    // next page when this one has finished. Modal unless keys are relayed: then the panel and
    // the board stay usable and keys typed into the page go to the key sink.
    setWindowModality(key_sink_ ? Qt::NonModal : Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void TextScreen::keyPressEvent(QKeyEvent* event) {
    if (key_sink_ && !event->isAutoRepeat()) {
        if (const auto key = map_key(*event)) {
            key_sink_(key->key, key->mods);
            event->accept();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void TextScreen::showEvent(QShowEvent* event) {
    const Board& b = engine_.board();
    const Element* back = nullptr;
    const Element* text = nullptr;
    if (mode_ == PageScheme::blau) {
        back = &b.pnlTop;
        text = &b.lblBlau_Name;
    } else if (mode_ == PageScheme::weiss) {
        back = &b.pnlMiddle;
        text = &b.lblWeiss_Name;
    } else if (mode_ == PageScheme::neutral) {
        back = &b.pnlLinks;
        text = &b.lblAK;
    }
    if (back != nullptr) {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, to_qcolor(back->back));
        pal.setColor(QPalette::WindowText, to_qcolor(text->font));
        setPalette(pal);
        for (QLabel* l : lines_) l->setPalette(pal);
    }
    if (first_show_ || !placed_) {
        remembered_left_ = place_on_screen(this, engine_.state().display_left);
        first_show_ = false;
        placed_ = true;
    } else {
        move(remembered_left_, y());
    }
    // Placed first, so that the first page of the day tells the operator too.
    if (remembered_left_ > 1000 && wait_) wait_(true);
    lay_out();
    duration_ =
        setting_value_of(setting_key(Key::anzeige_titel_dauer), engine_.rules().titel_dauer, false)
            .value.value_or(0);
    elapsed_ = 0;
    timer_.start();
    QDialog::showEvent(event);
}

// A line that had to shrink may read larger on two lines of its part of the page: the
// largest size from its own up to the start size at which it does, or its own.
int TextScreen::two_line_size(int line, int shrunk, int start, int limit, int room) const {
    if (shrunk >= start) return shrunk;
    for (int size = start; size > shrunk; --size) {
        const QFontMetrics metrics(line_font(size));
        if (2 * metrics.height() > room) continue;
        const QStringList wrapped = wrap_to_width(lines_[line]->text(), metrics, limit);
        if (wrapped.size() == 2 && !wrapped[1].endsWith(QStringLiteral("…"))) return size;
    }
    return shrunk;
}

void TextScreen::lay_out() {
    const TextLayout t = text_screen_layout(width(), height(), [this](int line, int points) {
        return QFontMetrics(line_font(points)).horizontalAdvance(lines_[line]->text());
    });
    // One line is held to 95 % of the height; two lines may use 95 % of the width.
    const int H = height(), limit = width() * 95 / 100;
    // Each line's room down to the next line's top, the last one's down to the bottom.
    const std::array<int, 3> room = {t.top[1] - t.top[0], t.top[2] - t.top[1], H - t.top[2]};
    std::array<int, 3> size{};
    for (int i = 0; i < 3; ++i) size[i] = two_line_size(i, t.size[i], H / 6, limit, room[i]);
    size[0] = size[1] = std::min(size[0], size[1]);
    for (int i = 0; i < 3; ++i) {
        FitLabel* l = lines_[i];
        l->setFont(line_font(size[i]));
        l->adjustSize();
        const int text_width = QFontMetrics(l->font()).horizontalAdvance(l->text());
        if (size[i] > t.size[i]) {
            l->fit_within(limit);
        } else if (text_width > width()) {
            // Too long even at the smallest size: whole letters and "…", never cut by the edge.
            l->fit_within(width());
        } else {
            l->show_whole();
        }
        l->move((width() - l->width()) / 2, t.top[i]);
    }
}

void TextScreen::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    lay_out();
}

void TextScreen::page_tick() {
    ++elapsed_;
    if (elapsed_ == duration_) accept();
}

void TextScreen::mousePressEvent(QMouseEvent* /*event*/) {
    accept();
}

void TextScreen::done(int result) {
    if (wait_) wait_(false);
    timer_.stop();
    QDialog::done(result);
}

}  // namespace kyomat
