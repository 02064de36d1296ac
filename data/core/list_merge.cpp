#include "data/core/list_merge.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>

namespace kyomat {
namespace {

using Row = BoutList::Row;
using Cells = std::array<std::string, BoutList::k_columns>;

bool same_row(const Row& a, const Row& b) {
    return static_cast<const Cells&>(a) == static_cast<const Cells&>(b) && a.tail == b.tail;
}

bool same_bout(const Row& a, const Row& b) {
    return std::equal(a.begin(), a.begin() + 5, b.begin());
}

std::string row_text(const Row& r) {
    return r[0] + " " + r[1] + " – " + r[3];
}

// The operator's edits: rows of the base changed into rows of the editor, rows deleted, and
// rows inserted after a row of the base (0: at the top).
struct Edits {
    std::vector<std::pair<int, int>> changed;
    std::vector<int> deleted;
    std::vector<std::pair<int, std::vector<int>>> inserted;
};

// Lists of a tournament day differ in a few rows: the equal head and tail are skipped, and
// the middle is aligned by its longest run of equal rows where it is small enough (beyond,
// row by row).
constexpr int k_max_aligned = 2000;

std::vector<std::pair<int, int>> equal_rows(const BoutList& base, const BoutList& mine, int lo,
                                            int base_end, int mine_end) {
    std::vector<std::pair<int, int>> matches;
    const int b = base_end - lo, m = mine_end - lo;
    if (b <= 0 || m <= 0 || b > k_max_aligned || m > k_max_aligned) return matches;
    const auto at = [&](int i, int j) { return same_row(base.rows[lo + i], mine.rows[lo + j]); };
    std::vector<std::vector<std::uint16_t>> run(b + 1, std::vector<std::uint16_t>(m + 1, 0));
    for (int i = b - 1; i >= 0; --i) {
        for (int j = m - 1; j >= 0; --j) {
            run[i][j] = at(i, j) ? static_cast<std::uint16_t>(run[i + 1][j + 1] + 1)
                                 : std::max(run[i + 1][j], run[i][j + 1]);
        }
    }
    for (int i = 0, j = 0; i < b && j < m;) {
        if (at(i, j)) {
            matches.emplace_back(lo + i++, lo + j++);
        } else if (run[i + 1][j] >= run[i][j + 1]) {
            ++i;
        } else {
            ++j;
        }
    }
    return matches;
}

// Still the same bout after an edit: at least three of its five cells as they were.
bool alike(const Row& a, const Row& b) {
    int same = 0;
    for (std::size_t c = 0; c < 5; ++c) same += a[c] == b[c] ? 1 : 0;
    return same >= 3;
}

std::vector<int> rows_from(int first, int end) {
    std::vector<int> rows;
    for (int k = first; k < end; ++k) rows.push_back(k);
    return rows;
}

Edits edits_between(const BoutList& base, const BoutList& mine) {
    const int nb = base.row_count(), nm = mine.row_count();
    int lo = 1;
    while (lo < nb && lo < nm && same_row(base.rows[lo], mine.rows[lo])) ++lo;
    int base_end = nb, mine_end = nm;
    while (base_end > lo && mine_end > lo &&
           same_row(base.rows[base_end - 1], mine.rows[mine_end - 1])) {
        --base_end;
        --mine_end;
    }
    auto matches = equal_rows(base, mine, lo, base_end, mine_end);
    matches.emplace_back(base_end, mine_end);  // the equal tail starts here
    Edits e;
    int pb = lo, pm = lo;
    for (const auto& [mb, mm] : matches) {
        // Between two equal rows: a row of the base pairs with the next row of the editor that
        // is still the same bout for the most part (changed), or was deleted; rows of the
        // editor passed over are new, after the base row before them.
        int j = pm;
        for (int i = pb; i < mb; ++i) {
            int k = j;
            while (k < mm && !alike(base.rows[static_cast<std::size_t>(i)],
                                    mine.rows[static_cast<std::size_t>(k)])) {
                ++k;
            }
            if (k == mm) {
                e.deleted.push_back(i);
                continue;
            }
            if (k > j) e.inserted.emplace_back(i - 1, rows_from(j, k));
            e.changed.emplace_back(i, k);
            j = k + 1;
        }
        if (j < mm) e.inserted.emplace_back(mb - 1, rows_from(j, mm));
        pb = mb + 1;
        pm = mm + 1;
    }
    return e;
}

// Finds rows of the base in the file as it is now: the same row (its place first), else the
// one row of the same bout; each row of the file is found once.
class RowFinder {
  public:
    explicit RowFinder(const BoutList& now) : now_(now), used_(now.rows.size(), false) {}

