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
    Rect field[4];  // Ippon, Waza-ari, Yuko, Shido
    Rect updown[4];
    int caption_left[4];
    int name_caption_top = 0;
    Rect name, club;      // club.y needs the caption height: see club_top
    int button_left = 0;  // "H" and "+"
    int cross_count_left = 0;
    Rect winner;
};

// club_height is the height of the club field (for the club caption's top).
ScoreRowLayout score_row_layout(int width, int height, int club_height);

struct PanelLayout {
    Rect pnlWertung, pnlWertungBlau, pnlWertungWeiss, pnlMain, pnlControl, pnlControlZeit,
        pnlKampfzeit, pnlHGZeit, pnlControlButtons, pnlControlButtonsAllgemein, pnlControlButtonsHG,
        Panel2, Panel1, pnlHGStartBlau, pnlHGStartWeiss, pnlHGStop, pnlHGReset, pnlKaempfe,
        pnlKampfInfo, pnlKaempfeListe, pnlKaempfeButtons, pnlBottom, sbControl;
    int clock_font = 7;
    // Buttons of a fixed size: clock corrections (on the clock column), the four general
    // buttons, the bottom bar's five and its reconnect button, the status bar's panels.
    Rect btnZeitPlus, btnZeitMinus, btnHGPlus, btnHGMinus;
    Rect general_buttons[4];  // winner blue, winner white, no winner, Golden Score
    Rect bottom_buttons[5];   // close panel, pause, names, gong, end display
    Rect btnReconnect;
    Rect status_panels[3];
};

// The panel's design size, and the least height it is given to leave the board room on a
// monitor both share.
constexpr int k_panel_width = 990;
constexpr int k_panel_height = 547;
constexpr int k_panel_least_height = 380;

// The bottom bar's and the status bar's heights.
constexpr int k_panel_bottom_bar = 45;
constexpr int k_panel_status_bar = 20;

// W and H: the window's size; bottom: the bottom bar's height; status: the status bar's.
PanelLayout panel_layout(int W, int H, int bottom = k_panel_bottom_bar,
                         int status = k_panel_status_bar);

// The bout list area: info fields lined up with the white side's score fields (u is the
// score row's unit), the four bout buttons side by side, the grid's five columns.
struct BoutAreaLayout {
    Rect edtGEWK, edtAK, edtLPOS;
    Rect lblAKGEW, lblKAMPF;  // position only
    Rect buttons[4];          // next bout, enter bout, save bout, activate bout
    int grid_columns[5];
};

// field_height: a line field's height; grid_frame: the grid's frame width.
BoutAreaLayout bout_area_layout(const PanelLayout& p, int u, int field_height, int grid_frame);

}  // namespace kyomat
