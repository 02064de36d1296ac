// Every number of kyomat.ini against hostile values, each followed by a whole bout in both
// rule modes: nothing overflows (the sanitizer run of the suite checks that), the board keeps
// its invariants, and a value out of range is reported as a bad number.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/core/setting_reader.h"
#include "engine/fake_host.h"
#include "engine/invariants.h"
#include "temp_folder.h"

using namespace kyomat;

namespace {

// Every key of the table that holds a number or a switch; an age class's keys in the section
// of the class the bouts are given.
struct NumericKey {
    const SettingKey* entry;
    std::string section;
};

std::vector<NumericKey> numeric_keys() {
    std::vector<NumericKey> keys;
    for (const SettingKey& k : setting_keys()) {
        if (k.kind == SettingKind::number || k.kind == SettingKind::integer ||
            k.kind == SettingKind::flag || k.kind == SettingKind::percentage) {
            keys.push_back({&k, k.section == "AK *" ? "AK U18" : std::string(k.section)});
        }
    }
    return keys;
}

// What a key's policy promises for a text: the value it gives, and whether it is reported.
// Digit numbers take the digits of the text ("-1" gives 1, a word 0) unless numbers are
// checked (zahlen_pruefen=1), when anything but plain digits is no number.
struct Promise {
    std::optional<std::int64_t> value;
    bool reported = false;
};

Promise promised(const SettingKey& k, const std::string& text, bool strict) {
    constexpr std::int64_t k_lowest32 = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t k_highest32 = std::numeric_limits<std::int32_t>::max();
    if (k.policy == SettingPolicy::text_one) return {text == "1" ? 1 : 0, false};
    const bool age_class = k.section == "AK *";
    std::int64_t usual = 0;
    for (const SettingKey& g : setting_keys()) {
        if (g.key == k.key && (age_class ? g.section != "AK *" : &g == &k) && !g.usual.empty())
            usual = std::stoll(std::string(g.usual));
    }
    const bool reports =
        k.policy == SettingPolicy::report || k.policy == SettingPolicy::zero_is_usual || age_class;
    const bool checked =
        strict && reports && k.kind != SettingKind::integer && k.kind != SettingKind::percentage;
    std::optional<std::int64_t> n;
    const bool word = text.find_first_of("0123456789") == std::string::npos;
    if (!word) n = std::stoll(text);
    if (k.kind == SettingKind::integer) {
        if (n && (*n < k_lowest32 || *n > k_highest32)) n.reset();
    } else if (word) {
        if (!checked) n = 0;
    } else if (*n < 0 && checked) {
        n.reset();
    } else {
        n = std::abs(*n);
        if (*n > k_highest32) n = reports ? std::nullopt : std::optional<std::int64_t>(0);
    }
    const std::int64_t highest = k.kind == SettingKind::flag && !checked ? k_highest32 : k.highest;
    if (k.policy == SettingPolicy::clamp) return {std::clamp(n.value_or(0), k.lowest, highest)};
    if (n && *n >= k.lowest && *n <= highest) {
        return {k.policy == SettingPolicy::zero_is_usual && *n == 0 ? usual : *n};
    }
    if (age_class || k.policy == SettingPolicy::required) return {std::nullopt, true};
    if (k.policy == SettingPolicy::silent) return {usual};
    return {usual, n.has_value() || k.kind != SettingKind::integer};
}

const char* const k_hostile_values[] = {
    "-1",         "0",           "-2147483648", "2147483647", "2147483648",
    "4294967296", "-4294967296", "99999",       "100000",     "123456789012345678901234567890"};

// The key under test comes first in the first section of its name, so it is the one that
// counts (later duplicates of a section or key are ignored); the rest is a plain bout.
std::string ini_with(const std::string& section, const std::string& key, const std::string& value,
                     bool points_mode) {
    return "[" + section + "]\r\n" + key + "=" + value +
           "\r\nanz_links=0\r\nak=U18\r\ngewk=-60\r\nkampfzeit=30\r\nkampfzeit_gs=0\r\n"
           "add_aktiv=" +
           (points_mode ? "1" : "0") +
           "\r\nippon=10\r\nwaza-ari=7\r\nyuko=5\r\nmax_punkte=500\r\n"
           "[anzeige]\r\nanz_links=0\r\nak=U18\r\ngewk=-60\r\nkampfzeit=30\r\nkampfzeit_gs=0\r\n"
           "[add_system]\r\nadd_aktiv=" +
           (points_mode ? "1" : "0") + "\r\nippon=10\r\nwaza-ari=7\r\nyuko=5\r\nmax_punkte=500\r\n";
}

class HostileSettings : public ::testing::Test {
  protected:
    void start(const std::string& ini) {
        dir = std::make_unique<kyomat::testing::TempFolder>();
        dir->write("kyomat.ini", ini);
        host = std::make_unique<kyomat::testing::FakeHost>(dir->path());
        engine = std::make_unique<BoutEngine>(
            *host, kyomat::testing::settings_written_at_once(dir->path()));
        host->attach(*engine);
        engine->on_create();
        engine->on_show();
    }
    void key(std::uint16_t k, bool shift = false, bool ctrl = false) {
        engine->handle_key(k, Modifiers{shift, ctrl, false});
        check();
    }
    void wait(int ms) {
        for (int t = 0; t < ms; t += 100) {
            host->tick += 100;
            engine->clock_tick();
            engine->focus_tick();
            check();
        }
    }
    void check() {
        const std::string broken = kyomat::testing::check_invariants(*engine);
        ASSERT_TRUE(broken.empty()) << broken;
    }
    // A whole bout: loaded, scored both ways, corrected, held down, past its time, into Golden
    // Score, decided, handed on.
    void whole_bout() {
        host->entry_answers.push_back({true, "edtNAMEBlau=Meier, Hans|edtNAMEWeiss=Li, Wei"});
        host->teams_answers.push_back({true, "edtVERNBlau=A|edtVERNWeiss=B"});  // team mode
        key('K', false, true);
        key(vk::space);
        for (std::uint16_t k : {'1', '2', '3', '4', '7', '8', '9', '0'}) key(k, true);
        key('A', false, true);
        for (std::uint16_t k : {'2', '3', '4', '8', '9', '0', '2', '3'}) key(k);
        key('A', false, true);
        for (int i = 0; i < 3; ++i) key('Z', false, true);
        key('V', false, true);
        if (!engine->clock_timer_on()) key(vk::space);
        key(vk::f5);
        wait(3000);
        key('P', false, true);
        key('M', false, true);
        key(vk::f7);
        wait(40000);
        key('S', false, true);
        key('A', false, true);
        key(vk::space);
        wait(2000);
        key('4');
        key('3');
        key(vk::f12, false, true);
        key('B', false, true);
        key('N', false, true);
        key('E', false, true);
    }

