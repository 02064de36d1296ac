#include "platform/gong.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>

namespace kyomat {
namespace {

// 256 frames at 44.1 kHz are 5.8 ms: the gong starts within about two of them of the call to
// play (512 frames measured 18 to 24 ms from the end of time to the sound, 256 frames 14 to 17).
// That is for the clock's own gongs; a gong by key takes 1024 frames (23 ms a buffer; by the
// two measurements, about 32 ms to the sound), within 50 ms of the key at a quarter of the
// wakeups.
constexpr int k_clock_frames = 256;
constexpr int k_key_frames = 1024;

std::int64_t now_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::uint32_t little(const std::string& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    }
    return v;
}

// What a WAV file's header says, read before any decoder sees the file: its length, or why
// it cannot be a sound (a decoder divides by these numbers and ends the program on a 0).
struct WavHeader {
    double seconds = 0;  // 0: not a WAV file, or its length is left to the decoder
    std::string refusal;
};

constexpr std::uint32_t k_max_channels = 8;
constexpr std::uint32_t k_max_rate = 384000;
constexpr std::uint32_t k_max_bits = 64;

WavHeader wav_header(const std::string& b) {
    WavHeader h;
    if (b.size() < 4 || b.compare(0, 4, "RIFF") != 0) return h;
    if (b.size() < 12 || b.compare(8, 4, "WAVE") != 0) {
        h.refusal = "ist keine vollständige WAV-Datei";
        return h;
    }
    bool has_format = false;
    std::uint32_t rate = 0, channels = 0, bits = 0, block = 0;
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        const std::uint32_t size = little(b, at + 4, 4);
        if (b.compare(at, 4, "fmt ") == 0) {
            if (size < 16 || at + 24 > b.size()) break;
            has_format = true;
            channels = little(b, at + 10, 2);
            rate = little(b, at + 12, 4);
            block = little(b, at + 20, 2);
            bits = little(b, at + 22, 2);
        } else if (b.compare(at, 4, "data") == 0) {
            if (!has_format) break;
            if (channels == 0 || channels > k_max_channels || rate == 0 || rate > k_max_rate ||
                bits == 0 || bits > k_max_bits || block == 0) {
                h.refusal = "hat einen unmöglichen WAV-Kopf (" + std::to_string(channels) +
                            " Kanäle, " + std::to_string(rate) + " Hz, " + std::to_string(bits) +
                            " Bit)";
                return h;
            }
            const std::uint64_t data = std::min<std::uint64_t>(size, b.size() - at - 8);
            const std::uint64_t per_second = std::uint64_t{rate} * channels * ((bits + 7) / 8);
            h.seconds = static_cast<double>(data) / static_cast<double>(per_second);
            return h;
        }
        at += 8 + std::uint64_t{size} + (size & 1);
    }
    h.refusal = "hat keinen vollständigen WAV-Kopf";
    return h;
}

std::string quoted(const std::filesystem::path& file) {
    return "\"" + std::string(reinterpret_cast<const char*>(file.u8string().c_str())) + "\"";
}

}  // namespace

GongPlayer::GongPlayer() : wanted_frames_(k_clock_frames), worker_([this] { run(); }) {}

GongPlayer::~GongPlayer() {
    close();
    post([this] { close_device(); });
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_worker_.notify_one();
    worker_.join();
}

void GongPlayer::post(Job job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_worker_.notify_one();
}

void GongPlayer::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_worker_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) break;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        busy_ = true;
        lock.unlock();
        job();
        lock.lock();
        busy_ = false;
        if (jobs_.empty()) idle_.notify_all();
    }
    // SDL keeps an error text per thread; a thread not made by SDL must free it itself.
    SDL_TLSCleanup();
}

void GongPlayer::settle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

bool GongPlayer::open_device() {
    if (device_open_) return true;
    // SDL would take over SIGINT and SIGTERM and swallow them: the program must still end
    // when the system asks it to.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    const int frames = wanted_frames_;
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, frames) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    open_frames_ = frames;
    device_open_ = true;
    return true;
}

void GongPlayer::close_device() {
    if (!device_open_) return;
    if (chunk_ != nullptr) {
        Mix_HaltChannel(-1);
        Mix_FreeChunk(chunk_);
        chunk_ = nullptr;
    }
    channel_ = -1;
    sounding_until_ms_ = 0;
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device_open_ = false;
}

