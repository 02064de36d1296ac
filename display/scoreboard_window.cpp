#include "display/scoreboard_window.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "data/core/settings.h"
#include "display/keymap.h"
#include "display/scoreboard_layout.h"
#include "display/text_screen.h"
#include "display/logo_overlay.h"
#include "platform/fonts.h"
#include "platform/screen_place.h"
#include "data/core/font_size.h"

namespace kyomat {

// The focus indicator: a filled circle that also takes the operator's close request.
class FocusCircle : public QWidget {
public:
    FocusCircle(QWidget* parent, std::function<void()> on_click)
        : QWidget(parent), on_click_(std::move(on_click)) {
        setAttribute(Qt::WA_TranslucentBackground);
        resize(30, 30);
    }
    void set_colour(const QColor& c) {
        if (c == colour_) return;
        colour_ = c;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(colour_);
        p.drawEllipse(rect().adjusted(1, 1, -1, -1));
    }
    void mousePressEvent(QMouseEvent*) override { on_click_(); }

private:
    std::function<void()> on_click_;
    QColor colour_{128, 128, 128};
};

namespace {

QColor to_qcolor(const Colour& c) { return QColor(c.r, c.g, c.b); }

QFont cross_font() {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setBold(true);
    return f;
}

const char* const k_board_font_labels[] = {
    "lblZeit", "lblHG", "lblHG_Save", "lblGewK", "lblAK", "lbl_I_b", "lbl_W_b", "lbl_Y_b",
    "lbl_S_b", "lbl_I_W", "lbl_W_W", "lbl_Y_W", "lbl_S_W", "lblBlau_Name", "lblBLau_Verein",
    "lblWeiss_Name", "lblWeiss_Verein", "lbl_GS", "lbl_Sieger_Blau", "lbl_Sieger_Weiss"};

}  // namespace

ScoreboardWindow::ScoreboardWindow(Host& host, Settings settings, QWidget* parent)
    : QWidget(parent), engine_(host, std::move(settings)) {
    setObjectName("frmMainAnzeige");
    setWindowTitle("Kyomat5 - Anzeigetafel");
    setWindowFlag(Qt::FramelessWindowHint);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    resize(900, 674);
    // A window of this size at the designed position (2036, 264) would lie off every single
    // monitor; it starts on the first monitor instead, until it is placed.
    move(QGuiApplication::primaryScreen() != nullptr
             ? QGuiApplication::primaryScreen()->availableGeometry().topLeft()
             : QPoint(0, 0));

    // The windows the scoreboard owns: text screen and logo overlay.
    text_ = new TextScreen(engine_, [this](bool show) {
        if (wait_) wait_(show);
    }, this);
    overlay_ = new LogoOverlay(engine_.settings(), [this] { return engine_.state().display_left; }, this);

    QWidget* top = panel("pnlTop", this);
    label("lblBlau_Name", top);
    label("lblBLau_Verein", top);
    QWidget* p1 = panel("pnl1", top);
    for (const char* n : {"lbl_I_b", "lbl_W_b", "lbl_Y_b", "lbl_S_b", "lbl_Kreuz_b_1",
                          "lbl_Kreuz_b_2"}) {
        label(n, p1);
    }
    label("lbl_Sieger_Blau", top)->setAutoFillBackground(true);
    QWidget* middle = panel("pnlMiddle", this);
    label("lblWeiss_Name", middle);
    label("lblWeiss_Verein", middle);
    QWidget* p2 = panel("pnl2", middle);
    for (const char* n : {"lbl_I_W", "lbl_W_W", "lbl_Y_W", "lbl_S_W", "lbl_Kreuz_w_1",
                          "lbl_Kreuz_w_2"}) {
        label(n, p2);
    }
    label("lbl_Sieger_Weiss", middle)->setAutoFillBackground(true);
    // Score panels lie above the name area's labels, whatever their width.
    p1->raise();
    p2->raise();
    QWidget* bottom = panel("pnlBottom", this);
    QWidget* links = panel("pnlLinks", bottom);
    label("lblAK", links);
    label("lblGewK", links);
    label("lblLPOS", links);
    QWidget* zeit = panel("pnlZeit", bottom);
    label("lblZeit", zeit);
    label("lbl_GS", zeit)->setAutoFillBackground(true);
    QWidget* hg = panel("pnlHG", bottom);
    label("lblHG", hg);
    QWidget* hg_bottom = panel("pnlHG_Bottom", hg);
    label("lblHG_Save", hg_bottom);
    focus_ = new FocusCircle(hg_bottom, [this] { shpFocusMouseDown(); });
    focus_->setObjectName("shpFocus");
    widgets_["shpFocus"] = focus_;

    const QFont heavy = heavy_font();
    for (const char* n : k_board_font_labels) widgets_[n]->setFont(heavy);
    for (const char* n : {"lbl_Kreuz_b_1", "lbl_Kreuz_b_2", "lbl_Kreuz_w_1", "lbl_Kreuz_w_2"}) {
        widgets_[n]->setFont(cross_font());
    }

    clock_timer_.setInterval(100);
    focus_timer_.setInterval(500);
    connect(&clock_timer_, &QTimer::timeout, this, &ScoreboardWindow::clock_tick);
    connect(&focus_timer_, &QTimer::timeout, this, &ScoreboardWindow::focus_tick);

    engine_.on_create();
    paint_board();
}

ScoreboardWindow::~ScoreboardWindow() = default;

QWidget* ScoreboardWindow::panel(const char* name, QWidget* parent) {
    auto* w = new QWidget(parent);
    w->setObjectName(name);
    w->setAutoFillBackground(true);
    widgets_[name] = w;
    return w;
}

QLabel* ScoreboardWindow::label(const char* name, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    widgets_[name] = l;
    return l;
}

void ScoreboardWindow::paint_board() {
    const Board& board = engine_.board();
    for (const auto& entry : Board::elements()) {
        const auto it = widgets_.find(entry.name);
        if (it == widgets_.end()) continue;
        const Element& e = board.*entry.member;
        QWidget* w = it->second;
        if (w == focus_) {
            focus_->set_colour(to_qcolor(e.back));
            continue;
        }
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, to_qcolor(e.back));
        pal.setColor(QPalette::WindowText, to_qcolor(e.font));
        if (auto* l = qobject_cast<QLabel*>(w)) {
            const QString text = QString::fromStdString(e.text);
            if (l->text() != text) {
                l->setText(text);
                l->adjustSize();
            }
            // Labels show their panel's background unless they paint their own.
            if (!l->autoFillBackground()) pal.setColor(QPalette::Window, Qt::transparent);
        }
        if (w->palette() != pal) w->setPalette(pal);
        if (w->isVisibleTo(this) != e.visible && w != this) w->setVisible(e.visible);
    }
    // Clocks are centred on their own width, which changes with their text.
    const int P = widgets_.at("pnlHG")->width();
    for (const char* n : {"lblHG", "lblHG_Save"}) {
        widgets_.at(n)->move(round_half_even((P - widgets_.at(n)->width()) / 2.0), 10);
    }
    QWidget* zeit = widgets_.at("lblZeit");
    zeit->move(round_half_even((widgets_.at("pnlZeit")->width() - zeit->width()) / 2.0), zeit->y());
    // The timers follow the engine.
    if (engine_.clock_timer_on() != clock_timer_.isActive()) engine_.clock_timer_on() ? clock_timer_.start() : clock_timer_.stop();
    if (engine_.focus_timer_on() != focus_timer_.isActive()) engine_.focus_timer_on() ? focus_timer_.start() : focus_timer_.stop();
}

