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
};

// measure(control, points): the size of that label's current text at that font size.
ScoreboardLayout scoreboard_layout(
    int W, int H, const FontCorrections& k, bool ohne_waza, bool ohne_yuko,
    const std::function<LabelSize(const std::string&, int)>& measure);

}  // namespace kyomat
