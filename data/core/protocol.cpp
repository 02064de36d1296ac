#include "data/core/protocol.h"

#include <utility>
#include <vector>

#include "data/core/basis.h"

namespace kyomat {
namespace {

constexpr std::string_view k_bom = "\xEF\xBB\xBF";

// A field as CSV wants it: quoted when it holds the separator, a quote or a line end.
std::string csv_field(std::string_view text) {
    if (text.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

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

std::string signed_text(int amount) {
    return (amount >= 0 ? "+" : "") + std::to_string(amount);
}

// The engine's subject in words: "LBL_W_B" is a Waza-ari for blue, "b" a points change.
std::string subject_text(const std::string& subject, const std::string& amount) {
    const bool white = !subject.empty() && (subject.back() == 'W' || subject.back() == 'w');
    const std::string side = white ? "Weiß" : "Blau";
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

}  // namespace

BoutProtocol::BoutProtocol(std::filesystem::path folder,
                           std::function<void(const std::string&)> report)
    : folder_(std::move(folder)), report_(std::move(report)) {}

BoutProtocol::~BoutProtocol() {
    if (file_ != nullptr) std::fclose(file_);
}

std::string BoutProtocol::file_name(const std::string& day) {
    return "protokoll-" + day + ".csv";
}

bool BoutProtocol::open_for_today() {
    const std::string today = local_time_text("%Y-%m-%d");
    if (file_ != nullptr && today == day_) return true;
    if (file_ != nullptr) std::fclose(file_);
    day_ = today;
    const std::filesystem::path path = folder_ / file_name(today);
    std::error_code ec;
    const bool fresh =
        !std::filesystem::exists(path, ec) || std::filesystem::file_size(path, ec) == 0;
    file_ = std::fopen(path.string().c_str(), "ab");
    if (file_ == nullptr) {
        failed("Das Protokoll \"" + path.string() + "\" kann nicht geschrieben werden.");
        return false;
    }
    if (fresh) {
        const std::string head = std::string(k_bom) + k_header + "\r\n";
        if (std::fwrite(head.data(), 1, head.size(), file_) != head.size() ||
            std::fflush(file_) != 0) {
            failed("Das Protokoll \"" + path.string() + "\" kann nicht geschrieben werden.");
            return false;
        }
    }
    return true;
}

void BoutProtocol::failed(const std::string& why) {
    if (reported_this_bout_) return;
    reported_this_bout_ = true;
    if (report_) report_(why + " Der Kampf geht weiter, ohne Protokoll.");
}

void BoutProtocol::append(const ProtocolBout& bout, const std::string& seconds,
                          std::string_view subject, const std::string& amount,
                          std::string_view duration, std::string_view winner) {
    if (!open_for_today()) return;
    std::string line = local_time_text("%H:%M:%S");
    for (const std::string& field :
         {std::to_string(bout.list_position), bout.age_class, bout.weight_class, seconds,
          std::string(subject), amount, bout.blue, bout.white, std::string(duration),
          std::string(winner)}) {
        line += ';';
        line += csv_field(field);
    }
    line += "\r\n";
    // One write of the whole line: it is in the file whole or not at all.
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) {
        std::clearerr(file_);
        failed("Das Protokoll \"" + (folder_ / file_name(day_)).string() +
               "\" kann nicht geschrieben werden.");
    }
}

void BoutProtocol::new_bout(const ProtocolBout& bout) {
    reported_this_bout_ = false;
    append(bout, "", k_new_bout, "", "", "");
}

void BoutProtocol::change(const ProtocolBout& bout, int elapsed_seconds, std::string_view subject,
                          int amount) {
    append(bout, std::to_string(elapsed_seconds), subject, signed_text(amount), "", "");
}

void BoutProtocol::result(const ProtocolBout& bout, std::string_view value,
                          std::string_view duration, bool blue_won) {
    append(bout, "", k_result, std::string(value), duration, blue_won ? "Blau" : "Weiß");
}

std::string protocol_as_text(std::string_view csv, std::optional<int> list_position) {
    if (csv.substr(0, k_bom.size()) == k_bom) csv.remove_prefix(k_bom.size());
    std::string all, bout;
    bool wanted = false;
    auto flush = [&] {
        if (wanted) all = list_position ? bout : all + bout;
        bout.clear();
    };
    std::size_t pos = 0;
    while (pos < csv.size()) {
        std::size_t end = csv.find('\n', pos);
        if (end == std::string_view::npos) end = csv.size();
        const auto f = csv_fields(csv.substr(pos, end - pos));
        pos = end + 1;
        if (f.size() < 11 || f[0] == "Uhrzeit") continue;
        if (f[5] == BoutProtocol::k_new_bout) {
            flush();
            wanted = !list_position || to_integer(f[1]) == list_position;
            bout = "Kampf " + f[1] + " (" + f[2] + (f[2].empty() ? "" : ", ") + f[3] + "), " +
                   f[0] + ": " + f[7] + " – " + f[8] + "\n";
            continue;
        }
        if (f[5] == BoutProtocol::k_result) {
            bout += "  " + f[0] + " Ergebnis: Sieger " + f[10] + ", Wertung " + f[6] + ", Dauer " +
                    f[9] + "\n";
            continue;
        }
        const int seconds = to_integer(f[4]).value_or(0);
        std::string amount = f[6];
        if (subject_text(f[5], amount).rfind("Shido", 0) == 0 && f[5].size() == 1) {
            amount = amount[0] == '-' ? "-1" : "+1";
        }
        bout += "  " + std::to_string(seconds / 60) + ":" + format_number(seconds % 60, 2) + " " +
                subject_text(f[5], f[6]) + " " + amount + "\n";
    }
    flush();
    return all;
}

}  // namespace kyomat
