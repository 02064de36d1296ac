#include "live/core/remote.h"

#include <algorithm>
#include <cctype>
#include <chrono>

namespace kyomat {
namespace {

constexpr Modifiers k_plain{};
constexpr Modifiers k_shift{true, false, false};
constexpr Modifiers k_ctrl{false, true, false};

constexpr RemoteCommand k_commands[] = {
    {"zeit", {vk::space, k_plain}, CommandGroup::clock, "Hajime/Matte"},
    {"osae_blau", {vk::f5, k_plain}, CommandGroup::clock, "Osaekomi Blau"},
    {"osae_weiss", {vk::f8, k_plain}, CommandGroup::clock, "Osaekomi Weiß"},
    {"toketa", {vk::f6, k_plain}, CommandGroup::clock, "Toketa"},
    {"golden_score", {'S', k_ctrl}, CommandGroup::clock, "Golden Score"},
    {"ippon_blau", {'1', k_plain}, CommandGroup::scores, "Ippon Blau"},
    {"waza_blau", {'2', k_plain}, CommandGroup::scores, "Waza-ari Blau"},
    {"yuko_blau", {'3', k_plain}, CommandGroup::scores, "Yuko Blau"},
    {"shido_blau", {'4', k_plain}, CommandGroup::scores, "Shido Blau"},
    {"ippon_weiss", {'7', k_plain}, CommandGroup::scores, "Ippon Weiß"},
    {"waza_weiss", {'8', k_plain}, CommandGroup::scores, "Waza-ari Weiß"},
    {"yuko_weiss", {'9', k_plain}, CommandGroup::scores, "Yuko Weiß"},
    {"shido_weiss", {'0', k_plain}, CommandGroup::scores, "Shido Weiß"},
    {"-ippon_blau", {'1', k_shift}, CommandGroup::scores, "Ippon Blau zurück"},
    {"-waza_blau", {'2', k_shift}, CommandGroup::scores, "Waza-ari Blau zurück"},
    {"-yuko_blau", {'3', k_shift}, CommandGroup::scores, "Yuko Blau zurück"},
    {"-shido_blau", {'4', k_shift}, CommandGroup::scores, "Shido Blau zurück"},
    {"-ippon_weiss", {'7', k_shift}, CommandGroup::scores, "Ippon Weiß zurück"},
    {"-waza_weiss", {'8', k_shift}, CommandGroup::scores, "Waza-ari Weiß zurück"},
    {"-yuko_weiss", {'9', k_shift}, CommandGroup::scores, "Yuko Weiß zurück"},
    {"-shido_weiss", {'0', k_shift}, CommandGroup::scores, "Shido Weiß zurück"},
    {"sieger_blau", {'B', k_ctrl}, CommandGroup::decision, "Sieger Blau"},
    {"sieger_weiss", {'W', k_ctrl}, CommandGroup::decision, "Sieger Weiß"},
    {"ergebnis", {'E', k_ctrl}, CommandGroup::decision, "Ergebnis übergeben"},
    {"naechster", {'N', k_ctrl}, CommandGroup::decision, "Nächster Kampf"},
};

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

}  // namespace

std::string_view role_word(RemoteRole role) {
    switch (role) {
        case RemoteRole::everything:
            return "alles";
        case RemoteRole::clock:
            return "uhr";
        case RemoteRole::scores:
            return "wertung";
        case RemoteRole::view:
            break;
    }
    return "ansicht";
}

std::optional<RemoteRole> role_of_word(std::string_view word) {
    for (const RemoteRole r :
         {RemoteRole::everything, RemoteRole::clock, RemoteRole::scores, RemoteRole::view}) {
        if (role_word(r) == word) return r;
    }
    return std::nullopt;
}

std::string_view role_label(RemoteRole role) {
    switch (role) {
        case RemoteRole::everything:
            return "alles";
        case RemoteRole::clock:
            return "Uhr und Osaekomi";
        case RemoteRole::scores:
            return "Wertungen und Strafen";
        case RemoteRole::view:
            break;
    }
    return "nur ansehen";
}

const RemoteCommand* remote_command(std::string_view name) {
    for (const RemoteCommand& c : k_commands) {
        if (c.name == name) return &c;
    }
    return nullptr;
}

bool role_allows(RemoteRole role, CommandGroup group) {
    switch (role) {
        case RemoteRole::everything:
            return true;
        case RemoteRole::clock:
            return group == CommandGroup::clock;
        case RemoteRole::scores:
            return group == CommandGroup::scores;
        case RemoteRole::view:
            break;
    }
    return false;
}

bool needs_second_tap(const RemoteCommand& command, bool bout_in_progress) {
    if (command.group != CommandGroup::decision) return false;
    // Taking the next bout when none is under way discards nothing.
    return command.name != "naechster" || bout_in_progress;
}

bool CommandRate::take(std::int64_t now_ms) {
    if (tokens_ < 0) {
        tokens_ = per_second_;
        last_ms_ = now_ms;
    }
    const auto passed = static_cast<double>(std::max<std::int64_t>(0, now_ms - last_ms_));
    tokens_ = std::min<double>(per_second_, tokens_ + passed * per_second_ / 1000.0);
    last_ms_ = now_ms;
    if (tokens_ < 1) return false;
    tokens_ -= 1;
    return true;
}

bool SeenCommands::first_time(std::uint64_t id) {
    if (std::find(ids_.begin(), ids_.begin() + static_cast<std::ptrdiff_t>(filled_), id) !=
        ids_.begin() + static_cast<std::ptrdiff_t>(filled_)) {
        return false;
    }
    ids_[next_] = id;
    next_ = (next_ + 1) % ids_.size();
    filled_ = std::min(filled_ + 1, ids_.size());
    return true;
}

int PairingGuard::locked_seconds(std::int64_t now_ms) const {
    if (now_ms >= locked_until_ms_) return 0;
    return static_cast<int>((locked_until_ms_ - now_ms + 999) / 1000);
}

void PairingGuard::wrong(std::int64_t now_ms) {
    if (++wrong_ >= k_tries) {
        wrong_ = 0;
        locked_until_ms_ = now_ms + k_lock_ms;
    }
}

bool same_origin(std::string_view host_header, std::string_view origin_header,
                 const std::vector<std::string>& own_hosts, std::uint16_t port) {
    const std::string host = lower(host_header);
    if (host.empty()) return false;
    // "[::1]:8080", "192.168.1.5:8080", "laptop.local"
    std::string name = host;
    std::string given_port;
    if (host.front() == '[') {
        const std::size_t close = host.find(']');
        if (close == std::string::npos) return false;
        name = host.substr(1, close - 1);
        if (close + 1 < host.size()) {
            if (host[close + 1] != ':') return false;
            given_port = host.substr(close + 2);
        }
    } else if (const std::size_t colon = host.rfind(':'); colon != std::string::npos) {
        name = host.substr(0, colon);
        given_port = host.substr(colon + 1);
    }
    if (!given_port.empty() && given_port != std::to_string(port)) return false;
    if (given_port.empty() && port != 80) return false;
    if (std::find(own_hosts.begin(), own_hosts.end(), name) == own_hosts.end()) return false;
    return origin_header.empty() || lower(origin_header) == "http://" + host;
}

std::int64_t steady_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool equal_in_constant_time(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    unsigned char differ = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        differ |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return differ == 0;
}

}  // namespace kyomat
