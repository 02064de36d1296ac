#pragma once
// The scoreboard's layout as plain arithmetic of the window size, the font corrections and
// the widths of the labels' texts, so it is tested without a window.
#include <functional>
#include <map>
#include <string>

namespace kyomat {

struct Placement {
    int left = 0;
    int top = 0;
    int points = 0;  // font size; 0 where the step sets none
};

struct LabelSize {
    int width = 0;
    int height = 0;
};

struct ScoreboardLayout {
    int T = 0;   // height of each name area
    int P = 0;   // width of the score panels, the footer and the hold-down panel
    int B = 0;   // height of the lower third
    int Bb = 0;  // height of the strip below the hold-down clock
    std::map<std::string, Placement> labels;  // by control name; the focus circle too
};

struct FontCorrections {
    int name = 100, wertung = 100, zeit = 100, fuss = 100;
    // Names, clubs and classes too wide for their room shrink until they fit (never below
    // two fifths of their size, and never below k_min_fitted_points; then they are cut).
    bool fit_texts = false;
    // Small headings over the first side's score columns (spalten_titel).
    bool headings = false;
    // The "H" and the injury crosses fully on screen and apart from the Shido digit
    // (rand_korrektur).
    bool edge = false;
};

// The labels the board adds to its elements: the headings over the score columns, and
// "IPPON" in either side's score area.
constexpr const char* k_heading_labels[] = {"Titel_W", "Titel_Y", "Titel_S"};
constexpr const char* k_heading_texts[] = {"Waza-ari", "Yuko", "Shido"};
constexpr const char* k_ippon_labels[] = {"Ippon_b", "Ippon_W"};

constexpr int k_min_fitted_points = 8;

// The labels whose font shrinks to fit their room when fit_texts is on.
constexpr const char* k_fitted_labels[] = {"lblBlau_Name",    "lblBLau_Verein", "lblWeiss_Name",
                                           "lblWeiss_Verein", "lblAK",          "lblGewK"};

// measure(control, points): the size of that label's current text at that font size;
// "control#H" and "control#+" measure an "H" and a cross in that label's font.
ScoreboardLayout scoreboard_layout(
    int W, int H, const FontCorrections& k, bool ohne_waza, bool ohne_yuko,
    const std::function<LabelSize(const std::string&, int)>& measure);

}  // namespace kyomat
