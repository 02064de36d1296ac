#include "live/remote_devices.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include "data/core/basis.h"
#include "data/core/file_io.h"

namespace kyomat {
namespace {

std::string sha256_hex(const std::string& text) {
    return QCryptographicHash::hash(QByteArray::fromStdString(text), QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

// 128 bits from the system's source of randomness, as hex.
std::string fresh_token() {
    std::uint32_t words[4];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex().toStdString();
}

}  // namespace

RemoteDevices::RemoteDevices(std::filesystem::path file) : file_(std::move(file)) {
    load();
}

// One device a line: "id;role;sha256;name". A line that is not that is left out.
void RemoteDevices::load() {
    std::string error;
    const auto text = read_whole_file(file_, error, std::uintmax_t{64} * 1024);
    if (!text) return;
    std::size_t at = 0;
    while (at < text->size()) {
        const std::size_t end = std::min(text->find('\n', at), text->size());
        std::string line = text->substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields;
        for (std::size_t from = 0, n = 0; n < 3; ++n) {
            const std::size_t semi = line.find(';', from);
            if (semi == std::string::npos) break;
            fields.push_back(line.substr(from, semi - from));
            from = semi + 1;
            if (n == 2) fields.push_back(line.substr(from));
        }
        if (fields.size() != 4 || fields[2].size() != 64) continue;
        const auto role = role_of_word(fields[1]);
        const auto id = to_integer(fields[0]);
        if (!role || !id || *id <= 0 || fields[3].empty()) continue;
        Kept k;
        k.device.id = *id;
        k.device.role = *role;
        k.device.name = fields[3];
        k.token_hash = fields[2];
        kept_[*id] = std::move(k);
    }
}

void RemoteDevices::save() {
    std::string text;
    for (const auto& [id, k] : kept_) {
        text += std::to_string(id) + ";" + std::string(role_word(k.device.role)) + ";" +
                k.token_hash + ";" + k.device.name + "\n";
    }
    std::string error;
    if (!write_file_atomically(file_, text, error)) {
        problem_ = "Die gekoppelten Geräte können nicht gespeichert werden (" + error +
                   "): nach einem Neustart müssen sie neu gekoppelt werden";
    }
}

RemoteDevices::Code RemoteDevices::open_code(RemoteRole role, std::int64_t now_ms) {
    const std::lock_guard lock(mutex_);
    const auto n = QRandomGenerator::system()->bounded(1'000'000U);
    std::string digits = std::to_string(n);
    digits.insert(0, 6 - digits.size(), '0');
    code_ = {digits, role, now_ms + k_code_valid_ms};
    return code_;
}

RemoteDevices::Code RemoteDevices::open_code_now(std::int64_t now_ms) const {
    const std::lock_guard lock(mutex_);
    return now_ms < code_.valid_until_ms ? code_ : Code{};
}

void RemoteDevices::close_code() {
    const std::lock_guard lock(mutex_);
    code_ = {};
}

std::vector<RemoteDevice> RemoteDevices::devices() const {
    const std::lock_guard lock(mutex_);
    std::vector<RemoteDevice> out;
    for (const auto& [id, k] : kept_) out.push_back(k.device);
    return out;
}

void RemoteDevices::remove(int id) {
    const std::lock_guard lock(mutex_);
    if (kept_.erase(id) > 0) save();
}

std::string RemoteDevices::take_problem() {
    const std::lock_guard lock(mutex_);
    return std::exchange(problem_, {});
}

RemoteDevices::Pairing RemoteDevices::pair(const std::string& code, std::int64_t now_ms) {
    const std::lock_guard lock(mutex_);
    Pairing p;
    if (const int s = guard_.locked_seconds(now_ms); s > 0) {
        p.outcome = Pairing::Outcome::locked;
        p.locked_seconds = s;
        return p;
    }
    if (code_.digits.empty() || now_ms >= code_.valid_until_ms) {
        // A guess without an open code counts as wrong too: nobody learns when one is open.
        guard_.wrong(now_ms);
        p.outcome = Pairing::Outcome::no_code;
        return p;
    }
    if (!equal_in_constant_time(code, code_.digits)) {
        guard_.wrong(now_ms);
        p.outcome = Pairing::Outcome::wrong;
        p.locked_seconds = guard_.locked_seconds(now_ms);
        return p;
    }
    guard_.right();
    int id = 1;
    while (kept_.count(id) > 0) ++id;
    // "Tablet 1", "Tablet 2": the smallest number no paired device has.
    int number = 1;
    const auto taken = [this](const std::string& name) {
        for (const auto& [i, k] : kept_) {
            if (k.device.name == name) return true;
        }
        return false;
    };
    while (taken("Tablet " + std::to_string(number))) ++number;
    Kept k;
    k.device = {id, "Tablet " + std::to_string(number), code_.role, now_ms, -1};
    p.token = fresh_token();
    k.token_hash = sha256_hex(p.token);
    p.device = k.device;
    p.outcome = Pairing::Outcome::paired;
    kept_[id] = std::move(k);
    code_ = {};  // single use
    save();
    return p;
}

std::optional<RemoteDevice> RemoteDevices::device_of(const std::string& token,
                                                     std::int64_t now_ms) {
    if (token.size() != 32) return std::nullopt;
    const std::string hash = sha256_hex(token);
    const std::lock_guard lock(mutex_);
    std::optional<RemoteDevice> found;
    // Every kept hash is compared, each in constant time: how long it takes tells nothing.
    for (auto& [id, k] : kept_) {
        if (equal_in_constant_time(hash, k.token_hash)) {
            k.device.last_contact_ms = now_ms;
            found = k.device;
        }
    }
    return found;
}

bool RemoteDevices::take_rate(int id, std::int64_t now_ms) {
    const std::lock_guard lock(mutex_);
    const auto it = kept_.find(id);
    return it != kept_.end() && it->second.rate.take(now_ms);
}

bool RemoteDevices::first_time(int id, std::uint64_t command) {
    const std::lock_guard lock(mutex_);
    const auto it = kept_.find(id);
    return it != kept_.end() && it->second.seen.first_time(command);
}

void RemoteDevices::set_delay(int id, int delay_ms) {
    const std::lock_guard lock(mutex_);
    if (const auto it = kept_.find(id); it != kept_.end()) it->second.device.delay_ms = delay_ms;
}

}  // namespace kyomat
