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
#include <vector>

#include "data/core/file_io.h"
#include "data/core/handover.h"

namespace kyomat {

// The bout a line belongs to. Every line carries it, so that each line can be found by its
// list and position.
struct ProtocolBout {
    int list_position = 0;
    std::string age_class, weight_class, blue, white;
    std::string blue_club, white_club;
    // The bout list's file name ("turnier.kfl"); empty for a bout not taken from a list.
    std::string list_file;
    // How the bout came on the board: k_from_list, "von Hand", "nach Strg+E", ...
    std::string entry;
    // Each side's band colour as the audience saw it ("weiß", "blau", ... or "#RRGGBB"):
    // "Blau" is the upper side of the board, whatever colour it is drawn in.
    std::string blue_colour, white_colour;
    static constexpr const char* k_from_list = "Liste";
};

// One event of a bout: the second of bout time it happened in, what happened, a signed
// change or a count where there is one, and the time the board showed where that matters.
struct ProtocolLine {
    int second = 0;
    std::string subject;
    std::optional<int> amount;
    std::string shown;
};

// Who gave a command that did not come from the keyboard: a paired remote or a gamepad, its
// role, when it was pressed by the device's own clock ("14:03:07.412"), and how many
// milliseconds later the board applied it.
struct CommandSource {
    std::string device, role, pressed;
    int delay_ms = 0;
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
    // An event as the engine hands it; source: the device that gave the command, if not the
    // keyboard.
    void line(const ProtocolBout& bout, const ProtocolLine& event,
              const CommandSource* source = nullptr);
    // At the bout's end: the largest delay of a command from a device during the bout.
    void largest_delay(const ProtocolBout& bout, const CommandSource& source);
    static constexpr const char* k_largest_delay = "GRÖSSTE VERZÖGERUNG";
    // A score change: seconds of bout time run, subject and signed amount.
    void change(const ProtocolBout& bout, int elapsed_seconds, std::string_view subject,
                int amount);
    // The result handed on: its value, the bout's duration and the winner ("Blau", "Weiß",
    // or k_no_winner for a decided bout that neither side won).
    // moved_to: the bout's row in the list now when the desk moved it (0: where it was); the
    // result stays under the bout's own heading and says where its row went.
    void result(const ProtocolBout& bout, std::string_view value, std::string_view duration,
                std::string_view winner, int moved_to = 0);
    // A bout offered after a restart and thrown away: its end line, under its heading.
    void discarded(const ProtocolBout& bout);
    static constexpr const char* k_discarded = "VERWORFEN";

    // The file of a day ("2026-12-07").
    static std::string file_name(const std::string& day);
    // New columns only ever go at the end, so that every earlier file stays readable.
    static constexpr const char* k_header =
        "Uhrzeit;Liste;Altersklasse;Gewichtsklasse;Sekunde;Gegenstand;Betrag;Blau;Weiß;Dauer;"
        "Sieger;Kampfliste;Verein Blau;Verein Weiß;Anzeige;Farbe Blau;Farbe Weiß;Gerät;Rolle;"
        "Gedrückt;Verzögerung ms";
    static constexpr const char* k_new_bout = "NEUER KAMPF";
    static constexpr const char* k_result = "ERGEBNIS";
    static constexpr const char* k_no_winner = "keiner";
    // The value column of a result the referees decided.
    static constexpr const char* k_decision = "Entscheidung";

  private:
    struct Fields {
        std::string second, amount, duration, winner, shown, blue_colour, white_colour;
        const CommandSource* source = nullptr;
    };
    void append(const ProtocolBout& bout, std::string_view subject, const Fields& fields);
    bool open_for_today();
    static bool ends_mid_line(const std::filesystem::path& path);
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

// The winner of a result as the protocol's "Sieger" column names it.
inline const char* result_winner(const BoutResult& result) {
    if (result.no_winner) return BoutProtocol::k_no_winner;
    return result.blue_won ? "Blau" : "Weiß";
}

// The value of a result as the protocol records it.
inline std::string result_value_text(const BoutResult& result) {
    return result.referee_decision ? BoutProtocol::k_decision : result.result_value;
}

// Which bouts of a protocol the reader shows: a list position, a list file's name (with or
// without ".kfl", any case), both or none. Every attempt of a bout is shown.
struct ProtocolQuery {
    ProtocolQuery() = default;
    // Not explicit: a query for one position is written {3}.
    ProtocolQuery(std::optional<int> position, std::string list = {})
        : list_position(position), list_file(std::move(list)) {}
    std::optional<int> list_position;
    std::string list_file;
};

// The chosen bouts of a protocol file's text in readable German ("0:42 Waza-ari Blau +1").
std::string protocol_as_text(std::string_view csv, const ProtocolQuery& query);
// Whether a protocol names a bout list of that name (see ProtocolQuery).
bool protocol_has_list(std::string_view csv, const std::string& list_file);

// The reader's words after the file: [LISTE] [LISTENPOSITION] or [LISTE] --position N. A word
// that names a list of the file is a list, also "2026"; --position asks for a position in any
// case. The query, or the reason the words ask for nothing sensible.
struct ProtocolArguments {
    ProtocolQuery query;
    std::string error;
};
ProtocolArguments parse_protocol_arguments(std::string_view csv,
                                           const std::vector<std::string>& words);

// Text for a terminal: control characters (ESC, BEL, TAB, CR, ...) from names shown as
// "\x1b" instead of acting on the screen; line ends stay.
std::string terminal_safe(std::string_view text);

}  // namespace kyomat
