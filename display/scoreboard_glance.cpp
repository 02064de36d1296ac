// What makes the board read at a glance (each a setting, off by default): "IPPON" in the
// winner's score area, headings over the first side's score columns.
#include <QLabel>

#include "display/scoreboard_window.h"
#include "gui/colour.h"
#include "platform/fonts.h"

namespace kyomat {

void ScoreboardWindow::build_glance() {
    const QFont heavy = heavy_font();
    for (std::size_t i = 0; i < headings_.size(); ++i) {
        headings_[i] = new QLabel(QString::fromLatin1(k_heading_texts[i]), pnl1_);
        headings_[i]->setObjectName(QString::fromLatin1(k_heading_labels[i]));
        headings_[i]->setFont(heavy);
        headings_[i]->hide();
    }
    for (std::size_t i = 0; i < ippon_.size(); ++i) {
        ippon_[i] = new QLabel(QStringLiteral("IPPON"), i == 0 ? pnl1_ : pnl2_);
        ippon_[i]->setObjectName(QString::fromLatin1(k_ippon_labels[i]));
        ippon_[i]->setFont(heavy);
        ippon_[i]->hide();
    }
}

QLabel* ScoreboardWindow::glance_label(const std::string& name) const {
    static_assert(std::size(k_heading_labels) == std::tuple_size_v<decltype(headings_)>);
    static_assert(std::size(k_ippon_labels) == std::tuple_size_v<decltype(ippon_)>);
    std::size_t i = 0;
    for (const char* heading : k_heading_labels) {
        if (name == heading) return headings_.at(i);
        ++i;
    }
    i = 0;
    for (const char* ippon : k_ippon_labels) {
        if (name == ippon) return ippon_.at(i);
        ++i;
    }
    return nullptr;
}

void ScoreboardWindow::place_glance(const ScoreboardLayout& L) {
    for (QLabel* l : headings_) {
        const auto it = L.labels.find(l->objectName().toStdString());
        if (it == L.labels.end()) continue;
        QFont f = l->font();
        f.setPointSize(std::max(1, it->second.points));
        l->setFont(f);
        l->adjustSize();
        l->move(it->second.left, it->second.top);
    }
    for (QLabel* l : ippon_) {
        const Placement& p = L.labels.at(l->objectName().toStdString());
        QFont f = l->font();
        f.setPointSize(std::max(1, p.points));
        l->setFont(f);
        l->adjustSize();
        l->move(p.left, p.top);
        l->raise();
    }
}

// Which of the board's cells "IPPON" covers: the winner's score cells and crosses.
bool ScoreboardWindow::covered_by_ippon(std::size_t element) const {
    const MaybeSide side = shown_ippon();
    if (!side) return false;
    using M = Element Board::*;
    static constexpr M blue[] = {&Board::lbl_W_b,       &Board::lbl_Y_b,       &Board::lbl_S_b,
                                 &Board::lbl_Kreuz_b_1, &Board::lbl_Kreuz_b_2, &Board::lbl_I_b};
    static constexpr M white[] = {&Board::lbl_W_W,       &Board::lbl_Y_W,       &Board::lbl_S_W,
                                  &Board::lbl_Kreuz_w_1, &Board::lbl_Kreuz_w_2, &Board::lbl_I_W};
    for (M m : *side == Side::blue ? blue : white) {
        if (Board::index_of(m) == element) return true;
    }
    return false;
}

MaybeSide ScoreboardWindow::shown_ippon() const {
    return engine_.rules().ippon_zeigen ? engine_.ippon_winner() : std::nullopt;
}

void ScoreboardWindow::paint_glance() {
    const Board& b = engine_.board();
    const RuleSettings& r = engine_.rules();
    const MaybeSide ippon = shown_ippon();
    const Element* cells[3] = {&b.lbl_W_b, &b.lbl_Y_b, &b.lbl_S_b};
    for (std::size_t i = 0; i < headings_.size(); ++i) {
        QLabel* l = headings_[i];
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, to_qcolor(b.lbl_W_b.font));
        if (l->palette() != pal) l->setPalette(pal);
        const bool on = r.spalten_titel && cells[i]->visible && ippon != Side::blue;
        if (l->isVisibleTo(this) != on) l->setVisible(on);
    }
    for (std::size_t i = 0; i < ippon_.size(); ++i) {
        QLabel* l = ippon_[i];
        const Side side = i == 0 ? Side::blue : Side::white;
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, to_qcolor(i == 0 ? b.lbl_W_b.font : b.lbl_W_W.font));
        if (l->palette() != pal) l->setPalette(pal);
        const bool on = ippon == side;
        if (l->isVisibleTo(this) != on) l->setVisible(on);
    }
}

}  // namespace kyomat