// The sound file's bytes are kept, so that the device can be closed while nothing plays and
// the gong made again from memory when it opens (the file may be gone by then).
bool GongPlayer::refused_by_header(std::string& why) const {
    const WavHeader wav = wav_header(bytes_);
    if (!wav.refusal.empty()) {
        why = wav.refusal;
        return true;
    }
    if (wav.seconds > k_max_seconds) {
        why = "dauert länger als 30 Sekunden";
        return true;
    }
    return false;
}

GongPlayer::Failure GongPlayer::decode(std::string& why) {
    if (chunk_ != nullptr) return Failure::none;
    if (bytes_.empty() || refused_by_header(why)) return Failure::unreadable_file;
    const double header = wav_header(bytes_).seconds;
    SDL_RWops* rw = SDL_RWFromConstMem(bytes_.data(), static_cast<int>(bytes_.size()));
    if (header == 0 && rw != nullptr) {
        // A compressed sound says its length before it is decoded, where its decoder can.
        if (Mix_Music* music = Mix_LoadMUS_RW(rw, 0)) {
            const double seconds = Mix_MusicDuration(music);
            Mix_FreeMusic(music);
            if (seconds > k_max_seconds) {
                SDL_RWclose(rw);
                why = "dauert länger als 30 Sekunden";
                return Failure::unreadable_file;
            }
            // Of unknown length (as live encoders write it), it would be decoded whole before
            // its length is known: a file near the size limit needs gigabytes. Not decoded.
            if (seconds <= 0) {
                SDL_RWclose(rw);
                why =
                    "gibt seine Länge nicht an (etwa eine Aufnahme eines Live-Encoders); bitte "
                    "als WAV, OGG oder MP3 speichern";
                return Failure::unreadable_file;
            }
        }
        SDL_RWseek(rw, 0, RW_SEEK_SET);
    }
    chunk_ = rw != nullptr ? Mix_LoadWAV_RW(rw, 1) : nullptr;
    if (chunk_ == nullptr) {
        why = Mix_GetError();
        return Failure::unreadable_file;
    }
    int rate = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    const double per_second = double(rate) * channels * (SDL_AUDIO_BITSIZE(format) / 8);
    chunk_seconds_ = per_second > 0 ? chunk_->alen / per_second : 0;
    if (chunk_seconds_ > k_max_seconds + 0.5) {
        Mix_FreeChunk(chunk_);
        chunk_ = nullptr;
        why = "dauert länger als 30 Sekunden";
        return Failure::unreadable_file;
    }
    return Failure::none;
}

namespace {

// What the file's entry in the folder tells at once: missing, no regular file, empty or
// too large; why says it in words.
GongPlayer::Failure check_entry(const std::filesystem::path& file, std::string& why) {
    using Failure = GongPlayer::Failure;
    std::error_code ec;
    const std::filesystem::file_status status =
        file.empty() ? std::filesystem::file_status{} : std::filesystem::status(file, ec);
    const bool regular = std::filesystem::is_regular_file(status);
    const std::uintmax_t size = regular ? std::filesystem::file_size(file, ec) : 0;
    if (!regular && std::filesystem::exists(status)) {
        // There, but no sound file: said as what it is, not as missing.
        why = std::filesystem::is_directory(status)               ? "ist ein Ordner"
              : status.type() == std::filesystem::file_type::fifo ? "ist eine Pipe"
                                                                  : "ist keine gewöhnliche Datei";
        return Failure::unreadable_file;
    }
    if (!regular) {
        why = "fehlt";
        return Failure::file_missing;
    }
    if (ec || size == 0) {
        why = "ist leer (0 Byte)";
        return Failure::unreadable_file;
    }
    if (size > GongPlayer::k_max_file_bytes) {
        why = "ist größer als 8 MB";
        return Failure::unreadable_file;
    }
    return Failure::none;
}

}  // namespace

