#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "data/core/setting_reader.h"
#include "data/core/settings.h"
#include "temp_folder.h"

using namespace kyomat;
using kyomat::testing::TempFolder;

TEST(Settings, MissingFileSectionOrKeyReadsEmpty) {
    TempFolder dir;
    const Settings s(dir.path());
    EXPECT_EQ(s.read_setting("anzeige", "ak"), "");
    dir.write("kyomat.ini", "[anzeige]\r\nak=U18\r\n");
    EXPECT_EQ(s.read_setting("anzeige", "gewk"), "");
    EXPECT_EQ(s.read_setting("control", "ak"), "");
    EXPECT_EQ(s.read_setting("anzeige", "ak"), "U18");
}

TEST(Settings, NamesIgnoreCaseValuesAreTrimmedAndUnquoted) {
    TempFolder dir;
    dir.write("kyomat.ini",
              "[Anzeige]\r\n  AK  =  U 18  \r\nname_blau=\"Meier, Hans \"\r\n"
              "verein_blau='JC'\r\nname_weiss=\"half\r\n[Gr\xFCn]\r\nschl\xFCssel=1\r\n");
    const Settings s(dir.path());
    EXPECT_EQ(s.read_setting("anzeige", "ak"), "U 18");
    EXPECT_EQ(s.read_setting("ANZEIGE", "Name_Blau"), "Meier, Hans ");
    EXPECT_EQ(s.read_setting("anzeige", "verein_blau"), "JC");
    EXPECT_EQ(s.read_setting("anzeige", "name_weiss"), "\"half");
    EXPECT_EQ(s.read_setting("GRÜN", "SCHLÜSSEL"), "1");
}

TEST(Settings, EachValueIsReadAfresh) {
    TempFolder dir;
    const Settings s(dir.path());
    dir.write("kyomat.ini", "[anzeige]\nkampfzeit=240\n");
    EXPECT_EQ(get_kampfzeit(s, "", false), 240);
    dir.write("kyomat.ini", "[anzeige]\nkampfzeit=180\n");
    EXPECT_EQ(get_kampfzeit(s, "", false), 180);
}

// One command reads the file once: an edit during it counts from the next command on, and
// the first value of every command is read from the file as it is then.
TEST(Settings, OneCommandReadsTheFileOnce) {
    TempFolder dir;
    dir.write("kyomat.ini", "[anzeige]\r\nkampfzeit=100\r\n");
    const Settings s(dir.path());
    {
        const Settings::Batch command(s);
        dir.write("kyomat.ini", "[anzeige]\r\nkampfzeit=150\r\n");
        EXPECT_EQ(s.read_setting("anzeige", "kampfzeit"), "150");
        dir.write("kyomat.ini", "[anzeige]\r\nkampfzeit=200\r\ngewk=-81\r\n");
        {
            const Settings::Batch inner(s);
            EXPECT_EQ(s.read_setting("anzeige", "kampfzeit"), "150");
            EXPECT_EQ(s.read_setting("anzeige", "gewk"), "");
        }
        EXPECT_EQ(read_setting_value(s, Key::anzeige_kampfzeit).value, 150);
    }
    EXPECT_EQ(s.read_setting("anzeige", "kampfzeit"), "200");
    const Settings::Batch next(s);
    EXPECT_EQ(s.read_setting("anzeige", "gewk"), "-81");
}

