// The table of settings against what reads and documents them: the README's and the manual's
// tables name every key of it, the sample file uses no key outside it, and every usual value
// lies in its range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <regex>
#include <set>
#include <string>

#include "data/core/basis.h"
#include "data/core/cp1252.h"
#include "data/core/file_io.h"
#include "data/core/setting_reader.h"
#include "data/core/settings_keys.h"
#include "temp_folder.h"

using namespace kyomat;

namespace {

std::string source_file(const char* name) {
    std::string error;
    const auto bytes =
        read_whole_file(std::filesystem::path(KYOMAT_ASSETS_DIR) / ".." / name, error);
    EXPECT_TRUE(bytes.has_value()) << error;
    return bytes.value_or("");
}

// The key names a document gives in backticks, with ranges such as "`shido_1` … `shido_4`"
// or "`logo1` … `logo3`" spelt out.
std::set<std::string> named_keys(const std::string& text) {
    std::set<std::string> names;
    const std::regex quoted("`([A-Za-z_][A-Za-z0-9_-]*)`");
    for (std::sregex_iterator it(text.begin(), text.end(), quoted), end; it != end; ++it)
        names.insert((*it)[1]);
    const std::regex range("`([A-Za-z_-]*?)([0-9]+)` … `\\1([0-9]+)`");
    for (std::sregex_iterator it(text.begin(), text.end(), range), end; it != end; ++it) {
        for (int n = std::stoi((*it)[2]); n <= std::stoi((*it)[3]); ++n)
            names.insert((*it)[1].str() + std::to_string(n));
    }
    return names;
}

}  // namespace

TEST(SettingsTable, TheReadmeAndTheManualNameEveryKey) {
    for (const char* document : {"README.md", "docs/Bedienung.md"}) {
        const std::set<std::string> named = named_keys(source_file(document));
        for (const SettingKey& k : setting_keys()) {
            EXPECT_TRUE(named.count(std::string(k.key)))
                << document << " does not name [" << k.section << "] " << k.key;
        }
    }
}

TEST(SettingsTable, TheSampleFileUsesOnlyKeysOfTheTable) {
    const std::string sample = cp1252_to_utf8(source_file("assets/kyomat.ini"));
    std::string section;
    int keys = 0;
    std::size_t pos = 0;
    while (pos < sample.size()) {
        std::size_t end = sample.find('\n', pos);
        if (end == std::string::npos) end = sample.size();
        std::string line = sample.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = trim_right(line);
        pos = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const std::string key = trim_right(line.substr(0, line.find('=')));
        bool found = false;
        const bool age_class = upper_case_de(section).rfind("AK ", 0) == 0;
        for (const SettingKey& k : setting_keys()) {
            found = found || ((age_class ? k.section == "AK *"
                                         : upper_case_de(k.section) == upper_case_de(section)) &&
                              upper_case_de(k.key) == upper_case_de(key));
        }
        EXPECT_TRUE(found) << "[" << section << "] " << key << " is not in the table";
        ++keys;
    }
    EXPECT_GT(keys, 40);
}

TEST(SettingsTable, UsualValuesLieInTheirRangesAndLookUpIgnoresCase) {
    for (const SettingKey& k : setting_keys()) {
        if (k.kind != SettingKind::number && k.kind != SettingKind::integer &&
            k.kind != SettingKind::percentage)
            continue;
        if (k.usual.empty()) continue;
        const auto n = to_integer(k.usual);
        ASSERT_TRUE(n.has_value()) << k.key;
        EXPECT_GE(*n, k.lowest) << k.key;
        EXPECT_LE(*n, k.highest) << k.key;
    }
    EXPECT_EQ(setting_key("CONTROL", "max_shido").highest, 99);
    EXPECT_EQ(setting_key("AK U18", "Max_Shido").section, "AK *");
    EXPECT_EQ(setting_key("add_system", "waza-ari").highest, 99999);
}

// A key is read by its constant, which is its own row of the table: the constant's name is
// the row's section and key, so a constant can never read another key's row.
TEST(SettingsTable, EveryKeyConstantNamesItsOwnRow) {
    const auto table = setting_keys();
    ASSERT_EQ(table.size(), static_cast<std::size_t>(Key::count));
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(&setting_key(static_cast<Key>(i)), &table[i]);
        EXPECT_EQ(
            &setting_key(table[i].section == "AK *" ? "AK U18" : table[i].section, table[i].key),
            &table[i]);
    }
    EXPECT_EQ(setting_key(Key::add_system_waza_ari).key, "waza-ari");
    EXPECT_EQ(setting_key(Key::ak_max_shido).section, "AK *");
    EXPECT_EQ(setting_key(Key::live_matte).key, "matte");
    // The table's list names each row's constant after its section and key.
    const std::string list = source_file("data/core/settings_table.def");
    const std::regex row(R"re(KYOMAT_KEY\((\w+), "([^"]*)", "([^"]*)")re");
    std::size_t rows = 0;
    for (std::sregex_iterator it(list.begin(), list.end(), row), end; it != end; ++it, ++rows) {
        std::string section = (*it)[2];
        if (section == "AK *") section = "ak";
        std::string name = section + "_" + (*it)[3].str();
        std::transform(name.begin(), name.end(), name.begin(), [](char c) {
            return c == '-' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        });
        EXPECT_EQ((*it)[1].str(), name);
    }
    EXPECT_EQ(rows, table.size());
}

// An age class's key reads from the class's section only, and gives nothing without one.
TEST(SettingsTable, AnAgeClassKeyReadsItsClassSection) {
    kyomat::testing::TempFolder dir;
    dir.write("kyomat.ini", "[anzeige]\r\nkampfzeit=240\r\n[AK U18]\r\nkampfzeit=180\r\n");
    const Settings s(dir.path());
    EXPECT_EQ(read_setting_value(s, Key::ak_kampfzeit, "AK U18").value, 180);
    EXPECT_EQ(read_setting_value(s, Key::ak_kampfzeit, "ak u18").value, 180);
    EXPECT_FALSE(read_setting_value(s, Key::ak_kampfzeit).value.has_value());
    EXPECT_FALSE(read_setting_value(s, Key::ak_kampfzeit, "anzeige").value.has_value());
    EXPECT_EQ(read_setting_value(s, Key::anzeige_kampfzeit, "AK U18").value, 240);
    EXPECT_EQ(get_kampfzeit(s, "U18", false), 180);
    EXPECT_EQ(get_kampfzeit(s, "U21", false), 240);
}
