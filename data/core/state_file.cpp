#include "data/core/state_file.h"

#include "data/core/basis.h"

namespace kyomat {

namespace {

std::string escaped(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> unescaped(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size()) return std::nullopt;
        switch (value[i]) {
            case '\\':
                out += '\\';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

}  // namespace

std::string format_state(const StateValues& values) {
    std::string text(k_state_form);
    text += '\n';
    for (const auto& [key, value] : values) {
        text += key;
        text += '=';
        text += escaped(value);
        text += '\n';
    }
    // The last line says the file is whole: a file cut short is a damaged file.
    text += "ende=1\n";
    return text;
}

std::optional<StateMap> parse_state(std::string_view text) {
    const std::size_t first = text.find('\n');
    if (first == std::string_view::npos || text.substr(0, first) != k_state_form) return {};
    StateMap map;
    std::size_t pos = first + 1;
    bool whole = false;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) return {};
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) return {};
        auto value = unescaped(line.substr(eq + 1));
        if (!value) return {};
        if (line.substr(0, eq) == "ende") {
            whole = *value == "1" && pos == text.size();
            break;
        }
        map.emplace(std::string(line.substr(0, eq)), std::move(*value));
    }
    if (!whole) return {};
    return map;
}

std::optional<int> state_int(const StateMap& map, std::string_view key) {
    const auto it = map.find(key);
    if (it == map.end()) return std::nullopt;
    return to_integer(it->second);
}

std::optional<bool> state_bool(const StateMap& map, std::string_view key) {
    const auto n = state_int(map, key);
    if (!n || (*n != 0 && *n != 1)) return std::nullopt;
    return *n == 1;
}

}  // namespace kyomat
