#include "app/state_keeper.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "data/core/basis.h"
#include "data/core/file_io.h"
#include "engine/engine.h"

namespace kyomat {
namespace {

constexpr const char* k_cannot_keep =
    "Nach einem Absturz kann der Kampf nicht wiederhergestellt werden: ";
// A state older than this is offered with its date.
constexpr std::time_t k_same_day_seconds = std::time_t{12} * 3600;

// The text of a board element as the state keeps it: "visible|font|back|text".
std::string element_text(const StateMap& map, const char* name) {
    const auto it = map.find(std::string("e.") + name);
    if (it == map.end()) return {};
    std::size_t bar = 0;
    for (int i = 0; i < 3 && bar != std::string::npos; ++i) bar = it->second.find('|', bar + 1);
    return bar == std::string::npos ? std::string() : it->second.substr(bar + 1);
}

std::string local_text(std::time_t t, const char* format) {
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    char buffer[64];
    return std::strftime(buffer, sizeof buffer, format, &tm) > 0 ? buffer : "";
}

}  // namespace

StateKeeper::StateKeeper(std::filesystem::path folder, BoutEngine& engine, BoutListInUse& list,
                         std::function<bool()> list_mode,
                         std::function<void(const std::string&)> note)
    : folder_(std::move(folder)),
      engine_(engine),
      list_(list),
      list_mode_(std::move(list_mode)),
      note_(std::move(note)) {}

StateKeeper::~StateKeeper() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    if (writer_.joinable()) writer_.join();
}

bool StateKeeper::writable(std::string& why) const {
    std::string error;
    const std::filesystem::path probe = folder_ / ".kyomat-schreibprobe";
    if (!write_file_atomically(probe, "x", error)) {
        why = error;
        return false;
    }
    std::error_code ec;
    std::filesystem::remove(probe, ec);
    return true;
}

std::string StateKeeper::offer() {
    std::string error;
    if (!std::filesystem::exists(file())) return {};
    const auto text = read_whole_file(file(), error, std::uintmax_t{1} << 20);
    auto map = text ? parse_state(*text) : std::nullopt;
    std::error_code ec;
    if (!map) {
        set_aside_damaged();
        return {};
    }
    if (state_bool(*map, "offen") != true) {
        // No bout to offer: the list that was in use is opened again all the same.
        previous_ = std::move(*map);
        return {};
    }
    // A list that is not where it was (a stick under another path, a share not back yet) does
    // not cost the bout: it is offered, and its result waits on the board for the list.
    offered_ = std::move(*map);
    const std::time_t changed = state_int(offered_, "geaendert").value_or(0);
    const std::time_t now = std::time(nullptr);
    std::string when = local_text(changed, "%H:%M Uhr");
    if (now - changed > k_same_day_seconds)
        when = "vom " + local_text(changed, "%d.%m.%Y, %H:%M Uhr");
    return "Der letzte Kampf (" + element_text(offered_, "lblBlau_Name") + " – " +
           element_text(offered_, "lblWeiss_Name") + ", " + when +
           ") wurde nicht beendet. Fortsetzen?";
}

// The list a state names, found from the program's folder as it is now: a list that lay in the
// program's folder (or below it) when the state was written is looked for at the same place
// under the folder the program runs from now, even if an old copy is still at the old path.
std::filesystem::path StateKeeper::list_named_by(const StateMap& map) const {
    const auto text = [&map](const char* key) {
        const auto it = map.find(key);
        return it == map.end() ? std::string() : it->second;
    };
    const std::filesystem::path name = path_from_utf8(text("liste_datei"));
    const std::filesystem::path folder = path_from_utf8(text("liste_ordner"));
    const std::filesystem::path program = path_from_utf8(text("programm_ordner"));
    if (!program.empty() && program != folder_) {
        const std::filesystem::path inside = folder.lexically_relative(program);
        if (!inside.empty() && *inside.begin() != "..") return folder_ / inside / name;
    }
    std::error_code ec;
    if (!std::filesystem::exists(folder / name, ec) &&
        std::filesystem::is_regular_file(folder_ / name, ec)) {
        return folder_ / name;
    }
    return folder / name;
}

std::optional<StateKeeper::LastList> StateKeeper::last_list() const {
    const StateMap& map = offered_.empty() ? previous_ : offered_;
    const auto name = map.find("liste_datei");
    if (name == map.end() || name->second.empty()) return std::nullopt;
    LastList last{list_named_by(map), state_bool(map, "listenmodus").value_or(false)};
    // The program's own neu.kfl is opened anyway.
    std::error_code ec;
    const auto own = std::filesystem::weakly_canonical(folder_ / "neu.kfl", ec);
    if (!last.list_mode && std::filesystem::weakly_canonical(last.file, ec) == own)
        return std::nullopt;
    return last;
}

bool StateKeeper::list_was_in_use() const {
    const StateMap& map = offered_.empty() ? previous_ : offered_;
    return state_bool(map, "aus_liste").value_or(false) ||
           state_bool(map, "listenmodus").value_or(false);
}

ProtocolBout StateKeeper::offered_protocol_bout() const {
    const auto text = [this](const char* key) {
        const auto it = offered_.find(key);
        return it == offered_.end() ? std::string() : it->second;
    };
    ProtocolBout bout;
    bout.list_position = state_int(offered_, "listenposition").value_or(0);
    bout.age_class = text("altersklasse");
    bout.weight_class = text("gewichtsklasse");
    bout.blue = element_text(offered_, "lblBlau_Name");
    bout.white = element_text(offered_, "lblWeiss_Name");
    bout.blue_club = element_text(offered_, "lblBLau_Verein");
    bout.white_club = element_text(offered_, "lblWeiss_Verein");
    if (state_bool(offered_, "aus_liste") == true) bout.list_file = text("liste_datei");
    return bout;
}

