#include "control/control_panel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

#include "control/panel_layout.h"
#include "control/relay.h"
#include "data/core/basis.h"
#include "platform/message_box.h"

namespace kyomat {
namespace {

QColor qcolor(const Colour& c) { return QColor(c.r, c.g, c.b); }

QFont pixel_font(const char* family, int px, bool bold = false) {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

void set_back(QWidget* w, const QColor& c) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
}

void set_text_colour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::ButtonText, c);
    p.setColor(QPalette::Text, c);
    w->setPalette(p);
}

void place(QWidget* w, const Rect& r) { w->setGeometry(r.x, r.y, r.w, r.h); }

// A panel that takes clicks: the clock field and the hold-down panels.
class ClickPanel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> on_click;
    std::function<void()> on_double_click;

protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (on_click && e->button() == Qt::LeftButton) on_click();
    }
    void mouseDoubleClickEvent(QMouseEvent*) override {
        if (on_double_click) on_double_click();
    }
};

// An up-down control: two arrow buttons, up awards one more, down takes one back.
class UpDown : public QWidget {
public:
    UpDown(QWidget* parent, std::function<void(bool up)> on_arrow) : QWidget(parent) {
        up_ = new QToolButton(this);
        up_->setObjectName("up");
        up_->setArrowType(Qt::UpArrow);
        down_ = new QToolButton(this);
        down_->setObjectName("down");
        down_->setArrowType(Qt::DownArrow);
        QObject::connect(up_, &QToolButton::clicked, [on_arrow] { on_arrow(true); });
        QObject::connect(down_, &QToolButton::clicked, [on_arrow] { on_arrow(false); });
    }

protected:
    void resizeEvent(QResizeEvent*) override {
        up_->setGeometry(0, 0, width(), height() / 2);
        down_->setGeometry(0, height() / 2, width(), height() - height() / 2);
    }

private:
    QToolButton* up_;
    QToolButton* down_;
};

const char* const k_kinds[4] = {"I", "W", "Y", "S"};
const char* const k_captions[4] = {"Ippon", "Waza-Ari", "Yuko", "Shido"};

}  // namespace

template <class W>
W* ControlPanel::make(const char* name, QWidget* parent) {
    auto* w = new W(parent);
    w->setObjectName(name);
    controls_[name] = w;
    return w;
}

QPushButton* ControlPanel::button(const char* name, const QString& caption, QWidget* parent,
                                     unsigned char character, char modifier) {
    auto* b = make<QPushButton>(name, parent);
    b->setText(caption);
    b->setAutoDefault(false);
    if (modifier != 0) {
        connect(b, &QPushButton::clicked, this,
                [this, character, modifier] { sende_zeichen(character, modifier); });
    }
    return b;
}

