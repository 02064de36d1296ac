// The control panel's face: the mirror of the board, the bout grid, colours and layout.
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QTimer>

#include "control/control_panel.h"

#include <algorithm>
#include "control/panel_widgets.h"
#include "data/core/cp1252.h"
#include "data/core/setting_reader.h"
#include "gui/colour.h"
#include "platform/screen_place.h"

namespace kyomat {
namespace {

// How long after showing the panel a window manager's placement is undone (a slow machine
// maps it late).
constexpr int k_settle_ms = 5000;

QString qtext(const std::string& s) {
    return QString::fromStdString(s);
}

// The injury crosses as the count the panel shows.
const char* cross_count(const Element& first, const Element& second) {
    return second.text == "+" ? "2" : (first.text == "+" ? "1" : "0");
}

}  // namespace

void ControlPanel::mirror_side(const SideControls& c, Side side) {
    const Board& b = engine_.board();
    const RuleSettings& r = engine_.rules();
    const bool blue = side == Side::blue;
    // Waza-ari and Yuko rows hidden where the rules hide them on the board.
    for (int i : {1, 2}) {
        const bool shown = i == 1 ? !r.ohne_waza : !r.ohne_yuko;
        c.caption[i]->setVisible(shown);
        c.field[i]->setVisible(shown);
        c.updown[i]->setVisible(shown);
    }
    const Element* cells[4] = {blue ? &b.lbl_I_b : &b.lbl_I_W, blue ? &b.lbl_W_b : &b.lbl_W_W,
                               blue ? &b.lbl_Y_b : &b.lbl_Y_W, blue ? &b.lbl_S_b : &b.lbl_S_W};
    for (int i = 0; i < 4; ++i) c.field[i]->setText(qtext(cells[i]->text));
    c.name->setText(qtext(shown_part(blue ? b.lblBlau_Name.text : b.lblWeiss_Name.text)));
    c.club->setText(qtext(shown_part(blue ? b.lblBLau_Verein.text : b.lblWeiss_Verein.text)));
    c.cross_count->setText(blue ? cross_count(b.lbl_Kreuz_b_1, b.lbl_Kreuz_b_2)
                                : cross_count(b.lbl_Kreuz_w_1, b.lbl_Kreuz_w_2));
    c.winner->setVisible(blue ? b.lbl_Sieger_Blau.visible : b.lbl_Sieger_Weiss.visible);
    // As the board says it with ippon_zeigen: a win by Ippon is called so.
    const bool ippon =
        engine_.rules().ippon_zeigen && engine_.ippon_winner() == (blue ? Side::blue : Side::white);
    c.winner->setText(ippon ? QStringLiteral("* IPPON *") : QStringLiteral("* Sieger *"));
}

void ControlPanel::anzeige_uebernehmen() {
    mirror_board();
    // A result written since the grid was filled shows at once, not when the editor reopens.
    if (!grid_->isHidden() && links_.list_writes && links_.list_writes() != list_writes_seen_) {
        anzeige_kaempfe();
    } else {
        select_loaded_row();
    }
}

void ControlPanel::set_board_activity(const QString& what) {
    if (what == board_activity_) return;
    board_activity_ = what;
    mirror_board();
}

void ControlPanel::mirror_board() {
    const Board& b = engine_.board();
    mirror_side(blue_, Side::blue);
    mirror_side(white_, Side::white);
    edt_ak_->setText(qtext(b.lblAK.text));
    edt_gewk_->setText(qtext(b.lblGewK.text));
    edt_lpos_->setText(qtext(b.lblLPOS.text));
    status_panels_[0]->setText(qtext(b.lblAK.text + "    " + b.lblGewK.text));
    if (board_missing_) {
        status_panels_[1]->setText("Anzeige-Bildschirm fehlt");
        status_panels_[1]->setToolTip("Die Tafel erscheint, sobald " + board_waited_for_ +
                                      " wieder angeschlossen ist");
        status_panels_[1]->setStyleSheet(QStringLiteral("color: #b00000;"));
    } else {
        // What the audience sees instead of the board: the operator's back is to it.
        QStringList up;
        if (board_back_ != nullptr && board_back_->isActive())
            up << QStringLiteral("Anzeige-Bildschirm wieder da: die Tafel steht darauf");
        if (relay_kept_ && !engine_.panel_keys() && !opened_for_board_)
            up << QStringLiteral("Tasten wirken weiter, bis der Kampf weitergegeben ist");
        if (!board_activity_.isEmpty()) up << board_activity_;
        if (b.lbl_GS.visible) up << QStringLiteral("Golden Score");
        status_panels_[1]->setText(up.isEmpty() ? QStringLiteral(" ") : up.join(" · "));
        status_panels_[1]->setToolTip({});
        status_panels_[1]->setStyleSheet({});
    }
    // The board's focus circle, on the operator's screen: green when keys reach the board.
    const QColor focus = to_qcolor(b.shpFocus.back);
    status_focus_->setStyleSheet(
        QStringLiteral("background: %1; border-radius: 6px;").arg(focus.name()));
    status_focus_->setToolTip(focus == QColor(0, 128, 0)
                                  ? QStringLiteral("Die Tasten erreichen die Tafel")
                                  : QStringLiteral("Die Tasten erreichen die Tafel nicht"));
    status_focus_->move(status_panels_[0]->width() - 18, (status_panels_[0]->height() - 12) / 2);
    // The bout time this bout was given (its age class may have its own).
    status_panels_[2]->setText(qtext(clock_text(engine_.state().set_duration)));
    zeit_uebernehmen();
}

void ControlPanel::select_loaded_row() {
    const BoutState& st = engine_.state();
    // The bout's row as the list now has it: the desk may have inserted bouts above it, and
    // the board shows the new position too.
    if (links_.bout_row && links_.bout_row() > 0 && links_.bout_row() != st.list_position) {
        engine_.list_row_moved(links_.bout_row());
        edt_lpos_->setText(qtext(engine_.board().lblLPOS.text));
        host_.board_changed();
    }
    const int row = st.list_position - 1;
    if (!st.loaded_from_list || row < 0 || row >= grid_->rowCount()) {
        grid_->clearSelection();
        grid_->setCurrentItem(nullptr);
        return;
    }
    // Not selectRow: with Ctrl held (Ctrl+N) it would add the row to the old one.
    const QModelIndex first = grid_->model()->index(row, 0);
    grid_->selectionModel()->setCurrentIndex(
        first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grid_->scrollTo(first);
}

void ControlPanel::zeit_uebernehmen() {
    const Board& b = engine_.board();
    auto mirror = [](QLabel* w, const Element& label, const Element& panel) {
        w->setText(qtext(label.text));
        set_back(w, to_qcolor(panel.back));
        set_text_colour(w, to_qcolor(label.font));
    };
    mirror(kampfzeit_, b.lblZeit, b.pnlZeit);
    mirror(hg_zeit_, b.lblHG, b.pnlHG);
}

void ControlPanel::set_up_list_watch() {
    if (links_.list_watch == nullptr) return;
    list_follower_ = links_.list_watch->add([this](const std::string& stamp) {
        if (grid_->isHidden()) {
            links_.list_watch->follow(list_follower_, false);
        } else if (stamp != list_stamp_seen_) {
            anzeige_kaempfe();
        }
    });
}

void ControlPanel::follow_list() {
    if (links_.list_watch != nullptr) links_.list_watch->follow(list_follower_, true);
}

// A double click anywhere on the list opens the editor, on a row or below the last one.
bool ControlPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        list_double_click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// How long the grid's looks at a list the desk is saving stay quiet.
constexpr qint64 k_list_quiet_ms = 5000;

void ControlPanel::anzeige_kaempfe() {
    std::vector<std::array<std::string, 5>> rows;
    const bool following = !grid_->isHidden();
    const int writes = links_.list_writes ? links_.list_writes() : 0;
    const std::string stamp =
        links_.list_watch != nullptr ? links_.list_watch->stamp() : std::string();
    const bool quiet =
        following && (!list_failing_.isValid() || list_failing_.elapsed() < k_list_quiet_ms ||
                      list_failure_told_);
    if (!links_.list_rows || !links_.list_rows(rows, quiet)) {
        // The grid keeps its last good rows and list mode, and looks again at the next poll.
        if (!following) return;
        if (!list_failing_.isValid()) list_failing_.start();
        if (!quiet) list_failure_told_ = true;
        follow_list();
        return;
    }
    list_failing_.invalidate();
    list_failure_told_ = false;
    list_writes_seen_ = writes;
    list_stamp_seen_ = stamp;
    follow_list();
    grid_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < 5; ++c) {
            grid_->setItem(static_cast<int>(r), static_cast<int>(c),
                           new QTableWidgetItem(qtext(rows[r][c])));
        }
    }
    grid_->show();
    select_loaded_row();
    engine_.enter_list_mode();
}

