#pragma once
// The live view's requests and answers, as plain text handling: what arrived on a
// connection is judged here before anything is served. Only GET and HEAD of a few fixed
// paths are answered, and POST only of the paired remote's few commands; nothing names a
// file.
#include <cstddef>
#include <string>
#include <string_view>

namespace kyomat {

// The type of every page the server serves.
inline constexpr std::string_view k_html = "text/html; charset=utf-8";

// A request head larger than this is refused (431) without reading on.
constexpr std::size_t k_max_request_head = std::size_t{8} * 1024;

enum class RequestVerdict {
    incomplete,          // read on
    complete,            // serve it
    bad_request,         // 400
    too_large,           // 431
    method_not_allowed,  // 405
};

enum class LivePath {
    board_page,
    overlay_page,
    hall_page,
    call_up_page,
    hall_mats,
    script,
    state,
    events,
    remote_page,     // GET /steuerung
    remote_pair,     // POST /steuerung/koppeln
    remote_command,  // POST /steuerung/befehl
    remote_beat,     // POST /steuerung/da
    not_found
};

// A POST's body larger than this is refused (413 as too_large).
constexpr std::size_t k_max_request_body = 2048;

struct LiveRequest {
    RequestVerdict verdict = RequestVerdict::incomplete;
    bool head_only = false;  // HEAD: the answer's head without its body
    bool post = false;
    LivePath path = LivePath::not_found;
    // The headers the control part checks; empty when not sent.
    std::string host, origin, token;
    // A POST's body: where it starts in what was received, and its length.
    std::size_t body_start = 0, body_length = 0;
};

// Whether a path is the paired remote's (its commands and its page): answered only to the
// network the remote may be used from.
bool is_remote_path(LivePath path);

// Judges what has arrived so far on a connection (it may hold more than the head).
LiveRequest judge_request(std::string_view received);

// The path of a request target ("/state.json?x=1" -> state).
LivePath live_path_of(std::string_view target);

// A complete answer that closes the connection: status line, headers, and the body unless
// head_only. Every answer may be read by another mat's page (the hall view).
// shared = false: an answer of the paired remote, for its own page only.
std::string live_answer(int status, std::string_view content_type, std::string_view body,
                        bool head_only = false, bool shared = true);
// The refusal that goes with a verdict other than complete or incomplete.
std::string live_refusal(RequestVerdict verdict);
// The answer to a newcomer's stream when every one of the places holds a viewer that streams.
std::string live_full_house(int places, bool head_only);
// The answer to a stream from an address whose places all hold viewers that stream: a stream
// with one event, "crowded", that the page shows ("zu viele Anzeigen von dieser Adresse").
std::string live_crowded_stream();
// The head of the push stream; events follow it.
std::string live_stream_head();
// One event of the push stream carrying a state document.
std::string live_stream_event(std::string_view document);

}  // namespace kyomat
