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
};

constexpr int k_min_fitted_points = 8;

// The labels whose font shrinks to fit their room when fit_texts is on.
constexpr const char* k_fitted_labels[] = {"lblBlau_Name",    "lblBLau_Verein", "lblWeiss_Name",
                                           "lblWeiss_Verein", "lblAK",          "lblGewK"};

// measure(control, points): the size of that label's current text at that font size.
ScoreboardLayout scoreboard_layout(
    int W, int H, const FontCorrections& k, bool ohne_waza, bool ohne_yuko,
    const std::function<LabelSize(const std::string&, int)>& measure);

}  // namespace kyomat