void ControlPanel::apply_colours() {
    const auto colour = [this](Key key) { return read_setting_colour(engine_.settings(), key); };
    const Colour c1 = colour(Key::farben_ctrl_hintergrund_1),
                 c2 = colour(Key::farben_ctrl_hintergrund_2), k1 = colour(Key::farben_ctrl_knopf_1),
                 k2 = colour(Key::farben_ctrl_knopf_2);
    set_back(blue_.area, to_qcolor(c1));
    set_back(hg_start_blue_, to_qcolor(c1));
    set_back(white_.area, to_qcolor(c2));
    set_back(hg_start_white_, to_qcolor(c2));
    for (const auto& [w, colour] : {std::pair{blue_.winner, k1}, std::pair{white_.winner, k2}}) {
        set_back(w, to_qcolor(colour));
        set_text_colour(w, palette().color(QPalette::Base));
    }
}

void ControlPanel::showEvent(QShowEvent* event) {
    bottom_buttons_[0]->setEnabled(!control_panel_at_start(engine_.settings()));
    set_keys_relayed(keys_relayed_here());
    status_->setToolTip("Monitore: " + QString::fromStdString(screen_list_text()));
    setWindowTitle("KYOMAT - Controlpanel für Anzeigetafel");
    grid_->setHorizontalHeaderLabels({"", "Name (1)", "Name (2)", "Ergebnis", "U-Bew."});
    setWindowState(Qt::WindowNoState);
    move(0, 0);
    share_board_screen();
    lay_out();
    apply_colours();
    anzeige_uebernehmen();
    zeit_uebernehmen();
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, [this] { tell_frame(); });
    placing_ = true;
    QTimer::singleShot(k_settle_ms, this, [this] { placing_ = false; });
}

