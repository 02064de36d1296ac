#include "data/core/team_score.h"

#include "data/core/basis.h"

namespace kyomat {

TeamFields team_fields_from_entry(const EntryFields& entry, bool winner_shown, bool blue_won) {
    TeamFields t;
    t.edtAKID = entry.edtAKID;
    t.edtGEWK = entry.edtGEWK;
    t.edtVERNBlau = entry.edtVERNBlau;
    t.edtVERNWeiss = entry.edtVERNWeiss;
    std::int64_t blue = digits_to_number(entry.edtNAMEBlau);
    std::int64_t white = digits_to_number(entry.edtNAMEWeiss);
    if (winner_shown) ++(blue_won ? blue : white);
    t.edtPunkteBlau = std::to_string(blue);
    t.edtPunkteWeiss = std::to_string(white);
    return t;
}

void team_fields_to_entry(const TeamFields& team, EntryFields& entry) {
    entry.edtAKID = team.edtAKID;
    entry.edtGEWK = team.edtGEWK;
    entry.edtVERNBlau = team.edtVERNBlau;
    entry.edtVERNWeiss = team.edtVERNWeiss;
    entry.edtNAMEBlau = team.edtPunkteBlau;
    entry.edtNAMEWeiss = team.edtPunkteWeiss;
}

}  // namespace kyomat