void ScoreboardWindow::handle_key(std::uint16_t key, Modifiers mods) {
    engine_.handle_key(key, mods);
    paint_board();
}

void ScoreboardWindow::keyPressEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) {
        // A held key must not pour scores onto the board.
        event->accept();
        return;
    }
    if (const auto ev = map_key(*event)) {
        handle_key(ev->key, ev->mods);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ScoreboardWindow::clock_tick() {
    engine_.clock_tick();
    paint_board();
}

void ScoreboardWindow::focus_tick() {
    engine_.focus_tick();
    paint_board();
}

void ScoreboardWindow::shpFocusMouseDown() {
    if (engine_.close_requested_by_focus()) close();
}

void ScoreboardWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_once_) return;
    shown_once_ = true;
    // The show step may open the modal control panel: run it once the window is up.
    QTimer::singleShot(0, this, [this] {
        engine_.on_show();
        paint_board();
    });
}

void ScoreboardWindow::place_on_display(int left) {
    place_on_screen(this, left);
    setWindowTitle("KYOMAT - Anzeigetafel");
}

void ScoreboardWindow::closeEvent(QCloseEvent* event) {
    // The windows the scoreboard owns go with it, so closing it always ends the program.
    for (QObject* child : children()) {
        if (auto* w = qobject_cast<QWidget*>(child); w != nullptr && w->isWindow()) w->hide();
    }
    QWidget::closeEvent(event);
}

void ScoreboardWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    lay_out();
}

void ScoreboardWindow::modus_name_verein() {
    // Only hides: switching back shows the clubs after a restart.
    if (engine_.settings().read_setting_clamped("anz_layout", "name_verein", 0, 2) == 1) {
        engine_.hide_clubs();
        widgets_["lblBLau_Verein"]->hide();
        widgets_["lblWeiss_Verein"]->hide();
    }
}

void ScoreboardWindow::lay_out() {
    const RuleSettings& r = engine_.rules();
    auto w = [this](const std::string& n) { return widgets_.at(n); };
    // A label's size at a font size, for its current text.
    auto measure = [&](const std::string& name, int points) {
        QFont f = w(name)->font();
        f.setPointSize(points > 0 ? points : 1);
        const QSize size = QFontMetrics(f).size(Qt::TextSingleLine,
                                                 static_cast<QLabel*>(w(name))->text());
        return LabelSize{size.width(), size.height()};
    };
    const ScoreboardLayout L = scoreboard_layout(
        width(), height(),
        FontCorrections{r.korrektur_name, r.korrektur_wertung, r.korrektur_zeit, r.korrektur_fuss},
        r.ohne_waza, r.ohne_yuko, measure);
    const int W = width();
    w("pnlTop")->setGeometry(0, 0, W, L.T);
    w("pnlMiddle")->setGeometry(0, L.T, W, L.T);
    w("pnlBottom")->setGeometry(0, 2 * L.T, W, L.B);
    w("pnl1")->setGeometry(W - L.P, 0, L.P, L.T);
    w("pnl2")->setGeometry(W - L.P, 0, L.P, L.T);
    w("pnlLinks")->setGeometry(0, 0, L.P, L.B);
    w("pnlHG")->setGeometry(W - L.P, 0, L.P, L.B);
    w("pnlZeit")->setGeometry(L.P, 0, W - 2 * L.P, L.B);
    w("pnlHG_Bottom")->setGeometry(0, L.B - L.Bb, L.P, L.Bb);
    for (const auto& [name, place] : L.labels) {
        QWidget* label = w(name);
        if (place.points > 0 || name == "lbl_GS") {
            QFont f = label->font();
            f.setPointSize(place.points > 0 ? place.points : 1);
            label->setFont(f);
            if (auto* l = qobject_cast<QLabel*>(label)) l->adjustSize();
        }
        label->move(place.left, place.top);
    }
    modus_name_verein();
}

}  // namespace kyomat
