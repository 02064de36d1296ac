#pragma once
// The editor's save over a list that another program (the tournament desk) changed since the
// editor loaded it: the operator's edits are applied to the file as it is now, and every row
// the desk added or changed stays. Rows are matched by their own cells, as a result's write
// finds its bout, never by their numbers.
#include <string>
#include <vector>

#include "data/core/bout_list.h"

namespace kyomat {

// A cell that both changed, each its own way: the merged list holds the desk's value until
// the operator chooses.
struct ListConflict {
    int row = 0;  // in the merged list, from 1
    int column = 0;
    std::string mine, theirs;
};

struct ListMerge {
    BoutList list;
    std::vector<ListConflict> conflicts;
    // What the desk changed and what the operator edited, a line each, for the question.
    std::vector<std::string> desk_changes, own_edits;
};

// base: the list as the editor loaded or last saved it; mine: the editor's list; theirs: the
// file as it is now.
ListMerge merge_bout_lists(const BoutList& base, const BoutList& mine, const BoutList& theirs);

}  // namespace kyomat
