#include "data/core/font_size.h"

#include <cmath>

namespace kyomat {

int round_half_even(double x) {
    const double r = std::round(x);
    if (std::fabs(x - std::trunc(x)) == 0.5) {
        const double lower = std::floor(x);
        return static_cast<int>(std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0);
    }
    return static_cast<int>(r);
}

int font_size(int px, int fallback) {
    const int size = px > 0 ? round_half_even(px * 100.0 / 220.0) : round_half_even(fallback);
    return size < 7 ? 7 : size;
}

}  // namespace kyomat
