#include "app/gamepad_input.h"

#include "app/app_host.h"
#include "display/scoreboard_window.h"

namespace kyomat {

std::unique_ptr<GamepadInput> GamepadInput::from_settings(const Settings& settings,
                                                          ScoreboardWindow& board, AppHost& host) {
    GamepadMap map = read_gamepad_map(settings);
    if (!map.on) return nullptr;
    for (const std::string& problem : map.problems) host.show_note(problem);
    return std::make_unique<GamepadInput>(std::move(map), board, host);
}

GamepadInput::GamepadInput(GamepadMap map, ScoreboardWindow& board, AppHost& host)
    : presses_(std::move(map)),
      board_(board),
      host_(host),
      pads_({[this](int pad, const std::string& name, bool down) { button(pad, name, down); },
             [this](int pad, const QString& name, bool added) { device(pad, name, added); }}) {
    QString why;
    if (!pads_.start(why)) {
        host_.show_note(("Gamepads werden nicht gelesen: " + why).toStdString());
    }
}

QString GamepadInput::status() const {
    const QStringList names = pads_.connected();
    return names.isEmpty() ? QString() : QStringLiteral("Gamepad: ") + names.join(", ");
}

void GamepadInput::button(int pad, const std::string& name, bool down) {
    if (!down) {
        presses_.release(pad, name);
        return;
    }
    if (const auto key = presses_.press(pad, name)) board_.remote_key(key->key, key->mods);
}

void GamepadInput::device(int pad, const QString& name, bool added) {
    if (!added) presses_.forget(pad);
    host_.show_note((added ? "Gamepad verbunden: " + name
                           : "Gamepad getrennt: " + name + " – seine Knöpfe wirken nicht mehr")
                        .toStdString());
    if (changed_) changed_();
}

}  // namespace kyomat
