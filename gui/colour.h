#pragma once
// The one conversion of the board's colours into Qt's, shared by every window.
#include <QColor>

#include "data/core/settings.h"

namespace kyomat {

inline QColor to_qcolor(const Colour& c) {
    return QColor(c.r, c.g, c.b);
}

}  // namespace kyomat
