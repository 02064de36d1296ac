#pragma once
// The live view's settings: section [live] of kyomat.ini. Off unless a port is given.
#include <cstdint>
#include <string>

#include "data/core/setting_reader.h"
#include "data/core/settings.h"

namespace kyomat {

struct LiveSettings {
    // 0: the live view is off.
    std::uint16_t port = 0;
    // The address to listen on: this computer only unless the file opens it to the network.
    std::string address = std::string(setting_key(Key::live_adresse).usual);
    // Connections one client address may hold; a value beyond the range is brought into it.
    int per_address = usual_number(Key::live_je_adresse);
    // The mat's name on the hall's pages; empty: the pages show the address.
    std::string mat;
    // The mats the hall page and the call-up screen show when their address names none
    // ([halle] matten): addresses with ports, separated by commas.
    std::string hall_mats;
    // What is wrong with the section, in words for the operator; the view stays off then.
    std::string problem;
};

LiveSettings read_live_settings(const Settings& settings);

// What /halle.json serves: {"matten":["192.168.1.21:8080",...]}, the hall's mats from
// [halle] matten (blanks around each dropped, empty entries left out).
std::string hall_mats_document(std::string_view hall_mats);

}  // namespace kyomat