ControlPanel::ControlPanel(BoutEngine& engine, Host& host, PanelLinks links,
                                 QWidget* parent)
    : QDialog(parent), engine_(engine), host_(host), links_(std::move(links)) {
    setObjectName("frmAnzeigeSTRG");
    setFont(pixel_font("MS Sans Serif", 11));
    resize(990, 547);

    auto* wertung = make<QWidget>("pnlWertung", this);
    build_side(true, make<QWidget>("pnlWertungBlau", wertung));
    build_side(false, make<QWidget>("pnlWertungWeiss", wertung));

    auto* main = make<QWidget>("pnlMain", this);
    auto* ctrl = make<QWidget>("pnlControl", main);
    auto* zeit = make<QWidget>("pnlControlZeit", ctrl);
    for (const char* n : {"pnlKampfzeit", "pnlHGZeit"}) {
        auto* p = make<ClickPanel>(n, zeit);
        p->setAlignment(Qt::AlignCenter);
        p->setFrameShape(QFrame::Panel);
        p->setAutoFillBackground(true);
    }
    static_cast<ClickPanel*>(controls_["pnlKampfzeit"])->on_click = [this] { sende_zeichen(' ', ' '); };
    static_cast<QLabel*>(controls_["pnlKampfzeit"])->setText("0:00");
    static_cast<QLabel*>(controls_["pnlHGZeit"])->setText("00");
    const QFont small_bold = pixel_font("Arial", 16, true);
    auto clock_button = [&](const char* n, const char* cap, QWidget* parent, char c, int y) {
        QPushButton* b = button(n, cap, parent, static_cast<unsigned char>(c), 'C');
        b->setFont(small_bold);
        b->setGeometry(0, y, 23, 22);
    };
    // The correction buttons lie on the clock fields, but not in them: the fields take the
    // scoreboard's clock colours, the buttons keep the usual ones.
    clock_button("btnZeitPlus", "+", zeit, 'Z', 0);
    clock_button("btnZeitMinus", "-", zeit, 'V', 24);
    clock_button("btnHGPlus", "+", zeit, 'P', 0);
    clock_button("btnHGMinus", "-", zeit, 'M', 24);

    auto* buttons = make<QWidget>("pnlControlButtons", ctrl);
    auto* allgemein = make<QWidget>("pnlControlButtonsAllgemein", buttons);
    button("btnSiegerBlau", "Sieger-Weiß", allgemein, 'B', 'C')->setGeometry(16, 8, 121, 25);
    button("btnSiegerWeiss", "Sieger-Blau", allgemein, 'W', 'C')->setGeometry(152, 8, 121, 25);
    button("BtnKeinSieger", "Kein Sieger", allgemein, 'X', 'C')->setGeometry(16, 40, 121, 25);
    button("btnGoldenScore", "Golden Score", allgemein, 'S', 'C')->setGeometry(152, 40, 121, 25);
    auto* hg = make<QWidget>("pnlControlButtonsHG", buttons);
    auto* panel2 = make<QWidget>("Panel2", hg);
    auto* panel1 = make<QWidget>("Panel1", hg);
    const std::tuple<const char*, const char*, QWidget*, char> hold_panels[] = {
        {"pnlHGStartBlau", "Haltegriff", panel2, '5'},
        {"pnlHGStartWeiss", "Haltegriff", panel2, '8'},
        {"pnlHGStop", "Gelöst", panel1, '6'},
        {"pnlHGReset", "Löschen", panel1, '7'}};
    for (const auto& [n, cap, parent_panel, c] : hold_panels) {
        auto* p = make<ClickPanel>(n, parent_panel);
        p->setText(cap);
        p->setAlignment(Qt::AlignCenter);
        p->setFrameShape(QFrame::Panel);
        p->setFont(small_bold);
        const char ch = c;
        p->on_click = [this, ch] { sende_zeichen(static_cast<unsigned char>(ch), 'F'); };
    }
    set_back(controls_["pnlHGStop"], QColor(255, 255, 0));
    set_back(controls_["pnlHGReset"], QColor(192, 220, 192));

    // The bout list area.
    auto* kaempfe = make<QWidget>("pnlKaempfe", main);
    auto* info = make<QWidget>("pnlKampfInfo", kaempfe);
    make<QLabel>("lblAKGEW", info)->setText("Gewichtsklasse");
    make<QLabel>("lblKAMPF", info)->setText("aktueller Kampf");
    for (const char* n : {"edtGEWK", "edtAK", "edtLPOS"}) make<QLineEdit>(n, info)->setReadOnly(true);
    auto* liste = make<ClickPanel>("pnlKaempfeListe", kaempfe);
    static_cast<ClickPanel*>(liste)->on_double_click = [this] { list_double_click(); };
    grid_ = make<QTableWidget>("grdKaempfe", liste);
    grid_->setColumnCount(5);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->verticalHeader()->hide();
    grid_->setWordWrap(false);
    grid_->hide();
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { list_double_click(); });
    auto* kbuttons = make<QWidget>("pnlKaempfeButtons", kaempfe);
    connect(button("btnNaechsterKampf", "Nächster Kampf", kbuttons, 'N', 0), &QPushButton::clicked,
            this, &ControlPanel::btnNaechsterKampfClick);
    connect(button("btnEingabeKampf", "Kampf eingeben", kbuttons, 'K', 0), &QPushButton::clicked,
            this, &ControlPanel::btnEingabeKampfClick);
    connect(button("btnSave", "Kampf speichern", kbuttons, 'E', 0), &QPushButton::clicked, this,
            &ControlPanel::btnSaveClick);
    button("btnKampfAktivieren", "Kampf aktivieren", kbuttons, 'A', 'C');

    // The bottom bar.
    auto* bottom = make<QWidget>("pnlBottom", this);
    connect(button("btnCloseSTRG", "Steuerung schließen", bottom, 0, 0), &QPushButton::clicked,
            this, &ControlPanel::btnCloseSTRGClick);
    connect(button("btnPause", "Anzeige auf Pause", bottom, 0, 0), &QPushButton::clicked, this,
            &ControlPanel::btnPauseClick);
    button("btnTitel", "Namen anzeigen", bottom, 'T', 'C');
    button("btnGong", "Signal (Gong)", bottom, 'G', 'C');
    connect(button("btnCloseAnzeige", "Anzeige beenden", bottom, 0, 0), &QPushButton::clicked,
            this, &ControlPanel::btnCloseAnzeigeClick);
    auto* reconnect = button("btnReconnect", "⟳", bottom, 0, 0);
    reconnect->setToolTip("Verbindung erneuern");
    connect(reconnect, &QPushButton::clicked, this, [] { show_catalogue_message(105); });
    int x = 16;
    for (const char* n : {"btnCloseSTRG", "btnPause", "btnTitel", "btnGong", "btnCloseAnzeige"}) {
        controls_[n]->setGeometry(x == 16 ? 16 : x, 8, x == 16 ? 153 : 154, 25);
        x = x == 16 ? 175 : x + 160;
    }
    reconnect->setGeometry(848, 8, 31, 26);

    auto* status = make<QWidget>("sbControl", this);
    int sx = 0;
    for (int i = 0; i < 3; ++i) {
        const int w = i == 0 ? 200 : (i == 1 ? 300 : 50);
        auto* l = make<QLabel>(("sbPanel" + std::to_string(i)).c_str(), status);
        l->setFrameShape(QFrame::StyledPanel);
        l->setGeometry(sx, 0, w, 20);
        sx += w;
    }
}

