// Walks the bout engine through every short sequence of the operator's keys and checks, in
// each state reached, that the next bout can be had: Ctrl+N loads one from the list and
// Ctrl+K opens the entry dialog, or the operator is told what to do first.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/engine_fixture.h"

namespace kyomat::testing {
namespace {

class NoDeadEnd;

struct Step {
    const char* name;
    std::function<void(NoDeadEnd&)> run;
};

const std::vector<Step>& steps();

class NoDeadEnd : public EngineTest {
  public:
    using EngineTest::engine;
    using EngineTest::host;
    using EngineTest::key;

  protected:
    void start_with_list() {
        std::string list = "#STR|KFL|1|2\r\n#PAR|0|||40\r\n";
        for (int i = 1; i <= 40; ++i)
            list += "#DAT|-60|L" + std::to_string(i) + "||M" + std::to_string(i) + "||||\r\n";
        dir.write("neu.kfl", list);
        start(
            "[anzeige]\r\nanz_links=0\r\ngewk=x\r\nkampfzeit=5\r\nkampfzeit_gs=60\r\n"
            "gong=\r\n");
    }
    void run(const std::vector<std::size_t>& path) {
        for (const std::size_t s : path) {
            steps()[s].run(*this);
            host->confirm_answers.clear();
            host->entry_answers.clear();
        }
    }
    std::string describe(const std::vector<std::size_t>& path) const {
        std::string text;
        for (const std::size_t s : path) text += std::string(steps()[s].name) + ", ";
        return text;
    }
    // Whatever was said to the operator since the marks.
    bool told(std::size_t notes, std::size_t events) const {
        if (host->notes.size() > notes) return true;
        for (std::size_t i = events; i < host->events.size(); ++i)
            if (host->events[i].rfind("message ", 0) == 0) return true;
        return false;
    }
};

void ctrl(NoDeadEnd& t, std::uint16_t k) {
    t.key(k, false, true);
}

void wait_ms(NoDeadEnd& t, int ms) {
    for (int i = 0; i < ms / 100; ++i) {
        t.host->tick += 100;
        t.engine->clock_tick();
    }
}

const std::vector<Step>& steps() {
    static const std::vector<Step> all = {
        {"Space", [](NoDeadEnd& t) { t.key(vk::space); }},
        {"wait 1.1 s", [](NoDeadEnd& t) { wait_ms(t, 1100); }},
        {"wait to the end", [](NoDeadEnd& t) { wait_ms(t, 6000); }},
        {"Ippon blue", [](NoDeadEnd& t) { t.key('1'); }},
        {"Waza-ari white", [](NoDeadEnd& t) { t.key('8'); }},
        {"hold-down blue", [](NoDeadEnd& t) { t.key(vk::f5); }},
        {"hold-down released", [](NoDeadEnd& t) { t.key(vk::f6); }},
        {"Ctrl+B", [](NoDeadEnd& t) { ctrl(t, 'B'); }},
        {"Ctrl+X", [](NoDeadEnd& t) { ctrl(t, 'X'); }},
        {"Ctrl+A", [](NoDeadEnd& t) { ctrl(t, 'A'); }},
        {"Ctrl+S", [](NoDeadEnd& t) { ctrl(t, 'S'); }},
        {"Ctrl+E, OK",
         [](NoDeadEnd& t) {
             t.host->confirm_answers = {true};
             ctrl(t, 'E');
         }},
        {"Ctrl+E, Abbrechen",
         [](NoDeadEnd& t) {
             t.host->confirm_answers = {false};
             ctrl(t, 'E');
         }},
        {"Ctrl+N", [](NoDeadEnd& t) { ctrl(t, 'N'); }},
        {"Ctrl+K, OK",
         [](NoDeadEnd& t) {
             t.host->entry_answers = {{true, "edtGEWK=-90|edtNAMEBlau=Hand|edtNAMEWeiss=Typed"}};
             ctrl(t, 'K');
         }},
        {"Ctrl+K, Abbrechen",
         [](NoDeadEnd& t) {
             t.host->entry_answers = {{false, ""}};
             ctrl(t, 'K');
         }},
    };
    return all;
}

TEST_F(NoDeadEnd, EveryStateLetsTheNextBoutBeLoadedOrSaysWhatToDoFirst) {
    const std::size_t n = steps().size();
    int refused_with_note = 0;
    int loaded = 0;
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = 0; b < n; ++b) {
            for (std::size_t c = 0; c < n; ++c) {
                const std::vector<std::size_t> path{a, b, c};
                for (const bool from_list : {true, false}) {
                    start_with_list();
                    run(path);
                    ASSERT_TRUE(host->failure.empty()) << describe(path) << host->failure;
                    const std::size_t notes = host->notes.size(), events = host->events.size();
                    if (from_list) {
                        ctrl(*this, 'N');
                        const BoutState& st = engine->state();
                        const bool fresh = st.loaded_from_list && st.bout_active &&
                                           st.clock_value == st.set_duration &&
                                           board().lblBlau_Name.text.rfind('L', 0) == 0;
                        ASSERT_TRUE(fresh || told(notes, events))
                            << "Ctrl+N after " << describe(path) << "did nothing, silently";
                        if (fresh) {
                            ++loaded;
                        } else {
                            ++refused_with_note;
                        }
                    } else {
                        host->entry_answers = {{true, "edtGEWK=-90|edtNAMEBlau=Next"}};
                        ctrl(*this, 'K');
                        const bool asked = host->entry_answers.empty();
                        ASSERT_TRUE(asked || told(notes, events))
                            << "Ctrl+K after " << describe(path) << "did nothing, silently";
                        if (asked) {
                            EXPECT_EQ(board().lblBlau_Name.text, "Next") << describe(path);
                        }
                    }
                    // Whatever came before, the bout loaded now can be run and decided.
                    ASSERT_TRUE(host->failure.empty()) << describe(path) << host->failure;
                }
            }
        }
    }
    // Both outcomes were reached: the walk passed through bouts in progress too.
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused_with_note, 0);
}

// A result handed on from a state the walk reaches often: Ctrl+E on a bout from the list
// that was decided, with the grid hidden, writes its row; the following Ctrl+N takes the next.
// A begun bout is one to offer back after a crash; the board that Ctrl+E leaves is none,
// whatever its clock value still says.
TEST_F(NoDeadEnd, OnlyABegunBoutIsOfferedBackAfterACrash) {
    start_with_list();
    EXPECT_FALSE(engine->bout_open_for_restore());
    ctrl(*this, 'N');
    key(vk::space);
    wait_ms(*this, 2100);
    key(vk::space);
    key('2');
    EXPECT_TRUE(engine->bout_open_for_restore());
    host->confirm_answers.push_back(true);
    ctrl(*this, 'E');
    EXPECT_FALSE(engine->bout_open_for_restore());
}

TEST_F(NoDeadEnd, ResultOfABoutFromTheListReachesItsRowAfterCtrlE) {
    start_with_list();
    ctrl(*this, 'N');
    key(vk::space);
    wait_ms(*this, 2100);
    key('1');
    ctrl(*this, 'E');
    ctrl(*this, 'N');
    EXPECT_EQ(board().lblBlau_Name.text, "L2");
    ASSERT_TRUE(host->list_file.load_from_file());
    EXPECT_EQ(host->list_file.list.rows[1][5], "1:0");
}

}  // namespace
}  // namespace kyomat::testing
