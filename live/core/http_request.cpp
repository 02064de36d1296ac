#include "live/core/http_request.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>

namespace kyomat {
namespace {

bool is_token_char(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

// The end of the head (after its blank line), or npos while it has not arrived. A bare LF
// ends lines too: some tools send them.
std::size_t head_end(std::string_view received) {
    for (std::size_t i = 0; i < received.size(); ++i) {
        if (received[i] != '\n') continue;
        if (i + 1 < received.size() && received[i + 1] == '\n') return i + 2;
        if (i + 2 < received.size() && received[i + 1] == '\r' && received[i + 2] == '\n')
            return i + 3;
    }
    return std::string_view::npos;
}

std::string_view without_cr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

const char* reason_of(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 202:
            return "Accepted";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 405:
            return "Method Not Allowed";
        case 409:
            return "Conflict";
        case 413:
            return "Payload Too Large";
        case 429:
            return "Too Many Requests";
        case 431:
            return "Request Header Fields Too Large";
        case 503:
            return "Service Unavailable";
        default:
            return "Error";
    }
}

// Headers every answer carries: any page may read the board (it is public anyway), nothing
// is cached, and a browser never guesses another type.
constexpr std::string_view k_common_headers =
    "Access-Control-Allow-Origin: *\r\n"
    "Cache-Control: no-store\r\n"
    "X-Content-Type-Options: nosniff\r\n";

constexpr std::string_view k_private_headers =
    "Cache-Control: no-store\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    "X-Frame-Options: DENY\r\n"
    "Content-Security-Policy: frame-ancestors 'none'\r\n";

}  // namespace

std::string live_crowded_stream() {
    return live_stream_head() + "event: crowded\ndata: zu viele Anzeigen von dieser Adresse\n\n";
}

std::string live_full_house(int places, bool head_only) {
    return live_answer(503, "text/plain; charset=utf-8",
                       "Die Live-Ansicht ist voll: alle " + std::to_string(places) +
                           " Plätze sind belegt. Bitte in einigen Sekunden neu laden.\n",
                       head_only);
}

LivePath live_path_of(std::string_view target) {
    const std::size_t query = target.find_first_of("?#");
    const std::string_view path = target.substr(0, query);
    if (path == "/" || path == "/index.html") return LivePath::board_page;
    if (path == "/overlay") return LivePath::overlay_page;
    if (path == "/halle") return LivePath::hall_page;
    if (path == "/aufruf") return LivePath::call_up_page;
    if (path == "/halle.json") return LivePath::hall_mats;
    if (path == "/live.js") return LivePath::script;
    if (path == "/state.json") return LivePath::state;
    if (path == "/events") return LivePath::events;
    if (path == "/steuerung") return LivePath::remote_page;
    if (path == "/steuerung/koppeln") return LivePath::remote_pair;
    if (path == "/steuerung/befehl") return LivePath::remote_command;
    if (path == "/steuerung/da") return LivePath::remote_beat;
    return LivePath::not_found;
}

namespace {

struct RequestLine {
    std::string_view method, target;
};

// METHOD SP TARGET SP HTTP/1.x, the method a token, the target a path without blanks or
// control characters; nothing when the line is none of that.
std::optional<RequestLine> request_line(std::string_view line) {
    const std::size_t sp1 = line.find(' ');
    const std::size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp1 == 0 || sp2 == std::string_view::npos || sp2 == sp1 + 1) return std::nullopt;
    const RequestLine r{line.substr(0, sp1), line.substr(sp1 + 1, sp2 - sp1 - 1)};
    const std::string_view version = line.substr(sp2 + 1);
    if (!std::all_of(r.method.begin(), r.method.end(), is_token_char)) return std::nullopt;
    if (version != "HTTP/1.1" && version != "HTTP/1.0") return std::nullopt;
    if (r.target.front() != '/') return std::nullopt;
    const bool clean = std::none_of(r.target.begin(), r.target.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= 0x20 || u == 0x7F;
    });
    if (!clean) return std::nullopt;
    return r;
}

