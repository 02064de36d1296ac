#pragma once
// The control panel's two ways out, shared by the panel window and the scenario runner so
// both run the same steps.
#include <functional>

#include "engine/engine.h"

namespace kyomat {

using KeyRelay = std::function<void(std::uint16_t key, Modifiers mods)>;

// "Steuerung schließen": the overlay goes, the panel is no longer active. The caller then
// closes the panel window.
void close_panel(BoutEngine& engine, const KeyRelay& relay);
// "Anzeige beenden": asks before a bout in progress is left; true when the panel closes
// (and the scoreboard after it).
bool exit_from_panel(BoutEngine& engine, const KeyRelay& relay);

}  // namespace kyomat
