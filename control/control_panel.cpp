#include "control/control_panel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "control/panel_widgets.h"
#include "control/relay.h"
#include "data/core/catalogue.h"
#include "gui/keymap.h"
#include "gui/window_keys.h"
#include "platform/message_box.h"

namespace kyomat {
namespace {

const char* const k_kinds[4] = {"I", "W", "Y", "S"};
const char* const k_captions[4] = {"Ippon", "Waza-Ari", "Yuko", "Shido"};

template <class W>
W* make(const char* name, QWidget* parent) {
    auto* w = new W(parent);
    w->setObjectName(name);
    return w;
}

template <class W>
W* make(const std::string& name, QWidget* parent) {
    return make<W>(name.c_str(), parent);
}

}  // namespace

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

ClickPanel* ControlPanel::click_panel(const char* name, QWidget* parent) {
    auto* p = make<ClickPanel>(name, parent);
    p->setAlignment(Qt::AlignCenter);
    p->setFrameShape(QFrame::Panel);
    return p;
}

ControlPanel::ControlPanel(BoutEngine& engine, Host& host, PanelLinks links, QWidget* parent)
    : QDialog(parent), engine_(engine), host_(host), links_(std::move(links)) {
    setObjectName("frmAnzeigeSTRG");
    setFont(pixel_font("MS Sans Serif", 11));
    resize(k_panel_width, k_panel_height);

    wertung_ = make<QWidget>("pnlWertung", this);
    build_side(Side::blue, make<QWidget>("pnlWertungBlau", wertung_), blue_);
    build_side(Side::white, make<QWidget>("pnlWertungWeiss", wertung_), white_);
    main_ = make<QWidget>("pnlMain", this);
    control_ = make<QWidget>("pnlControl", main_);
    build_clock_column(control_);
    build_buttons(control_);
    build_bout_area(main_);
    build_bottom_bar();
}

void ControlPanel::build_clock_column(QWidget* parent) {
    zeit_ = make<QWidget>("pnlControlZeit", parent);
    kampfzeit_ = click_panel("pnlKampfzeit", zeit_);
    hg_zeit_ = click_panel("pnlHGZeit", zeit_);
    for (ClickPanel* p : {kampfzeit_, hg_zeit_}) p->setAutoFillBackground(true);
    kampfzeit_->on_click = [this] { sende_zeichen(' ', ' '); };
    kampfzeit_->setText("0:00");
    hg_zeit_->setText("00");
    // The correction buttons lie on the clock fields, but not in them: the fields take the
    // scoreboard's clock colours, the buttons keep the usual ones.
    const QFont small_bold = pixel_font("Arial", 16, true);
    auto clock_button = [&](const char* n, const char* cap, char c) {
        QPushButton* b = button(n, cap, zeit_, static_cast<unsigned char>(c), 'C');
        b->setFont(small_bold);
        return b;
    };
    zeit_plus_ = clock_button("btnZeitPlus", "+", 'Z');
    zeit_minus_ = clock_button("btnZeitMinus", "-", 'V');
    hg_plus_ = clock_button("btnHGPlus", "+", 'P');
    hg_minus_ = clock_button("btnHGMinus", "-", 'M');
}

void ControlPanel::build_buttons(QWidget* parent) {
    buttons_ = make<QWidget>("pnlControlButtons", parent);
    allgemein_ = make<QWidget>("pnlControlButtonsAllgemein", buttons_);
    general_ = {button("btnSiegerBlau", "Sieger-Weiß", allgemein_, 'B', 'C'),
                button("btnSiegerWeiss", "Sieger-Blau", allgemein_, 'W', 'C'),
                button("BtnKeinSieger", "Kein Sieger", allgemein_, 'X', 'C'),
                button("btnGoldenScore", "Golden Score", allgemein_, 'S', 'C')};
    hg_buttons_ = make<QWidget>("pnlControlButtonsHG", buttons_);
    panel2_ = make<QWidget>("Panel2", hg_buttons_);
    panel1_ = make<QWidget>("Panel1", hg_buttons_);
    const QFont small_bold = pixel_font("Arial", 16, true);
    auto hold_panel = [&](const char* n, const char* cap, QWidget* area, char c) {
        ClickPanel* p = click_panel(n, area);
        p->setText(cap);
        p->setFont(small_bold);
        p->on_click = [this, c] { sende_zeichen(static_cast<unsigned char>(c), 'F'); };
        return p;
    };
    hg_start_blue_ = hold_panel("pnlHGStartBlau", "Haltegriff", panel2_, '5');
    hg_start_white_ = hold_panel("pnlHGStartWeiss", "Haltegriff", panel2_, '8');
    hg_stop_ = hold_panel("pnlHGStop", "Gelöst", panel1_, '6');
    hg_reset_ = hold_panel("pnlHGReset", "Löschen", panel1_, '7');
    set_back(hg_stop_, QColor(255, 255, 0));
    set_back(hg_reset_, QColor(192, 220, 192));
}

void ControlPanel::build_bout_area(QWidget* parent) {
    kaempfe_ = make<QWidget>("pnlKaempfe", parent);
    info_ = make<QWidget>("pnlKampfInfo", kaempfe_);
    lbl_akgew_ = make<QLabel>("lblAKGEW", info_);
    lbl_akgew_->setText("Gewichtsklasse");
    lbl_kampf_ = make<QLabel>("lblKAMPF", info_);
    lbl_kampf_->setText("aktueller Kampf");
    edt_gewk_ = make<QLineEdit>("edtGEWK", info_);
    edt_ak_ = make<QLineEdit>("edtAK", info_);
    edt_lpos_ = make<QLineEdit>("edtLPOS", info_);
    for (QLineEdit* e : {edt_gewk_, edt_ak_, edt_lpos_}) e->setReadOnly(true);
    liste_ = make<ClickPanel>("pnlKaempfeListe", kaempfe_);
    liste_->on_double_click = [this] { list_double_click(); };
    grid_ = make<QTableWidget>("grdKaempfe", liste_);
    grid_->setColumnCount(5);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->verticalHeader()->hide();
    grid_->setWordWrap(false);
    grid_->hide();
    // A double click anywhere on the list opens the editor, on a row or below the last one.
    grid_->viewport()->installEventFilter(this);
    bout_buttons_area_ = make<QWidget>("pnlKaempfeButtons", kaempfe_);
    QWidget* area = bout_buttons_area_;
    bout_buttons_ = {button("btnNaechsterKampf", "Nächster Kampf", area, 'N', 0),
                     button("btnEingabeKampf", "Kampf eingeben", area, 'K', 0),
                     button("btnSave", "Kampf speichern", area, 'E', 0),
                     button("btnKampfAktivieren", "Kampf aktivieren", area, 'A', 'C')};
    connect(bout_buttons_[0], &QPushButton::clicked, this, &ControlPanel::on_next_bout_clicked);
    connect(bout_buttons_[1], &QPushButton::clicked, this, &ControlPanel::on_enter_bout_clicked);
    connect(bout_buttons_[2], &QPushButton::clicked, this, &ControlPanel::on_save_bout_clicked);
}

void ControlPanel::build_bottom_bar() {
    bottom_ = make<QWidget>("pnlBottom", this);
    bottom_buttons_ = {button("btnCloseSTRG", "Steuerung schließen", bottom_, 0, 0),
                       button("btnPause", "Anzeige auf Pause", bottom_, 0, 0),
                       button("btnTitel", "Namen anzeigen", bottom_, 'T', 'C'),
                       button("btnGong", "Signal (Gong)", bottom_, 'G', 'C'),
                       button("btnCloseAnzeige", "Anzeige beenden", bottom_, 0, 0)};
    connect(bottom_buttons_[0], &QPushButton::clicked, this, &ControlPanel::on_close_panel_clicked);
    connect(bottom_buttons_[1], &QPushButton::clicked, this, &ControlPanel::on_pause_clicked);
    connect(bottom_buttons_[4], &QPushButton::clicked, this, &ControlPanel::on_exit_clicked);
    reconnect_ = button("btnReconnect", "⟳", bottom_, 0, 0);
    reconnect_->setToolTip("Verbindung erneuern");
    connect(reconnect_, &QPushButton::clicked, this, [] {
        show_message(catalogue_message(k_msg_reconnected),
                     letter(catalogue_kind(k_msg_reconnected)));
    });
    status_ = make<QWidget>("sbControl", this);
    for (int i = 0; i < 3; ++i) {
        status_panels_[i] = make<QLabel>("sbPanel" + std::to_string(i), status_);
        status_panels_[i]->setFrameShape(QFrame::StyledPanel);
    }
    status_focus_ = make<QLabel>("sbFokus", status_panels_[0]);
    status_focus_->setFixedSize(12, 12);
    status_live_ = make<QLabel>("sbLive", status_);
    status_live_->setFrameShape(QFrame::StyledPanel);
    status_live_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_live_->hide();
    status_note_ = make<QLabel>("sbHinweis", status_);
    status_note_->setStyleSheet(QStringLiteral("color: #b00000; background: #fff4c0;"));
    status_note_->hide();
    note_timer_ = new QTimer(this);
    note_timer_->setSingleShot(true);
    connect(note_timer_, &QTimer::timeout, this, [this] {
        status_note_->hide();
        fit_status_fields();
    });
    set_up_list_watch();
}

void ControlPanel::open_panel(std::function<void()> closed) {
    // Never modal to the window system: a modal panel blocks the pause picture's click and,
    // once the focus has landed on the board, every key. The board itself keeps out keys and
    // clicks while the panel is open without panel_tasten, as a modal panel would.
    setWindowModality(Qt::NonModal);
    when_finished(*this, std::move(closed));
    show();
    raise();
    activateWindow();
}

void ControlPanel::build_side(Side side, QWidget* area, SideControls& c) {
    const bool blue = side == Side::blue;
    const std::string s = blue ? "b" : "w";
    const int first_label = blue ? 5 : 1;
    c.area = area;
    for (int i = 0; i < 4; ++i) {
        c.caption[i] = make<QLabel>("Label" + std::to_string(first_label + i), area);
        c.caption[i]->setText(k_captions[i]);
        c.field[i] = make<QLineEdit>("edt_" + std::string(k_kinds[i]) + "_" + s, area);
        c.field[i]->setReadOnly(true);
        c.field[i]->setAlignment(Qt::AlignCenter);
        c.field[i]->setFont(pixel_font("Arial Black", 43));
        if (i == 3) set_text_colour(c.field[i], QColor(255, 0, 0));
        // Blue's digits 1 to 4, white's 7, 8, 9, 0.
        const char digit = blue ? static_cast<char>('1' + i) : "7890"[i];
        c.updown[i] = new UpDown(area, [this, digit](bool up) {
            sende_zeichen(static_cast<unsigned char>(digit), up ? ' ' : 'S');
        });
        c.updown[i]->setObjectName(
            QString::fromStdString("ud_" + std::string(k_kinds[i]) + "_" + s));
    }
    c.name_caption = make<QLabel>(blue ? "Label9" : "Label11", area);
    c.name_caption->setText(blue ? "Name, Vorname" : "Name. Vorname");
    c.club_caption = make<QLabel>(blue ? "Label10" : "Label12", area);
    c.club_caption->setText("Verein/Verband");
    c.name = make<QLineEdit>(blue ? "edtBlau_Name" : "edtWeiss_Name", area);
    c.club = make<QLineEdit>(blue ? "edtBlau_Verein" : "edtWeiss_Verein", area);
    c.name->setReadOnly(true);
    c.club->setReadOnly(true);
    c.hansoku = button(blue ? "btnHansoBlau" : "btnHansoWeiss", "H", area, blue ? '1' : 'B', 'G');
    c.hansoku->setFont(pixel_font("Arial", 21, true));
    set_text_colour(c.hansoku, QColor(255, 0, 0));
    c.cross =
        button(blue ? "btnKreuz_B" : "btnKreuz_W", "+", area, blue ? vk::oem_plus : vk::oem_2, ' ');
    c.cross->setFont(pixel_font("Arial", 21, true));
    set_text_colour(c.cross, QColor(0, 128, 0));
    c.cross_count = make<QLineEdit>(blue ? "edtKreuz_B" : "edtKreuz_W", area);
    c.cross_count->setReadOnly(true);
    c.winner = make<QLabel>(blue ? "pnlSiegerBlau" : "pnlSiegerWeiss", area);
    c.winner->setText("* Sieger *");
    c.winner->setAlignment(Qt::AlignCenter);
    c.winner->setFont(pixel_font("Arial", 16));
    c.winner->hide();
}

void ControlPanel::relay(std::uint16_t key, Modifiers mods) {
    if (links_.key) links_.key(key, mods);
}

void ControlPanel::sende_zeichen(unsigned char character, char modifier, bool require_active) {
    if (require_active && !engine_.state().bout_active) {
        show_message("Kein Kampf aktiv", 'H');
    } else if (const auto ev = relay_key(character, modifier)) {
        relay(ev->key, ev->mods);
    }
    anzeige_uebernehmen();
    zeit_uebernehmen();
}

bool ControlPanel::list_mode() const {
    return saving_bout_ || !grid_->isHidden();
}

void ControlPanel::on_pause_clicked() {
    QPushButton* b = bottom_buttons_[1];
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

void ControlPanel::on_close_panel_clicked() {
    close_panel(engine_, [this](std::uint16_t key, Modifiers mods) { relay(key, mods); });
    anzeige_uebernehmen();
    zeit_uebernehmen();
    accept();
}

void ControlPanel::on_exit_clicked() {
    const bool leave =
        exit_from_panel(engine_, [this](std::uint16_t key, Modifiers mods) { relay(key, mods); });
    if (leave) accept();
}

void ControlPanel::after_key(std::function<void()> then) {
    if (links_.after_key) {
        links_.after_key(std::move(then));
    } else {
        then();
    }
}

void ControlPanel::on_next_bout_clicked() {
    sende_zeichen('N', 'C');
    after_key([this] {
        // A list the desk is saving at this moment leaves list mode as it was.
        const bool unreadable = links_.list_unreadable && links_.list_unreadable();
        if (!unreadable) grid_->setVisible(engine_.state().loaded_from_list);
        if (list_mode()) anzeige_kaempfe();
    });
}

void ControlPanel::on_enter_bout_clicked() {
    grid_->hide();
    sende_zeichen('K', 'C');
}

void ControlPanel::on_save_bout_clicked() {
    // A shown result of a bout from the list goes into its own row before list mode ends
    // (a bout entered by hand has no row, and nothing is written for it).
    saving_bout_ = true;
    sende_zeichen('E', 'C');
    after_key([this] {
        saving_bout_ = false;
        // Declined over a bout in progress: the bout, and so the list, stay as they were.
        if (engine_.bout_in_progress()) return;
        grid_->hide();
    });
}

void ControlPanel::list_double_click() {
    if (links_.edit_kaempfe) {
        links_.edit_kaempfe([this] { anzeige_kaempfe(); });
    } else {
        anzeige_kaempfe();
    }
}

void ControlPanel::keyPressEvent(QKeyEvent* event) {
    // The panel is left only by its buttons or its close box: a stray Escape at the
    // referee table must not take it away.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    if (keys_relayed_) {
        // As on the scoreboard: a held key must not pour scores onto the board.
        if (event->isAutoRepeat()) {
            event->accept();
            return;
        }
        if (const auto ev = map_key(*event)) {
            // The panel is open already: the key that opens it does nothing here.
            const bool opens_panel = ev->mods.ctrl && !ev->mods.shift && ev->key == 'C';
            if (!opens_panel) relay(ev->key, ev->mods);
            anzeige_uebernehmen();
            zeit_uebernehmen();
            event->accept();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void ControlPanel::set_keys_relayed(bool relayed) {
    keys_relayed_ = relayed;
    if (focus_policies_.empty()) {
        for (QWidget* w : findChildren<QWidget*>())
            focus_policies_.emplace_back(w, w->focusPolicy());
    }
    // Space and Enter must never click a button that happens to have the focus.
    for (const auto& [w, policy] : focus_policies_)
        w->setFocusPolicy(relayed ? Qt::NoFocus : policy);
    setFocusPolicy(relayed ? Qt::StrongFocus : Qt::NoFocus);
    if (relayed) setFocus();
}

}  // namespace kyomat
