#include "live/core/live_settings.h"

#include "data/core/basis.h"
#include "data/core/setting_reader.h"
#include "data/core/settings_keys.h"

namespace kyomat {

LiveSettings read_live_settings(const Settings& settings) {
    LiveSettings live;
    std::string address = trim_right(settings.read_setting("live", "adresse"));
    address.erase(0, address.find_first_not_of(' '));
    if (!address.empty()) live.address = address;
    live.per_address = read_setting_value(settings, "live", "je_adresse").value.value_or(0);
    const SettingReading port = read_setting_value(settings, "live", "port");
    if (port.bad) {
        live.problem =
            "Live-Ansicht aus: port=" + trim_right(settings.read_setting("live", "port")) +
            " im Abschnitt [live] der kyomat.ini ist keine Portnummer (1 bis 65535)";
        return live;
    }
    live.port = static_cast<std::uint16_t>(port.value.value_or(0));
    return live;
}

}  // namespace kyomat
