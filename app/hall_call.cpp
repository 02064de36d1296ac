#include "app/hall_call.h"

#include "data/core/basis.h"
#include "data/core/file_io.h"
#include "data/core/setting_reader.h"
#include "data/core/settings.h"
#include "engine/engine.h"

namespace kyomat {

CallUpWatch::CallUpWatch(const BoutEngine& engine, BoutListInUse& list, ListWatch& watch,
                         std::function<void(const CallUp&)> changed,
                         std::function<bool()> list_shown)
    : engine_(engine),
      in_use_(list),
      changed_(std::move(changed)),
      list_shown_(std::move(list_shown)),
      watch_(watch),
      follower_(watch.add([this](const std::string& stamp) { look(stamp); })) {}

void CallUpWatch::board_changed() {
    const BoutState& s = engine_.state();
    list_in_use_ = list_in_use_ || s.loaded_from_list || (list_shown_ && list_shown_());
    if (!list_in_use_) return;
    const BoutListAccess& access = in_use_.access;
    // The bout on the board is left out of the call while its result is due in its row.
    const int row = access.list_result_due ? std::max(access.bout_row, 0) : 0;
    if (row == board_row_ && watch_.following(follower_)) return;
    board_row_ = row;
    watch_.follow(follower_, true);
    look(watch_.stamp());
}

void CallUpWatch::look(const std::string& stamp) {
    if (!list_in_use_) return;
    const std::string name = utf8_of(in_use_.file.current_file());
    if (name != file_ || stamp != stamp_ || call_up_.list == CallUpList::unreadable) {
        // Quietly, without waiting: a list the desk is saving is looked at again shortly.
        if (!in_use_.file.read_settled(list_, nullptr, false, true)) {
            CallUp call{CallUpList::unreadable, call_up_.next};
            return tell(std::move(call));
        }
        file_ = name;
        stamp_ = stamp;
    }
    const BoutListAccess& access = in_use_.access;
    const int board = access.list_result_due ? access.board_row_in(list_) : 0;
    tell(call_up_of(list_, board, k_called));
}

void CallUpWatch::tell(CallUp call) {
    if (call == call_up_) return;
    call_up_ = std::move(call);
    if (changed_) changed_(call_up_);
}

SpokenCall::SpokenCall(const Settings& settings, std::function<bool()> gong_sounding,
                       std::function<void(const std::string&)> note,
                       std::function<std::unique_ptr<Voice>()> make_voice)
    : settings_(settings),
      gong_sounding_(std::move(gong_sounding)),
      note_(std::move(note)),
      make_voice_(std::move(make_voice)) {
    constexpr int k_gong_check_ms = 50;
    after_gong_.setInterval(k_gong_check_ms);
    QObject::connect(&after_gong_, &QTimer::timeout, [this] { speak(); });
}

void SpokenCall::bout_taken(const CalledBout& now, const CalledBout* next) {
    // Read at every call, as every setting the operator may change during the day, and in
    // one reading of the file: the call comes inside the key that took the bout.
    const Settings::Batch one_reading(settings_);
    if (!setting_on(settings_, Key::aufruf_sprechen)) return;
    CallWords words;
    words.mat = trim_blanks(read_setting_text(settings_, Key::live_matte));
    if (const std::string a = trim_blanks(read_setting_text(settings_, Key::aufruf_ansage));
        !a.empty())
        words.announce = a;
    if (const std::string r = trim_blanks(read_setting_text(settings_, Key::aufruf_bereit));
        !r.empty())
        words.ready = r;
    words.first_name_first = setting_on(settings_, Key::aufruf_vorname_zuerst);
    pending_ = QString::fromStdString(spoken_call(words, now, next));
    if (pending_.isEmpty()) return;
    // The call follows the gong, never over it; the key that took the bout is done already.
    after_gong_.start();
    speak();
}

void SpokenCall::speak() {
    if (gong_sounding_ && gong_sounding_()) return;
    after_gong_.stop();
    if (!voice_) {
        voice_ = make_voice_();
        voice_->on_missing([this](const QString& why) {
            if (note_) note_(("Aufruf nicht gesprochen: " + why).toStdString());
        });
    }
    voice_->say(pending_);
}

}  // namespace kyomat