    std::unique_ptr<kyomat::testing::TempFolder> dir;
    std::unique_ptr<kyomat::testing::FakeHost> host;
    std::unique_ptr<BoutEngine> engine;
};

TEST_F(HostileSettings, EveryNumericKeySurvivesHostileValuesAndAWholeBout) {
    for (const NumericKey& k : numeric_keys()) {
        const std::string key(k.entry->key);
        for (const char* value : k_hostile_values) {
            for (const bool points_mode : {false, true}) {
                SCOPED_TRACE(k.section + "/" + key + "=" + value +
                             (points_mode ? " points" : " scores"));
                start(ini_with(k.section, key, value, points_mode));
                whole_bout();
                if (HasFatalFailure()) return;
                EXPECT_TRUE(host->failure.empty()) << host->failure;
            }
        }
    }
}

TEST(SettingsPolicies, EveryNumberAndSwitchReactsAsItsPolicySays) {
    kyomat::testing::TempFolder dir;
    const Settings settings = kyomat::testing::settings_written_at_once(dir.path());
    for (const bool strict : {false, true}) {
        for (const NumericKey& k : numeric_keys()) {
            const SettingKey& e = *k.entry;
            const std::string key(e.key);
            for (const std::string& text :
                 {std::to_string(e.lowest), std::to_string(e.highest), std::to_string(e.lowest - 1),
                  std::to_string(e.highest + 1), std::string("Wort")}) {
                SCOPED_TRACE(k.section + "/" + key + "=" + text + (strict ? " checked" : ""));
                const std::string check = strict ? "zahlen_pruefen=1\r\n" : "";
                dir.write("kyomat.ini", "[" + k.section + "]\r\n" + key + "=" + text + "\r\n" +
                                            (k.section == "anzeige" ? check : "") +
                                            "[anzeige]\r\n" + check);
                const Promise promise = promised(e, text, strict);
                const SettingReading r = read_setting_value(settings, e, k.section);
                EXPECT_EQ(r.value ? std::optional<std::int64_t>(*r.value) : std::nullopt,
                          promise.value);
                EXPECT_EQ(!r.report.empty(), promise.reported) << r.report;
            }
        }
    }
}

TEST_F(HostileSettings, OutOfRangeNumbersAreReportedAndReplaced) {
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    for (const Case& c :
         {Case{"control", "Max_Shido", "2147483647"}, Case{"control", "Max_Shido", "100"},
          Case{"anzeige", "haltegr_ippon", "1000"}, Case{"add_system", "ippon", "300000000"},
          Case{"add_system", "max_punkte", "10000000"}}) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        start(ini_with(c.section, c.key, c.value, true));
        const std::string message =
            std::string("message F '") + c.value + "' ist kein gültiger Integerwert";
        EXPECT_NE(std::find(host->events.begin(), host->events.end(), message), host->events.end());
    }
    // The replacement values: the usual limit of four Shido, the usual hold-down.
    start(
        "[anzeige]\r\nanz_links=0\r\nhaltegr_ippon=1000\r\n[control]\r\nMax_Shido=2147483647\r\n");
    EXPECT_EQ(engine->rules().max_shido, 4);
    EXPECT_EQ(engine->rules().haltegr_ippon, 25);
    key('A', false, true);
    for (int i = 0; i < 4; ++i) key('4');
    EXPECT_EQ(engine->board().lbl_S_b.text, "H");
}

