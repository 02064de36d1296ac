#pragma once
// The one place where the system shows message and confirmation boxes. Tests queue answers
// here, so no test ever waits for a box.
#include <string>
#include <vector>

class QWidget;

namespace kyomat {

// A modal box with the text, an "OK" button, an empty title and the icon of the kind letter
// ('F' error, 'H' information, 'W' warning, 'M' none; any other error).
void show_message(const std::string& text, char kind);
// "Bestätigung" with "OK" (default) and "Abbrechen" (also Escape); true only for "OK".
// cancel_is_default: Abbrechen is the default and focused button, so Return and Space cancel.
// detail: a line under the question, in smaller type.
bool confirm_ok(const std::string& question, bool cancel_is_default = false,
                const std::string& detail = {});
// A question with buttons of its own; Escape, the window's close, Return and Space choose the
// button at escape (the last when it is -1), the default and focused one. The index of the
// button chosen.
int choose(const std::string& question, const std::vector<std::string>& buttons, int escape = -1);

namespace message_boxes {
// Queues the answer for the next box (true: OK). A box that finds an answer queued is
// recorded and answered without being shown.
void set_next_answer(bool ok);
// Queues the button for the next box with buttons of its own (a bool answer there: true the
// first button, false the one Escape chooses).
void set_next_choice(int index);
// Answers every box without showing it (true: OK) while no answer is queued; for tests.
void set_auto_answer(bool enabled, bool ok = true);
// What the boxes answered without showing: "KIND text" or "confirm question".
std::vector<std::string> take_log();
}  // namespace message_boxes

}  // namespace kyomat
