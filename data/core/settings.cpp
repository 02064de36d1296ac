#include "data/core/settings.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "data/core/basis.h"
#include "data/core/cp1252.h"
#include "data/core/file_io.h"

namespace kyomat {
namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && (is_blank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// Case folding on code page 1252 bytes: a-z and ä ö ü.
char fold(char c) {
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
    if (c == '\xE4' || c == '\xF6' || c == '\xFC') return static_cast<char>(c - 0x20);
    return c;
}

}  // namespace

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

namespace {

// UTF-16 with its byte-order mark (Notepad's "Unicode") as UTF-8; other bytes as they are.
std::string without_utf16(std::string_view bytes) {
    const bool little = bytes.substr(0, 2) == "\xFF\xFE";
    const bool big = bytes.substr(0, 2) == "\xFE\xFF";
    if (!little && !big) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size());
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return little ? static_cast<unsigned>(a | (b << 8)) : static_cast<unsigned>((a << 8) | b);
    };
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        unsigned cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < bytes.size()) {
            const unsigned low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

}  // namespace

std::string settings_text_as_cp1252(std::string_view file_bytes) {
    const std::string text = without_utf16(file_bytes);
    const std::string_view bytes = without_utf8_bom(text);
    // Any editor's line ends (CR LF, LF, CR alone), and each line in its own encoding: UTF-8
    // where it is valid UTF-8, else code page 1252, so that one "ß" typed by an editor of
    // the other kind does not turn "[AK Männer]" into a section nobody asks for.
    std::string out;
    out.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(pos, end - pos);
        out += is_utf8_text(line) ? utf8_to_cp1252(line) : std::string(line);
        out += '\n';
        pos = end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return out;
}

std::string Colour::word() const {
    const int hi = std::max({r, g, b});
    const int lo = std::min({r, g, b});
    const int chroma = hi - lo;
    // Greys: only the ends have a name everybody agrees on.
    if (chroma < 40) {
        if (lo >= 215) return "weiß";
        if (hi <= 40) return "schwarz";
        return "#" + hex().substr(1);
    }
    if (hi < 80 || chroma * 2 < hi) return "#" + hex().substr(1);
    // The hue in degrees, 0 red, 60 yellow, 120 green, 240 blue.
    double hue = 0;
    if (hi == r) {
        hue = 60.0 * (g - b) / chroma;
    } else if (hi == g) {
        hue = 60.0 * (b - r) / chroma + 120;
    } else {
        hue = 60.0 * (r - g) / chroma + 240;
    }
    if (hue < 0) hue += 360;
    if (hue < 15 || hue >= 340) return "rot";
    if (hue >= 45 && hue < 70) return "gelb";
    if (hue >= 85 && hue < 160) return "grün";
    if (hue >= 200 && hue < 250) return "blau";
    return "#" + hex().substr(1);
}

std::string Colour::hex() const {
    static const char* digits = "0123456789ABCDEF";
    std::string s = "$";
    for (const std::uint8_t v : {r, g, b}) {
        s += digits[v >> 4];
        s += digits[v & 0x0F];
    }
    return s;
}

std::string read_ini_value(std::string_view bytes, std::string_view section, std::string_view key) {
    const std::string want_section = utf8_to_cp1252(section);
    const std::string want_key = utf8_to_cp1252(key);
    enum class State { before, inside } state = State::before;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = trim(bytes.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            // The section has ended: the first of its name counts.
            if (state == State::inside) break;
            std::string_view name = line.substr(1);
            const std::size_t close = name.find(']');
            if (close != std::string_view::npos) name = name.substr(0, close);
            if (same_name(trim(name), want_section)) state = State::inside;
            continue;
        }
        if (state != State::inside) continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        if (!same_name(trim(line.substr(0, eq)), want_key)) continue;
        std::string_view value = trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        if (value.size() > Settings::k_max_value) value = value.substr(0, Settings::k_max_value);
        return cp1252_to_utf8(value);
    }
    return {};
}

namespace {

// Calls each(line) for every line of settings text, blanks around it removed.
template <typename Each>
void each_line(std::string_view text, Each each) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        each(trim(text.substr(pos, end - pos)));
        pos = end + 1;
    }
}

// The name of a section's heading line, "[name]" (blanks around the name removed).
std::string_view section_name(std::string_view line) {
    return trim(line.substr(1).substr(0, line.substr(1).find(']')));
}

// The section names of settings text, letter case folded.
std::vector<std::string> folded_sections(std::string_view text) {
    std::vector<std::string> names;
    each_line(text, [&](std::string_view line) {
        if (line.empty() || line.front() != '[') return;
        std::string folded(section_name(line));
        for (char& c : folded) c = fold(c);
        names.push_back(std::move(folded));
    });
    return names;
}

}  // namespace

