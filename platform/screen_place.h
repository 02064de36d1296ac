#pragma once
// Putting a window on the monitor that contains a given left coordinate.
class QWidget;

namespace kyomat {

// Moves the window's left edge to left and fills the monitor that holds that x coordinate
// (the first monitor when none does); works with and without a window manager. Returns the
// window's resulting left edge.
int place_on_screen(QWidget* window, int left);

}  // namespace kyomat
