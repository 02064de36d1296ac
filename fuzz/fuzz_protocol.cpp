// The bout protocol's reader: whatever a protocol file holds (cut lines, quotes, stray
// fields, a damaged header), reading it for every bout and for one position never fails, and
// every line read for one position is part of the whole reading.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/core/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the position asked for; the rest is the file.
    const int position = data[0] % 8;
    const std::string_view csv(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string all = kyomat::protocol_as_text(csv, {});
    const std::string one = kyomat::protocol_as_text(csv, {position, ""});
    if (one.size() > all.size()) std::abort();
    std::size_t from = 0;
    while (from < one.size()) {
        const std::size_t end = one.find('\n', from);
        const std::string line = one.substr(from, end == std::string::npos ? end : end - from + 1);
        if (all.find(line) == std::string::npos) std::abort();
        if (end == std::string::npos) break;
        from = end + 1;
    }
    return 0;
}
