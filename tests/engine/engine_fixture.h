#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "engine/fake_host.h"
#include "temp_folder.h"

namespace kyomat::testing {

// A started scoreboard engine in a fresh program folder with the given kyomat.ini.
class EngineTest : public ::testing::Test {
  protected:
    void start(const std::string& ini = "[anzeige]\r\nanz_links=0\r\n") {
        dir.write("kyomat.ini", ini);
        host = make_host();
        engine = std::make_unique<BoutEngine>(*host, settings_written_at_once(dir.path()));
        host->attach(*engine);
        engine->on_create();
        engine->on_show();
        host->events.clear();
    }
    void key(std::uint16_t k, bool shift = false, bool ctrl = false) {
        engine->handle_key(k, Modifiers{shift, ctrl, false});
    }
    // Loads a bout of the given time through the bout entry dialog; more settings may follow
    // (the rules are read again for every bout).
    void load_bout(int seconds, const std::string& blue = "Meier, Hans",
                   const std::string& more = {}) {
        dir.write("kyomat.ini", "[anzeige]\r\nanz_links=0\r\nkampfzeit=" + std::to_string(seconds) +
                                    "\r\nkampfzeit_gs=60\r\n" + more);
        host->entry_answers.push_back({true, "edtNAMEBlau=" + blue + "|edtNAMEWeiss=Li, Wei"});
        key('K', false, true);
        host->events.clear();
    }
    const Board& board() const { return engine->board(); }
    // The recording host; a fixture may put one of its own in its place.
    virtual std::unique_ptr<FakeHost> make_host() { return std::make_unique<FakeHost>(dir.path()); }

    TempFolder dir;
    std::unique_ptr<FakeHost> host;
    std::unique_ptr<BoutEngine> engine;
};

}  // namespace kyomat::testing