    int take(const Row& row, int place) {
        const int found = find(row, place);
        if (found > 0) used_[static_cast<std::size_t>(found)] = true;
        return found;
    }
    // any: also a row found before (a neighbour to insert after).
    int find(const Row& row, int place, bool any = false) const {
        const auto open = [&](int t) {
            return t > 0 && t < now_.row_count() && (any || !used_[static_cast<std::size_t>(t)]);
        };
        const auto at = [&](int t) -> const Row& { return now_.rows[static_cast<std::size_t>(t)]; };
        if (open(place) && same_row(at(place), row)) return place;
        for (int t = 1; t < now_.row_count(); ++t) {
            if (open(t) && same_row(at(t), row)) return t;
        }
        // The same bout with other results, else with a cell or two changed by the desk; two
        // such rows: which one cannot be told.
        for (const auto same : {same_bout, alike}) {
            int found = 0;
            for (int t = 1; t < now_.row_count(); ++t) {
                if (!open(t) || !same(at(t), row)) continue;
                if (found != 0) return 0;
                found = t;
            }
            if (found != 0) return found;
        }
        return 0;
    }
    bool used(int t) const { return used_[static_cast<std::size_t>(t)]; }

  private:
    const BoutList& now_;
    std::vector<bool> used_;
};

void compare_heads(const BoutList& from, const BoutList& to, std::vector<std::string>& lines) {
    const auto said = [&lines](const char* what, const std::string& a, const std::string& b) {
        if (a != b) lines.push_back(std::string(what) + ": „" + a + "“ → „" + b + "“");
    };
    said("Altersklasse", from.age_class, to.age_class);
    said("Mannschaft 1", from.team1, to.team1);
    said("Mannschaft 2", from.team2, to.team2);
    if (from.team_mode != to.team_mode)
        lines.emplace_back(to.team_mode ? "Mannschaftsmodus ein" : "Mannschaftsmodus aus");
}

std::vector<std::string> desk_changes(const BoutList& base, const BoutList& theirs) {
    std::vector<std::string> lines;
    RowFinder finder(theirs);
    for (int b = 1; b < base.row_count(); ++b) {
        const Row& row = base.rows[static_cast<std::size_t>(b)];
        const int t = finder.take(row, b);
        if (t == 0) {
            lines.push_back("gelöscht: " + row_text(row));
        } else if (!same_row(theirs.rows[static_cast<std::size_t>(t)], row)) {
            lines.push_back("Zeile " + std::to_string(t) +
                            " geändert: " + row_text(theirs.rows[static_cast<std::size_t>(t)]));
        }
    }
    for (int t = 1; t < theirs.row_count(); ++t) {
        if (!finder.used(t)) {
            lines.push_back("neu: Zeile " + std::to_string(t) + ": " +
                            row_text(theirs.rows[static_cast<std::size_t>(t)]));
        }
    }
    compare_heads(base, theirs, lines);
    return lines;
}

// The operator's edits carried onto the desk's list, row by row: theirs' rows as they will
// stand, which of them the operator deleted, and what goes in after which.
class Merge {
  public:
    Merge(const BoutList& base, const BoutList& mine, const BoutList& theirs)
        : base_(base),
          mine_(mine),
          theirs_(theirs),
          finder_(theirs),
          rows_(theirs.rows.begin(), theirs.rows.end()),
          gone_(rows_.size(), false) {}

