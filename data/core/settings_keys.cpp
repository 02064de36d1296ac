#include "data/core/settings_keys.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "data/core/basis.h"
#include "data/core/settings.h"

namespace kyomat {
namespace {

using K = SettingKind;
using P = SettingPolicy;
constexpr std::int64_t k_day = std::int64_t{24} * 3600;
// A number read without a range of its own: whatever 32 bits hold.
constexpr std::int64_t k_any = 2147483647;
constexpr std::int64_t k_any_negative = -k_any - 1;

// The table's rows, from its one list.
constexpr SettingKey k_keys[] = {
#define KYOMAT_KEY(id, section, key, kind, policy, lowest, highest, usual, meaning) \
    {section, key, K::kind, P::policy, lowest, highest, usual, meaning},
#include "data/core/settings_table.def"
#undef KYOMAT_KEY
};
static_assert(std::size(k_keys) == static_cast<std::size_t>(Key::count));

}  // namespace

const SettingKey& setting_key(Key key) {
    return k_keys[static_cast<std::size_t>(key)];
}

std::span<const SettingKey> setting_keys() {
    return k_keys;
}

// The table's names are plain ASCII: compared in place, the look-up that every value read
// makes costs no copy of a name.
bool known_section(std::string_view name) {
    if (same_name(name.substr(0, 3), "AK ")) return true;
    for (const SettingKey& k : k_keys) {
        if (same_name(k.section, name)) return true;
    }
    return false;
}

const SettingKey& setting_key(std::string_view section, std::string_view key) {
    const bool age_class = same_name(section.substr(0, 3), "AK ");
    for (const SettingKey& k : k_keys) {
        const bool same_section = age_class ? k.section == "AK *" : same_name(k.section, section);
        if (same_section && same_name(k.key, key)) return k;
    }
    std::fprintf(stderr, "kyomat: the key [%.*s] %.*s is not in the table of settings\n",
                 static_cast<int>(section.size()), section.data(), static_cast<int>(key.size()),
                 key.data());
    std::abort();
}

}  // namespace kyomat
