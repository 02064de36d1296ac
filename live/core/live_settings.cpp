#include "live/core/live_settings.h"

#include "data/core/basis.h"
#include "data/core/settings_keys.h"

namespace kyomat {

LiveSettings read_live_settings(const Settings& settings) {
    LiveSettings live;
    const std::string port = trim_right(settings.read_setting("live", "port"));
    std::string address = trim_right(settings.read_setting("live", "adresse"));
    address.erase(0, address.find_first_not_of(' '));
    if (!address.empty()) live.address = address;
    const SettingKey& each = setting_key("live", "je_adresse");
    if (!trim_right(settings.read_setting("live", "je_adresse")).empty()) {
        live.per_address = settings.read_setting_clamped("live", "je_adresse",
                                                         static_cast<std::int32_t>(each.lowest),
                                                         static_cast<std::int32_t>(each.highest));
    }
    if (port.empty()) return live;
    const auto number = to_integer(port);
    if (!number || *number < 0 || *number > 65535) {
        live.problem = "Live-Ansicht aus: port=" + port +
                       " im Abschnitt [live] der kyomat.ini ist keine Portnummer (1 bis 65535)";
        return live;
    }
    live.port = static_cast<std::uint16_t>(*number);
    return live;
}

}  // namespace kyomat