// An editor or a script that saves kyomat.ini in place: emptied, then written in pieces. A
// reading in between is never taken for the settings; once the save is done it counts.
TEST(Settings, AFileSavedInPlaceIsNeverReadHalf) {
    TempFolder dir;
    const std::string whole =
        "[anzeige]\r\nkampfzeit=47\r\n[AK Männer]\r\nkampfzeit=240\r\n[control]\r\n"
        "Max_Shido=4\r\n";
    dir.write("kyomat.ini", "");
    Settings s(dir.path());
    s.settle_step_ms = 5;
    std::vector<std::string> notes;
    s.set_note([&](const std::string& text) { notes.push_back(text); });
    // At the start an empty file is what there is.
    EXPECT_EQ(get_kampfzeit(s, "Männer", false), 47);
    dir.write("kyomat.ini", whole);
    EXPECT_EQ(get_kampfzeit(s, "Männer", false), 240);
    // Caught empty, and caught after its first section: the last whole reading counts, said
    // once for each state of the file.
    dir.write("kyomat.ini", "");
    EXPECT_EQ(get_kampfzeit(s, "Männer", false), 240);
    EXPECT_EQ(get_kampfzeit(s, "Männer", false), 240);
    ASSERT_EQ(notes.size(), 1u) << notes.front();
    EXPECT_EQ(notes[0].rfind("kyomat.ini ist leer", 0), 0u) << notes[0];
    dir.write("kyomat.ini", whole.substr(0, whole.find("[AK")));
    EXPECT_EQ(get_kampfzeit(s, "Männer", false), 240);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[1].find("[AK MÄNNER]"), std::string::npos) << notes[1];
    // Gone for a moment (saved by renaming): the same.
    std::filesystem::remove(dir.path() / "kyomat.ini");
    EXPECT_EQ(read_setting_value(s, Key::control_max_shido).value, 4);
    // Saved whole, the new values count at once.
    dir.write("kyomat.ini", "[anzeige]\r\nkampfzeit=60\r\n");
    s.quiet_ms = 100;
    EXPECT_EQ(get_kampfzeit(s, "Männer", false), 240);
    // A section the operator took out counts once nobody wrote the file for a while.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(get_kampfzeit(s, "Männer", false), 60);
    dir.write("kyomat.ini", whole);
    EXPECT_EQ(get_kampfzeit(s, "Männer", false), 240);
    // Taken away on purpose: once it stays away for the quiet time, it is gone.
    std::filesystem::remove(dir.path() / "kyomat.ini");
    EXPECT_EQ(s.read_setting("AK Männer", "kampfzeit"), "240");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(s.read_setting("AK Männer", "kampfzeit"), "");
}

