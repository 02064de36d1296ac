#pragma once
// Putting a window on a monitor: the one that contains a given left coordinate, or the one
// the settings name for the board (anz_monitor), which may come and go while the program runs.
#include <QRect>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QScreen;
class QWidget;

namespace kyomat {

// Moves the window's left edge to left and fills the monitor that holds that x coordinate
// (the first monitor when none does); works with and without a window manager. Returns the
// window's resulting left edge.
int place_on_screen(QWidget* window, int left);
// The same on a given monitor; with part given (within that monitor), the window fills only
// that part of it.
int place_on_screen(QWidget* window, QScreen* target, const QRect& part = {});
// The part of a monitor the board fills while a window it shares the monitor with stands at
// its top: the room below that window, or the whole monitor when that room is less than a
// quarter of it or the window stands elsewhere.
QRect room_below(const QRect& screen, const QRect& taken);

// The operator's monitor: the primary one unless the board is on it, else the first other one;
// with a single monitor that one. Nothing without a monitor.
QScreen* operator_screen(const QWidget* board);
// The board the program shows, for the windows that must open beside it: every question,
// box and dialog opens on the operator's monitor, never in front of the audience.
void set_board_for_placing(const QWidget* board);
// Moves a window about to be shown onto the operator's monitor (its middle) when it would
// open elsewhere, whichever window had the keys; where it would open there, it stays.
void place_on_operator_screen(QWidget& window);

// A monitor as the board's choice needs it.
struct ScreenFacts {
    std::string name;
    int left = 0, width = 0;
    bool primary = false;
};

// The monitors in the order the program lists them (and numbers them from 1).
std::vector<ScreenFacts> screen_facts();
// That list for the operator: "1 LAPTOP (Hauptbildschirm) · 2 BEAMER".
std::string screen_list_text();

// Which listed monitor holds the board: with monitor given, the one of that name (letter
// case ignored), of that number from 1, or for "extern" the first that is not the primary;
// without it, the one that contains left. Nothing when none is there (now).
std::optional<std::size_t> board_screen(const std::vector<ScreenFacts>& screens,
                                        std::string_view monitor, std::optional<int> left);

}  // namespace kyomat