TEST_F(HostileSettings, BoutTimesBeyondADayAreReportedAndTheClockNeverOverflows) {
    for (const char* value : {"-2147483648", "2147483647", "86401"}) {
        SCOPED_TRACE(value);
        start(std::string("[anzeige]\r\nanz_links=0\r\ngewk=x\r\nkampfzeit=") + value + "\r\n");
        host->events.clear();
        host->entry_answers.push_back({true, "edtNAMEBlau=A|edtNAMEWeiss=B"});
        key('K', false, true);
        const std::string message =
            std::string("message F '") + value + "' ist kein gültiger Integerwert";
        EXPECT_NE(std::find(host->events.begin(), host->events.end(), message), host->events.end());
        EXPECT_EQ(engine->state().set_duration, 47);
        for (int i = 0; i < 5; ++i) key('Z', false, true);
        EXPECT_EQ(engine->board().lblZeit.text, "0:52");
        key('1');
        key('N', false, true);  // hands the won bout on: its duration is computed
    }
    // A whole day is still a bout time; corrections stop at the clock's end.
    start("[anzeige]\r\nanz_links=0\r\ngewk=x\r\nkampfzeit=86400\r\n");
    host->entry_answers.push_back({true, "edtNAMEBlau=A|edtNAMEWeiss=B"});
    key('K', false, true);
    EXPECT_EQ(engine->board().lblZeit.text, "1440:00");
    engine->internals_for_tests().state.clock_value = k_max_clock_seconds;
    key('Z', false, true);
    EXPECT_EQ(engine->state().clock_value, k_max_clock_seconds);
}

TEST_F(HostileSettings, PointsTotalsStayInRangeAndTheLeaderWins) {
    start(
        "[anzeige]\r\nanz_links=0\r\ngewk=x\r\nkampfzeit=5\r\n[add_system]\r\nadd_aktiv=1\r\n"
        "ippon=99999\r\nyuko=1\r\nmax_punkte=9999999\r\n");
    host->entry_answers.push_back({true, "edtNAMEBlau=A|edtNAMEWeiss=B"});
    key('K', false, true);
    for (int i = 0; i < 30; ++i) key('1');
    key('9');
    EXPECT_EQ(engine->state().points_b, 30 * 99999);
    key(vk::space);
    wait(6000);
    EXPECT_TRUE(engine->board().lbl_Sieger_Blau.visible);
    EXPECT_FALSE(engine->board().lbl_Sieger_Weiss.visible);
}

}  // namespace

// A file the reader finds no known section in (saved under other names, or in an encoding
// nobody can read) is said once a start, with its name; a file with one known section is not.
TEST_F(HostileSettings, AFileWithoutAKnownSectionIsSaidOnceAStart) {
    const auto told = [this] {
        return std::count_if(host->events.begin(), host->events.end(), [](const std::string& e) {
            return e.find("hat keinen bekannten Abschnitt") != std::string::npos;
        });
    };
    start("[Anzeigetafel]\r\nanz_links=0\r\ngewk=-60\r\n[Farben]\r\nx=1\r\n");
    EXPECT_EQ(told(), 1);
    const std::string& said = *std::find_if(
        host->events.begin(), host->events.end(),
        [](const std::string& e) { return e.find("Abschnitt (etwa") != std::string::npos; });
    EXPECT_NE(said.find("kyomat.ini"), std::string::npos) << said;
    dir->write("kyomat.ini", "[Anzeigetafel]\r\ngewk=-60\r\n");
    key('E', false, true);
    EXPECT_EQ(told(), 1);
    for (const char* fine : {"[anzeige]\r\nanz_links=0\r\n", "[ak Männer]\r\nkampfzeit=60\r\n",
                             "; nur ein Kommentar\r\n\r\n"}) {
        start(fine);
        EXPECT_EQ(told(), 0) << fine;
    }
}
