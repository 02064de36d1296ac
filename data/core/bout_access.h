#pragma once
// The scoreboard's access to the current bout list file: taking the next open bout, writing
// a result back, and the list for the control panel. Every operation reloads the file first,
// so the file on disk is the reference.
#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/core/bout_list.h"
#include "data/core/catalogue.h"
#include "data/core/file_io.h"
#include "data/core/handover.h"

namespace kyomat {

// Shows a message to the operator: text and kind letter.
using Reporter = std::function<void(const std::string& text, MessageKind kind)>;

class BoutListFile {
  public:
    BoutListFile(std::filesystem::path program_folder, Reporter report)
        : folder(program_folder),
          program_folder_(std::move(program_folder)),
          report_(std::move(report)) {}

    // Reads the current file into the list (reset first). False for a header that is not
    // valid, and for a file that cannot be read (which is reported). Clears modified.
    bool load_from_file();
    // The same into another list, leaving this one (the editor's) as it is; raw gets the
    // file's bytes as read.
    bool read_into(BoutList& into, std::string* raw = nullptr);
    // The scoreboard's reading: a list that another program is saving at this moment (missing,
    // empty, without its head, or cut off in a line) is read again quietly, with short waits,
    // for up to settle_ms when wait is set (once otherwise); what still fails is told as a
    // note (never a box, which would take the operator's next key) unless quiet is set.
    bool read_settled(BoutList& into, std::string* raw, bool wait, bool quiet = false);
    // Where the scoreboard's reading tells what failed: the operator's note line.
    void set_note(Reporter note) { note_ = std::move(note); }
    // Why the last settled read failed.
    const std::string& last_read_error() const { return last_read_error_; }
    // Whether the last settled read failed because another program is writing the file at
    // this moment (there, but empty, cut off or not yet still).
    bool last_read_passing() const { return last_read_passing_; }
    // Writes the list to the current file, crash-safe. A failure is reported and leaves the
    // old file and the modified flag as they were. A list holding a character the file
    // cannot store is not written: it is reported, so nothing turns into "?" unseen.
    bool write_to_file();
    // Writes another list (the scoreboard's copy) to the current file, but only while the
    // file still holds the bytes it was read from (see write_file_if_current).
    WriteOutcome write_if_unchanged(const BoutList& list, const std::string& read_bytes);
    // Whether the file on disk still holds these bytes.
    bool holds(const std::string& bytes) const;
    // A new list under the default name in the program's folder.
    void new_list();

    std::filesystem::path current_file() const { return folder / path_from_utf8(file_name); }
    // The program's folder, where kyomat.ini is.
    const std::filesystem::path& program_folder() const { return program_folder_; }
    void report(const std::string& text, MessageKind kind) const {
        if (unasked && note_) {
            note_(text, kind);
        } else if (report_) {
            report_(text, kind);
        }
    }
    // While set, what the file reports comes in a look at the list nobody asked for (the
    // grid's watch): it is said in a note, never in a box that would take the next key.
    bool unasked = false;
    // What needs no answer: a note where there is one, else the report.
    void tell(const std::string& text) const {
        if (note_) {
            note_(text, MessageKind::warning);
        } else {
            report(text, MessageKind::warning);
        }
    }

    BoutList list;
    std::filesystem::path folder;
    // Tests put another program's save here: it runs just before a result's write checks
    // that the file is still the one it read.
    std::function<void()> before_replace;
    // Tests put the next piece of another program's slow save here: it runs between two
    // attempts of a settled read, in place of time passing.
    std::function<void()> between_reads;
    std::string file_name = "neu.kfl";
    bool modified = false;
    // Counts the editor's saves (write_to_file).
    int saves = 0;
    // How long a settled read waits for a list being saved, and between its attempts.
    int settle_ms = 2500;
    int settle_step_ms = 100;
    // How long a list whose head states other rows than it holds (or whose last line has no
    // end) must stand unchanged before it is taken: longer than a slow writer's pause.
    int quiet_ms = 1500;
    // Set where the waiting is done elsewhere (the board waits on a timer): a settled read
    // then never sleeps, whatever it is asked.
    bool never_wait = false;

