#include "platform/gamepad.h"

#include <SDL.h>

#include <array>

namespace kyomat {
namespace {

// How often the controllers are looked at: a button's press reaches the board within a
// frame while one is there; without one, a controller plugged in is found within a second.
constexpr int k_with_pad_ms = 8;
constexpr int k_without_pad_ms = 1000;

}  // namespace

Gamepads::Gamepads(Told told, QObject* parent) : QObject(parent), told_(std::move(told)) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Gamepads::look);
}

Gamepads::~Gamepads() {
    timer_.stop();
    if (!started_) return;
    for (auto& [id, pad] : pads_) SDL_GameControllerClose(pad.controller);
    pads_.clear();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool Gamepads::start(QString& why) {
    // Buttons count whichever window (of this program or another) has the keyboard.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        why = QString::fromUtf8(SDL_GetError());
        return false;
    }
    started_ = true;
    look();
    return true;
}

QStringList Gamepads::connected() const {
    QStringList names;
    for (const auto& [id, pad] : pads_) names << pad.name;
    return names;
}

QString Gamepads::name_of(int pad) const {
    const auto it = pads_.find(pad);
    return it == pads_.end() ? QString() : it->second.name;
}

void Gamepads::look() {
    SDL_PumpEvents();
    std::array<SDL_Event, 64> events{};
    for (;;) {
        const int n = SDL_PeepEvents(events.data(), static_cast<int>(events.size()), SDL_GETEVENT,
                                     SDL_CONTROLLERAXISMOTION, SDL_CONTROLLERSENSORUPDATE);
        if (n <= 0) break;
        for (int i = 0; i < n; ++i) {
            const SDL_Event& e = events[static_cast<std::size_t>(i)];
            if (e.type == SDL_CONTROLLERDEVICEADDED) {
                SDL_GameController* c = SDL_GameControllerOpen(e.cdevice.which);
                if (c == nullptr) continue;
                const int id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c));
                if (pads_.count(id) != 0) {
                    SDL_GameControllerClose(c);  // told twice: the start found it already
                    continue;
                }
                const char* name = SDL_GameControllerName(c);
                pads_[id] = Pad{c, QString::fromUtf8(name != nullptr ? name : "Gamepad")};
                if (told_.device) told_.device(id, pads_[id].name, true);
            } else if (e.type == SDL_CONTROLLERDEVICEREMOVED) {
                const auto it = pads_.find(e.cdevice.which);
                if (it == pads_.end()) continue;
                const QString name = it->second.name;
                SDL_GameControllerClose(it->second.controller);
                pads_.erase(it);
                if (told_.device) told_.device(e.cdevice.which, name, false);
            } else if (e.type == SDL_CONTROLLERBUTTONDOWN || e.type == SDL_CONTROLLERBUTTONUP) {
                if (pads_.count(e.cbutton.which) == 0) continue;
                const char* button = SDL_GameControllerGetStringForButton(
                    static_cast<SDL_GameControllerButton>(e.cbutton.button));
                const auto late = static_cast<int>(SDL_GetTicks() - e.cbutton.timestamp);
                if (button != nullptr && told_.button)
                    told_.button(e.cbutton.which, button, e.type == SDL_CONTROLLERBUTTONDOWN, late);
            }
        }
    }
    // What nobody here reads (the sticks, the joysticks' own events) does not pile up.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    const int wanted = pads_.empty() ? k_without_pad_ms : k_with_pad_ms;
    if (!timer_.isActive() || timer_.interval() != wanted) timer_.start(wanted);
}

}  // namespace kyomat