GongPlayer::Failure GongPlayer::load(const std::filesystem::path& file, Done done) {
    close();
    std::string why;
    if (const Failure failure = check_entry(file, why); failure != Failure::none) {
        failure_ = failure;
        error_ = "Gong-Datei " + quoted(file) + " " + why;
        return failure;
    }
    failure_ = Failure::none;
    has_sound_ = true;
    // Only the load asked for last decides whether there is a sound: a failed one queued
    // before it must not silence a good one.
    const std::uint64_t load = ++loads_;
    post([this, file, load, done = std::move(done)] {
        // Superseded by a later load or a close while it waited: the device is not opened
        // for a sound nobody wants any more.
        if (load != loads_) return;
        std::string why;
        const Failure failure = read_and_decode(file, why);
        if (load == loads_) {
            has_sound_ = failure == Failure::none;
            failure_ = failure;
        }
        if (done) done(failure, why);
    });
    return Failure::none;
}

GongPlayer::Failure GongPlayer::read_and_decode(const std::filesystem::path& file,
                                                std::string& why) {
    Failure failure = Failure::none;
    std::ifstream in(file, std::ios::binary);
    bytes_.resize(k_max_file_bytes + 1);
    in.read(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
    bytes_.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, in.gcount())));
    if (bytes_.empty()) {
        failure = Failure::unreadable_file;
        why = "ist leer oder nicht lesbar";
    } else if (bytes_.size() > k_max_file_bytes) {
        failure = Failure::unreadable_file;
        why = "ist größer als 8 MB";
    } else if (refused_by_header(why)) {
        // Before the device: a file refused is refused however the device fares.
        failure = Failure::unreadable_file;
    } else if (!open_device()) {
        failure = Failure::no_device;
        why = std::string("Tonausgabe: ") + SDL_GetError();
    } else {
        failure = decode(why);
    }
    if (failure != Failure::none) {
        bytes_.clear();
        why = "Gong-Datei " + quoted(file) + " " + why;
    }
    return failure;
}

bool GongPlayer::open(const std::filesystem::path& file) {
    std::string why;
    Failure failure = load(file, [&why](Failure, const std::string& w) { why = w; });
    if (failure == Failure::none) {
        settle();
        failure = failure_;
        error_ = why;
    }
    return failure == Failure::none;
}

GongPlayer::Failure GongPlayer::last_failure() const {
    return failure_;
}

void GongPlayer::close() {
    ++loads_;
    has_sound_ = false;
    sounding_until_ms_ = 0;
    post([this] {
        bytes_.clear();
        if (chunk_ == nullptr) return;
        if (channel_ >= 0 && Mix_GetChunk(channel_) == chunk_) Mix_HaltChannel(channel_);
        Mix_FreeChunk(chunk_);
        chunk_ = nullptr;
        channel_ = -1;
    });
}

bool GongPlayer::playing() const {
    return now_ms() < sounding_until_ms_;
}

void GongPlayer::start_sound() {
    if (chunk_ == nullptr) return;
    if (channel_ >= 0 && Mix_Playing(channel_) != 0 && Mix_GetChunk(channel_) == chunk_) return;
    channel_ = Mix_PlayChannel(-1, chunk_, 0);
    if (channel_ >= 0) {
        sounding_until_ms_ = now_ms() + static_cast<std::int64_t>(chunk_seconds_ * 1000) + 50;
    }
}

void GongPlayer::play() {
    if (!has_sound_) return;
    post([this] {
        std::string why;
        if (open_device() && decode(why) == Failure::none) start_sound();
    });
}

void GongPlayer::wake(Latency latency) {
    const int frames = latency == Latency::by_clock ? k_clock_frames : k_key_frames;
    wanted_frames_ = frames;
    if (!has_sound_ || (device_open_ && frames == open_frames_)) return;
    // One wake queued at a time; it takes the newest wish when it runs.
    if (waking_.exchange(true)) return;
    post([this] {
        waking_ = false;
        std::string why;
        // Opened with another buffer: opened again, unless a gong sounds (the next paint of
        // the board asks again).
        if (device_open_ && open_frames_ != wanted_frames_) {
            if (channel_ >= 0 && Mix_Playing(channel_) != 0) return;
            close_device();
        }
        if (!bytes_.empty() && open_device()) decode(why);
    });
}

void GongPlayer::sleep() {
    if (!device_open_ || playing()) return;
    post([this] {
        // A gong asked for after the sleep was is already queued behind it and wakes it again.
        if (channel_ >= 0 && Mix_Playing(channel_) != 0) return;
        close_device();
    });
}

}  // namespace kyomat
