#pragma once
// The hall's call-up from this mat: who is next, kept up to date for the live view as the
// list changes on the disk (the desk's saves) and as bouts are taken, and the spoken call
// at the mat when a bout is taken.
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "data/core/bout_access.h"
#include "data/core/call_up.h"
#include "gui/list_watch.h"
#include "platform/voice.h"

namespace kyomat {

class BoutEngine;
class Settings;

class CallUpWatch : public QObject {
  public:
    // changed is told every new call-up.
    // list_shown says whether the panel shows the list (or will, after a restart).
    // watch is the shared list's one watch, which the panel's grid follows too.
    CallUpWatch(const BoutEngine& engine, BoutListInUse& list, ListWatch& watch,
                std::function<void(const CallUp&)> changed, std::function<bool()> list_shown = {});
    // After every paint of the board: the bout on it may be another one now.
    void board_changed();
    const CallUp& call_up() const { return call_up_; }
    // How many bouts are called (the hall shows two; a third for the screen's spare line).
    static constexpr std::size_t k_called = 3;

  private:
    // Reads the list again when the file changed since it was read last.
    void look(const std::string& stamp);
    void tell(CallUp call);

    const BoutEngine& engine_;
    BoutListInUse& in_use_;
    std::function<void(const CallUp&)> changed_;
    std::function<bool()> list_shown_;
    ListWatch& watch_;
    int follower_ = -1;
    BoutList list_;
    std::string stamp_;
    std::string file_;
    // A list is in use on this mat from the first bout taken from it, or once the panel
    // shows it (also the list a restart opened again).
    bool list_in_use_ = false;
    int board_row_ = -1;
    CallUp call_up_;
};

class SpokenCall {
  public:
    // gong_sounding says whether the gong is to be heard now (the call waits for it), note
    // tells the operator what needs no answer.
    SpokenCall(const Settings& settings, std::function<bool()> gong_sounding,
               std::function<void(const std::string&)> note,
               std::function<std::unique_ptr<Voice>()> make_voice = system_voice);
    // A bout was taken from the list: now is on the mat, next (may be null) follows it.
    void bout_taken(const CalledBout& now, const CalledBout* next);
    // Another voice from the next call on (the tests' recorder).
    void use_voice(std::function<std::unique_ptr<Voice>()> make_voice) {
        make_voice_ = std::move(make_voice);
        voice_.reset();
    }

  private:
    void speak();

    const Settings& settings_;
    std::function<bool()> gong_sounding_;
    std::function<void(const std::string&)> note_;
    std::function<std::unique_ptr<Voice>()> make_voice_;
    std::unique_ptr<Voice> voice_;
    QTimer after_gong_;
    QString pending_;
};

}  // namespace kyomat
