#include "engine/panel_commands.h"

namespace kyomat {

void close_panel(BoutEngine& engine, const KeyRelay& relay) {
    relay('R', Modifiers{false, true, false});
    engine.close_control_panel();
}

bool exit_from_panel(BoutEngine& engine, const KeyRelay& relay) {
    if (!engine.leaving_confirmed()) return false;
    engine.request_exit();
    close_panel(engine, relay);
    return true;
}

}  // namespace kyomat
