#pragma once
// Who is called next on this mat: the open bouts of the list that the next-bout command will
// take after the bout on the board, for the hall's pages and the spoken call.
#include <cstddef>
#include <string>
#include <vector>

#include "data/core/bout_list.h"
#include "data/core/settings_keys.h"

namespace kyomat {

struct CalledBout {
    int position = 0;  // the row in the list
    std::string age_class, weight_class;
    std::string blue_name, blue_club, white_name, white_club;
    friend bool operator==(const CalledBout&, const CalledBout&) = default;
};

enum class CallUpList {
    none,        // no list in use on this mat
    open,        // open bouts follow (next holds them)
    done,        // no open bout left after the one on the board
    unreadable,  // the list cannot be read at this moment: next holds the last ones read
};

struct CallUp {
    CallUpList list = CallUpList::none;
    std::vector<CalledBout> next;
    friend bool operator==(const CallUp&, const CallUp&) = default;
};

// The list's open bouts in the order the next-bout command takes them, the row of the bout
// on the board (0: none) left out; at most count of them. In team mode the clubs are the
// teams, as the board shows them.
CallUp call_up_of(const BoutList& list, int board_row, std::size_t count);
// One row of the list as a called bout.
CalledBout called_bout(const BoutList& list, int row);

// The words of the spoken call: the mat's name and the two sentences, in which {matte},
// {blau} and {weiss} stand for the mat and the names.
struct CallWords {
    std::string mat;
    std::string announce = std::string(setting_key(Key::aufruf_ansage).usual);
    std::string ready = std::string(setting_key(Key::aufruf_bereit).usual);
    bool first_name_first = false;
};
// The most characters of a name (and of the mat's name) a call says, and of a whole call.
constexpr std::size_t k_spoken_name_characters = 100;
constexpr std::size_t k_spoken_call_characters = 1000;
// "Matte 1: Meier, Hans gegen Li, Wei. Bereit machen: Berg, Ole gegen Kurz, Karl." The ready
// sentence only when a bout follows (next may be null); a mat without a name drops its
// "{matte}: ".
std::string spoken_call(const CallWords& words, const CalledBout& now, const CalledBout* next);
// "Meier, Hans" as "Hans Meier" when first_name_first; a name without a comma as it stands.
std::string spoken_name(std::string_view name, bool first_name_first);

}  // namespace kyomat
