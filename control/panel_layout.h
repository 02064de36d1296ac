#pragma once
// The control panel's proportions as plain arithmetic (integer divisions that drop the
// fraction), so they are tested without a window.

namespace kyomat {

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The score row of one side, from the size of the blue score area.
struct ScoreRowLayout {
    int u = 0;
    Rect field[4];   // Ippon, Waza-ari, Yuko, Shido
    Rect updown[4];
    int caption_left[4];
    int name_caption_top = 0;
    Rect name, club;  // club.y needs the caption height: see club_top
    int button_left = 0;      // "H" and "+"
    int cross_count_left = 0;
    Rect winner;
};

// club_height is the height of the club field (for the club caption's top).
ScoreRowLayout score_row_layout(int width, int height, int club_height);

struct PanelLayout {
    Rect pnlWertung, pnlWertungBlau, pnlWertungWeiss, pnlMain, pnlControl, pnlControlZeit,
        pnlKampfzeit, pnlHGZeit, pnlControlButtons, pnlControlButtonsAllgemein,
        pnlControlButtonsHG, Panel2, Panel1, pnlHGStartBlau, pnlHGStartWeiss, pnlHGStop,
        pnlHGReset, pnlKaempfe, pnlKampfInfo, pnlKaempfeListe, pnlKaempfeButtons, pnlBottom,
        sbControl;
    int clock_font = 7;
};

// W and H: the window's size; bottom: the bottom bar's height; status: the status bar's.
PanelLayout panel_layout(int W, int H, int bottom, int status);

}  // namespace kyomat