void ControlPanel::hideEvent(QHideEvent* event) {
    // Closed: the next opening is the operator's own (Ctrl+C), with panel_tasten's keys.
    opened_for_board_ = false;
    relay_kept_ = false;
    QDialog::hideEvent(event);
    if (frame_told_) frame_told_({});
}

void ControlPanel::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (placing_ && pos() != QPoint(0, 0)) move(0, 0);
    tell_frame();
}

void ControlPanel::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    lay_out();
    tell_frame();
}

void ControlPanel::lay_out() {
    const PanelLayout p = panel_layout(width(), height());
    const std::pair<QWidget*, const Rect*> panels[] = {{wertung_, &p.pnlWertung},
                                                       {blue_.area, &p.pnlWertungBlau},
                                                       {white_.area, &p.pnlWertungWeiss},
                                                       {main_, &p.pnlMain},
                                                       {control_, &p.pnlControl},
                                                       {zeit_, &p.pnlControlZeit},
                                                       {kampfzeit_, &p.pnlKampfzeit},
                                                       {hg_zeit_, &p.pnlHGZeit},
                                                       {buttons_, &p.pnlControlButtons},
                                                       {allgemein_, &p.pnlControlButtonsAllgemein},
                                                       {hg_buttons_, &p.pnlControlButtonsHG},
                                                       {panel2_, &p.Panel2},
                                                       {panel1_, &p.Panel1},
                                                       {hg_start_blue_, &p.pnlHGStartBlau},
                                                       {hg_start_white_, &p.pnlHGStartWeiss},
                                                       {hg_stop_, &p.pnlHGStop},
                                                       {hg_reset_, &p.pnlHGReset},
                                                       {kaempfe_, &p.pnlKaempfe},
                                                       {info_, &p.pnlKampfInfo},
                                                       {liste_, &p.pnlKaempfeListe},
                                                       {bout_buttons_area_, &p.pnlKaempfeButtons},
                                                       {bottom_, &p.pnlBottom},
                                                       {status_, &p.sbControl},
                                                       {zeit_plus_, &p.btnZeitPlus},
                                                       {zeit_minus_, &p.btnZeitMinus},
                                                       {hg_plus_, &p.btnHGPlus},
                                                       {hg_minus_, &p.btnHGMinus},
                                                       {reconnect_, &p.btnReconnect}};
    for (const auto& [widget, rect] : panels) place(widget, *rect);
    for (int i = 0; i < 4; ++i) place(general_[i], p.general_buttons[i]);
    for (int i = 0; i < 5; ++i) place(bottom_buttons_[i], p.bottom_buttons[i]);
    for (int i = 0; i < 3; ++i) place(status_panels_[i], p.status_panels[i]);
    fit_status_fields();
    QFont clock = panel_face("Arial");
    clock.setBold(true);
    clock.setPointSize(p.clock_font);
    kampfzeit_->setFont(clock);
    hg_zeit_->setFont(clock);
    for (QWidget* b : {zeit_plus_, zeit_minus_, hg_plus_, hg_minus_}) b->raise();

    const int club_h = blue_.club->sizeHint().height();
    const ScoreRowLayout s = score_row_layout(p.pnlWertungBlau.w, p.pnlWertungBlau.h, club_h);
    lay_out_side(blue_, s, p.pnlWertungBlau.h);
    lay_out_side(white_, s, p.pnlWertungBlau.h);
    const BoutAreaLayout a = bout_area_layout(p, s.u, club_h, grid_->frameWidth());
    // From the set geometry: a grid still hidden has no real viewport size yet.
    grid_->setGeometry(0, 0, p.pnlKaempfeListe.w, p.pnlKaempfeListe.h);
    for (int c = 0; c < 5; ++c) grid_->setColumnWidth(c, a.grid_columns[c]);
    place(edt_gewk_, a.edtGEWK);
    place(edt_ak_, a.edtAK);
    place(edt_lpos_, a.edtLPOS);
    lbl_akgew_->move(a.lblAKGEW.x, a.lblAKGEW.y);
    lbl_kampf_->move(a.lblKAMPF.x, a.lblKAMPF.y);
    for (int i = 0; i < 4; ++i) place(bout_buttons_[i], a.buttons[i]);
}

void ControlPanel::lay_out_side(SideControls& c, const ScoreRowLayout& s, int area_height) {
    for (int i = 0; i < 4; ++i) {
        place(c.field[i], s.field[i]);
        place(c.updown[i], s.updown[i]);
        c.caption[i]->adjustSize();
        c.caption[i]->move(s.caption_left[i], area_height - 2 * c.caption[i]->height());
    }
    c.name_caption->adjustSize();
    c.club_caption->adjustSize();
    c.name_caption->move(s.u, s.name_caption_top);
    c.club_caption->move(s.u, s.club.y);
    place(c.name, s.name);
    place(c.club, s.club);
    place(c.hansoku, Rect{s.button_left, s.club.y, s.u, s.club.h});
    place(c.cross, Rect{s.button_left, s.name.y, s.u, s.name.h});
    place(c.cross_count, Rect{s.cross_count_left, s.name.y, s.u, s.name.h});
    place(c.winner, s.winner);
    c.winner->raise();
}

}  // namespace kyomat