// A script writes kyomat.ini in place in two pieces while the mat takes bouts: every bout
// gets its class's time.
TEST(Settings, ASlowSaveDuringManyCommands) {
    TempFolder dir;
    const std::string whole = "[anzeige]\r\nkampfzeit=47\r\n[AK U18]\r\nkampfzeit=240\r\n";
    dir.write("kyomat.ini", whole);
    const Settings s(dir.path());
    ASSERT_EQ(get_kampfzeit(s, "U18", false), 240);
    std::atomic<bool> done{false};
    std::thread editor([&] {
        for (int round = 0; round < 10; ++round) {
            std::ofstream out(dir.path() / "kyomat.ini", std::ios::binary | std::ios::trunc);
            out << whole.substr(0, 20) << std::flush;
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            out << whole.substr(20) << std::flush;
            out.close();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        done = true;
    });
    int commands = 0;
    while (!done) {
        const Settings::Batch command(s);
        EXPECT_EQ(get_kampfzeit(s, "U18", false), 240) << "command " << commands;
        ++commands;
    }
    editor.join();
    EXPECT_GT(commands, 0);
}

TEST(Settings, DuplicatesCommentsAndStrayLines) {
    TempFolder dir;
    dir.write("kyomat.ini",
              "ak=before any section\r\n[anzeige]\r\n;ak=comment\r\nno equals sign\r\n"
              "ak=first\r\nak=second\r\n[anzeige]\r\nak=third\r\ngewk=only in the second\r\n");
    const Settings s(dir.path());
    EXPECT_EQ(s.read_setting("anzeige", "ak"), "first");
    EXPECT_EQ(s.read_setting("anzeige", "gewk"), "");
    EXPECT_EQ(s.read_setting("anzeige", ";ak"), "");
}

TEST(Settings, HostileFilesAreReadWithoutHarm) {
    TempFolder dir;
    const Settings s(dir.path());
    // Binary bytes, NULs included, and a code page 1252 umlaut in a value.
    using namespace std::string_literals;
    const std::string binary =
        "[anzeige]\r\nak=\xFC\0\x01x\r\n\0\xFF\xFE[\r\n=\r\ngewk=-73 kg\r\n"s;
    dir.write("kyomat.ini", binary);
    EXPECT_EQ(s.read_setting("anzeige", "ak"), "ü\0\x01x"s);
    EXPECT_EQ(s.read_setting("anzeige", "gewk"), "-73 kg");
    // A line of almost a megabyte: the value is cut to 2047 characters.
    dir.write("kyomat.ini", "[anzeige]\nak=" + std::string(1000 * 1000, 'x') + "\ngewk=1\n");
    EXPECT_EQ(s.read_setting("anzeige", "ak").size(), 2047u);
    EXPECT_EQ(s.read_setting("anzeige", "gewk"), "1");
    EXPECT_FALSE(s.file_problem());
    // A file beyond any real configuration is refused at once, with a reason.
    dir.write("kyomat.ini", "[anzeige]\nak=" + std::string(10 * 1024 * 1024, 'x') + "\ngewk=1\n");
    EXPECT_EQ(s.read_setting("anzeige", "gewk"), "");
    ASSERT_TRUE(s.file_problem());
    EXPECT_NE(s.file_problem()->find("zu groß"), std::string::npos) << *s.file_problem();
    // No sections at all.
    dir.write("kyomat.ini", "ak=1\ngewk=2\n");
    EXPECT_EQ(s.read_setting("anzeige", "ak"), "");
}

// What is not a regular file is refused without waiting on it, and said so.
TEST(Settings, OnlyRegularFilesAreRead) {
    TempFolder dir;
    const Settings s(dir.path());
    EXPECT_FALSE(s.file_problem());  // missing: every value reads empty, nothing to report
    std::filesystem::create_directory(dir.path() / "kyomat.ini");
    EXPECT_EQ(s.read_setting("anzeige", "ak"), "");
    ASSERT_TRUE(s.file_problem());
    EXPECT_NE(s.file_problem()->find("ein Ordner"), std::string::npos);
    std::filesystem::remove(dir.path() / "kyomat.ini");
#if !defined(_WIN32)
    ASSERT_EQ(::mkfifo((dir.path() / "kyomat.ini").c_str(), 0600), 0);
    EXPECT_EQ(s.read_setting("anzeige", "ak"), "");  // would block for ever if it were opened
    EXPECT_NE(s.file_problem()->find("eine Pipe"), std::string::npos);
    std::filesystem::remove(dir.path() / "kyomat.ini");
    std::filesystem::create_symlink("/dev/zero", dir.path() / "kyomat.ini");
    EXPECT_EQ(s.read_setting("anzeige", "ak"), "");  // would read without end
    EXPECT_NE(s.file_problem()->find("ein Gerät"), std::string::npos);
#endif
}

// An editor's UTF-8, with or without its byte order mark, reads like code page 1252.
TEST(Settings, Utf8FilesAndTheByteOrderMark) {
    TempFolder dir;
    const Settings s(dir.path());
    for (const std::string bom : {"\xEF\xBB\xBF", ""}) {
        dir.write("kyomat.ini", bom + "[anzeige]\r\nak=U18 m\xC3\xA4nnlich\r\nanz_links=0\r\n");
        EXPECT_EQ(s.read_setting("anzeige", "anz_links"), "0");
        EXPECT_EQ(s.read_setting("anzeige", "ak"), "U18 männlich");
    }
    dir.write("kyomat.ini", "\xEF\xBB\xBF[anzeige]\r\nanz_links=5\r\n");  // BOM, ASCII only
    EXPECT_EQ(s.read_setting("anzeige", "anz_links"), "5");
    dir.write("kyomat.ini", "[anzeige]\r\nak=U18 m\xE4nnlich\r\n");  // code page 1252
    EXPECT_EQ(s.read_setting("anzeige", "ak"), "U18 männlich");
}

TEST(Settings, ClampedDigitNumbers) {
    TempFolder dir;
    const Settings s(dir.path());
    for (const auto& [value, read] : {std::pair{"7", 2}, std::pair{"-3", 2}, std::pair{"abc", 0}}) {
        dir.write("kyomat.ini", std::string("[anz_layout]\nname_verein=") + value + "\n");
        const SettingReading r = read_setting_value(s, Key::anz_layout_name_verein);
        EXPECT_EQ(r.value, read) << value;  // the minus sign is dropped
        EXPECT_TRUE(r.report.empty()) << value;
    }
}

TEST(Settings, ColourForms) {
    Colour c{9, 9, 9};
    EXPECT_TRUE(parse_colour("$0113c4", c));
    EXPECT_EQ(c, (Colour{1, 19, 196}));
    EXPECT_TRUE(parse_colour("$FFEB00  ", c));
    EXPECT_EQ(c.hex(), "$FFEB00");
    for (const char* bad :
         {"0113C4", "$113C4", "$0113C4FF", "#0113C4", "$0113G4", "", " $0113C4"}) {
        Colour untouched{7, 7, 7};
        EXPECT_FALSE(parse_colour(bad, untouched)) << bad;
        EXPECT_EQ(untouched, (Colour{7, 7, 7})) << bad;
    }
}

TEST(Settings, FontCorrectionRange) {
    const SettingKey& name = setting_key(Key::korrektur_font_name);
    for (const auto& [text, percent] :
         {std::pair{"1", 100}, std::pair{"200", 100}, std::pair{"", 100}, std::pair{"2", 2},
          std::pair{"199", 199}, std::pair{"5%0", 50}}) {
        const SettingReading r = setting_value_of(name, text, true);
        EXPECT_EQ(r.value, percent) << text;
        EXPECT_TRUE(r.report.empty()) << text;
    }
}

TEST(Settings, BoutTimeWholeNumbers) {
    TempFolder dir;
    const Settings s(dir.path());
    EXPECT_EQ(get_kampfzeit(s, "U18", false), 47);
    EXPECT_EQ(get_kampfzeit(s, "U18", true), 47);
    dir.write("kyomat.ini", "[anzeige]\nkampfzeit=abc\nkampfzeit_gs=-30\n");
    EXPECT_EQ(get_kampfzeit(s, "", false), 47);
    EXPECT_EQ(get_kampfzeit(s, "", true), -30);
}

TEST(Settings, RelativePathsFromTheProgramFolder) {
    TempFolder dir;
    const Settings s(dir.path());
    EXPECT_EQ(s.resolve("gong.wav"), dir.path() / "gong.wav");
#if defined(_WIN32)
    const char* absolute = "C:/Sounds/x.wav";
#else
    const char* absolute = "/usr/share/x.wav";
#endif
    EXPECT_EQ(s.resolve(absolute), std::filesystem::path(absolute));
    EXPECT_EQ(s.resolve("Töne/Gong.wav"), dir.path() / std::filesystem::path(u8"Töne/Gong.wav"));
}

// Whatever editor saved the file: CR-only line ends, UTF-16 with its byte-order mark
// (Notepad's "Unicode"), and UTF-8 with one line an ANSI editor added in code page 1252. The
// class "Männer" keeps its own bout time in each.
TEST(Settings, AnyEditorsEncodingAndLineEnds) {
    const std::string utf8 = "[anzeige]\nkampfzeit=222\n[AK M\xC3\xA4nner]\nkampfzeit=111\n";
    std::string utf16 = "\xFF\xFE";
    for (const char c :
         std::string("[anzeige]\r\nkampfzeit=222\r\n[AK M\xE4nner]\r\nkampfzeit=111\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    for (const std::string& file :
         {std::string("[anzeige]\rkampfzeit=222\r[AK M\xE4nner]\rkampfzeit=111\r"), utf16,
          utf8 + "; Gru\xDF vom Editor\n"}) {
        TempFolder dir;
        dir.write("kyomat.ini", file);
        const Settings s(dir.path());
        EXPECT_EQ(get_kampfzeit(s, "", false), 222);
        EXPECT_EQ(get_kampfzeit(s, "Männer", false), 111);
    }
}