void ControlPanel::build_side(bool blue, QWidget* area) {
    const std::string s = blue ? "b" : "w";
    const int first_label = blue ? 5 : 1;
    for (int i = 0; i < 4; ++i) {
        auto* cap = make<QLabel>(("Label" + std::to_string(first_label + i)).c_str(), area);
        cap->setText(k_captions[i]);
        auto* field = make<QLineEdit>(("edt_" + std::string(k_kinds[i]) + "_" + s).c_str(), area);
        field->setReadOnly(true);
        field->setAlignment(Qt::AlignCenter);
        field->setFont(pixel_font("Arial Black", 43));
        if (i == 3) set_text_colour(field, QColor(255, 0, 0));
        // Blue's digits 1 to 4, white's 7, 8, 9, 0.
        const char digit = blue ? static_cast<char>('1' + i) : "7890"[i];
        auto* ud = new UpDown(area, [this, digit](bool up) {
            sende_zeichen(static_cast<unsigned char>(digit), up ? ' ' : 'S');
        });
        const std::string ud_name = "ud_" + std::string(k_kinds[i]) + "_" + s;
        ud->setObjectName(QString::fromStdString(ud_name));
        controls_[ud_name] = ud;
    }
    make<QLabel>(blue ? "Label9" : "Label11", area)->setText(blue ? "Name, Vorname" : "Name. Vorname");
    make<QLabel>(blue ? "Label10" : "Label12", area)->setText("Verein/Verband");
    make<QLineEdit>(blue ? "edtBlau_Name" : "edtWeiss_Name", area)->setReadOnly(true);
    make<QLineEdit>(blue ? "edtBlau_Verein" : "edtWeiss_Verein", area)->setReadOnly(true);
    QPushButton* h = button(blue ? "btnHansoBlau" : "btnHansoWeiss", "H", area,
                            blue ? '1' : 'B', 'G');
    h->setFont(pixel_font("Arial", 21, true));
    set_text_colour(h, QColor(255, 0, 0));
    QPushButton* cross = button(blue ? "btnKreuz_B" : "btnKreuz_W", "+", area,
                                blue ? vk::oem_plus : vk::oem_2, ' ');
    cross->setFont(pixel_font("Arial", 21, true));
    set_text_colour(cross, QColor(0, 128, 0));
    make<QLineEdit>(blue ? "edtKreuz_B" : "edtKreuz_W", area)->setReadOnly(true);
    auto* winner = make<QLabel>(blue ? "pnlSiegerBlau" : "pnlSiegerWeiss", area);
    winner->setText("* Sieger *");
    winner->setAlignment(Qt::AlignCenter);
    winner->setFont(pixel_font("Arial", 16));
    winner->hide();
}

void ControlPanel::sende_zeichen(unsigned char character, char modifier, bool require_active) {
    if (require_active && !engine_.state().bout_active) {
        show_message("Kein Kampf aktiv", 'H');
    } else if (const auto ev = relay_key(character, modifier); ev && links_.key) {
        links_.key(ev->key, ev->mods);
    }
    anzeige_uebernehmen();
    zeit_uebernehmen();
}

