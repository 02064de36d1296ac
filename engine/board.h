#pragma once
// The scoreboard's elements that carry state. The values on show are the values of record:
// every rule reads the texts back from here, the window paints them, the control panel
// mirrors them.
#include <array>
#include <string>
#include <string_view>

#include "data/core/settings.h"

namespace kyomat {

struct Element {
    std::string text;
    bool visible = true;
    Colour font;
    Colour back;
    friend bool operator==(const Element&, const Element&) = default;
};

// The number an element shows, or 0 when it shows none (an "H", an empty text).
int shown_number(const Element& element);

struct Board {
    // Blue side (top).
    Element pnlTop, lblBlau_Name, lblBLau_Verein, lbl_Sieger_Blau;
    Element pnl1, lbl_I_b, lbl_W_b, lbl_Y_b, lbl_S_b, lbl_Kreuz_b_1, lbl_Kreuz_b_2;
    // White side (middle).
    Element pnlMiddle, lblWeiss_Name, lblWeiss_Verein, lbl_Sieger_Weiss;
    Element pnl2, lbl_I_W, lbl_W_W, lbl_Y_W, lbl_S_W, lbl_Kreuz_w_1, lbl_Kreuz_w_2;
    // Lower third.
    Element pnlBottom, pnlLinks, lblAK, lblGewK, lblLPOS;
    Element pnlZeit, lblZeit, lbl_GS;
    Element pnlHG, lblHG, pnlHG_Bottom, lblHG_Save, shpFocus;

    struct Entry {
        const char* name;
        Element Board::*member;
    };
    static constexpr std::size_t k_count = 35;
    static const std::array<Entry, k_count>& elements();
    // The place of an element in elements(), or k_count.
    static std::size_t index_of(Element Board::*member);
    static std::size_t index_of(std::string_view name);

    // The element of that control name, or nullptr.
    Element* find(std::string_view name);
    const Element* find(std::string_view name) const;

    friend bool operator==(const Board&, const Board&) = default;
};

}  // namespace kyomat
