// The bout protocol read back in words, for a dispute at the table: which bouts a query
// wants, each side named as the audience saw it, every line shown that the file holds.
#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "data/core/basis.h"
#include "data/core/protocol.h"

namespace kyomat {
namespace {

constexpr std::string_view k_bom = "\xEF\xBB\xBF";

std::vector<std::string> csv_fields(std::string_view line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ';') {
            fields.emplace_back();
        } else if (c != '\r') {
            fields.back() += c;
        }
    }
    return fields;
}

std::string from_text(const std::string& field) {
    if (field.size() >= 2 && field[0] == '\'' &&
        std::string_view("=+-@\t\r").find(field[1]) != std::string_view::npos)
        return field.substr(1);
    return field;
}

// How the reader names the two sides: "Blau" and "Weiß" in files that do not record the
// colours; otherwise the colour the audience saw and the fighter's name, so that nobody takes
// the upper side for the one drawn in blue.
struct SideNames {
    std::string blue = "Blau", white = "Weiß";
};

// Events that are not a score, in words; {B} and {W} stand for the sides. The hold-down's
// award subjects ("HALTEGRIFF_B") are scores and handled below.
struct EventWords {
    std::string_view subject, words;
};
constexpr EventWords k_events[] = {
    {"UHR_START", "Uhr läuft ab"},
    {"UHR_STOPP", "Uhr steht bei"},
    {"UHR_KORREKTUR", "Uhr korrigiert, Sekunden"},
    {"HALTEGRIFF_START_B", "Haltegriff {B} beginnt"},
    {"HALTEGRIFF_START_W", "Haltegriff {W} beginnt"},
    {"HALTEGRIFF_WECHSEL_B", "Haltegriff wechselt zu {B}"},
    {"HALTEGRIFF_WECHSEL_W", "Haltegriff wechselt zu {W}"},
    {"HALTEGRIFF_GELOEST_B", "Haltegriff {B} gelöst, Sekunden"},
    {"HALTEGRIFF_GELOEST_W", "Haltegriff {W} gelöst, Sekunden"},
    {"HALTEGRIFF_AUS", "Haltegriff-Uhr gelöscht, Sekunden"},
    {"HALTEGRIFF_KORREKTUR", "Haltegriff-Uhr korrigiert, Sekunden"},
    {"GOLDEN_SCORE", "Golden Score beginnt"},
    {"SIEGER_B", "Sieger {B} angezeigt"},
    {"SIEGER_W", "Sieger {W} angezeigt"},
    {"SIEGER_AUS", "Sieger aufgehoben"},
    {"ENTSCHEIDUNG_B", "Entscheidung für {B} angezeigt"},
    {"ENTSCHEIDUNG_W", "Entscheidung für {W} angezeigt"},
    {"HANSOKU_MAKE_B", "Hansoku-make {B}"},
    {"HANSOKU_MAKE_W", "Hansoku-make {W}"},
    {"HANSOKU_MAKE_BEIDE", "Hansoku-make beider Kämpfer"},
    {"KREUZ_B", "Verletzungskreuze {B} jetzt"},
    {"KREUZ_W", "Verletzungskreuze {W} jetzt"},
    {"STRG_E", "Tafel mit Strg+E zurückgesetzt, Uhr bei"},
    {"WIEDERHERGESTELLT", "Kampf nach einem Neustart wiederhergestellt, Uhr bei"},
    {"VERWORFEN", "Kampf nach einem Neustart verworfen: sein Stand ist verloren"},
};

std::string with_sides(std::string_view words, const SideNames& names) {
    std::string out;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words.substr(i, 3) == "{B}" || words.substr(i, 3) == "{W}") {
            out += words[i + 1] == 'B' ? names.blue : names.white;
            i += 2;
        } else {
            out += words[i];
        }
    }
    return out;
}

// The engine's subject in words: "LBL_W_B" is a Waza-ari for blue, "b" a points change.
std::string subject_text(const std::string& subject, const std::string& amount,
                         const SideNames& names) {
    for (const EventWords& e : k_events) {
        if (e.subject == subject) return with_sides(e.words, names);
    }
    const bool white = !subject.empty() && (subject.back() == 'W' || subject.back() == 'w');
    const std::string& side = white ? names.white : names.blue;
    if (subject.size() == 1) {
        const bool shido = amount == "47" || amount == "-47" || amount == "+47";
        return (shido ? "Shido " : "Punkte ") + side;
    }
    if (subject.rfind("LBL_I_", 0) == 0) return "Ippon " + side;
    if (subject.rfind("LBL_W_", 0) == 0) return "Waza-ari " + side;
    if (subject.rfind("LBL_Y_", 0) == 0) return "Yuko " + side;
    if (subject.rfind("LBL_S_", 0) == 0) return "Shido " + side;
    if (subject.rfind("HALTEGRIFF_", 0) == 0)
        return "Wertung durch Haltegriff " + side + ", Sekunden";
    if (subject.rfind("GELOEST_", 0) == 0) return "Wertung bei Gelöst " + side + ", Sekunden";
    return subject;
}