void ControlPanel::anzeige_uebernehmen() {
    const Board& b = engine_.board();
    const RuleSettings& r = engine_.rules();
    for (const char* n : {"Label6", "Label2", "edt_W_b", "ud_W_b", "edt_W_w", "ud_W_w"}) {
        controls_[n]->setVisible(!r.ohne_waza);
    }
    for (const char* n : {"Label7", "Label3", "edt_Y_b", "ud_Y_b", "edt_Y_w", "ud_Y_w"}) {
        controls_[n]->setVisible(!r.ohne_yuko);
    }
    const std::pair<const char*, const Element*> copies[] = {
        {"edtBlau_Name", &b.lblBlau_Name},     {"edtBlau_Verein", &b.lblBLau_Verein},
        {"edtWeiss_Name", &b.lblWeiss_Name},   {"edtWeiss_Verein", &b.lblWeiss_Verein},
        {"edtAK", &b.lblAK},                   {"edtGEWK", &b.lblGewK},
        {"edtLPOS", &b.lblLPOS},               {"edt_I_b", &b.lbl_I_b},
        {"edt_W_b", &b.lbl_W_b},               {"edt_Y_b", &b.lbl_Y_b},
        {"edt_S_b", &b.lbl_S_b},               {"edt_I_w", &b.lbl_I_W},
        {"edt_W_w", &b.lbl_W_W},               {"edt_Y_w", &b.lbl_Y_W},
        {"edt_S_w", &b.lbl_S_W}};
    for (const auto& [name, element] : copies) {
        static_cast<QLineEdit*>(controls_[name])->setText(QString::fromStdString(element->text));
    }
    auto crosses = [](const Element& first, const Element& second) {
        return second.text == "+" ? "2" : (first.text == "+" ? "1" : "0");
    };
    static_cast<QLineEdit*>(controls_["edtKreuz_B"])->setText(crosses(b.lbl_Kreuz_b_1, b.lbl_Kreuz_b_2));
    static_cast<QLineEdit*>(controls_["edtKreuz_W"])->setText(crosses(b.lbl_Kreuz_w_1, b.lbl_Kreuz_w_2));
    controls_["pnlSiegerBlau"]->setVisible(b.lbl_Sieger_Blau.visible);
    controls_["pnlSiegerWeiss"]->setVisible(b.lbl_Sieger_Weiss.visible);
    static_cast<QLabel*>(controls_["sbPanel0"])
        ->setText(QString::fromStdString(b.lblAK.text + "    " + b.lblGewK.text));
    static_cast<QLabel*>(controls_["sbPanel1"])->setText(b.lbl_GS.visible ? "Golden Score" : " ");
}

void ControlPanel::zeit_uebernehmen() {
    const Board& b = engine_.board();
    auto mirror = [](QWidget* w, const Element& label, const Element& panel) {
        static_cast<QLabel*>(w)->setText(QString::fromStdString(label.text));
        set_back(w, qcolor(panel.back));
        set_text_colour(w, qcolor(label.font));
    };
    mirror(controls_["pnlKampfzeit"], b.lblZeit, b.pnlZeit);
    mirror(controls_["pnlHGZeit"], b.lblHG, b.pnlHG);
}

bool ControlPanel::list_mode() const { return !grid_->isHidden(); }

void ControlPanel::anzeige_kaempfe() {
    grid_->hide();
    std::vector<std::array<std::string, 5>> rows;
    if (!links_.list_rows || !links_.list_rows(rows)) return;
    grid_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        for (int c = 0; c < 5; ++c) {
            grid_->setItem(r, c, new QTableWidgetItem(QString::fromStdString(
                                     rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)])));
        }
    }
    grid_->show();
    // The next-bout command needs a weight class on the scoreboard.
    engine_.enter_list_mode();
}

void ControlPanel::btnPauseClick() {
    auto* b = static_cast<QPushButton*>(controls_["btnPause"]);
    if (pause_ == 0) {
        pause_ = 1;
        b->setText("Pause beenden");
        sende_zeichen('Q', 'C');
    } else {
        pause_ = 0;
        b->setText("Anzeige auf Pause");
        sende_zeichen('R', 'C');
    }
}

