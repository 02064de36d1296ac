#include "live/core/live_settings.h"

#include <algorithm>

#include "data/core/basis.h"
#include "data/core/setting_reader.h"
#include "data/core/settings_keys.h"
#include "live/core/state_document.h"

namespace kyomat {

std::string hall_mats_document(std::string_view hall_mats) {
    std::string out = "{\"matten\":[";
    bool first = true;
    while (!hall_mats.empty()) {
        const std::size_t comma = std::min(hall_mats.find(','), hall_mats.size());
        const std::string mat = trim_blanks(hall_mats.substr(0, comma));
        hall_mats.remove_prefix(std::min(comma + 1, hall_mats.size()));
        if (mat.empty()) continue;
        if (!first) out += ',';
        out += json_quoted(mat);
        first = false;
    }
    return out + "]}";
}

LiveSettings read_live_settings(const Settings& settings) {
    LiveSettings live;
    std::string address = trim_right(read_setting_text(settings, Key::live_adresse));
    address.erase(0, address.find_first_not_of(' '));
    if (!address.empty()) live.address = address;
    live.mat = trim_blanks(read_setting_text(settings, Key::live_matte));
    live.hall_mats = trim_blanks(read_setting_text(settings, Key::halle_matten));
    live.per_address = read_setting_value(settings, Key::live_je_adresse).value.value_or(0);
    const SettingReading port = read_setting_value(settings, Key::live_port);
    if (port.bad) {
        live.problem =
            "Live-Ansicht aus: port=" + trim_right(read_setting_text(settings, Key::live_port)) +
            " im Abschnitt [live] der kyomat.ini ist keine Portnummer (1 bis 65535)";
        return live;
    }
    live.port = static_cast<std::uint16_t>(port.value.value_or(0));
    return live;
}

}  // namespace kyomat
