#include "display/scoreboard_window.h"

#include <algorithm>
#include <string_view>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "data/core/basis.h"
#include "data/core/cp1252.h"
#include "data/core/font_size.h"
#include "data/core/setting_reader.h"
#include "data/core/settings.h"
#include "display/fit_label.h"
#include "display/logo_overlay.h"
#include "display/scoreboard_layout.h"
#include "display/text_screen.h"
#include "gui/colour.h"
#include "platform/fonts.h"
#include "platform/screen_place.h"

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

// A class given only to let Ctrl+N and Ctrl+E work ("gewk=-", the list's "..."): no class to
// show, and a dash in the footer's large font is a white bar in front of the audience.
bool is_placeholder(const std::string& text) {
    return !text.empty() && text.find_first_not_of("-. ") == std::string::npos;
}

bool is_class_label(std::size_t index) {
    static const std::size_t gewk = Board::index_of(&Board::lblGewK);
    static const std::size_t ak = Board::index_of(&Board::lblAK);
    return index == gewk || index == ak;
}

QFont cross_font() {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setBold(true);
    return f;
}

using M = Element Board::*;

// Labels in the heavy face; the crosses have a face of their own.
constexpr M k_heavy_labels[] = {
    &Board::lblZeit,         &Board::lblHG,           &Board::lblHG_Save,
    &Board::lblGewK,         &Board::lblAK,           &Board::lbl_I_b,
    &Board::lbl_W_b,         &Board::lbl_Y_b,         &Board::lbl_S_b,
    &Board::lbl_I_W,         &Board::lbl_W_W,         &Board::lbl_Y_W,
    &Board::lbl_S_W,         &Board::lblBlau_Name,    &Board::lblBLau_Verein,
    &Board::lblWeiss_Name,   &Board::lblWeiss_Verein, &Board::lbl_GS,
    &Board::lbl_Sieger_Blau, &Board::lbl_Sieger_Weiss};
constexpr M k_cross_labels[] = {&Board::lbl_Kreuz_b_1, &Board::lbl_Kreuz_b_2, &Board::lbl_Kreuz_w_1,
                                &Board::lbl_Kreuz_w_2};

}  // namespace

ScoreboardWindow::ScoreboardWindow(Host& host, Settings settings, QWidget* parent)
    : QWidget(parent), host_(host), engine_(host, std::move(settings)) {
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

    build_board();
    // A tick every 100 ms finds a new second up to 100 ms late, and nine of ten find nothing:
    // while the clock runs the tick is aimed just past the next whole second instead, so the
    // audience sees each second, and hears the end of time, within a frame, and the program
    // wakes once a second rather than ten times.
    clock_timer_.setInterval(100);  // until it is first aimed
    clock_timer_.setTimerType(Qt::PreciseTimer);
    focus_timer_.setInterval(500);
    connect(&clock_timer_, &QTimer::timeout, this, &ScoreboardWindow::clock_tick);
    connect(&focus_timer_, &QTimer::timeout, this, &ScoreboardWindow::focus_tick);
    // With a tick a second the circle would lag a change of focus; it follows it at once.
    // Queued: a tick never runs inside a command that moved the focus.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &ScoreboardWindow::focus_moved,
            Qt::QueuedConnection);

    engine_.on_create();
    paint_board();
}

ScoreboardWindow::~ScoreboardWindow() = default;

QWidget* ScoreboardWindow::panel(Element Board::*member, QWidget* parent) {
    auto* w = new QWidget(parent);
    w->setAutoFillBackground(true);
    bind(member, w);
    return w;
}

QLabel* ScoreboardWindow::label(Element Board::*member, QWidget* parent) {
    // Names, clubs and classes may be shown on two lines when they do not fit their room.
    const std::string_view name = Board::elements()[Board::index_of(member)].name;
    const bool fitted = std::any_of(std::begin(k_fitted_labels), std::end(k_fitted_labels),
                                    [&](const char* n) { return name == n; });
    auto* l = fitted ? new FitLabel(parent) : new QLabel(parent);
    l->setTextFormat(Qt::PlainText);
    bind(member, l);
    return l;
}

void ScoreboardWindow::bind(Element Board::*member, QWidget* w) {
    const std::size_t i = Board::index_of(member);
    w->setObjectName(Board::elements()[i].name);
    widgets_[i] = w;
}