void ControlPanel::btnCloseSTRGClick() {
    close_panel(engine_, [this](std::uint16_t key, Modifiers mods) {
        if (links_.key) links_.key(key, mods);
    });
    anzeige_uebernehmen();
    zeit_uebernehmen();
    accept();
}

void ControlPanel::btnCloseAnzeigeClick() {
    const bool leave = exit_from_panel(engine_, host_, [this](std::uint16_t key, Modifiers mods) {
        if (links_.key) links_.key(key, mods);
    });
    if (leave) accept();
}

void ControlPanel::btnNaechsterKampfClick() {
    sende_zeichen('N', 'C');
    grid_->setVisible(engine_.state().loaded_from_list);
    if (list_mode()) anzeige_kaempfe();
}

void ControlPanel::btnEingabeKampfClick() {
    grid_->hide();
    sende_zeichen('K', 'C');
}

void ControlPanel::btnSaveClick() {
    grid_->hide();
    sende_zeichen('E', 'C');
}

void ControlPanel::list_double_click() {
    if (links_.edit_kaempfe) links_.edit_kaempfe();
    anzeige_kaempfe();
}

void ControlPanel::apply_colours() {
    Colour c1{255, 255, 255}, c2{83, 168, 255}, k1{0, 0, 0}, k2{21, 29, 140};
    const Settings& s = engine_.settings();
    parse_colour(s.read_setting("Farben_CTRL", "hintergrund_1"), c1);
    parse_colour(s.read_setting("Farben_CTRL", "hintergrund_2"), c2);
    parse_colour(s.read_setting("Farben_CTRL", "knopf_1"), k1);
    parse_colour(s.read_setting("Farben_CTRL", "knopf_2"), k2);
    set_back(controls_["pnlWertungBlau"], qcolor(c1));
    set_back(controls_["pnlHGStartBlau"], qcolor(c1));
    set_back(controls_["pnlWertungWeiss"], qcolor(c2));
    set_back(controls_["pnlHGStartWeiss"], qcolor(c2));
    for (const auto& [name, colour] : {std::pair{"pnlSiegerBlau", k1}, std::pair{"pnlSiegerWeiss", k2}}) {
        QWidget* w = controls_[name];
        set_back(w, qcolor(colour));
        set_text_colour(w, palette().color(QPalette::Base));
    }
}

void ControlPanel::showEvent(QShowEvent* event) {
    const bool fixed = trim_right(engine_.settings().read_setting("anzeige", "control")) == "1";
    controls_["btnCloseSTRG"]->setEnabled(!fixed);
    setWindowTitle("KYOMAT - Controlpanel für Anzeigetafel");
    grid_->setHorizontalHeaderLabels({"", "Name (1)", "Name (2)", "Ergebnis", "U-Bew."});
    lay_out();
    setWindowState(Qt::WindowNoState);
    move(0, 0);
    apply_colours();
    anzeige_uebernehmen();
    zeit_uebernehmen();
    QDialog::showEvent(event);
}

void ControlPanel::keyPressEvent(QKeyEvent* event) {
    // The panel is left only by its buttons or its close box: a stray Escape at the
    // referee table must not take it away.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ControlPanel::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    lay_out();
}

