// The live view's request handling on arbitrary bytes: no crash, no hang, a verdict that does
// not change once given however the bytes arrive, and JSON text that stays one string.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "live/core/http_request.h"
#include "live/core/state_document.h"

using namespace kyomat;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const LiveRequest whole = judge_request(in);
    if (size > k_max_request_head && whole.verdict == RequestVerdict::incomplete) std::abort();
    // What a part already decided, the rest cannot change.
    for (std::size_t cut : {size / 3, size / 2, size - size / 4}) {
        const LiveRequest part = judge_request(in.substr(0, cut));
        if (part.verdict == RequestVerdict::incomplete) continue;
        if (part.verdict != whole.verdict || part.path != whole.path ||
            part.head_only != whole.head_only) {
            std::abort();
        }
    }
    if (whole.verdict == RequestVerdict::complete) {
        const std::string answer = live_answer(200, "text/plain", in, whole.head_only);
        if (answer.rfind("HTTP/1.1 200 OK\r\n", 0) != 0) std::abort();
    }
    const std::string quoted = json_quoted(in);
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') std::abort();
    for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
        const auto c = static_cast<unsigned char>(quoted[i]);
        // No raw control character, no unescaped quote: the text stays one JSON string.
        if (c < 0x20 || c == 0x7F) std::abort();
        if (c == '"' && quoted[i - 1] != '\\') {
            std::size_t slashes = 0;
            for (std::size_t k = i; k > 1 && quoted[k - 1] == '\\'; --k) ++slashes;
            if (slashes % 2 == 0) std::abort();
        }
    }
    return 0;
}