// "Turnier.KFL" and "turnier" name the same list.
std::string list_key(std::string_view name) {
    std::string key = upper_case_de(name);
    if (key.size() > 4 && key.compare(key.size() - 4, 4, ".KFL") == 0) key.resize(key.size() - 4);
    return key;
}

// The fields of each line of a protocol, header and broken lines left out (broken is told of
// each), the text fields as they were before they were written as text.
template <typename Visit>
void for_each_line(std::string_view csv, Visit visit, const std::function<void()>& broken = {}) {
    if (csv.substr(0, k_bom.size()) == k_bom) csv.remove_prefix(k_bom.size());
    std::size_t pos = 0;
    while (pos < csv.size()) {
        std::size_t end = csv.find('\n', pos);
        if (end == std::string_view::npos) end = csv.size();
        const std::string_view raw = csv.substr(pos, end - pos);
        auto f = csv_fields(raw);
        pos = end + 1;
        if (f[0] == "Uhrzeit") continue;
        if (f.size() < 11) {
            if (broken && raw.find_first_not_of(" \r") != std::string_view::npos) broken();
            continue;
        }
        // Lines of older files have no list, clubs, shown time, colours or device.
        f.resize(std::max<std::size_t>(f.size(), 21));
        for (const std::size_t i : {2u, 3u, 6u, 7u, 8u, 11u, 12u, 13u, 17u, 18u})
            f[i] = from_text(f[i]);
        visit(f);
    }
}

std::string with_club(const std::string& name, const std::string& club) {
    return club.empty() ? name : name + " (" + club + ")";
}

// A side named by its colour and fighter: "weiß (Meier, Hans)".
std::string side_name(const std::string& colour, const std::string& name) {
    return name.empty() ? colour : colour + " (" + name + ")";
}

SideNames side_names(const std::vector<std::string>& f) {
    SideNames names;
    if (!f[15].empty()) names.blue = side_name(f[15], f[7]);
    if (!f[16].empty()) names.white = side_name(f[16], f[8]);
    return names;
}

std::string bout_heading(const std::vector<std::string>& f) {
    const std::string& entry = f[6];
    std::string head = f[1] == "0" ? "Kampf ohne Listenposition" : "Kampf " + f[1];
    head += " (" + f[2] + (f[2].empty() ? "" : ", ") + f[3] + ")";
    if (!f[11].empty()) head += ", Liste " + f[11];
    if (!entry.empty() && entry != ProtocolBout::k_from_list) head += ", " + entry;
    const auto colour = [](const std::string& c) { return c.empty() ? c : " in " + c; };
    return head + ", " + f[0] + ": " + with_club(f[7], f[12]) + colour(f[15]) + " – " +
           with_club(f[8], f[13]) + colour(f[16]) + "\n";
}

std::string event_text(const std::vector<std::string>& f, const SideNames& names) {
    const int seconds = to_integer(f[4]).value_or(0);
    std::string amount = f[6];
    if (f[5].size() == 1 && subject_text(f[5], amount, SideNames{}).rfind("Shido", 0) == 0) {
        amount = amount[0] == '-' ? "-1" : "+1";
    }
    // A cross count is a count, not a change.
    if (f[5].rfind("KREUZ_", 0) == 0 && !amount.empty() && amount[0] == '+') amount.erase(0, 1);
    std::string text = "  " + std::to_string(seconds / 60) + ":" + format_number(seconds % 60, 2) +
                       " " + subject_text(f[5], f[6], names);
    if (!amount.empty()) text += " " + amount;
    if (!f[14].empty())
        text += (f[5] == "UHR_START" || f[5] == "UHR_STOPP" || f[5] == "STRG_E" ||
                 f[5] == "WIEDERHERGESTELLT")
                    ? " " + f[14]
                    : ", zeigt " + f[14];
    // A command of a remote or a gamepad: which, in what role, how late the board took it.
    if (!f[17].empty()) text += " [" + f[17] + ", " + f[18] + ", " + f[20] + " ms]";
    return text + "\n";
}

}  // namespace

