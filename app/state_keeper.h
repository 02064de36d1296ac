#pragma once
// Keeps the bout on the board in a small file in the program's folder, so that a crash, a
// power cut or a program closed by mistake loses nothing: every change is handed to a writer
// thread that replaces the whole file (a few kilobytes, written to a temporary file, flushed
// and renamed), so a kill at any byte leaves the old or the new state whole and the GUI
// thread never waits for the disk. A whole file rather than a journal: it is small, needs no
// compaction, and the crash-safe save it uses is already proven for the bout lists.
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "data/core/bout_access.h"
#include "data/core/protocol.h"
#include "data/core/state_file.h"

namespace kyomat {

class BoutEngine;

class StateKeeper {
  public:
    // note tells the operator of a state that could not be used or kept, without a box.
    StateKeeper(std::filesystem::path folder, BoutEngine& engine, BoutListInUse& list,
                std::function<bool()> list_mode, std::function<void(const std::string&)> note);
    ~StateKeeper();
    StateKeeper(const StateKeeper&) = delete;
    StateKeeper& operator=(const StateKeeper&) = delete;

    // The state the last run left, when it holds a bout to offer back: the question to ask,
    // or empty (nothing to offer; a damaged or foreign file was reported and set aside).
    std::string offer();
    // The list in use when the last run ended, whether a bout is offered or not: its file, and
    // whether the panel showed it; nothing for none (or the program's own neu.kfl, unshown).
    struct LastList {
        std::filesystem::path file;
        bool list_mode = false;
    };
    std::optional<LastList> last_list() const;
    // The last run took bouts from its list or showed it: the hall's call-up follows it.
    bool list_was_in_use() const;
    // The offered bout as its protocol heading named it.
    ProtocolBout offered_protocol_bout() const;
    // The offered bout's fighters, "Blue – White".
    std::string offered_bout() const;
    // Takes the offered bout back onto the board; its list mode in list_mode.
    bool restore(bool& list_mode);
    // The offered bout is not wanted: the file goes.
    void discard();
    // After every change of the board: keeps it when it changed. Starts the writer.
    void board_changed();
    // As board_changed, and returns only when the file holds it: a result just handed on
    // must never be offered back by a crash in the next moment.
    void keep_now();
    // A normal end of the program: the state stays only for a bout in progress. Returns the
    // text to tell when that bout could not be kept, else nothing.
    std::string closing();

    // Whether the folder can hold the state; false with the reason (said once at start).
    bool writable(std::string& why) const;

  private:
    std::string compose() const;
    // A damaged file, or one whose values no board could show: renamed and told once.
    void set_aside_damaged();
    void tell_failure(const std::string& failure, bool written);
    std::filesystem::path list_named_by(const StateMap& map) const;
    void writer_loop();
    std::filesystem::path file() const { return folder_ / k_state_file_name; }

    std::filesystem::path folder_;
    BoutEngine& engine_;
    BoutListInUse& list_;
    std::function<bool()> list_mode_;
    std::function<void(const std::string&)> note_;
    StateMap offered_;
    StateMap previous_;  // the last run's state when it offered no bout
    std::string last_;
    bool told_failure_ = false;

    std::thread writer_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::string pending_;
    bool has_pending_ = false;
    bool written_since_ = false;  // a write succeeded since the GUI thread last looked
    bool writing_ = false;
    std::condition_variable written_;
    bool stop_ = false;
    std::string failure_;  // the writer's last failure, for the GUI thread to tell
};

}  // namespace kyomat
