// The sample settings and bout lists that come with the program are read cleanly.
#include <gtest/gtest.h>

#include <tuple>

#include "data/core/bout_access.h"
#include "engine/fake_host.h"
#include "temp_folder.h"

using namespace kyomat;

namespace {
const std::filesystem::path k_assets = KYOMAT_ASSETS_DIR;

// The program as shipped: the sample settings and gong, and a sample list as neu.kfl.
struct ShippedProgram {
    explicit ShippedProgram(const char* list = nullptr) {
        for (const char* f : {"kyomat.ini", "gong.wav"}) {
            std::filesystem::copy_file(k_assets / f, dir.path() / f);
        }
        if (list != nullptr) std::filesystem::copy_file(k_assets / list, dir.path() / "neu.kfl");
        host.panel_answers.push_back("box");  // the control panel opens at start
        host.attach(engine);
        engine.on_create();
        engine.on_show();
    }
    void ctrl(std::uint16_t key) { engine.handle_key(key, Modifiers{false, true, false}); }

    kyomat::testing::TempFolder dir;
    kyomat::testing::FakeHost host{dir.path()};
    BoutEngine engine{host, kyomat::testing::settings_written_at_once(dir.path())};
};

}  // namespace

TEST(Samples, SettingsStartWithoutAnyReport) {
    ShippedProgram program;
    const BoutEngine& engine = program.engine;
    const kyomat::testing::FakeHost& host = program.host;
    // The comments are ignored, every value is valid: only the control panel opens.
    EXPECT_EQ(host.events, std::vector<std::string>{"panel"});
    EXPECT_TRUE(host.failure.empty());
    EXPECT_EQ(get_kampfzeit(engine.settings(), "", false), 240);
    // The senior rules since 2025: Yuko again, hold-downs of 5, 10 and 20 seconds, a release
    // awards what was held, two Waza-ari make Ippon, the third Shido is Hansoku-make.
    EXPECT_EQ(engine.rules().haltegr_ippon, 20);
    EXPECT_EQ(engine.rules().haltegr_waza, 10);
    EXPECT_EQ(engine.rules().haltegr_yuko, 5);
    EXPECT_TRUE(engine.rules().geloest_wertung);
    EXPECT_TRUE(engine.rules().waza2ippon);
    EXPECT_FALSE(engine.rules().ohne_yuko);
    EXPECT_EQ(engine.rules().max_shido, 3);
    EXPECT_TRUE(engine.rules().namen_anpassen);
    EXPECT_TRUE(panel_keys_relayed(engine.settings()));
    EXPECT_EQ(engine.rules().farben_2.hintergrund_name, (Colour{1, 19, 196}));
    EXPECT_EQ(engine.settings().read_setting("anzeige",
                                             "; 1 = das Steuerpult öffnet sich beim Start (und "
                                             "\"Steuerung schließen\" ist gesperrt)"),
              "");
    // Every key of the settings table is there.
    for (const auto& [section, key] :
         std::vector<std::pair<const char*, const char*>>{{"anzeige", "anz_links"},
                                                          {"anzeige", "titel_dauer"},
                                                          {"anzeige", "teams_simple"},
                                                          {"anzeige", "haltegr_yuko"},
                                                          {"anzeige", "geloest_wertung"},
                                                          {"anz_layout", "name_verein"},
                                                          {"control", "Max_Shido"},
                                                          {"sieger", "strafen"},
                                                          {"add_system", "shido_N"},
                                                          {"Farben_A", "font_gs"},
                                                          {"Farben_CTRL", "knopf_2"},
                                                          {"Korrektur_Font", "fuss"},
                                                          {"pause", "zeit3"}}) {
        EXPECT_FALSE(engine.settings().read_setting(section, key).empty() &&
                     std::string(key).rfind("logo", 0) != 0)
            << section << "/" << key;
    }
}