std::string Settings::not_whole(const std::string& stamp_before, bool exists,
                                const std::string& text) const {
    // Nothing whole read yet: the file is what it is (the start with an empty or no file).
    // Without a quiet time nobody saves it in pieces (files written at once).
    if (!last_whole_ || quiet_ms <= 0) return {};
    // A reading with nothing in it is kept until one has sections to lose.
    const std::vector<std::string> before = folded_sections(*last_whole_);
    if (before.empty()) return {};
    const auto now_time = std::chrono::steady_clock::now();
    if (!exists) {
        std::error_code ec;
        // Not a file the settings can come from: that is said elsewhere, and counts.
        if (std::filesystem::exists(file(), ec)) return {};
        // Gone for good (taken away on purpose) once it stays away for the quiet time.
        if (!missing_since_) missing_since_ = now_time;
        if (now_time - *missing_since_ >= std::chrono::milliseconds(quiet_ms)) return {};
        return "fehlt gerade";
    }
    missing_since_.reset();
    if (file_stamp(file()) != stamp_before) return "wurde beim Lesen geändert";
    std::error_code ec;
    const auto changed = std::filesystem::last_write_time(file(), ec);
    // Unwritten for a while: what it holds is what the operator saved.
    if (!ec && std::filesystem::file_time_type::clock::now() - changed >=
                   std::chrono::milliseconds(quiet_ms)) {
        return {};
    }
    const std::vector<std::string> now = folded_sections(text);
    if (now.empty()) return "ist leer";
    for (const std::string& had : before) {
        if (std::find(now.begin(), now.end(), had) == now.end()) {
            return "hat den Abschnitt [" + cp1252_to_utf8(had) + "] nicht mehr";
        }
    }
    return {};
}

std::string Settings::text() const {
    for (int attempt = 0;; ++attempt) {
        const std::string stamp = file_stamp(file());
        std::string error;
        const auto bytes = read_whole_file(file(), error, k_max_file_bytes);
        // A missing or unreadable file reads as empty values.
        std::string text = bytes ? settings_text_as_cp1252(*bytes) : std::string();
        const std::string why = not_whole(stamp, bytes.has_value(), text);
        if (why.empty()) {
            last_whole_ = text;
            return text;
        }
        if (attempt >= settle_retries) {
            // Told once for each state of the file, not at every command.
            if (note_ && noted_stamp_ != stamp + why) {
                noted_stamp_ = stamp + why;
                note_("kyomat.ini " + why +
                      " (ein anderes Programm speichert sie wohl gerade): es gelten die "
                      "Einstellungen, wie sie zuletzt vollständig gelesen wurden.");
            }
            return *last_whole_;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(settle_step_ms));
    }
}

std::string Settings::read_setting(std::string_view section, std::string_view key) const {
    if (batches_ == 0) return read_ini_value(text(), section, key);
    if (!batch_text_) batch_text_ = text();
    return read_ini_value(*batch_text_, section, key);
}

Settings::Sections Settings::sections() const {
    Sections found;
    const std::string text = batches_ > 0 && batch_text_ ? *batch_text_ : this->text();
    each_line(text, [&](std::string_view line) {
        if (line.empty() || line.front() == ';') return;
        found.has_lines = true;
        if (line.front() == '[') found.names.push_back(cp1252_to_utf8(section_name(line)));
    });
    return found;
}

std::optional<std::string> Settings::file_problem() const {
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::status(file(), ec))) return std::nullopt;
    return why_not_readable(file(), k_max_file_bytes);
}

std::filesystem::path Settings::resolve(std::string_view path) const {
    const std::filesystem::path p = path_from_utf8(path);
    return p.is_absolute() ? p : folder_ / p;
}

bool parse_colour(std::string_view text, Colour& colour) {
    const std::string s = upper_case_de(trim_right(text));
    if (s.size() != 7 || s[0] != '$') return false;
    int v[6];
    for (int i = 0; i < 6; ++i) {
        const char c = s[static_cast<std::size_t>(i) + 1];
        if (c >= '0' && c <= '9') {
            v[i] = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            v[i] = c - 'A' + 10;
        } else {
            return false;
        }
    }
    colour.r = static_cast<std::uint8_t>(v[0] * 16 + v[1]);
    colour.g = static_cast<std::uint8_t>(v[2] * 16 + v[3]);
    colour.b = static_cast<std::uint8_t>(v[4] * 16 + v[5]);
    return true;
}

std::string age_class_section(std::string_view age_class) {
    const std::string trimmed = trim_blanks(age_class);
    return trimmed.empty() ? std::string() : "AK " + trimmed;
}

bool has_age_class_section(const Settings& settings, std::string_view age_class) {
    const std::string section = upper_case_de(age_class_section(age_class));
    if (section.empty()) return true;
    const Settings::Sections found = settings.sections();
    return std::any_of(found.names.begin(), found.names.end(),
                       [&](const std::string& name) { return upper_case_de(name) == section; });
}

}  // namespace kyomat