std::string StateKeeper::offered_bout() const {
    return element_text(offered_, "lblBlau_Name") + " – " + element_text(offered_, "lblWeiss_Name");
}

bool StateKeeper::restore(bool& list_mode) {
    const auto text = [this](const char* key) {
        const auto it = offered_.find(key);
        return it == offered_.end() ? std::string() : it->second;
    };
    BoutListAccess& access = list_.access;
    if (!text("liste_datei").empty()) list_.use_list_file(list_named_by(offered_));
    access.list_result_due = state_bool(offered_, "liste_faellig").value_or(false);
    access.team_bout = state_bool(offered_, "liste_mannschaft").value_or(false);
    access.bout_row = state_int(offered_, "liste_zeile").value_or(0);
    for (std::size_t i = 0; i < access.bout_cells.size(); ++i) {
        access.bout_cells[i] = text(("liste_zelle" + std::to_string(i)).c_str());
    }
    std::string why;
    if (!engine_.restore(offered_, why)) {
        access.list_result_due = false;
        offered_.clear();
        set_aside_damaged();
        return false;
    }
    list_mode = state_bool(offered_, "listenmodus").value_or(false);
    offered_.clear();
    return true;
}

// Set aside, so that it is told once and can be looked at later if need be.
void StateKeeper::set_aside_damaged() {
    std::error_code ec;
    std::filesystem::rename(file(), folder_ / "kampfstand-beschaedigt.txt", ec);
    if (note_) {
        note_("Der gespeicherte Kampfstand (" + std::string(k_state_file_name) +
              ") ist beschädigt oder von einer anderen Programmversion und wird nicht "
              "verwendet.");
    }
}

void StateKeeper::discard() {
    offered_.clear();
    std::error_code ec;
    std::filesystem::remove(file(), ec);
}

std::string StateKeeper::compose() const {
    StateValues v;
    const BoutListAccess& access = list_.access;
    const std::filesystem::path list = list_.list_file();
    v.emplace_back("programm_ordner", utf8_of(folder_));
    v.emplace_back("liste_ordner", utf8_of(list.parent_path()));
    v.emplace_back("liste_datei", utf8_of(list.filename()));
    v.emplace_back("liste_faellig", access.list_result_due ? "1" : "0");
    v.emplace_back("liste_mannschaft", access.team_bout ? "1" : "0");
    v.emplace_back("liste_zeile", std::to_string(access.bout_row));
    for (std::size_t i = 0; i < access.bout_cells.size(); ++i) {
        v.emplace_back("liste_zelle" + std::to_string(i), access.bout_cells[i]);
    }
    v.emplace_back("listenmodus", list_mode_ && list_mode_() ? "1" : "0");
    for (auto& value : engine_.snapshot()) v.push_back(std::move(value));
    return format_state(v);
}

void StateKeeper::board_changed() {
    std::string body = compose();
    if (body == last_) return;
    last_ = body;
    // The time of the change goes first; it alone is no change.
    std::string text = body.substr(0, body.find('\n') + 1) +
                       "geaendert=" + std::to_string(std::time(nullptr)) + "\n" +
                       body.substr(body.find('\n') + 1);
    std::string failure;
    bool written = false;
    {
        const std::lock_guard lock(mutex_);
        pending_ = std::move(text);
        has_pending_ = true;
        failure.swap(failure_);
        std::swap(written, written_since_);
    }
    wake_.notify_one();
    if (!writer_.joinable()) writer_ = std::thread([this] { writer_loop(); });
    tell_failure(failure, written);
}

// A failed write is told once, in a note and in the log, until a write succeeds again.
void StateKeeper::tell_failure(const std::string& failure, bool written) {
    if (written && failure.empty()) told_failure_ = false;
    if (failure.empty() || told_failure_) return;
    told_failure_ = true;
    std::fprintf(stderr, "kyomat: %s%s\n", k_cannot_keep, failure.c_str());
    if (note_) note_(k_cannot_keep + failure);
}

void StateKeeper::keep_now() {
    board_changed();
    std::unique_lock lock(mutex_);
    written_.wait(lock, [this] { return (!has_pending_ && !writing_) || stop_; });
}

void StateKeeper::writer_loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return has_pending_ || stop_; });
        if (!has_pending_) return;
        const std::string text = std::move(pending_);
        has_pending_ = false;
        writing_ = true;
        lock.unlock();
        std::string error;
        const bool ok = write_file_atomically(file(), text, error);
        lock.lock();
        writing_ = false;
        if (ok) {
            failure_.clear();
            written_since_ = true;
        } else {
            failure_ = error;
        }
        written_.notify_all();
    }
}

std::string StateKeeper::closing() {
    const bool keep = engine_.bout_open_for_restore();
    // Written also without a bout in progress ("offen=0"): the next start opens the list.
    board_changed();
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    if (writer_.joinable()) writer_.join();
    if (!keep) return {};
    // The bout in progress is kept only if this last write reached the file.
    if (failure_.empty()) return {};
    std::fprintf(stderr, "kyomat: %s%s\n", k_cannot_keep, failure_.c_str());
    return "Der Stand des laufenden Kampfes konnte beim Beenden nicht gespeichert werden (" +
           failure_ + "): nach einem Neustart kann er nicht fortgesetzt werden.";
}

}  // namespace kyomat
