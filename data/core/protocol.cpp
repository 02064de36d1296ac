#include "data/core/protocol.h"

#include <algorithm>
#include <fstream>
#include <functional>
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

std::string signed_text(int amount) {
    return (amount >= 0 ? "+" : "") + std::to_string(amount);
}

// A name, club or class that a spreadsheet would take for a formula is written as text: a
// leading apostrophe, which the reader takes off again. A plain signed number such as the
// weight class "-66" is no formula and stays as it is.
std::string as_text(const std::string& field) {
    if (field.empty() || std::string_view("=+-@\t\r").find(field[0]) == std::string_view::npos)
        return field;
    const bool number =
        field.size() > 1 && (field[0] == '-' || field[0] == '+') &&
        std::all_of(field.begin() + 1, field.end(), [](char c) { return c >= '0' && c <= '9'; });
    return number ? field : "'" + field;
}
}  // namespace

BoutProtocol::BoutProtocol(std::filesystem::path folder,
                           std::function<void(const std::string&)> report,
                           std::function<std::string()> today)
    : folder_(std::move(folder)), report_(std::move(report)), today_(std::move(today)) {
    if (!today_) today_ = [] { return local_time_text("%Y-%m-%d"); };
}

BoutProtocol::~BoutProtocol() = default;

std::string BoutProtocol::file_name(const std::string& day) {
    return "protokoll-" + day + ".csv";
}

// The day's file, or for a bout under way the file of the day it began: a bout across
// midnight stays in one file, where the reader finds it whole.
bool BoutProtocol::open_for_today() {
    const std::string today = bout_day_.empty() ? today_() : bout_day_;
    const std::filesystem::path path = folder_ / file_name(today);
    if (file_.is_open() && today == day_) {
        // A cheap look before each line: the day's file may have been deleted, moved to a
        // stick or replaced by an editor's save between two bouts.
        if (file_.still_at(path)) return true;
        file_.close();
        if (report_) {
            report_("Das Protokoll \"" + utf8_of(path) +
                    "\" wurde gelöscht, verschoben oder ersetzt: die weiteren Zeilen gehen in "
                    "eine Datei dieses Namens.");
        }
    }
    day_ = today;
    std::string error;
    // Only a regular file, opened without waiting: a pipe in its place must not hold the
    // clock or the keys.
    if (!file_.open(path, error)) {
        failed(path, error);
        return false;
    }
    if (file_.empty()) {
        const std::string head = std::string(k_bom) + k_header + "\r\n";
        if (!file_.append(head, error)) {
            failed(path, error);
            file_.close();
            return false;
        }
    } else if (ends_mid_line(path) && !file_.append("\r\n", error)) {
        // A killed writer can leave half a line (a write is cut at a page of the disk cache):
        // it is ended, so that no new line is glued onto it.
        failed(path, error);
        file_.close();
        return false;
    }
    return true;
}

bool BoutProtocol::ends_mid_line(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in.seekg(-1, std::ios::end)) return false;
    char last = '\n';
    in.get(last);
    return last != '\n';
}

void BoutProtocol::failed(const std::filesystem::path& path, const std::string& why) {
    if (reported_this_bout_) return;
    reported_this_bout_ = true;
    if (report_) {
        report_("Das Protokoll \"" + utf8_of(path) + "\" kann nicht geschrieben werden: " + why +
                ". Der Kampf geht weiter. Jede neue Zeile wird wieder versucht: sobald es wieder "
                "geht (Platz frei, Rechte da), kommen ganze Zeilen ins Protokoll.");
    }
}

void BoutProtocol::append(const ProtocolBout& bout, std::string_view subject,
                          const Fields& fields) {
    if (!open_for_today()) return;
    std::string line = local_time_text("%H:%M:%S");
    for (const std::string& field :
         {std::to_string(bout.list_position), as_text(bout.age_class), as_text(bout.weight_class),
          fields.second, std::string(subject), as_text(fields.amount), as_text(bout.blue),
          as_text(bout.white), fields.duration, fields.winner, as_text(bout.list_file),
          as_text(bout.blue_club), as_text(bout.white_club), fields.shown, fields.blue_colour,
          fields.white_colour}) {
        line += ';';
        line += csv_field(field);
    }
    // Every line has every column, empty where the keyboard gave the command.
    const CommandSource* from = fields.source;
    for (const std::string& field :
         {from ? as_text(from->device) : "", from ? as_text(from->role) : "",
          from ? from->pressed : "", from ? std::to_string(from->delay_ms) : ""}) {
        line += ';';
        line += csv_field(field);
    }
    line += "\r\n";
    // One write of the whole line: it is in the file whole or not at all.
    std::string error;
    if (!file_.append(line, error)) failed(folder_ / file_name(day_), error);
}

void BoutProtocol::new_bout(const ProtocolBout& bout) {
    reported_this_bout_ = false;
    bout_day_ = today_();
    append(bout, k_new_bout,
           Fields{"", bout.entry, "", "", "", bout.blue_colour, bout.white_colour});
}

void BoutProtocol::line(const ProtocolBout& bout, const ProtocolLine& event,
                        const CommandSource* source) {
    append(bout, event.subject,
           Fields{std::to_string(event.second), event.amount ? signed_text(*event.amount) : "", "",
                  "", event.shown, "", "", source});
}

void BoutProtocol::largest_delay(const ProtocolBout& bout, const CommandSource& source) {
    append(bout, k_largest_delay,
           Fields{"", std::to_string(source.delay_ms), "", "", "", "", "", &source});
}

void BoutProtocol::change(const ProtocolBout& bout, int elapsed_seconds, std::string_view subject,
                          int amount) {
    line(bout, ProtocolLine{elapsed_seconds, std::string(subject), amount, ""});
}

void BoutProtocol::result(const ProtocolBout& bout, std::string_view value,
                          std::string_view duration, std::string_view winner, int moved_to) {
    const std::string row =
        moved_to > 0 && moved_to != bout.list_position ? "Zeile " + std::to_string(moved_to) : "";
    append(bout, k_result,
           Fields{"", std::string(value), std::string(duration), std::string(winner), row, "", ""});
}

void BoutProtocol::discarded(const ProtocolBout& bout) {
    append(bout, k_discarded, Fields{"", "", "", "", "", "", ""});
}

}  // namespace kyomat
