#pragma once
// The simple team mode: the running team score lives in the bout entry fields' name fields.
#include <string>

#include "data/core/handover.h"

namespace kyomat {

struct TeamFields {
    std::string edtAKID, edtGEWK, edtPunkteBlau, edtVERNBlau, edtPunkteWeiss, edtVERNWeiss;
};

// The team dialog's fields before it is shown: the point of the bout just won added.
TeamFields team_fields_from_entry(const EntryFields& entry, bool winner_shown, bool blue_won);
// Copies the confirmed team dialog back into the bout entry fields (points as typed).
void team_fields_to_entry(const TeamFields& team, EntryFields& entry);

}  // namespace kyomat
