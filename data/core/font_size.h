#pragma once
// Font sizes from pixel heights, shared by the scoreboard and the control panel layouts.

namespace kyomat {

// x to the nearest integer, a value exactly halfway going to the even neighbour.
int round_half_even(double x);
// A wanted text height in pixels as a font size in points; never below 7.
int font_size(int px, int fallback);
// font_size of a floating-point pixel height, rounded first.
inline int fs(double px) {
    return font_size(round_half_even(px), 0);
}

}  // namespace kyomat
