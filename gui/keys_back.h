#pragma once
// When a page or the pause picture closes, the window manager gives the keyboard to a window
// of its choosing (the board, or none at all without one). The operator expects it back where
// it was before: this hands it back once the close has settled.
#include <QPointer>
#include <QWidget>

namespace kyomat {

// Activates window now and, for a short while, again whenever another window (or none) has
// the keyboard instead; the window manager's own choice comes a moment after the close.
void hand_keys_back(QPointer<QWidget> window);

}  // namespace kyomat
