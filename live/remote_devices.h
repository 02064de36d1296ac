#pragma once
// The mat's paired devices: the pairing code the panel shows, the devices that entered one
// with their role and token, and what the server learns of each (last contact, delay). The
// server's thread and the GUI thread both reach it; a lock keeps each call whole and short.
// Tokens are kept only as their SHA-256 in the program's folder (fernbedienung.txt).
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "live/core/remote.h"

namespace kyomat {

struct RemoteDevice {
    int id = 0;
    std::string name;  // "Tablet 1"
    RemoteRole role = RemoteRole::view;
    // Milliseconds of the program's clock; -1: not since the program started.
    std::int64_t last_contact_ms = -1;
    // The page's last measured round trip of a command, -1 unknown.
    int delay_ms = -1;
};

class RemoteDevices {
  public:
    // file: where the paired devices are kept; missing: none paired yet.
    explicit RemoteDevices(std::filesystem::path file);

    // The panel's side.
    struct Code {
        std::string digits;  // six digits; empty when none is open
        RemoteRole role = RemoteRole::view;
        std::int64_t valid_until_ms = 0;
    };
    static constexpr std::int64_t k_code_valid_ms = 120'000;
    // A fresh single-use code for a device of that role, replacing any open one.
    Code open_code(RemoteRole role, std::int64_t now_ms);
    Code open_code_now(std::int64_t now_ms) const;
    void close_code();
    std::vector<RemoteDevice> devices() const;
    // The device stops working at once: its next command is refused.
    void remove(int id);
    // Why the devices' file could not be written, once; empty when it could.
    std::string take_problem();

    // The server's side.
    struct Pairing {
        enum class Outcome { paired, wrong, locked, no_code } outcome = Outcome::no_code;
        std::string token;  // 32 hex digits, given to the device once
        RemoteDevice device;
        int locked_seconds = 0;
    };
    Pairing pair(const std::string& code, std::int64_t now_ms);
    // The device a token belongs to, its contact noted; nothing for a token nobody holds.
    std::optional<RemoteDevice> device_of(const std::string& token, std::int64_t now_ms);
    bool take_rate(int id, std::int64_t now_ms);
    bool first_time(int id, std::uint64_t command);
    void set_delay(int id, int delay_ms);

  private:
    struct Kept {
        RemoteDevice device;
        std::string token_hash;  // hex SHA-256
        CommandRate rate;
        SeenCommands seen;
    };
    void load();
    void save();  // with the lock held

    mutable std::mutex mutex_;
    std::filesystem::path file_;
    std::map<int, Kept> kept_;
    Code code_;
    PairingGuard guard_;
    std::string problem_;
};

}  // namespace kyomat