    // A changed cell goes into the desk's row where the desk left that cell as it was; where
    // both changed it differently, the operator is asked; where the desk's row is gone, the
    // edit lapses.
    void changed_cells(int b, int m) {
        const Row& was = base_.rows[static_cast<std::size_t>(b)];
        const Row& now = mine_.rows[static_cast<std::size_t>(m)];
        const int t = finder_.take(was, b);
        for (int c = 0; c < BoutList::k_columns; ++c) {
            const auto column = static_cast<std::size_t>(c);
            if (now[column] == was[column]) continue;
            std::string line = "Zeile " + std::to_string(m) + ", " + bout_list_header()[column] +
                               ": „" + was[column] + "“ → „" + now[column] + "“";
            if (t == 0) {
                line += " (die Zeile hat die Turnierleitung gelöscht oder geändert: entfällt)";
            } else if (row(t)[column] == was[column]) {
                row(t)[column] = now[column];
            } else if (row(t)[column] != now[column]) {
                pending_.push_back({t, c, now[column], row(t)[column]});
            }
            out_.own_edits.push_back(std::move(line));
        }
    }

    // A deleted row goes only when the desk left it as it was.
    void deleted(int b) {
        const Row& was = base_.rows[static_cast<std::size_t>(b)];
        const int t = finder_.take(was, b);
        std::string line = "gelöscht: " + row_text(was);
        if (t != 0 && same_row(row(t), was)) {
            gone_[static_cast<std::size_t>(t)] = true;
        } else if (t != 0) {
            line += " (von der Turnierleitung geändert: bleibt)";
        }
        out_.own_edits.push_back(std::move(line));
    }

    // New rows follow the row they followed in the operator's list (0: the top), or go to the
    // end when the desk removed it.
    void inserted(int anchor, const std::vector<int>& new_rows) {
        int t = 0;
        if (anchor > 0) {
            t = finder_.find(base_.rows[static_cast<std::size_t>(anchor)], anchor, true);
            if (t == 0) t = theirs_.row_count() - 1;
        }
        for (const int m : new_rows) {
            after_[t].push_back(mine_.rows[static_cast<std::size_t>(m)]);
            out_.own_edits.push_back("neu: " + row_text(mine_.rows[static_cast<std::size_t>(m)]));
        }
    }

    // The merged list, its conflicts named by their rows in it, and what each side changed.
    ListMerge finish() {
        out_.list = theirs_;
        out_.list.rows.assign(1, theirs_.rows[0]);
        std::map<int, int> placed;
        const auto insert_after = [&](int t) {
            for (const Row& r : after_[t]) out_.list.rows.push_back(r);
        };
        insert_after(0);
        for (int t = 1; t < theirs_.row_count(); ++t) {
            if (!gone_[static_cast<std::size_t>(t)]) {
                out_.list.rows.push_back(row(t));
                placed[t] = out_.list.row_count() - 1;
            }
            insert_after(t);
        }
        for (ListConflict c : pending_) {
            c.row = placed[c.row];
            out_.conflicts.push_back(std::move(c));
        }
        compare_heads(base_, mine_, out_.own_edits);
        if (mine_.age_class != base_.age_class) out_.list.age_class = mine_.age_class;
        if (mine_.team1 != base_.team1) out_.list.team1 = mine_.team1;
        if (mine_.team2 != base_.team2) out_.list.team2 = mine_.team2;
        if (mine_.team_mode != base_.team_mode) out_.list.team_mode = mine_.team_mode;
        out_.desk_changes = desk_changes(base_, theirs_);
        return std::move(out_);
    }

  private:
    Row& row(int t) { return rows_[static_cast<std::size_t>(t)]; }

    const BoutList& base_;
    const BoutList& mine_;
    const BoutList& theirs_;
    RowFinder finder_;
    std::vector<Row> rows_;
    std::vector<bool> gone_;
    std::map<int, std::vector<Row>> after_;  // rows of the file (0: the top) -> rows inserted
    std::vector<ListConflict> pending_;      // by row of the file
    ListMerge out_;
};

}  // namespace

ListMerge merge_bout_lists(const BoutList& base, const BoutList& mine, const BoutList& theirs) {
    const Edits edits = edits_between(base, mine);
    Merge merge(base, mine, theirs);
    for (const auto& [b, m] : edits.changed) merge.changed_cells(b, m);
    for (const int b : edits.deleted) merge.deleted(b);
    for (const auto& [anchor, inserted] : edits.inserted) merge.inserted(anchor, inserted);
    return merge.finish();
}

}  // namespace kyomat
