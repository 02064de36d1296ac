#pragma once
// The bout protocol: a record of every change of the board that an operator can read after a
// dispute. One CSV file per day in the program folder, protokoll-YYYY-MM-DD.csv, in UTF-8
// with a byte order mark and ";" between fields, so that a spreadsheet opens it with its
// umlauts. Each line is written whole with one write, so a crash leaves whole lines only.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "data/core/file_io.h"

namespace kyomat {

// The bout a line belongs to.
struct ProtocolBout {
    int list_position = 0;
    std::string age_class, weight_class, blue, white;
};

class BoutProtocol {
  public:
    // report is told once per bout when the protocol cannot be written; the bout goes on.
    // today gives the date ("2026-12-07"); the system's local date unless a test sets one.
    BoutProtocol(std::filesystem::path folder, std::function<void(const std::string&)> report,
                 std::function<std::string()> today = {});
    ~BoutProtocol();
    BoutProtocol(const BoutProtocol&) = delete;
    BoutProtocol& operator=(const BoutProtocol&) = delete;

    // A new bout: its marker line.
    void new_bout(const ProtocolBout& bout);
    // A change as the engine hands it: seconds of bout time run, subject and signed amount.
    void change(const ProtocolBout& bout, int elapsed_seconds, std::string_view subject,
                int amount);
    // The result handed on: its value, the bout's duration and the winner ("Blau"/"Weiß").
    void result(const ProtocolBout& bout, std::string_view value, std::string_view duration,
                bool blue_won);

    // The file of a day ("2026-12-07").
    static std::string file_name(const std::string& day);
    static constexpr const char* k_header =
        "Uhrzeit;Liste;Altersklasse;Gewichtsklasse;Sekunde;Gegenstand;Betrag;Blau;Weiß;Dauer;"
        "Sieger";
    static constexpr const char* k_new_bout = "NEUER KAMPF";
    static constexpr const char* k_result = "ERGEBNIS";

  private:
    void append(const ProtocolBout& bout, const std::string& seconds, std::string_view subject,
                const std::string& amount, std::string_view duration, std::string_view winner);
    bool open_for_today();
    void failed(const std::filesystem::path& path, const std::string& why);

    std::filesystem::path folder_;
    std::function<void(const std::string&)> report_;
    LineAppender file_;
    std::string day_;
    // The day the bout under way began; its lines go to that day's file.
    std::string bout_day_;
    std::function<std::string()> today_;
    bool reported_this_bout_ = false;
};

// One bout's sequence, or every bout's, of a protocol file's text in readable German
// ("0:42 Waza-ari Blau +1"); list_position picks the bout (the last one of that position).
std::string protocol_as_text(std::string_view csv, std::optional<int> list_position);

}  // namespace kyomat
