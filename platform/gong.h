#pragma once
// The gong: one sound file, played without waiting. Everything that can take time (reading
// and decoding the file, opening a sleeping sound device, which some devices take seconds
// for) happens on a thread of the gong's own, in the order it was asked for, so that the
// board's clock and keys never wait for the sound.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct Mix_Chunk;

namespace kyomat {

class GongPlayer {
  public:
    // A gong lasts seconds: larger files and longer sounds are refused before they are
    // decoded, so a wrong file can never take the memory or the time of a whole recording.
    static constexpr std::uintmax_t k_max_file_bytes = std::uintmax_t{8} * 1024 * 1024;
    static constexpr double k_max_seconds = 30;

    enum class Failure { none, file_missing, no_device, unreadable_file };
    // Called on the gong's thread when a load has ended; why says it in words for the log.
    using Done = std::function<void(Failure failure, const std::string& why)>;

    GongPlayer();
    ~GongPlayer();
    GongPlayer(const GongPlayer&) = delete;
    GongPlayer& operator=(const GongPlayer&) = delete;

    // What can be told at once from the file's entry in the folder (missing, empty, too
    // large); the rest (read, decode, the sound's length, the device) on the gong's thread,
    // whose outcome goes to done. The gong of an earlier load is closed first.
    Failure load(const std::filesystem::path& file, Done done = {});
    // The same, waiting for the outcome: for the command line and the tests.
    bool open(const std::filesystem::path& file);
    // Why the last load failed, and in words.
    Failure last_failure() const;
    const std::string& last_error() const { return error_; }
    void close();
    // A sound is loaded (or being loaded) that a play() would make heard.
    bool is_open() const { return has_sound_; }
    // Starts the sound, once the device is open; a gong still sounding goes on and is not
    // restarted.
    void play();
    // Whether the gong is sounding now (from when it started and how long it lasts).
    bool playing() const;
    // The sound device wakes up for every buffer it mixes, even of silence: it sleeps (is
    // closed) while nothing plays and is woken ahead of a gong that may come. A gong of the
    // clock's own (the end of time, a hold-down's score) must sound within a frame of its
    // second: the device then mixes short buffers. A gong by key (an Ippon) may take a few
    // more milliseconds: buffers four times as long wake the device a quarter as often. A gong
    // asked for while the device sleeps or wakes plays as soon as it is open.
    enum class Latency { by_key, by_clock };
    void sleep();
    void wake(Latency latency = Latency::by_clock);
    bool awake() const { return device_open_; }
    // The buffer the device mixes now (frames; 0 while it sleeps).
    int buffer_frames() const { return device_open_ ? open_frames_.load() : 0; }
    // Waits until everything asked for so far is done (tests; a closing program).
    void settle();

  private:
    using Job = std::function<void()>;
    void post(Job job);
    void run();
    // On the gong's thread only.
    bool open_device();
    void close_device();
    // Reads the file, opens the device and decodes the sound; why says what failed.
    Failure read_and_decode(const std::filesystem::path& file, std::string& why);
    Failure decode(std::string& why);
    // What the WAV header alone refuses (numbers no sound has, longer than 30 s).
    bool refused_by_header(std::string& why) const;
    void start_sound();

    std::mutex mutex_;
    std::condition_variable wake_worker_, idle_;
    std::deque<Job> jobs_;
    bool busy_ = false;
    bool stopping_ = false;

    // The gong's thread's own.
    Mix_Chunk* chunk_ = nullptr;
    std::string bytes_;
    int channel_ = -1;
    double chunk_seconds_ = 0;

    std::atomic<bool> device_open_ = false;
    // The buffer the device was opened with, and the one the next opening takes.
    std::atomic<int> open_frames_ = 0;
    std::atomic<int> wanted_frames_;
    std::atomic<bool> waking_ = false;
    std::atomic<bool> has_sound_ = false;
    std::atomic<std::int64_t> sounding_until_ms_ = 0;
    std::atomic<Failure> failure_ = Failure::none;
    // Loads and closes asked for, the GUI thread counting: only the last one's load decodes.
    std::atomic<std::uint64_t> loads_ = 0;
    std::string error_;  // written by open() after waiting
    std::thread worker_;
};

}  // namespace kyomat
