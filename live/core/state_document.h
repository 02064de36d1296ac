#pragma once
// The board as the audience sees it, as one JSON document for browsers and streams. Built
// from the engine's read-only views only, so nothing that reads it can change a bout.
#include <cstdint>
#include <string>
#include <string_view>

#include "data/core/call_up.h"

namespace kyomat {

class BoutEngine;

// Everything of the document except its sequence number: two equal bodies show the same
// board, so a viewer is only sent something when this changes.
std::string state_body(const BoutEngine& engine);
// The mat's name and who is called next, the part of the body the hall's pages read:
// "mat", "list" (none, open, done, unreadable) and "next" (up to three bouts).
std::string call_up_body(std::string_view mat, const CallUp& call);
// The whole document: {"sequence":N, ...body}.
std::string state_document(std::uint64_t sequence, std::string_view body);
// Whether a clock is running (the bout clock or a hold-down): viewers then get the state
// once a second even when nothing else changed.
bool clock_running(const BoutEngine& engine);

// A JSON string literal of UTF-8 text; bytes that are not UTF-8 become U+FFFD.
std::string json_quoted(std::string_view text);

}  // namespace kyomat
