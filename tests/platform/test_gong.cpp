#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "app/app_host.h"
#include "data/core/settings.h"
#include "platform/gong.h"
#include "temp_folder.h"

using kyomat::GongPlayer;
using kyomat::testing::TempFolder;

namespace {

// Until the gong has sounded out (2 s at most).
void wait_until_quiet(const GongPlayer& gong) {
    for (int i = 0; i < 100 && gong.playing(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// A short 16-bit mono WAV file with a 440 Hz tone.
void write_tone(const std::filesystem::path& file, int ms) {
    const int rate = 22050;
    const int n = rate * ms / 1000;
    std::vector<std::int16_t> samples(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        samples[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(12000 * std::sin(2 * 3.14159265 * 440 * i / rate));
    }
    auto u32 = [](std::ofstream& o, std::uint32_t v) { o.write(reinterpret_cast<char*>(&v), 4); };
    auto u16 = [](std::ofstream& o, std::uint16_t v) { o.write(reinterpret_cast<char*>(&v), 2); };
    std::ofstream o(file, std::ios::binary);
    o.write("RIFF", 4);
    u32(o, 36 + 2 * static_cast<std::uint32_t>(n));
    o.write("WAVEfmt ", 8);
    u32(o, 16);
    u16(o, 1);
    u16(o, 1);
    u32(o, rate);
    u32(o, rate * 2);
    u16(o, 2);
    u16(o, 16);
    o.write("data", 4);
    u32(o, 2 * static_cast<std::uint32_t>(n));
    o.write(reinterpret_cast<const char*>(samples.data()), 2 * n);
}

// FLAC silence in frames of 4096 samples (mono, 16 bit, 44.1 kHz); its stream info says
// how many samples it has, or 0: unknown, as a live encoder writes it.
std::string flac_silence(int frames, bool length_known) {
    const auto crc8 = [](const std::string& b) {
        unsigned crc = 0;
        for (unsigned char c : b) {
            crc ^= c;
            for (int i = 0; i < 8; ++i)
                crc = (crc & 0x80) ? ((crc << 1) ^ 0x07) & 0xFF : (crc << 1) & 0xFF;
        }
        return static_cast<char>(crc);
    };
    const auto crc16 = [](const std::string& b) {
        unsigned crc = 0;
        for (unsigned char c : b) {
            crc ^= static_cast<unsigned>(c) << 8;
            for (int i = 0; i < 8; ++i)
                crc = (crc & 0x8000) ? ((crc << 1) ^ 0x8005) & 0xFFFF : (crc << 1) & 0xFFFF;
        }
        return crc;
    };
    const std::uint64_t total = length_known ? std::uint64_t{4096} * frames : 0;
    std::string f = "fLaC";
    f += std::string("\x80\x00\x00\x22", 4);  // the last block: stream info
    f += std::string("\x10\x00\x10\x00\x00\x00\x00\x00\x00\x00", 10);  // blocks, frames
    const std::uint64_t packed =
        (std::uint64_t{44100} << 44) | (std::uint64_t{0} << 41) | (std::uint64_t{15} << 36) | total;
    for (int i = 7; i >= 0; --i) f += static_cast<char>((packed >> (8 * i)) & 0xFF);
    f += std::string(16, '\0');  // no MD5
    for (int n = 0; n < frames; ++n) {
        std::string frame("\xFF\xF8\xC9\x08", 4);
        if (n < 128) {
            frame += static_cast<char>(n);
        } else {
            frame += static_cast<char>(0xC0 | (n >> 6));
            frame += static_cast<char>(0x80 | (n & 0x3F));
        }
        frame += crc8(frame);
        frame += std::string("\x00\x00\x00", 3);  // a constant subframe of value 0
        const unsigned crc = crc16(frame);
        frame += static_cast<char>(crc >> 8);
        frame += static_cast<char>(crc & 0xFF);
        f += frame;
    }
    return f;
}

}  // namespace

// A compressed gong whose length its decoder cannot tell is refused before it is decoded
// (a file near the size limit would need gigabytes); the same sound with its length opens.
TEST(Gong, AGongOfUnknownLengthIsNotDecodedWhole) {
    TempFolder dir;
    GongPlayer gong;
    dir.write("known.flac", flac_silence(40, true));
    EXPECT_TRUE(gong.open(dir.path() / "known.flac")) << gong.last_error();
    dir.write("unknown.flac", flac_silence(400, false));
    EXPECT_FALSE(gong.open(dir.path() / "unknown.flac"));
    EXPECT_NE(gong.last_error().find("Länge"), std::string::npos) << gong.last_error();
}

// A gong lasts seconds: an empty file, one over 8 MB and a sound over 30 s are refused, the
// last two before anything is decoded, each saying why.
TEST(Gong, OpenFailsForMissingEmptyHugeLongAndUndecodableFiles) {
    TempFolder dir;
    GongPlayer gong;
    EXPECT_FALSE(gong.open(""));
    EXPECT_EQ(gong.last_failure(), GongPlayer::Failure::file_missing);
    EXPECT_FALSE(gong.open(dir.path() / "missing.wav"));
    dir.write("broken.wav", "RIFF\x10\x00\x00\x00WAVEjunkjunkjunk");
    EXPECT_FALSE(gong.open(dir.path() / "broken.wav"));
    EXPECT_EQ(gong.last_failure(), GongPlayer::Failure::unreadable_file);
    dir.write("empty.wav", "");
    EXPECT_FALSE(gong.open(dir.path() / "empty.wav"));
    EXPECT_NE(gong.last_error().find("leer"), std::string::npos) << gong.last_error();
    write_tone(dir.path() / "huge.wav", 200);
    std::filesystem::resize_file(dir.path() / "huge.wav", GongPlayer::k_max_file_bytes + 1);
    EXPECT_FALSE(gong.open(dir.path() / "huge.wav"));
    EXPECT_NE(gong.last_error().find("8 MB"), std::string::npos) << gong.last_error();
    write_tone(dir.path() / "long.wav", 31000);
    EXPECT_FALSE(gong.open(dir.path() / "long.wav"));
    EXPECT_NE(gong.last_error().find("30 Sekunden"), std::string::npos) << gong.last_error();
    EXPECT_FALSE(gong.is_open());
    gong.play();  // nothing open: nothing happens, nothing breaks
    write_tone(dir.path() / "gong.wav", 29000);
    EXPECT_TRUE(gong.open(dir.path() / "gong.wav")) << gong.last_error();
}

// A WAV header whose numbers no sound can have (a decoder would divide by them and end the
// program) is refused before any decoder sees it, and says so; a sound right after it loads.
TEST(Gong, ImpossibleWavHeadersAreRefusedBeforeDecoding) {
    TempFolder dir;
    GongPlayer gong;
    const auto header = [](std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                           std::uint16_t block) {
        std::string h = "RIFF";
        const auto put = [&h](std::uint32_t v, int bytes) {
            for (int i = 0; i < bytes; ++i) h.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        };
        put(36 + 16000, 4);
        h += "WAVEfmt ";
        put(16, 4);
        put(1, 2);
        put(channels, 2);
        put(rate, 4);
        put(rate * channels * bits / 8, 4);
        put(block, 2);
        put(bits, 2);
        h += "data";
        put(16000, 4);
        return h + std::string(16000, '\x01');
    };
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::string good = header(1, 8000, 16, 2);
    for (const Case& c :
         {Case{"0 channels", header(0, 8000, 16, 2)},
          Case{"65535 channels", header(65535, 8000, 16, 2)}, Case{"rate 0", header(1, 0, 16, 2)},
          Case{"0 bits", header(1, 8000, 0, 2)}, Case{"block 0", header(1, 8000, 16, 0)},
          Case{"cut in the format", good.substr(0, 30)}, Case{"cut before WAVE", good.substr(0, 9)},
          Case{"no format before the data", std::string("RIFF\x10\0\0\0WAVEdata\x04\0\0\0"
                                                        "abcd",
                                                        24)}}) {
        dir.write("hostile.wav", c.bytes);
        EXPECT_FALSE(gong.open(dir.path() / "hostile.wav")) << c.name;
        EXPECT_EQ(gong.last_failure(), GongPlayer::Failure::unreadable_file) << c.name;
        EXPECT_NE(gong.last_error().find("WAV"), std::string::npos)
            << c.name << ": " << gong.last_error();
        gong.play();  // refused: nothing sounds, nothing breaks
    }
    dir.write("good.wav", good);
    EXPECT_TRUE(gong.open(dir.path() / "good.wav")) << gong.last_error();
    // A refused gong queued just before a good one does not silence it.
    dir.write("hostile.wav", header(0, 8000, 16, 2));
    gong.load(dir.path() / "hostile.wav", {});
    gong.load(dir.path() / "good.wav", {});
    gong.settle();
    EXPECT_TRUE(gong.is_open());
    // A folder in the gong's place is said as what it is, not as missing.
    std::filesystem::create_directory(dir.path() / "ordner.wav");
    EXPECT_FALSE(gong.open(dir.path() / "ordner.wav"));
    EXPECT_NE(gong.last_error().find("ist ein Ordner"), std::string::npos) << gong.last_error();
}

// The gong may be a WAV, OGG or MP3 file, on Windows too (the mixer's own decoders).
TEST(Gong, OggAndMp3GongsOpen) {
#if defined(_WIN32)
    // Under Wine the source tree is on drive Z:.
    const std::filesystem::path sounds = std::filesystem::path("Z:" KYOMAT_TEST_SOUNDS);
#else
    const std::filesystem::path sounds = KYOMAT_TEST_SOUNDS;
#endif
    for (const char* name : {"gong.ogg", "gong.mp3"}) {
        GongPlayer gong;
        EXPECT_TRUE(gong.open(sounds / name)) << name << ": " << gong.last_error();
    }
}

TEST(Gong, PlaysWithoutWaitingAndIsNotRestartedWhileSounding) {
    TempFolder dir;
    write_tone(dir.path() / "gong.wav", 600);
    GongPlayer gong;
    ASSERT_TRUE(gong.open(dir.path() / "gong.wav")) << gong.last_error();
    const auto before = std::chrono::steady_clock::now();
    gong.play();
    gong.settle();
    EXPECT_TRUE(gong.playing());
    gong.play();  // still sounding: goes on
    gong.settle();
    EXPECT_TRUE(gong.playing());
    // play() returned at once; the sound ends by itself later.
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(500));
    wait_until_quiet(gong);
    EXPECT_FALSE(gong.playing());
    gong.play();  // played to its end: starts again
    gong.settle();
    EXPECT_TRUE(gong.playing());
}

namespace {

// Through SDL, which reads it: on Windows the C library's environment and the system's
// are two.
void set_env(const char* name, const char* value) {
    SDL_setenv(name, value, 1);
}

}  // namespace

// The disk driver writes what is played to a file: the gong really produces sound.
TEST(Gong, DiskDriverWritesNonSilentSamples) {
    TempFolder dir;
    write_tone(dir.path() / "gong.wav", 300);
    const auto out = dir.path() / "sdlaudio.raw";
    set_env("SDL_AUDIODRIVER", "disk");
    set_env("SDL_DISKAUDIOFILE", out.string().c_str());
#if !defined(_WIN32)
    // SDL for Windows keeps one buffer for the values it reads: a second variable read by
    // the disk driver would overwrite the file's name.
    set_env("SDL_DISKAUDIODELAY", "1");
#endif
    {
        GongPlayer gong;
        ASSERT_TRUE(gong.open(dir.path() / "gong.wav")) << gong.last_error();
        gong.play();
        gong.settle();
        for (int i = 0; i < 200 && gong.playing(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    set_env("SDL_AUDIODRIVER", "dummy");
    std::ifstream in(out, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 1000u);
    std::size_t loud = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto s = static_cast<std::int16_t>((static_cast<unsigned char>(bytes[i + 1]) << 8) |
                                                 static_cast<unsigned char>(bytes[i]));
        if (std::abs(s) > 1000) ++loud;
    }
    EXPECT_GT(loud, 100u);
}

#if !defined(_WIN32)  // a signal that ends the program is a POSIX matter
// The sound device must not take the termination signal away from the program.
TEST(Gong, TerminationSignalStillEndsTheProgram) {
    TempFolder dir;
    write_tone(dir.path() / "gong.wav", 100);
    GongPlayer gong;
    ASSERT_TRUE(gong.open(dir.path() / "gong.wav"));
    EXPECT_EXIT(std::raise(SIGTERM), ::testing::KilledBySignal(SIGTERM), "");
}
#endif

// The program's host opens a relative gong path from the program's folder, whatever folder
// the program was started from.
TEST(Gong, HostOpensARelativePathFromTheProgramFolder) {
    TempFolder program;
    TempFolder elsewhere;
    write_tone(program.path() / "gong.wav", 200);
    const auto started_in = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path());
    const kyomat::Settings settings(program.path());
    kyomat::AppHost host(settings);
    EXPECT_EQ(host.gong_open("gong.wav"), kyomat::GongStatus::opened);
    EXPECT_EQ(host.gong_open("missing.wav"), kyomat::GongStatus::file_missing);
    EXPECT_EQ(host.gong_open(""), kyomat::GongStatus::not_configured);
    // An empty file is known bad at once; a file that only its decoder finds bad is reported
    // from the gong's thread a moment later.
    program.write("empty.wav", "");
    EXPECT_EQ(host.gong_open("empty.wav"), kyomat::GongStatus::unreadable_file);
    std::filesystem::current_path(started_in);
}

// The device sleeps while nothing plays and is woken by the gong itself or ahead of it; the
// sound is kept in memory, so a file deleted meanwhile still sounds.
TEST(Gong, SleepingDeviceWakesForTheGong) {
    TempFolder dir;
    write_tone(dir.path() / "gong.wav", 200);
    GongPlayer gong;
    ASSERT_TRUE(gong.open(dir.path() / "gong.wav")) << gong.last_error();
    EXPECT_TRUE(gong.awake());
    gong.sleep();
    gong.settle();
    EXPECT_FALSE(gong.awake());
    EXPECT_TRUE(gong.is_open());
    std::filesystem::remove(dir.path() / "gong.wav");
    gong.play();
    gong.settle();
    EXPECT_TRUE(gong.awake());
    EXPECT_TRUE(gong.playing());
    gong.sleep();  // still sounding: not cut off
    gong.settle();
    EXPECT_TRUE(gong.playing());
    wait_until_quiet(gong);
    gong.sleep();
    gong.settle();
    EXPECT_FALSE(gong.awake());
    gong.wake();  // ahead of a gong: opened on the gong's thread, ready when it comes
    gong.play();
    gong.settle();
    EXPECT_TRUE(gong.awake());
    EXPECT_TRUE(gong.playing());
    gong.close();
    gong.settle();
    gong.wake();  // nothing to play: stays asleep
    gong.sleep();
    gong.settle();
    EXPECT_FALSE(gong.awake());
}

// A gong by key may take a few milliseconds more than the clock's own: the device mixes long
// buffers while only a key may bring a gong, and short ones ahead of the clock's gong, and
// never changes them under a sounding gong.
TEST(Gong, BuffersAsShortAsTheComingGongNeeds) {
    TempFolder dir;
    write_tone(dir.path() / "gong.wav", 200);
    GongPlayer gong;
    ASSERT_TRUE(gong.open(dir.path() / "gong.wav")) << gong.last_error();
    gong.wake(GongPlayer::Latency::by_key);
    gong.settle();
    EXPECT_EQ(gong.buffer_frames(), 1024);
    gong.wake(GongPlayer::Latency::by_clock);
    gong.settle();
    EXPECT_EQ(gong.buffer_frames(), 256);
    gong.play();
    gong.settle();
    ASSERT_TRUE(gong.playing());
    gong.wake(GongPlayer::Latency::by_key);
    gong.settle();
    EXPECT_EQ(gong.buffer_frames(), 256);  // the gong sounds on
    EXPECT_TRUE(gong.playing());
    wait_until_quiet(gong);
    gong.wake(GongPlayer::Latency::by_key);  // asked again at the next paint
    gong.settle();
    EXPECT_EQ(gong.buffer_frames(), 1024);
    gong.play();  // a gong by key on the long buffers
    gong.settle();
    EXPECT_TRUE(gong.playing());
    wait_until_quiet(gong);
    gong.sleep();
    gong.settle();
    EXPECT_EQ(gong.buffer_frames(), 0);
}

// A file's own faults are found before the sound device is asked for: a refused file is
// refused for what it is whether the device opens or not (it may be busy or missing on a
// loaded machine), and a close supersedes a load still waiting, so nothing sounds after it.
TEST(Gong, RefusalsDoNotDependOnTheDevice) {
    TempFolder dir;
    write_tone(dir.path() / "long.wav", 31000);
    write_tone(dir.path() / "gong.wav", 300);
    // A WAV of no channels.
    dir.write("hostile.wav",
              std::string("RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x00\x00"
                          "\x40\x1f\x00\x00\x80\x3e\x00\x00\x02\x00\x10\x00"
                          "data\x00\x00\x00\x00",
                          44));
    {
        set_env("SDL_AUDIODRIVER", "kein-solches-geraet");
        GongPlayer gong;
        EXPECT_FALSE(gong.open(dir.path() / "hostile.wav"));
        EXPECT_EQ(gong.last_failure(), GongPlayer::Failure::unreadable_file) << gong.last_error();
        EXPECT_FALSE(gong.open(dir.path() / "long.wav"));
        EXPECT_NE(gong.last_error().find("30 Sekunden"), std::string::npos) << gong.last_error();
        EXPECT_FALSE(gong.open(dir.path() / "gong.wav"));
        EXPECT_EQ(gong.last_failure(), GongPlayer::Failure::no_device) << gong.last_error();
        set_env("SDL_AUDIODRIVER", "dummy");
    }
    GongPlayer gong;
    gong.load(dir.path() / "gong.wav", {});
    gong.close();
    gong.settle();
    EXPECT_FALSE(gong.is_open());
    gong.play();
    gong.settle();
    EXPECT_FALSE(gong.playing());
}
