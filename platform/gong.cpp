#include "platform/gong.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace kyomat {

GongPlayer::~GongPlayer() {
    if (preparing_.joinable()) preparing_.join();
    close();
    if (device_open_) {
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void GongPlayer::prepare_device() {
    // A thread already at work is not asked twice (and its result not read before it ends).
    if (preparing_.joinable() || device_open_) return;
    preparing_ = std::thread([this] { device_open_ = open_device(); });
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
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
        error_ = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

bool GongPlayer::open(const std::filesystem::path& file) {
    close();
    error_.clear();
    failure_ = Failure::none;
    std::error_code ec;
    if (file.empty() || !std::filesystem::is_regular_file(file, ec)) {
        error_ = "no such file: " + file.string();
        failure_ = Failure::file_missing;
        return false;
    }
    if (!ensure_device()) {
        failure_ = Failure::no_device;
        return false;
    }
    chunk_ = Mix_LoadWAV(file.string().c_str());
    if (chunk_ == nullptr) {
        error_ = Mix_GetError();
        failure_ = Failure::unreadable_file;
        return false;
    }
    return true;
}

void GongPlayer::close() {
    if (chunk_ == nullptr) return;
    if (channel_ >= 0 && Mix_GetChunk(channel_) == chunk_) Mix_HaltChannel(channel_);
    Mix_FreeChunk(chunk_);
    chunk_ = nullptr;
    channel_ = -1;
}

bool GongPlayer::playing() const {
    return chunk_ != nullptr && channel_ >= 0 && Mix_Playing(channel_) != 0 &&
           Mix_GetChunk(channel_) == chunk_;
}

void GongPlayer::play() {
    if (chunk_ == nullptr || playing()) return;
    channel_ = Mix_PlayChannel(-1, chunk_, 0);
}

}  // namespace kyomat
