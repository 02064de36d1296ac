#include "platform/gong.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <fstream>
#include <iterator>

namespace kyomat {
namespace {

// 256 frames at 44.1 kHz are 5.8 ms: the gong starts within about two of them of the call to
// play (512 frames measured 18 to 24 ms from the end of time to the sound, 256 frames 14 to 17).
constexpr int k_buffer_frames = 256;

}  // namespace

GongPlayer::~GongPlayer() {
    if (preparing_.joinable()) preparing_.join();
    close();
    close_device();
}

void GongPlayer::prepare_device() {
    // A thread already at work is not asked twice (and its result not read before it ends).
    if (preparing_.joinable() || device_open_) return;
    preparing_ = std::thread([this] {
        const bool opened = open_device();
        device_open_ = opened;
        if (opened) load_chunk();
        // SDL keeps an error text per thread; a thread not made by SDL must free it itself.
        SDL_TLSCleanup();
    });
}

bool GongPlayer::ensure_device() {
    if (preparing_.joinable()) preparing_.join();
    if (device_open_) return true;
    device_open_ = open_device();
    return device_open_;
}

bool GongPlayer::open_device() {
    // SDL would take over SIGINT and SIGTERM and swallow them: the program must still end
    // when the system asks it to.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error_ = SDL_GetError();
        return false;
    }
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, k_buffer_frames) != 0) {
        error_ = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

// The sound file's bytes are kept, so that the device can be closed while nothing plays and
// the gong made again from memory when it opens (the file may be gone by then).
bool GongPlayer::load_chunk() {
    if (chunk_ != nullptr) return true;
    if (bytes_.empty()) return true;  // nothing to load yet
    SDL_RWops* rw = SDL_RWFromConstMem(bytes_.data(), static_cast<int>(bytes_.size()));
    chunk_ = rw != nullptr ? Mix_LoadWAV_RW(rw, 1) : nullptr;
    if (chunk_ == nullptr) error_ = Mix_GetError();
    return chunk_ != nullptr;
}

void GongPlayer::close_device() {
    if (!device_open_) return;
    if (chunk_ != nullptr) {
        Mix_HaltChannel(-1);
        Mix_FreeChunk(chunk_);
        chunk_ = nullptr;
    }
    channel_ = -1;
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device_open_ = false;
}

bool GongPlayer::open(const std::filesystem::path& file) {
    close();
    error_.clear();
    failure_ = Failure::none;
    std::error_code ec;
    if (file.empty() || !std::filesystem::is_regular_file(file, ec)) {
        error_ =
            "no such file: " + std::string(reinterpret_cast<const char*>(file.u8string().c_str()));
        failure_ = Failure::file_missing;
        return false;
    }
    if (!ensure_device()) {
        failure_ = Failure::no_device;
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!load_chunk()) {
        bytes_.clear();
        failure_ = Failure::unreadable_file;
        return false;
    }
    return true;
}

void GongPlayer::close() {
    if (preparing_.joinable()) preparing_.join();
    bytes_.clear();
    if (chunk_ == nullptr) return;
    if (channel_ >= 0 && Mix_GetChunk(channel_) == chunk_) Mix_HaltChannel(channel_);
    Mix_FreeChunk(chunk_);
    chunk_ = nullptr;
    channel_ = -1;
}

bool GongPlayer::playing() const {
    return device_open_ && chunk_ != nullptr && channel_ >= 0 && Mix_Playing(channel_) != 0 &&
           Mix_GetChunk(channel_) == chunk_;
}

void GongPlayer::play() {
    if (preparing_.joinable()) preparing_.join();
    if (bytes_.empty()) return;
    // Asleep: woken now, at the cost of opening the device (the clock wakes it in time).
    if (!device_open_ && !(ensure_device() && load_chunk())) return;
    if (chunk_ == nullptr || playing()) return;
    channel_ = Mix_PlayChannel(-1, chunk_, 0);
}

void GongPlayer::wake() {
    if (bytes_.empty() || device_open_ || preparing_.joinable()) return;
    prepare_device();
}

void GongPlayer::sleep() {
    if (preparing_.joinable() || !device_open_ || playing()) return;
    close_device();
}

}  // namespace kyomat