bool same_name(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view trimmed(std::string_view v) {
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
    return v;
}

struct Headers {
    std::string host, origin, token, length;
    bool length_seen = false;
};

// Header lines up to the first empty one: each "name: value" with a token for its name, no
// line folding. The ones the control part needs are kept.
bool headers_well_formed(std::string_view rest, Headers& kept) {
    while (!rest.empty()) {
        const std::size_t nl = rest.find('\n');
        const std::string_view header = without_cr(rest.substr(0, nl));
        rest = nl == std::string_view::npos ? std::string_view{} : rest.substr(nl + 1);
        if (header.empty()) break;
        const std::size_t colon = header.find(':');
        if (colon == 0 || colon == std::string_view::npos) return false;
        const std::string_view name = header.substr(0, colon);
        if (!std::all_of(name.begin(), name.end(), is_token_char)) return false;
        const std::string value(trimmed(header.substr(colon + 1)));
        if (same_name(name, "Host")) kept.host = value;
        if (same_name(name, "Origin")) kept.origin = value;
        if (same_name(name, "X-Kyomat-Token")) kept.token = value;
        if (same_name(name, "Content-Length")) {
            // Two lengths that differ are a request smuggled past someone: refused.
            if (kept.length_seen && kept.length != value) return false;
            kept.length = value;
            kept.length_seen = true;
        }
    }
    return true;
}

// A Content-Length of plain digits.
std::optional<std::size_t> body_length(const Headers& h) {
    if (!h.length_seen) return 0;
    if (h.length.empty() || h.length.size() > 9 ||
        !std::all_of(h.length.begin(), h.length.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return static_cast<std::size_t>(std::stoul(h.length));
}

}  // namespace

bool is_remote_path(LivePath path) {
    return path == LivePath::remote_page || path == LivePath::remote_pair ||
           path == LivePath::remote_command || path == LivePath::remote_beat;
}

LiveRequest judge_request(std::string_view received) {
    LiveRequest r;
    const std::size_t end = head_end(received);
    if (end == std::string_view::npos || end > k_max_request_head) {
        // A head that outgrows the limit is refused at once, complete or not.
        if (received.size() > k_max_request_head || end != std::string_view::npos) {
            r.verdict = RequestVerdict::too_large;
        }
        return r;
    }
    const std::string_view head = received.substr(0, end);
    const std::size_t line_end = head.find('\n');
    const auto line = request_line(without_cr(head.substr(0, line_end)));
    Headers headers;
    if (!line || !headers_well_formed(head.substr(line_end + 1), headers)) {
        r.verdict = RequestVerdict::bad_request;
        return r;
    }
    r.path = live_path_of(line->target);
    const bool command = r.path == LivePath::remote_pair || r.path == LivePath::remote_command ||
                         r.path == LivePath::remote_beat;
    // Nothing changes on a GET: the remote's commands are POSTs, and only they are.
    if (line->method == "POST" && command) {
        r.post = true;
    } else if (line->method == "HEAD" && !command) {
        r.head_only = true;
    } else if (line->method != "GET" || command) {
        r.verdict = RequestVerdict::method_not_allowed;
        return r;
    }
    r.host = headers.host;
    r.origin = headers.origin;
    r.token = headers.token;
    if (r.post) {
        const auto length = body_length(headers);
        if (!length) {
            r.verdict = RequestVerdict::bad_request;
            return r;
        }
        if (*length > k_max_request_body) {
            r.verdict = RequestVerdict::too_large;
            return r;
        }
        if (received.size() < end + *length) return LiveRequest{};
        r.body_start = end;
        r.body_length = *length;
    }
    r.verdict = RequestVerdict::complete;
    return r;
}

std::string live_answer(int status, std::string_view content_type, std::string_view body,
                        bool head_only, bool shared) {
    std::string out = "HTTP/1.1 " + std::to_string(status) + " " + reason_of(status) + "\r\n";
    out += "Content-Type: ";
    out += content_type;
    out += "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    if (shared) {
        out += k_common_headers;
    } else {
        // The remote's answers are for its own page only: no other page may read them, and
        // none may show the remote inside a frame.
        out += k_private_headers;
    }
    if (status == 405) out += "Allow: GET, HEAD, POST\r\n";
    out += "Connection: close\r\n\r\n";
    if (!head_only) out.append(body);
    return out;
}

std::string live_refusal(RequestVerdict verdict) {
    constexpr std::string_view text = "text/plain; charset=utf-8";
    switch (verdict) {
        case RequestVerdict::method_not_allowed:
            return live_answer(405, text,
                               "Nur Lesen: GET oder HEAD; Befehle der Fernbedienung: POST.\n");
        case RequestVerdict::too_large:
            return live_answer(431, text, "Anfrage zu gross.\n");
        default:
            return live_answer(400, text, "Anfrage nicht verstanden.\n");
    }
}

std::string live_stream_head() {
    std::string out = "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream; charset=utf-8\r\n";
    out += k_common_headers;
    // The stream ends when the connection does; a viewer whose stream breaks (the scoreboard
    // restarts) tries again after a second.
    out += "Connection: close\r\n\r\nretry: 1000\n\n";
    return out;
}

std::string live_stream_event(std::string_view document) {
    std::string out;
    out.reserve(document.size() + 8);
    out += "data: ";
    out.append(document);  // one line: the document holds no raw line breaks
    out += "\n\n";
    return out;
}

}  // namespace kyomat