  private:
    // Whether the list just read (its stamp taken before the reading) is one that no program
    // is writing any more.
    bool settled(const std::string& stamp_before, const BoutList& read, bool line_ended);
    std::string seen_stamp_;
    std::chrono::steady_clock::time_point seen_since_;
    std::filesystem::path program_folder_;
    Reporter report_;
    Reporter note_;
    std::string last_read_error_;
    bool last_read_passing_ = false;
    std::filesystem::path cleaned_;
};

// The scoreboard's view of the list file, which is not the mat's alone: the tournament desk
// may add, insert, reorder and edit bouts in it while a bout runs. So the bout on the board
// is known by its own cells, and its result goes into its own row wherever that row is now.
class BoutListAccess {
  public:
    explicit BoutListAccess(BoutListFile& file) : file_(file) {}

    // Takes the next open bout of the list into the fields; sets list_result_due to whether
    // one was found.
    ListOutcome kampf_laden(EntryFields& fields);
    // Writes the result of the bout that was taken from the list into its own row and saves
    // the list, when the result is due. Only that row changes; what another program wrote
    // meanwhile stays. A bout whose row is gone or no longer open is reported with the
    // fighters and the result, and nothing is written; a list that cannot be read at this
    // moment keeps the result due (failed).
    ListOutcome anzeige_in_liste(const BoutResult& result);
    // The five columns the control panel shows (Gew/Nr, Name (1), Name (2), Erg., Unterbew.)
    // of every bout row; nothing when the list does not load.
    bool panel_rows(std::vector<std::array<std::string, 5>>& rows, bool quiet = false);
    // The row of the bout on the board in this list: its remembered row if that still holds
    // its cells and is open, else the one open row that does; 0 when there is none.
    int locate_bout(const BoutList& list) const;
    // The row the call-up leaves out while the board's result is due, whatever the desk did
    // to it: found by its cells, else by both names, else the row it was last seen in.
    int board_row_in(const BoutList& list) const;

    bool list_result_due = false;
    // The bout taken last came from a list in team mode.
    bool team_bout = false;
    // The bout's row (updated when the desk moved it) and its own cells, as read at load:
    // weight class, both names and clubs.
    int bout_row = 0;
    BoutCells bout_cells{};
    // Counts the results written, so that a view of the list knows when to read it again.
    int writes = 0;
    // Told of each result written: the row and its cells (an open editor takes them over).
    std::function<void(int row, const BoutList::Row& cells)> result_written;

    // The list as this access read it last (taking a bout, the panel's rows).
    const BoutList& list_read() const { return list_; }
    // Whether the last reading of the list failed (its last good rows are kept by the views).
    bool list_unreadable() const { return unreadable_; }

  private:
    bool load(bool wait);
    // Without waiting and quietly: a list being saved is read at the next look.
    bool read_into_own_list();
    // wait: a command waits a moment for a list being saved; a look does not (it finds the
    // list not yet whole, says nothing and sets unsettled_, and the next look tries again).
    ListOutcome write_result(const std::array<std::string, 3>& cells_5_to_7, bool wait = true);
    bool unsettled_ = false;
    // Writes the last result again when another program's save dropped it.
    void keep_last_result();
    struct LastResult {
        BoutCells bout;
        int row = 0;
        std::array<std::string, 3> cells;
        int editor_saves = 0;
    };
    std::optional<LastResult> last_result_;
    // The fighters of a bout whose result could not be written (its row was changed): the
    // next bout taken is never that bout again.
    std::optional<std::pair<std::string, std::string>> just_fought_;
    BoutListFile& file_;
    BoutList list_;
    bool unreadable_ = false;
};

// The bout list in use: its file and the scoreboard's access to it. The engine's host owns it;
// the bout entry dialog and the list editor use it.
struct BoutListInUse {
    BoutListInUse(std::filesystem::path program_folder, Reporter report)
        : file(std::move(program_folder), std::move(report)), access(file) {}
    BoutListInUse(const BoutListInUse&) = delete;
    BoutListInUse& operator=(const BoutListInUse&) = delete;

    // The list file in use, and its name ("turnier.kfl").
    std::filesystem::path list_file() const { return file.current_file(); }
    const std::string& list_file_name() const { return file.file_name; }
    // The list a restored bout came from becomes the list in use.
    void use_list_file(const std::filesystem::path& list) {
        file.folder = list.parent_path();
        file.file_name = utf8_of(list.filename());
    }
    // The row of the bout on the board whose result is still due (0: none).
    int due_row() const { return access.list_result_due ? access.bout_row : 0; }
    // A look without waiting: another program is writing the list file at this moment.
    bool being_saved() {
        BoutList scratch;
        return !file.read_settled(scratch, nullptr, false, true) && file.last_read_passing();
    }

    BoutListFile file;
    BoutListAccess access;
};

}  // namespace kyomat
