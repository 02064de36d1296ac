#include "display/scoreboard_layout.h"

#include <algorithm>
#include <string_view>

#include "data/core/font_size.h"

namespace kyomat {
namespace {

using Measure = std::function<LabelSize(const std::string&, int)>;

// The largest font size from two fifths of the layout's size up to it at which the text fits its
// room; the smallest of them when none does (the text is then cut).
void fit_to_room(Placement& p, int room, const std::string& name, const Measure& measure) {
    if (p.points <= 0 || measure(name, p.points).width <= room) return;
    int lo = std::max(k_min_fitted_points, p.points * 2 / 5);
    int hi = p.points - 1;
    if (lo > hi) return;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (measure(name, mid).width <= room) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    p.points = lo;
}

// The headings over the first side's score columns, at the largest size from a twelfth of the
// band down at which they stand apart and inside the panel; the cells move down under them
// (both sides alike). Returns the headings' height.
int place_headings(ScoreboardLayout& L, int e, int f, int left_w, int left_y, const bool hidden[2],
                   const Measure& measure) {
    auto& at = L.labels;
    const int P = L.P, T = L.T;
    const int margin = std::max(2, P / 40);
    const int cell_w = measure("lbl_W_b", e).width;
    const int s_left = at["lbl_S_b"].left;
    const int s_w = measure("lbl_S_b", f).width;
    const int centre[3] = {left_w + cell_w / 2, left_y + cell_w / 2, s_left + s_w / 2};
    int points = std::max(k_min_fitted_points, T * 3 / 40);
    const auto fits = [&](int pts) {
        int right = 0;
        for (int i = 0; i < 3; ++i) {
            if (i < 2 && hidden[i]) continue;
            const int w = measure(k_heading_labels[i], pts).width;
            const int left = std::clamp(centre[i] - w / 2, 0, std::max(0, P - w));
            if (left < right + margin && i > 0) return false;
            if (left + w > P) return false;
            right = left + w;
        }
        return true;
    };
    while (points > k_min_fitted_points && !fits(points)) --points;
    for (int i = 0; i < 3; ++i) {
        const int w = measure(k_heading_labels[i], points).width;
        at[k_heading_labels[i]] = {std::clamp(centre[i] - w / 2, 0, std::max(0, P - w)), 0, points};
    }
    const int head_h = measure(k_heading_labels[0], points).height;
    // The cells move down under the headings and shrink by as much, on both sides alike.
    const int down = std::max(0, head_h + 1 - 10);
    for (const std::string s : {"b", "W"}) {
        for (const std::string kind : {"lbl_W_", "lbl_Y_", "lbl_S_"}) {
            Placement& cell = at[kind + s];
            cell.top += down;
            cell.points = std::max(k_min_fitted_points, cell.points * (T - down) / T);
        }
    }
    return head_h;
}

// The Shido column moves in so that an "H" ends inside the panel, and the crosses stand side
// by side over the Shido digit, below the headings (band_top), at the size that leaves them
// apart from it.
void keep_shido_and_crosses_on_screen(ScoreboardLayout& L, int band_top, const Measure& measure) {
    auto& at = L.labels;
    const int P = L.P;
    const int margin = std::max(2, P / 40);
    const int f = at["lbl_S_b"].points;
    const int s_w = std::max(measure("lbl_S_b", f).width, measure("lbl_S_b#H", f).width);
    const int s_left = std::min(at["lbl_S_b"].left, P - s_w - margin);
    int cross = std::max(k_min_fitted_points, f / 2);
    while (cross > k_min_fitted_points &&
           band_top + measure("lbl_Kreuz_b_1#+", cross).height > at["lbl_S_b"].top) {
        --cross;
    }
    const LabelSize c = measure("lbl_Kreuz_b_1#+", cross);
    const int shido_top = std::max(at["lbl_S_b"].top, band_top + c.height);
    const int gap = std::max(2, c.width / 4);
    const int pair = 2 * c.width + gap;
    const int first = std::clamp(s_left + (s_w - pair) / 2, 0, std::max(0, P - margin - pair));
    for (const std::string s : {"b", "W"}) {
        at["lbl_S_" + s] = {s_left, shido_top, f};
        const std::string side = s == "b" ? "b" : "w";
        at["lbl_Kreuz_" + side + "_1"] = {first, band_top, cross};
        at["lbl_Kreuz_" + side + "_2"] = {first + c.width + gap, band_top, cross};
    }
}

// Names and clubs, the winner marks beside the clubs.
void place_names(ScoreboardLayout& L, double kN) {
    const auto N = round_half_even;
    auto& at = L.labels;
    const int T = L.T;
    const int name_font = fs(T * 1.4 / 2 * kN);
    const int club_font = fs(T * 1.1 / 2 * kN);
    const int club_top = N(T / 2.0) + 10;
    // A little below the band's top edge: the dots of an "Ä" or "Ü" reach the font's ascent.
    const int name_top = N(T * 0.02);
    for (const char* n : {"lblBlau_Name", "lblWeiss_Name"}) at[n] = {10, name_top, name_font};
    for (const char* n :
         {"lblBLau_Verein", "lblWeiss_Verein", "lbl_Sieger_Blau", "lbl_Sieger_Weiss"}) {
        at[n] = {10, club_top, club_font};
    }
}

// "IPPON" fills the winner's score area, whose cells it covers.
void place_ippon(ScoreboardLayout& L, int e, const Measure& measure) {
    const int P = L.P, T = L.T;
    int ippon = e;
    const int margin = std::max(2, P / 40);
    while (ippon > k_min_fitted_points && (measure("Ippon_b", ippon).width > P - 2 * margin ||
                                           measure("Ippon_b", ippon).height > T)) {
        --ippon;
    }
    const LabelSize ippon_size = measure("Ippon_b", ippon);
    for (const char* n : k_ippon_labels) {
        L.labels[n] = {(P - ippon_size.width) / 2, std::max(0, (T - ippon_size.height) / 2), ippon};
    }
}

// The footer's classes, the bout clock with its Golden Score mark, the hold-down clock, the
// saved time and the focus circle.
void place_footer_and_clocks(ScoreboardLayout& L, int W, double kZ, double kF,
                             const Measure& measure) {
    const auto N = round_half_even;
    auto& at = L.labels;
    const int P = L.P, B = L.B;
    const int fuss = fs(B * 1.2 / 2 * kF);
    at["lblAK"] = {10, 0, fuss};
    at["lblGewK"] = {10, N(B / 2.0) - 10, fuss};
    const int zeit = fs(B * 1.05 * kZ);
    at["lblZeit"] = {N((W - 2 * P - measure("lblZeit", zeit).width) / 2.0), -N(B / 10.0), zeit};
    const int gs = N(zeit / 4.0);  // no lower limit here
    at["lbl_GS"] = {64, B - N(measure("lbl_GS", gs).height * 1.1), gs};
    L.Bb = N(B / 3.0);
    const int hg = fs((B - L.Bb) * 1.2 * kZ);
    at["lblHG"] = {N((P - measure("lblHG", hg).width) / 2.0), 10, hg};
    const int save = fs(L.Bb * 1.2 * kZ);
    at["lblHG_Save"] = {N((P - measure("lblHG_Save", save).width) / 2.0), 10, save};
    at["shpFocus"] = {P - N(30 * 1.1), L.Bb - 33, 0};
}

}  // namespace

ScoreboardLayout scoreboard_layout(
    int W, int H, const FontCorrections& k, bool ohne_waza, bool ohne_yuko,
    const std::function<LabelSize(const std::string&, int)>& measure) {
    const auto N = round_half_even;
    const double kW = k.wertung / 100.0;
    ScoreboardLayout L;
    auto& at = L.labels;
    // Panels.
    L.T = N(H / 3.0);
    L.P = N(W * 0.33);
    L.B = H - 2 * L.T;
    const int T = L.T, P = L.P;
    place_names(L, k.name / 100.0);
    // Counters.
    const int e = fs(T * 1.2 * kW);
    const int f = fs(T * 0.9 * kW);
    int left_w = N(P * 0.1);
    int left_y = N(P * 0.43);
    const int left_s = N(P * 0.76);
    if (ohne_waza || ohne_yuko) left_w = left_y = N((left_y + left_w) / 2.0);
    const int shido_top = N((e - f) * 1.5) + 10;
    for (const std::string s : {"b", "W"}) {
        at["lbl_W_" + s] = {left_w, 10, e};
        at["lbl_Y_" + s] = {left_y, 10, e};
        at["lbl_S_" + s] = {left_s, shido_top, f};
    }
    // Injury crosses, around the Shido counter (its width at its font).
    const int s_width = measure("lbl_S_b", f).width;
    const int cross_top = -N(T / 10.0);
    for (const char* n : {"lbl_Kreuz_b_1", "lbl_Kreuz_w_1"}) {
        at[n] = {left_s - N(s_width / 1.8), cross_top, f};
    }
    for (const char* n : {"lbl_Kreuz_b_2", "lbl_Kreuz_w_2"}) {
        at[n] = {left_s + N(s_width / 3.0), cross_top, f};
    }
    // Read at a glance: the headings over the score columns, and the "H" and the crosses fully
    // on screen.
    const bool hidden[2] = {ohne_waza, ohne_yuko};
    const int head_h = k.headings ? place_headings(L, e, f, left_w, left_y, hidden, measure) : 0;
    if (k.edge) keep_shido_and_crosses_on_screen(L, k.headings ? head_h + 1 : 0, measure);
    place_ippon(L, e, measure);
    place_footer_and_clocks(L, W, k.zeit / 100.0, k.fuss / 100.0, measure);
    if (k.fit_texts) {
        // Names and clubs end before the score panel, the classes inside the footer panel.
        for (const char* n : k_fitted_labels) {
            Placement& p = at[n];
            const bool footer = std::string_view(n) == "lblAK" || std::string_view(n) == "lblGewK";
            fit_to_room(p, (footer ? P : W - P) - 2 * p.left, n, measure);
        }
    }
    return L;
}

}  // namespace kyomat