std::string protocol_as_text(std::string_view csv, const ProtocolQuery& query) {
    const std::string wanted_list = list_key(query.list_file);
    std::string all;
    bool wanted = false;
    SideNames names;
    // The bout of the last heading, as each of its lines names it.
    using BoutKey = std::array<std::string, 4>;
    std::optional<BoutKey> bout;
    const auto start_bout = [&](const std::vector<std::string>& f) {
        wanted = (!query.list_position || to_integer(f[1]) == query.list_position) &&
                 (wanted_list.empty() || list_key(f[11]) == wanted_list);
        names = side_names(f);
        bout = BoutKey{f[1], f[11], f[7], f[8]};
        if (wanted) all += bout_heading(f);
    };
    const auto line = [&](const std::vector<std::string>& f) {
        if (f[5] == BoutProtocol::k_new_bout) {
            start_bout(f);
            return;
        }
        // A line whose heading was lost (a full disk at the bout's first line) is shown under
        // a heading made from its own columns, marked as such.
        if (!bout || *bout != BoutKey{f[1], f[11], f[7], f[8]}) {
            std::vector<std::string> heading = f;
            heading[6] = "ohne Kopfzeile im Protokoll";
            heading[15].clear();
            heading[16].clear();
            start_bout(heading);
        }
        if (!wanted) return;
        if (f[5] == BoutProtocol::k_result) {
            const std::string side =
                f[10] == "Blau" ? names.blue : (f[10] == "Weiß" ? names.white : f[10]);
            const std::string winner =
                f[10] == BoutProtocol::k_no_winner
                    ? "ohne Sieger (0:0)"
                    : "Sieger " + side +
                          (f[6] == BoutProtocol::k_decision ? std::string(" durch Entscheidung")
                                                            : ", Wertung " + f[6]);
            // A row the desk moved meanwhile is named where it is now.
            const std::string row = f[14].empty() ? "" : " (in der Liste jetzt " + f[14] + ")";
            all += "  " + f[0] + " Ergebnis: " + winner + ", Dauer " + f[9] + row + "\n";
        } else if (f[5] == BoutProtocol::k_largest_delay) {
            all += "  Größte Verzögerung eines Geräts: " + f[6] + " ms (" + f[17] + ")\n";
        } else {
            all += event_text(f, names);
        }
    };
    for_each_line(csv, line, [&] {
        // Half a line that a killed program left: said, so that nobody misses an event.
        if (wanted) all += "  (eine unvollständige Zeile übersprungen)\n";
    });
    return all;
}

bool protocol_has_list(std::string_view csv, const std::string& list_file) {
    const std::string wanted = list_key(list_file);
    bool found = false;
    for_each_line(csv, [&](const std::vector<std::string>& f) {
        found = found || (!wanted.empty() && list_key(f[11]) == wanted);
    });
    return found;
}

ProtocolArguments parse_protocol_arguments(std::string_view csv,
                                           const std::vector<std::string>& words) {
    ProtocolArguments out;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] != "--position") {
            rest.push_back(words[i]);
            continue;
        }
        const auto n = i + 1 < words.size() ? to_integer(words[i + 1]) : std::nullopt;
        if (!n) {
            out.error = "Nach --position fehlt die Listenposition (eine ganze Zahl, z. B. 3).";
            return out;
        }
        out.query.list_position = n;
        ++i;
    }
    const auto not_a_position = [&](const std::string& word, bool may_be_list) {
        out.error = "'" + word + "' ist keine Listenposition (eine ganze Zahl, z. B. 3)" +
                    (may_be_list ? " und keine Kampfliste dieses Protokolls" : "") + ".";
    };
    if (rest.size() > 2 || (rest.size() == 2 && out.query.list_position)) {
        out.error = "Zu viele Angaben: DATEI [LISTE] [LISTENPOSITION] oder [LISTE] --position N.";
    } else if (rest.size() == 2) {
        out.query.list_file = rest[0];
        out.query.list_position = to_integer(rest[1]);
        if (!out.query.list_position) not_a_position(rest[1], false);
    } else if (rest.size() == 1) {
        // A list's name first, whatever it looks like; a number that names no list is a
        // position, as it always was.
        if (protocol_has_list(csv, rest[0])) {
            out.query.list_file = rest[0];
        } else if (!out.query.list_position && to_integer(rest[0])) {
            out.query.list_position = to_integer(rest[0]);
        } else {
            not_a_position(rest[0], true);
        }
    }
    return out;
}

std::string terminal_safe(std::string_view text) {
    static constexpr char k_hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\n') || u == 0x7f) {
            out += "\\x";
            out += k_hex[u >> 4];
            out += k_hex[u & 0x0f];
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace kyomat