void ControlPanel::lay_out() {
    const PanelLayout p = panel_layout(width(), height(), 45, 20);
    const std::pair<const char*, const Rect*> panels[] = {
        {"pnlWertung", &p.pnlWertung},
        {"pnlWertungBlau", &p.pnlWertungBlau},
        {"pnlWertungWeiss", &p.pnlWertungWeiss},
        {"pnlMain", &p.pnlMain},
        {"pnlControl", &p.pnlControl},
        {"pnlControlZeit", &p.pnlControlZeit},
        {"pnlKampfzeit", &p.pnlKampfzeit},
        {"pnlHGZeit", &p.pnlHGZeit},
        {"pnlControlButtons", &p.pnlControlButtons},
        {"pnlControlButtonsAllgemein", &p.pnlControlButtonsAllgemein},
        {"pnlControlButtonsHG", &p.pnlControlButtonsHG},
        {"Panel2", &p.Panel2},
        {"Panel1", &p.Panel1},
        {"pnlHGStartBlau", &p.pnlHGStartBlau},
        {"pnlHGStartWeiss", &p.pnlHGStartWeiss},
        {"pnlHGStop", &p.pnlHGStop},
        {"pnlHGReset", &p.pnlHGReset},
        {"pnlKaempfe", &p.pnlKaempfe},
        {"pnlKampfInfo", &p.pnlKampfInfo},
        {"pnlKaempfeListe", &p.pnlKaempfeListe},
        {"pnlKaempfeButtons", &p.pnlKaempfeButtons},
        {"pnlBottom", &p.pnlBottom},
        {"sbControl", &p.sbControl}};
    for (const auto& [name, rect] : panels) place(controls_[name], *rect);
    const QFont clock = [&] {
        QFont f(QStringLiteral("Arial"));
        f.setBold(true);
        f.setPointSize(p.clock_font);
        return f;
    }();
    controls_["pnlKampfzeit"]->setFont(clock);
    controls_["pnlHGZeit"]->setFont(clock);
    for (const auto& [name, top] : {std::pair{"btnZeitPlus", 0}, std::pair{"btnZeitMinus", 24},
                                    std::pair{"btnHGPlus", p.pnlHGZeit.y},
                                    std::pair{"btnHGMinus", p.pnlHGZeit.y + 24}}) {
        controls_[name]->move(0, top);
        controls_[name]->raise();
    }

    const int club_h = controls_["edtBlau_Verein"]->sizeHint().height();
    const ScoreRowLayout s = score_row_layout(p.pnlWertungBlau.w, p.pnlWertungBlau.h, club_h);
    for (const bool blue : {true, false}) {
        const std::string side = blue ? "b" : "w";
        const int first_label = blue ? 5 : 1;
        for (int i = 0; i < 4; ++i) {
            place(controls_["edt_" + std::string(k_kinds[i]) + "_" + side], s.field[i]);
            place(controls_["ud_" + std::string(k_kinds[i]) + "_" + side], s.updown[i]);
            QWidget* cap = controls_["Label" + std::to_string(first_label + i)];
            cap->adjustSize();
            cap->move(s.caption_left[i], p.pnlWertungBlau.h - 2 * cap->height());
        }
        QWidget* name_cap = controls_[blue ? "Label9" : "Label11"];
        QWidget* club_cap = controls_[blue ? "Label10" : "Label12"];
        name_cap->adjustSize();
        club_cap->adjustSize();
        name_cap->move(s.u, s.name_caption_top);
        club_cap->move(s.u, s.club.y);
        place(controls_[blue ? "edtBlau_Name" : "edtWeiss_Name"], s.name);
        place(controls_[blue ? "edtBlau_Verein" : "edtWeiss_Verein"], s.club);
        place(controls_[blue ? "btnHansoBlau" : "btnHansoWeiss"],
              Rect{s.button_left, s.club.y, s.u, s.club.h});
        place(controls_[blue ? "btnKreuz_B" : "btnKreuz_W"],
              Rect{s.button_left, s.name.y, s.u, s.name.h});
        place(controls_[blue ? "edtKreuz_B" : "edtKreuz_W"],
              Rect{s.cross_count_left, s.name.y, s.u, s.name.h});
        place(controls_[blue ? "pnlSiegerBlau" : "pnlSiegerWeiss"], s.winner);
        controls_[blue ? "pnlSiegerBlau" : "pnlSiegerWeiss"]->raise();
    }
    // The bout grid: 11 parts, the two name columns four each.
    grid_->setGeometry(0, 0, p.pnlKaempfeListe.w, p.pnlKaempfeListe.h);
    // From the set geometry: a grid still hidden has no real viewport size yet.
    const int e = (p.pnlKaempfeListe.w - 2 * grid_->frameWidth()) / 11;
    for (int c = 0; c < 5; ++c) grid_->setColumnWidth(c, (c == 1 || c == 2) ? 4 * e : e);
    // The info fields line up with the white side's score fields.
    for (const char* n : {"edtAK", "edtGEWK", "edtLPOS"}) controls_[n]->resize(2 * s.u, club_h);
    controls_["edtGEWK"]->move(5 * s.u, 8);
    controls_["edtAK"]->move(9 * s.u, 8);
    controls_["edtLPOS"]->move(5 * s.u, 40);
    controls_["lblAKGEW"]->move(s.u, 8);
    controls_["lblKAMPF"]->move(s.u, 40);
    // The four bout buttons side by side.
    const int bw = p.pnlKaempfeButtons.w / 4;
    int i = 0;
    for (const char* n : {"btnNaechsterKampf", "btnEingabeKampf", "btnSave", "btnKampfAktivieren"}) {
        controls_[n]->setGeometry(8 + i++ * bw, 8, bw - 12, 26);
    }
}

}  // namespace kyomat
