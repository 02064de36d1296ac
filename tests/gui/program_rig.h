#pragma once
// The real program as main() builds it (settings, host, program) in a folder of its own with
// the given kyomat.ini and, if given, bout list; message boxes answer themselves with OK.
#include <string>

#include "app/app_host.h"
#include "app/program.h"
#include "platform/message_box.h"
#include "temp_folder.h"

namespace kyomat::testing {

// The folder and its files come first: the program reads its settings while it is built.
struct RigFolder {
    RigFolder(const std::string& ini, const std::string& list) {
        message_boxes::set_auto_answer(true, true);
        dir.write("kyomat.ini", ini);
        if (!list.empty()) dir.write("neu.kfl", list);
    }
    TempFolder dir;
};

template <typename HostType = AppHost>
struct ProgramRig : RigFolder {
    explicit ProgramRig(const std::string& ini, const std::string& list = {})
        : RigFolder(ini, list), settings(dir.path()), host(settings), program(settings, host) {}

    Settings settings;
    HostType host;
    Program program;
};

}  // namespace kyomat::testing