// The next-bout command needs a weight class: the sample has one, so Ctrl+N loads the first
// bout of the sample list at once, and the next one after Ctrl+E.
TEST(Samples, NextBoutWorksOnAFreshStartAndAfterSavingABout) {
    ShippedProgram program("beispiel.kfl");
    const BoutEngine& engine = program.engine;
    program.ctrl('N');
    EXPECT_TRUE(engine.state().loaded_from_list);
    EXPECT_EQ(engine.board().lblBlau_Name.text, "Becker, Jonas");
    program.ctrl('E');
    EXPECT_FALSE(engine.state().loaded_from_list);
    program.ctrl('N');
    EXPECT_TRUE(engine.state().loaded_from_list);
}

// The sample lists carry their age classes, and the sample settings give each its own time.
TEST(Samples, AgeClassListsGetTheirOwnBoutTimes) {
    for (const auto& [list, age_class, seconds] :
         {std::tuple{"beispiel.kfl", "Männer", 240}, std::tuple{"beispiel_u15.kfl", "U15", 180},
          std::tuple{"beispiel_u11.kfl", "U11", 120}}) {
        ShippedProgram program(list);
        program.ctrl('N');
        EXPECT_EQ(program.engine.state().age_class, age_class) << list;
        EXPECT_EQ(program.engine.state().set_duration, seconds) << list;
        EXPECT_TRUE(program.host.failure.empty()) << program.host.failure;
        // Every age class plays the current rules with the Yuko.
        EXPECT_FALSE(program.engine.rules().ohne_yuko) << list;
        EXPECT_EQ(program.engine.rules().haltegr_yuko, 5) << list;
        EXPECT_TRUE(program.engine.rules().geloest_wertung) << list;
        EXPECT_TRUE(program.engine.board().lbl_Y_b.visible) << list;
    }
}

// The presets of every age: bout time, Golden Score limit (0: none) or no Golden Score at all.
TEST(Samples, PresetsOfEveryAge) {
    ShippedProgram program;
    const Settings& settings = program.engine.settings();
    for (const auto& [age_class, bout, golden, without_golden] :
         {std::tuple{"Männer", 240, 0, false}, std::tuple{"Frauen", 240, 0, false},
          std::tuple{"U18", 240, 0, false}, std::tuple{"U15", 180, 180, false},
          std::tuple{"U13", 150, 0, true}, std::tuple{"U11", 120, 0, true},
          std::tuple{"Masters", 180, 0, false}, std::tuple{"Masters M4+", 120, 0, false}}) {
        EXPECT_EQ(get_kampfzeit(settings, age_class, false), bout) << age_class;
        RuleSettings r = program.engine.rules();
        read_age_class_rules(settings, age_class,
                             AgeClassRules{r.ohne_waza, r.ohne_yuko, r.waza2ippon, r.max_shido,
                                           r.strafen, r.haltegr_ippon, r.haltegr_waza,
                                           r.haltegr_yuko, r.geloest_wertung, r.ohne_golden_score},
                             [&](const std::string& text, MessageKind) { ADD_FAILURE() << text; });
        EXPECT_EQ(r.ohne_golden_score, without_golden) << age_class;
        EXPECT_FALSE(r.ohne_yuko) << age_class;
        if (!without_golden) {
            EXPECT_EQ(get_kampfzeit(settings, age_class, true), golden) << age_class;
        }
    }
}

TEST(Samples, BoutListsLoad) {
    kyomat::testing::TempFolder dir;
    std::filesystem::copy_file(k_assets / "beispiel_mannschaft.kfl", dir.path() / "neu.kfl");
    BoutListFile file(dir.path(), nullptr);
    BoutListAccess access(file);
    EntryFields fields;
    ASSERT_EQ(access.kampf_laden(fields), ListOutcome::done);
    EXPECT_EQ(fields.edtAKID, "0:0");
    EXPECT_EQ(fields.edtVERNWeiss, "TSV Hamburg");
    EXPECT_EQ(fields.edtNAMEBlau, "Becker, Jonas");
    file.file_name = "beispiel.kfl";
    file.folder = k_assets;
    ASSERT_TRUE(file.load_from_file());
    EXPECT_EQ(file.list.row_count(), 9);
    EXPECT_EQ(file.list.rows[3][3], "Öztürk, Can");
}
