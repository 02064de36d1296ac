#pragma once
#include <QFont>

namespace kyomat {

// "Arial Black" where it is installed, otherwise the heaviest weight of the default sans
// serif, so the boards read as intended on any system.
QFont heavy_font();
// Adds the fonts of a folder beside the program (the Windows package has DejaVu Sans in
// "fonts"); the number loaded, 0 when there is no such folder.
int load_program_fonts(const QString& folder);

}  // namespace kyomat