void ScoreboardWindow::build_board() {
    top_ = panel(&Board::pnlTop, this);
    label(&Board::lblBlau_Name, top_);
    club_blue_ = label(&Board::lblBLau_Verein, top_);
    pnl1_ = panel(&Board::pnl1, top_);
    for (M m : {&Board::lbl_I_b, &Board::lbl_W_b, &Board::lbl_Y_b, &Board::lbl_S_b,
                &Board::lbl_Kreuz_b_1, &Board::lbl_Kreuz_b_2}) {
        label(m, pnl1_);
    }
    label(&Board::lbl_Sieger_Blau, top_)->setAutoFillBackground(true);
    middle_ = panel(&Board::pnlMiddle, this);
    label(&Board::lblWeiss_Name, middle_);
    club_white_ = label(&Board::lblWeiss_Verein, middle_);
    pnl2_ = panel(&Board::pnl2, middle_);
    for (M m : {&Board::lbl_I_W, &Board::lbl_W_W, &Board::lbl_Y_W, &Board::lbl_S_W,
                &Board::lbl_Kreuz_w_1, &Board::lbl_Kreuz_w_2}) {
        label(m, pnl2_);
    }
    label(&Board::lbl_Sieger_Weiss, middle_)->setAutoFillBackground(true);
    // Score panels lie above the name area's labels, whatever their width.
    pnl1_->raise();
    pnl2_->raise();
    bottom_ = panel(&Board::pnlBottom, this);
    links_ = panel(&Board::pnlLinks, bottom_);
    label(&Board::lblAK, links_);
    label(&Board::lblGewK, links_);
    label(&Board::lblLPOS, links_);
    zeit_ = panel(&Board::pnlZeit, bottom_);
    clock_ = label(&Board::lblZeit, zeit_);
    clock_->setAutoFillBackground(true);
    label(&Board::lbl_GS, zeit_)->setAutoFillBackground(true);
    hg_ = panel(&Board::pnlHG, bottom_);
    hold_ = label(&Board::lblHG, hg_);
    hold_->setAutoFillBackground(true);
    hg_bottom_ = panel(&Board::pnlHG_Bottom, hg_);
    hold_saved_ = label(&Board::lblHG_Save, hg_bottom_);
    focus_ = new FocusCircle(hg_bottom_, [this] { on_focus_circle_pressed(); });
    bind(&Board::shpFocus, focus_);

    const QFont heavy = heavy_font();
    for (M m : k_heavy_labels) widgets_[Board::index_of(m)]->setFont(heavy);
    for (M m : k_cross_labels) widgets_[Board::index_of(m)]->setFont(cross_font());
    build_glance();
}

// A text that is fitted to its room (names, clubs, classes) is measured again when it changes.
bool ScoreboardWindow::paint_element(std::size_t i, const Board& board) {
    static const std::array<bool, Board::k_count> fitted = [] {
        std::array<bool, Board::k_count> flags{};
        for (const char* n : k_fitted_labels) flags[Board::index_of(n)] = true;
        return flags;
    }();
    const Element& e = board.*Board::elements()[i].member;
    QWidget* w = widgets_[i];
    if (w == focus_) {
        focus_->set_colour(to_qcolor(e.back));
        return false;
    }
    bool refit = false;
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, to_qcolor(e.back));
    pal.setColor(QPalette::WindowText, to_qcolor(e.font));
    if (auto* l = qobject_cast<QLabel*>(w)) {
        const QString text = QString::fromStdString(
            is_class_label(i) && is_placeholder(e.text) ? std::string() : shown_part(e.text));
        if (l->text() != text) {
            const bool same_size = keeps_size(*l, l->text(), text);
            l->setText(text);
            // Before the first layout the fonts are not yet sized: measuring would be thrown
            // away.
            if (laid_out_ && !same_size) l->adjustSize();
            refit = fitted[i];
        }
        // Labels show their panel's background unless they paint their own. The clocks paint
        // their panel's colour themselves: a new second then repaints the clock alone, not the
        // window and the panels beneath it as well.
        if (l == clock_) {
            pal.setColor(QPalette::Window, to_qcolor(board.pnlZeit.back));
        } else if (l == hold_) {
            pal.setColor(QPalette::Window, to_qcolor(board.pnlHG.back));
        } else if (!l->autoFillBackground()) {
            pal.setColor(QPalette::Window, Qt::transparent);
        }
    }
    if (w->palette() != pal) w->setPalette(pal);
    const bool visible = e.visible && !covered_by_ippon(i);
    if (w->isVisibleTo(this) != visible && w != this) w->setVisible(visible);
    return refit;
}

void ScoreboardWindow::paint_board() {
    const Board& board = engine_.board();
    bool refit = false;
    for (std::size_t i = 0; i < Board::elements().size(); ++i)
        refit = paint_element(i, board) || refit;
    paint_glance();
    // A name that shrinks to fit its room is measured again when it changes.
    if (refit && engine_.rules().namen_anpassen) lay_out();
    // Clocks are centred on their own width, which changes with their text.
    const int P = hg_->width();
    for (QLabel* l : {hold_, hold_saved_}) l->move(round_half_even((P - l->width()) / 2.0), 10);
    clock_->move(round_half_even((zeit_->width() - clock_->width()) / 2.0), clock_->y());
    // The timers follow the engine.
    if (engine_.clock_timer_on() != clock_timer_.isActive())
        engine_.clock_timer_on() ? clock_timer_.start() : clock_timer_.stop();
    if (engine_.focus_timer_on() != focus_timer_.isActive())
        engine_.focus_timer_on() ? focus_timer_.start() : focus_timer_.stop();
    aim_second_tick();
    if (gong_soon_) gong_soon_(gong_may_come_soon());
    if (painted_) painted_();
    painted_board_ = engine_.board();
    painted_state_ = engine_.state();
}

void ScoreboardWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_once_) return;
    shown_once_ = true;
    // The show step may open the control panel: run it once the window is up.
    QTimer::singleShot(0, this, [this] {
        engine_.on_show();
        paint_board();
    });
}

void ScoreboardWindow::show_placed() {
    left_ = read_setting_value(engine_.settings(), Key::anzeige_anz_links).value;
    watch_screens();
    const std::string monitor =
        trim_right(read_setting_text(engine_.settings(), Key::anzeige_anz_monitor));
    const auto screens = QGuiApplication::screens();
    if (const auto i = board_screen(screen_facts(), monitor, left_)) {
        place_on_screen(this, screens[static_cast<qsizetype>(*i)]);
        found_once_ = true;
    } else if (!monitor.empty()) {
        // The named monitor is not there yet: the program starts all the same, without
        // showing the board on the operator's screen, and places it when the monitor comes.
        shown_once_ = true;
        QTimer::singleShot(0, this, [this] {
            engine_.on_show();
            paint_board();
        });
        return;
    } else if (left_) {
        place_on_screen(this, *left_);
    }
    show();
}

void ScoreboardWindow::place_on_display(int left) {
    if (read_setting_value(engine_.settings(), Key::anzeige_anz_links).value) left_ = left;
    setWindowTitle("KYOMAT - Anzeigetafel");
    follow_screens();
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
    if (read_setting_value(engine_.settings(), Key::anz_layout_name_verein).value == 1) {
        engine_.hide_clubs();
        club_blue_->hide();
        club_white_->hide();
    }
}

void ScoreboardWindow::fit_long_texts(const ScoreboardLayout& L) {
    for (const char* n : k_fitted_labels) {
        auto* l = static_cast<FitLabel*>(widgets_[Board::index_of(n)]);
        const std::string_view name = n;
        const int room = (name == "lblAK" || name == "lblGewK" ? L.P : width() - L.P) - 2 * l->x();
        // Still too wide at the smallest font the layout allows: two lines, then "…".
        if (engine_.rules().namen_anpassen && room > 0 &&
            QFontMetrics(l->font()).horizontalAdvance(l->text()) > room) {
            l->fit_within(room);
        } else {
            l->show_whole();
        }
    }
}

void ScoreboardWindow::lay_out() {
    const RuleSettings& r = engine_.rules();
    auto label_named = [this](const std::string& name) {
        if (QLabel* extra = glance_label(name)) return extra;
        return static_cast<QLabel*>(widgets_[Board::index_of(name)]);
    };
    // A label's size at a font size, for its current text ("name#H", "name#+": for that text).
    auto measure = [&](const std::string& name, int points) {
        const auto hash = name.find('#');
        QLabel* l = label_named(name.substr(0, hash));
        QFont f = l->font();
        f.setPointSize(points > 0 ? points : 1);
        const QString text =
            hash == std::string::npos ? l->text() : QString::fromStdString(name.substr(hash + 1));
        const QSize size = QFontMetrics(f).size(Qt::TextSingleLine, text);
        return LabelSize{size.width(), size.height()};
    };
    const ScoreboardLayout L = scoreboard_layout(
        width(), height(),
        FontCorrections{r.korrektur_name, r.korrektur_wertung, r.korrektur_zeit, r.korrektur_fuss,
                        r.namen_anpassen, r.spalten_titel, r.rand_korrektur},
        r.ohne_waza, r.ohne_yuko, measure);
    const int W = width();
    top_->setGeometry(0, 0, W, L.T);
    middle_->setGeometry(0, L.T, W, L.T);
    bottom_->setGeometry(0, 2 * L.T, W, L.B);
    pnl1_->setGeometry(W - L.P, 0, L.P, L.T);
    pnl2_->setGeometry(W - L.P, 0, L.P, L.T);
    links_->setGeometry(0, 0, L.P, L.B);
    hg_->setGeometry(W - L.P, 0, L.P, L.B);
    zeit_->setGeometry(L.P, 0, W - 2 * L.P, L.B);
    hg_bottom_->setGeometry(0, L.B - L.Bb, L.P, L.Bb);
    const auto& elements = Board::elements();
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const auto it = L.labels.find(elements[i].name);
        if (it == L.labels.end()) continue;
        const Placement& place = it->second;
        QWidget* w = widgets_[i];
        if (place.points > 0 || elements[i].member == &Board::lbl_GS) {
            QFont f = w->font();
            f.setPointSize(place.points > 0 ? place.points : 1);
            w->setFont(f);
            if (auto* l = qobject_cast<QLabel*>(w)) l->adjustSize();
        }
        w->move(place.left, place.top);
    }
    if (!laid_out_) {
        laid_out_ = true;
        for (QWidget* w : widgets_) {
            if (auto* l = qobject_cast<QLabel*>(w)) l->adjustSize();
        }
    }
    fit_long_texts(L);
    place_glance(L);
    modus_name_verein();
}

}  // namespace kyomat
