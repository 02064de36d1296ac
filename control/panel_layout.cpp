#include "control/panel_layout.h"

#include "data/core/font_size.h"

namespace kyomat {
namespace {

void place_fixed_buttons(PanelLayout& p) {
    constexpr int k_clock_button_w = 23, k_clock_button_h = 22, k_clock_button_step = 24;
    p.btnZeitPlus = Rect{0, 0, k_clock_button_w, k_clock_button_h};
    p.btnZeitMinus = Rect{0, k_clock_button_step, k_clock_button_w, k_clock_button_h};
    p.btnHGPlus = Rect{0, p.pnlHGZeit.y, k_clock_button_w, k_clock_button_h};
    p.btnHGMinus = Rect{0, p.pnlHGZeit.y + k_clock_button_step, k_clock_button_w, k_clock_button_h};
    for (int i = 0; i < 4; ++i) {
        p.general_buttons[i] = Rect{i % 2 == 0 ? 16 : 152, i < 2 ? 8 : 40, 121, 25};
    }
    p.bottom_buttons[0] = Rect{16, 8, 153, 25};
    for (int i = 1; i < 5; ++i) p.bottom_buttons[i] = Rect{175 + (i - 1) * 160, 8, 154, 25};
    p.btnReconnect = Rect{848, 8, 31, 26};
    p.status_panels[0] = Rect{0, 0, 200, 20};
    p.status_panels[1] = Rect{200, 0, 300, 20};
    p.status_panels[2] = Rect{500, 0, 50, 20};
}

}  // namespace

ScoreRowLayout score_row_layout(int width, int height, int club_height) {
    ScoreRowLayout s;
    const int u = width / 17;
    const int h = height;
    s.u = u;
    for (int i = 0; i < 4; ++i) {
        const int left = u + 4 * i * u;
        s.field[i] = Rect{left, h / 2, 2 * u, h / 3};
        s.updown[i] = Rect{left + 2 * u, h / 2, u, h / 3};
        s.caption_left[i] = left;
    }
    s.name_caption_top = (h / 2) / 5;
    const int club_caption_top = s.name_caption_top + club_height * 4 / 3;
    s.name = Rect{5 * u, s.name_caption_top, 7 * u, club_height};
    s.club = Rect{5 * u, club_caption_top, 7 * u, club_height};
    s.button_left = 15 * u;
    s.cross_count_left = 15 * u + u + 5;
    s.winner = Rect{u, s.name.y, 3 * u, s.club.y + s.club.h - s.name.y};
    return s;
}

PanelLayout panel_layout(int W, int H, int bottom, int status) {
    PanelLayout p;
    p.sbControl = Rect{0, H - status, W, status};
    p.pnlBottom = Rect{0, H - status - bottom, W, bottom};
    // The score area: 40 % of the height above the bottom bar.
    const int score_h = (H - bottom) * 4 / 10;
    p.pnlWertung = Rect{0, 0, W, score_h};
    // The right column: half the width.
    const int right = W / 2;
    p.pnlWertungWeiss = Rect{W - right, 0, right, score_h};
    p.pnlWertungBlau = Rect{0, 0, W - right, score_h};
    const int main_h = p.pnlBottom.y - score_h;
    p.pnlMain = Rect{0, score_h, W, main_h > 0 ? main_h : 0};
    const int mh = p.pnlMain.h;
    p.pnlKaempfe = Rect{W - right, 0, right, mh};
    p.pnlControl = Rect{0, 0, W - right, mh};
    // The clock column.
    const int zeit_w = mh * 4 / 5;
    p.pnlControlZeit = Rect{0, 0, zeit_w, mh};
    p.pnlKampfzeit = Rect{0, 0, zeit_w, mh / 2};
    p.pnlHGZeit = Rect{0, mh / 2, zeit_w, mh - mh / 2};
    // The clock font.
    p.clock_font = font_size(p.pnlKampfzeit.h * 4 / 5, p.pnlKampfzeit.w * 4 / 5);
    // The button block.
    const int buttons_w = p.pnlControl.w - zeit_w > 0 ? p.pnlControl.w - zeit_w : 0;
    p.pnlControlButtons = Rect{zeit_w, 0, buttons_w, mh};
    p.pnlControlButtonsAllgemein = Rect{0, 0, buttons_w, p.pnlHGZeit.h};
    const int hg_h = mh - p.pnlHGZeit.h > 0 ? mh - p.pnlHGZeit.h : 0;
    p.pnlControlButtonsHG = Rect{0, p.pnlHGZeit.h, buttons_w, hg_h};
    const int row_h = p.pnlHGZeit.h / 2 < hg_h ? p.pnlHGZeit.h / 2 : hg_h;
    p.Panel1 = Rect{0, hg_h - row_h, buttons_w, row_h};
    p.Panel2 = Rect{0, 0, buttons_w, hg_h - row_h};
    p.pnlHGStartBlau = Rect{0, 0, buttons_w / 2, p.Panel2.h};
    p.pnlHGStartWeiss = Rect{buttons_w / 2, 0, buttons_w - buttons_w / 2, p.Panel2.h};
    p.pnlHGStop = Rect{0, 0, buttons_w / 2, row_h};
    p.pnlHGReset = Rect{buttons_w / 2, 0, buttons_w - buttons_w / 2, row_h};
    // The bout list area.
    p.pnlKampfInfo = Rect{0, 0, right, 72};
    p.pnlKaempfeButtons = Rect{0, mh - 42, right, 42};
    p.pnlKaempfeListe = Rect{0, 72, right, mh - 72 - 42 > 0 ? mh - 72 - 42 : 0};
    place_fixed_buttons(p);
    return p;
}

BoutAreaLayout bout_area_layout(const PanelLayout& p, int u, int field_height, int grid_frame) {
    BoutAreaLayout a;
    a.edtGEWK = Rect{5 * u, 8, 2 * u, field_height};
    a.edtAK = Rect{9 * u, 8, 2 * u, field_height};
    a.edtLPOS = Rect{5 * u, 40, 2 * u, field_height};
    a.lblAKGEW = Rect{u, 8, 0, 0};
    a.lblKAMPF = Rect{u, 40, 0, 0};
    const int bw = p.pnlKaempfeButtons.w / 4;
    for (int i = 0; i < 4; ++i) a.buttons[i] = Rect{8 + i * bw, 8, bw - 12, 26};
    // 11 parts, the two name columns four each.
    const int e = (p.pnlKaempfeListe.w - 2 * grid_frame) / 11;
    for (int c = 0; c < 5; ++c) a.grid_columns[c] = (c == 1 || c == 2) ? 4 * e : e;
    return a;
}

}  // namespace kyomat
