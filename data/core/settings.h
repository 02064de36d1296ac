#pragma once
// kyomat.ini: read-only settings, read afresh for every command so that an edit takes effect
// the next time a value is needed.
//
// How the file is read (the rules of the Windows profile-string service, plus a few of our
// own for text the service leaves undefined):
//  - Section and key names match without regard to letter case (a-z and ä ö ü).
//  - Blanks and tabs around names and values are removed, then one pair of enclosing
//    quotation marks (both ' or both ") is dropped; a value keeps at most 2047 characters.
//  - A missing file, section or key reads as the empty text.
//  - When a section appears twice, only the first one counts; when a key appears twice in
//    it, the first line counts. Later duplicates are ignored, as the service does.
//  - A line whose first non-blank character is ';' is a comment; a line without '=' and
//    lines before the first section are ignored.
//  - Line ends may be CR LF or LF; the bytes are code page 1252 (any byte is accepted), or
//    UTF-8 when the file is UTF-8 by the rule of is_utf8_text (an editor's byte order mark
//    included).
//  - Only a regular file of at most k_max_file_bytes is read, once for every command.
//  - A reading caught while an editor saves the file in place (empty, missing, changing
//    while read, or without sections the last whole reading had, and written to a moment
//    ago) is read again a moment later; if it stays so, the last whole reading counts and a
//    note says why. Before the first whole reading the file is taken as it is.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kyomat {

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
    // "$RRGGBB" in capitals, red first: the form the file uses.
    std::string hex() const;
    // The colour as a word a spectator would use ("weiß", "blau", "rot", "gelb", "grün",
    // "schwarz"), or "#RRGGBB" for a colour that is none of them.
    std::string word() const;
};

class Settings {
  public:
    static constexpr const char* k_file_name = "kyomat.ini";
    static constexpr std::size_t k_max_value = 2047;
    // A settings file beyond this is refused: a real one has a few kilobytes.
    static constexpr std::uintmax_t k_max_file_bytes = std::uintmax_t{1024} * 1024;

    explicit Settings(std::filesystem::path folder) : folder_(std::move(folder)) {}

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path file() const { return folder_ / k_file_name; }

    // Why the file cannot be read (a folder, a pipe, a device, too large), or nothing when it
    // can be read or is simply missing. Its values then all read as empty.
    std::optional<std::string> file_problem() const;
    // The value as text (UTF-8); empty when the file, section or key is missing.
    std::string read_setting(std::string_view section, std::string_view key) const;
    // The names of the file's sections in order (UTF-8), and whether it has any line that is
    // neither blank nor a comment: a file of settings that the reader finds no section in.
    struct Sections {
        std::vector<std::string> names;
        bool has_lines = false;
    };
    Sections sections() const;
    // A path from the file, taken from the program's folder when it is relative.
    std::filesystem::path resolve(std::string_view path) const;

    // Where it is told that a reading was not whole and the last whole one counts.
    void set_note(std::function<void(const std::string&)> note) { note_ = std::move(note); }
    // How often and how far apart a reading that is not whole is tried again, and how long
    // a file must stand unwritten for what it holds to count however it looks.
    int settle_retries = 4;
    int settle_step_ms = 50;
    int quiet_ms = 2000;

    // One command (a key, a tick that counts a second, a list operation) reads the file once:
    // while a batch is open, every value comes from the reading at its first value, so a
    // value saved before the command counts at it, and the next command reads anew. Batches
    // nest; the object is then used by the thread that opened it only.
    class Batch {
      public:
        explicit Batch(const Settings& settings) : settings_(settings) { ++settings_.batches_; }
        ~Batch() {
            if (--settings_.batches_ == 0) settings_.batch_text_.reset();
        }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

      private:
        const Settings& settings_;
    };

  private:
    // The file's text as code page 1252 lines (empty for a missing or unreadable file), or
    // the last whole reading while the file is being saved.
    std::string text() const;
    // Why a reading (its stamp taken before it) is not one to take: empty when it is.
    std::string not_whole(const std::string& stamp_before, bool exists,
                          const std::string& text) const;

    std::filesystem::path folder_;
    std::function<void(const std::string&)> note_;
    mutable std::optional<std::string> last_whole_;
    mutable std::string noted_stamp_;
    mutable std::optional<std::chrono::steady_clock::time_point> missing_since_;
    mutable int batches_ = 0;
    mutable std::optional<std::string> batch_text_;
};

// Whether two section or key names are the same name for the reader: letter case ignored
// (a-z and ä ö ü in code page 1252), without a copy of either.
bool same_name(std::string_view a, std::string_view b);

// Reads one value from INI text already in memory (code page 1252 bytes); the rules above.
std::string read_ini_value(std::string_view bytes, std::string_view section, std::string_view key);

// "$RRGGBB" (hex in either case, trailing blanks ignored): true and colour set; otherwise
// false and colour untouched.
bool parse_colour(std::string_view text, Colour& colour);
// The bytes of kyomat.ini as code page 1252 lines ending in LF, whatever editor saved them:
// CR, LF or CR LF; UTF-16 with its byte-order mark; UTF-8 or code page 1252 line by line.
std::string settings_text_as_cp1252(std::string_view file_bytes);

// The section of an age class's own rules: "AK " and the class as the bout list names it
// (blanks around it dropped; matched without regard to case); empty for no age class.
std::string age_class_section(std::string_view age_class);
// Whether kyomat.ini has the section of this age class (true for no age class).
bool has_age_class_section(const Settings& settings, std::string_view age_class);

}  // namespace kyomat
