#include "data/core/cp1252.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace kyomat {
namespace {

// Code points of the bytes 0x80..0x9F; the undefined ones map to themselves.
constexpr std::array<char32_t, 32> k_high = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes one code point at text[i]; advances i. Returns 0xFFFFFFFF for malformed input.
char32_t next_code_point(std::string_view text, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t cp = 0;
    if (b0 < 0x80) {
        ++i;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
    } else {
        ++i;
        return 0xFFFFFFFF;
    }
    if (i + extra >= text.size()) {
        i = text.size();
        return 0xFFFFFFFF;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) {
            i += k;
            return 0xFFFFFFFF;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += extra + 1;
    return cp;
}

}  // namespace

std::size_t ascii_run_end(std::string_view text, std::size_t from) {
    // Eight bytes at a time: names and numbers are mostly plain ASCII.
    constexpr std::uint64_t high_bits = 0x8080808080808080ULL;
    std::size_t i = from;
    while (i + 8 <= text.size()) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if ((word & high_bits) != 0) break;
        i += 8;
    }
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
    return i;
}

std::string cp1252_to_utf8(std::string_view bytes) {
    // Every byte takes at most three; the result is cut to its size at the end.
    std::string out(bytes.size() * 3, '\0');
    char* p = out.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            *p++ = ch;
            continue;
        }
        const char32_t cp = b < 0xA0 ? k_high[b - 0x80] : char32_t{b};
        if (cp < 0x800) {
            *p++ = static_cast<char>(0xC0 | (cp >> 6));
        } else {
            *p++ = static_cast<char>(0xE0 | (cp >> 12));
            *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        }
        *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    return out;
}

std::string utf8_to_cp1252(std::string_view text, int* unmappable) {
    std::string out;
    out.reserve(text.size());
    const int bad = append_as_cp1252(out, text);
    if (unmappable != nullptr) *unmappable = bad;
    return out;
}

char* encode_cp1252(char* out, std::string_view text, int& unmappable) {
    // Byte by byte: the texts are short cells, where a call per run would cost more.
    std::size_t i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            *out++ = text[i++];
            continue;
        }
        // Latin-1 letters (umlauts, ß) are two bytes that map to one.
        const auto b0 = static_cast<unsigned char>(text[i]);
        if ((b0 == 0xC2 || b0 == 0xC3) && i + 1 < text.size()) {
            const auto b1 = static_cast<unsigned char>(text[i + 1]);
            const unsigned cp = ((b0 & 0x1Fu) << 6) | (b1 & 0x3Fu);
            if ((b1 & 0xC0) == 0x80 && cp >= 0xA0) {
                *out++ = static_cast<char>(cp);
                i += 2;
                continue;
            }
        }
        const char32_t cp = next_code_point(text, i);
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            *out++ = static_cast<char>(cp);
            continue;
        }
        char mapped = 0;
        for (std::size_t k = 0; k < k_high.size(); ++k) {
            if (k_high[k] == cp) {
                mapped = static_cast<char>(0x80 + k);
                break;
            }
        }
        if (mapped != 0) {
            *out++ = mapped;
        } else {
            *out++ = '?';
            ++unmappable;
        }
    }
    return out;
}

int append_as_cp1252(std::string& out, std::string_view text) {
    // Code page 1252 never needs more bytes than UTF-8.
    const std::size_t start = out.size();
    out.resize(start + text.size());
    int bad = 0;
    char* end = encode_cp1252(out.data() + start, text, bad);
    out.resize(static_cast<std::size_t>(end - out.data()));
    return bad;
}

std::string_view without_utf8_bom(std::string_view bytes) {
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (bytes.substr(0, bom.size()) == bom) bytes.remove_prefix(bom.size());
    return bytes;
}

bool is_utf8_text(std::string_view file_bytes) {
    const std::string_view bytes = without_utf8_bom(file_bytes);
    // With the mark, valid UTF-8 is UTF-8 even if it is all ASCII.
    bool beyond_ascii = bytes.size() != file_bytes.size();
    std::size_t i = 0;
    while (i < bytes.size()) {
        i = ascii_run_end(bytes, i);
        if (i == bytes.size()) break;
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t len = 0;
        char32_t cp = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + len > bytes.size()) return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond Unicode are not UTF-8.
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        beyond_ascii = true;
        i += len;
    }
    return beyond_ascii;
}

std::string file_bytes_as_cp1252(std::string_view bytes) {
    if (!is_utf8_text(bytes)) return std::string(without_utf8_bom(bytes));
    return utf8_to_cp1252(without_utf8_bom(bytes));
}

std::string shown_part(std::string_view text) {
    // Short texts, nearly all of them, are taken as they are without counting.
    if (text.size() <= k_shown_characters) return std::string(text);
    if (utf8_length(text) <= k_shown_characters) return std::string(text);
    return utf8_substr(text, 0, k_shown_characters) + "…";
}

std::size_t utf8_length(std::string_view text) {
    std::size_t n = 0;
    for (const char ch : text) {
        if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) ++n;
    }
    return n;
}

namespace {
// Byte offset of the code point with index cp_index (or text.size()).
std::size_t byte_offset(std::string_view text, std::size_t cp_index) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (n == cp_index) return i;
            ++n;
        }
    }
    return text.size();
}
}  // namespace

std::string utf8_substr(std::string_view text, std::size_t first, std::size_t count) {
    const std::size_t begin = byte_offset(text, first);
    if (count == std::string_view::npos) return std::string(text.substr(begin));
    const std::size_t end = begin + byte_offset(text.substr(begin), count);
    return std::string(text.substr(begin, end - begin));
}

std::size_t utf8_find(std::string_view text, char c) {
    const std::size_t at = text.find(c);
    if (at == std::string_view::npos) return at;
    return utf8_length(text.substr(0, at));
}

}  // namespace kyomat
