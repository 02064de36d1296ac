#pragma once
// Windows and the keyboard under a window manager: a dialog shown without blocking any other
// window, and the keyboard handed back after a page or the pause picture closes.
#include <QDialog>
#include <QPointer>
#include <QWidget>

namespace kyomat {

// Shows the dialog without making it modal to the window system and returns when it is
// finished, as exec() would: no other window of the program is blocked meanwhile (a modal
// window would swallow the keys typed into the others and the click that ends a pause).
void show_until_finished(QDialog& dialog);

// When a page or the pause picture closes, the window manager gives the keyboard to a window
// of its choosing (the board, or none at all without one); the operator expects it back where
// it was before.

// Activates window now and, for three seconds, again whenever another window (or none) has
// the keyboard instead; the window manager's own choice comes a moment after the close.
void hand_keys_back(const QPointer<QWidget>& window);

}  // namespace kyomat
