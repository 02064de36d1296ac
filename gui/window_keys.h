#pragma once
// Windows and the keyboard under a window manager: a command's dialog shown without a nested
// event loop, and the keyboard handed back after a page or the pause picture closes.
#include <QDialog>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

namespace kyomat {

// Said when a key or a click reaches another window while a command's dialog is open.
inline const QString k_close_dialog_first = QStringLiteral("Erst den Dialog schließen");

// Shows a command's dialog (bout entry, team score, list editor) and returns at once; closed
// runs when it has closed. No event loop runs inside the command: what follows the dialog is
// the continuation. While it is up, a key or a click on any other window of the program is
// refused with a note and the dialog comes to the front, as a modal dialog kept them out.
// It is stacked above the window given (the panel, or the board), as the window system keeps
// a dialog above the window it belongs to.
void open_command_dialog(QDialog& dialog, std::function<void()> closed, QWidget* above = nullptr);
// Where a command's dialog is put before it shows (the operator's monitor).
void set_dialog_placer(std::function<void(QWidget&)> place);
// Runs closed once, when the dialog next finishes (accepted, rejected or closed).
void when_finished(QDialog& dialog, std::function<void()> closed);
// Where the refusal is said (the operator's notes).
void set_refusal_note(std::function<void(const QString&)> note);
// The window that must stay above every other while it is up: a modal box, else the command
// dialog opened last; none when neither is open.
QWidget* window_on_top();

// When a page or the pause picture closes, the window manager gives the keyboard to a window
// of its choosing (the board, or none at all without one); the operator expects it back where
// it was before.

// Activates window now and, for three seconds, again whenever another window (or none) has
// the keyboard instead; the window manager's own choice comes a moment after the close.
void hand_keys_back(const QPointer<QWidget>& window);

}  // namespace kyomat
