#pragma once
// The gong: one sound file, opened at once (so a missing or undecodable file, or a refused
// sound device, is known when the settings are read) and played without waiting.
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

struct Mix_Chunk;

namespace kyomat {

class GongPlayer {
  public:
    GongPlayer() = default;
    ~GongPlayer();
    GongPlayer(const GongPlayer&) = delete;
    GongPlayer& operator=(const GongPlayer&) = delete;

    enum class Failure { none, file_missing, no_device, unreadable_file };

    // Starts opening the sound device on a thread of its own, so that start-up does not wait
    // for it; the first open() takes the result (and waits for it only if it is not there).
    void prepare_device();
    // Closes any open file, then opens this one; false (and nothing open) on any failure.
    bool open(const std::filesystem::path& file);
    // Why the last open failed.
    Failure last_failure() const { return failure_; }
    void close();
    bool is_open() const { return !bytes_.empty(); }
    // Starts the sound; a gong still sounding goes on and is not restarted.
    void play();
    // Whether the gong is sounding now.
    bool playing() const;
    // Why the last open failed (for the log of a test; the operator sees the catalogue text).
    const std::string& last_error() const { return error_; }
    // The sound device wakes up 43 times a second even to mix silence: it sleeps (is closed)
    // while nothing plays, and is woken ahead of a gong that is coming (the end of time, a
    // hold-down). A gong played while it sleeps wakes it on the spot.
    void sleep();
    void wake();
    bool awake() const { return device_open_; }

  private:
    bool ensure_device();
    bool open_device();
    bool load_chunk();
    void close_device();

    Mix_Chunk* chunk_ = nullptr;
    std::string bytes_;
    int channel_ = -1;
    std::atomic<bool> device_open_ = false;
    std::string error_;
    Failure failure_ = Failure::none;
    std::thread preparing_;
};

}  // namespace kyomat
