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

}  // namespace

ListMerge merge_bout_lists(const BoutList& base, const BoutList& mine, const BoutList& theirs) {
    ListMerge out;
    const Edits edits = edits_between(base, mine);
    RowFinder finder(theirs);
    std::vector<Row> rows(theirs.rows.begin(), theirs.rows.end());
    std::vector<bool> gone(rows.size(), false);
    std::map<int, std::vector<Row>> after;  // rows of the file (0: the top) -> rows inserted
    std::vector<ListConflict> pending;      // by row of the file
    for (const auto& [b, m] : edits.changed) {
        const Row& was = base.rows[static_cast<std::size_t>(b)];
        const Row& now = mine.rows[static_cast<std::size_t>(m)];
        const int t = finder.take(was, b);
        for (int c = 0; c < BoutList::k_columns; ++c) {
            const auto column = static_cast<std::size_t>(c);
            if (now[column] == was[column]) continue;
            std::string line = "Zeile " + std::to_string(m) + ", " + bout_list_header()[column] +
                               ": „" + was[column] + "“ → „" + now[column] + "“";
            if (t == 0) {
                line += " (die Zeile hat die Turnierleitung gelöscht oder geändert: entfällt)";
            } else if (rows[static_cast<std::size_t>(t)][column] == was[column]) {
                rows[static_cast<std::size_t>(t)][column] = now[column];
            } else if (rows[static_cast<std::size_t>(t)][column] != now[column]) {
                pending.push_back({t, c, now[column], rows[static_cast<std::size_t>(t)][column]});
            }
            out.own_edits.push_back(std::move(line));
        }
    }
    for (const int b : edits.deleted) {
        const Row& was = base.rows[static_cast<std::size_t>(b)];
        const int t = finder.take(was, b);
        std::string line = "gelöscht: " + row_text(was);
        if (t != 0 && same_row(rows[static_cast<std::size_t>(t)], was)) {
            gone[static_cast<std::size_t>(t)] = true;
        } else if (t != 0) {
            line += " (von der Turnierleitung geändert: bleibt)";
        }
        out.own_edits.push_back(std::move(line));
    }
    for (const auto& [anchor, inserted] : edits.inserted) {
        int t = 0;
        if (anchor > 0) {
            t = finder.find(base.rows[static_cast<std::size_t>(anchor)], anchor, true);
            if (t == 0) t = theirs.row_count() - 1;  // its neighbour is gone: at the end
        }
        for (const int m : inserted) {
            after[t].push_back(mine.rows[static_cast<std::size_t>(m)]);
            out.own_edits.push_back("neu: " + row_text(mine.rows[static_cast<std::size_t>(m)]));
        }
    }
    out.list = theirs;
    out.list.rows.assign(1, theirs.rows[0]);
    std::map<int, int> placed;
    const auto insert_after = [&](int t) {
        for (const Row& row : after[t]) out.list.rows.push_back(row);
    };
    insert_after(0);
    for (int t = 1; t < theirs.row_count(); ++t) {
        if (!gone[static_cast<std::size_t>(t)]) {
            out.list.rows.push_back(rows[static_cast<std::size_t>(t)]);
            placed[t] = out.list.row_count() - 1;
        }
        insert_after(t);
    }
    for (ListConflict c : pending) {
        c.row = placed[c.row];
        out.conflicts.push_back(std::move(c));
    }
    compare_heads(base, mine, out.own_edits);
    if (mine.age_class != base.age_class) out.list.age_class = mine.age_class;
    if (mine.team1 != base.team1) out.list.team1 = mine.team1;
    if (mine.team2 != base.team2) out.list.team2 = mine.team2;
    if (mine.team_mode != base.team_mode) out.list.team_mode = mine.team_mode;
    out.desk_changes = desk_changes(base, theirs);
    return out;
}

}  // namespace kyomat
