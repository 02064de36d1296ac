#include "engine/board.h"

#include "data/core/basis.h"

namespace kyomat {

#define KYOMAT_ELEMENT(n) \
    Board::Entry {        \
#n, &Board::n     \
    }

const std::array<Board::Entry, Board::k_count>& Board::elements() {
    static const std::array<Entry, k_count> list = {
        KYOMAT_ELEMENT(pnlTop),
        KYOMAT_ELEMENT(lblBlau_Name),
        KYOMAT_ELEMENT(lblBLau_Verein),
        KYOMAT_ELEMENT(lbl_Sieger_Blau),
        KYOMAT_ELEMENT(pnl1),
        KYOMAT_ELEMENT(lbl_I_b),
        KYOMAT_ELEMENT(lbl_W_b),
        KYOMAT_ELEMENT(lbl_Y_b),
        KYOMAT_ELEMENT(lbl_S_b),
        KYOMAT_ELEMENT(lbl_Kreuz_b_1),
        KYOMAT_ELEMENT(lbl_Kreuz_b_2),
        KYOMAT_ELEMENT(pnlMiddle),
        KYOMAT_ELEMENT(lblWeiss_Name),
        KYOMAT_ELEMENT(lblWeiss_Verein),
        KYOMAT_ELEMENT(lbl_Sieger_Weiss),
        KYOMAT_ELEMENT(pnl2),
        KYOMAT_ELEMENT(lbl_I_W),
        KYOMAT_ELEMENT(lbl_W_W),
        KYOMAT_ELEMENT(lbl_Y_W),
        KYOMAT_ELEMENT(lbl_S_W),
        KYOMAT_ELEMENT(lbl_Kreuz_w_1),
        KYOMAT_ELEMENT(lbl_Kreuz_w_2),
        KYOMAT_ELEMENT(pnlBottom),
        KYOMAT_ELEMENT(pnlLinks),
        KYOMAT_ELEMENT(lblAK),
        KYOMAT_ELEMENT(lblGewK),
        KYOMAT_ELEMENT(lblLPOS),
        KYOMAT_ELEMENT(pnlZeit),
        KYOMAT_ELEMENT(lblZeit),
        KYOMAT_ELEMENT(lbl_GS),
        KYOMAT_ELEMENT(pnlHG),
        KYOMAT_ELEMENT(lblHG),
        KYOMAT_ELEMENT(pnlHG_Bottom),
        KYOMAT_ELEMENT(lblHG_Save),
        KYOMAT_ELEMENT(shpFocus),
    };
    return list;
}

#undef KYOMAT_ELEMENT

std::size_t Board::index_of(Element Board::*member) {
    const auto& list = elements();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].member == member) return i;
    }
    return k_count;
}

std::size_t Board::index_of(std::string_view name) {
    const auto& list = elements();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (name == list[i].name) return i;
    }
    return k_count;
}

int shown_number(const Element& element) {
    return to_integer(element.text).value_or(0);
}

Element* Board::find(std::string_view name) {
    for (const auto& e : elements()) {
        if (name == e.name) return &(this->*e.member);
    }
    return nullptr;
}

const Element* Board::find(std::string_view name) const {
    return const_cast<Board*>(this)->find(name);
}

}  // namespace kyomat
