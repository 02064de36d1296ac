#pragma once
// What the scoreboard and the bout entry component hand each other: the dialog's fields and
// the result record of a finished bout.
#include <string>

namespace kyomat {

struct EntryFields {
    std::string edtAKID, edtGEWK, edtLPOS = "0", edtNAMEBlau, edtVERNBlau, edtNAMEWeiss,
                                  edtVERNWeiss, edtKTXT;
};

// What an operation on the bout list file came to. A failure has been reported already.
enum class ListOutcome { done, nothing, failed };

struct BoutResult {
    std::string age_class, weight_class, result_value, duration, separator;
    int list_position = 0;
    bool blue_won = false;
    // A decided bout that neither side won (both disqualified, a team bout drawn): "0:0".
    bool no_winner = false;
    // Decided by the referees at equal scores: the list keeps its value, the protocol says so.
    bool referee_decision = false;
};

}  // namespace kyomat
