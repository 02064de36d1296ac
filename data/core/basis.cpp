#include "data/core/basis.h"

#include <ctime>
#include <limits>

namespace kyomat {

std::string trim_right(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ') --end;
    return std::string(text.substr(0, end));
}

std::string trim_blanks(std::string_view text) {
    std::size_t first = 0, end = text.size();
    while (first < end && (text[first] == ' ' || text[first] == '\t')) ++first;
    while (end > first && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    return std::string(text.substr(first, end - first));
}

std::string upper_case_de(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= 'a' && c <= 'z') {
            out += static_cast<char>(c - 'a' + 'A');
        } else if (c == '\xC3' && i + 1 < text.size()) {
            // ä ö ü are C3 A4, C3 B6, C3 BC; their capitals C3 84, C3 96, C3 9C.
            const char d = text[i + 1];
            out += c;
            if (d == '\xA4' || d == '\xB6' || d == '\xBC') {
                out += static_cast<char>(d - 0x20);
            } else {
                out += d;
            }
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::int32_t> to_integer(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1) {
            return std::nullopt;
        }
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max() ||
        value < std::numeric_limits<std::int32_t>::min()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::string digits_of(std::string_view text) {
    std::string digits;
    for (const char c : text) {
        if (c >= '0' && c <= '9') digits += c;
    }
    return digits;
}

std::optional<std::int32_t> digits_to_number_checked(std::string_view text) {
    const std::string digits = digits_of(text);
    if (digits.empty()) return 0;
    return to_integer(digits);
}

std::int32_t digits_to_number(std::string_view text) {
    return digits_to_number_checked(text).value_or(0);
}

std::string conversion_error_text(std::string_view text) {
    return "'" + std::string(text) + "' ist kein gültiger Integerwert";
}

std::string format_number(std::int64_t value, int width) {
    std::string text = std::to_string(value);
    const int missing = width - static_cast<int>(text.size());
    if (missing > 0) text.insert(0, static_cast<std::size_t>(missing > 15 ? 15 : missing), '0');
    return text;
}

namespace {

// Decimal digits and nothing else, within range; an empty text is none.
std::optional<std::int32_t> plain_number(std::string_view text) {
    if (text.empty()) return std::nullopt;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    return to_integer(text);
}

}  // namespace

std::optional<std::int32_t> setting_number(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.empty()) return 0;
    return plain_number(text);
}

std::int32_t date_text_to_number(std::string_view text) {
    if (text.empty()) return 0;
    std::string_view day, month, year;
    const std::size_t dot1 = text.find('.');
    if (dot1 != std::string_view::npos) {
        day = text.substr(0, dot1);
        const std::size_t dot2 = text.find('.', dot1 + 1);
        if (dot2 == std::string_view::npos) {
            month = text.substr(dot1 + 1);
        } else {
            month = text.substr(dot1 + 1, dot2 - dot1 - 1);
            year = text.substr(dot2 + 1);
        }
    } else if (text.size() == 6 || text.size() == 8) {
        day = text.substr(0, 2);
        month = text.substr(2, 2);
        year = text.substr(4);
    } else {
        return 1;
    }
    const auto d = plain_number(day);
    const auto m = plain_number(month);
    auto y = plain_number(year);
    if (!d || !m || !y) return 1;
    int yy = *y;
    if (yy < 100) yy += yy <= 45 ? 2000 : 1900;
    if (yy < 1900) return 1;
    if (*m < 1 || *m > 12 || *d < 1 || *d > 31) return 1;
    int max_day = 31;
    if (*m == 4 || *m == 6 || *m == 9 || *m == 11) max_day = 30;
    if (*m == 2) max_day = (yy % 4 == 0) ? 29 : 28;
    if (*d > max_day) return 1;
    const std::int64_t result = static_cast<std::int64_t>(yy) * 10000 + std::int64_t{*m} * 100 + *d;
    if (result > std::numeric_limits<std::int32_t>::max()) return 1;
    return static_cast<std::int32_t>(result);
}

std::int32_t time_text_to_number(std::string_view text) {
    if (text.empty()) return 2500;
    const auto n = digits_to_number_checked(text);
    if (!n) return 0;
    if (*n % 100 > 59) return 2501;
    if (*n > 240000) return 0;
    return *n;
}

std::string local_time_text(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
#ifdef _WIN32
    localtime_s(&parts, &now);
#else
    localtime_r(&now, &parts);
#endif
    char buffer[64];
    const std::size_t n = std::strftime(buffer, sizeof buffer, format, &parts);
    return std::string(buffer, n);
}

// The German short date and long time formats, which the program uses on every system.
std::int32_t today_as_number() {
    return date_text_to_number(local_time_text("%d.%m.%Y"));
}
std::int32_t now_as_number() {
    return time_text_to_number(local_time_text("%H:%M:%S"));
}

}  // namespace kyomat
