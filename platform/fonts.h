#pragma once
#include <QFont>

namespace kyomat {

// "Arial Black" where it is installed, otherwise the heaviest weight of the default sans
// serif, so the boards read as intended on any system.
QFont heavy_font();

}  // namespace kyomat
