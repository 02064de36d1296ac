#include "app/gamepad_input.h"

#include <QElapsedTimer>
#include <QTime>
#include <memory>

#include "app/app_host.h"
#include "app/remote_input.h"
#include "display/scoreboard_window.h"

namespace kyomat {

std::unique_ptr<GamepadInput> GamepadInput::from_settings(const Settings& settings,
                                                          ScoreboardWindow& board, AppHost& host,
                                                          TableCheck& check) {
    GamepadMap map = read_gamepad_map(settings);
    if (!map.on) return nullptr;
    for (const std::string& problem : map.problems) host.show_note(problem);
    return std::make_unique<GamepadInput>(std::move(map), board, host, check);
}

GamepadInput::GamepadInput(GamepadMap map, ScoreboardWindow& board, AppHost& host,
                           TableCheck& check)
    : presses_(std::move(map)),
      board_(board),
      host_(host),
      check_(check),
      pads_({[this](int pad, const std::string& name, bool down, int late_ms) {
                 button(pad, name, down, late_ms);
             },
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

void GamepadInput::button(int pad, const std::string& name, bool down, int late_ms) {
    if (!down) {
        presses_.release(pad, name);
        return;
    }
    const QString device = QStringLiteral("Gamepad ") + pads_.name_of(pad);
    if (check_.lit) {
        check_.lit(device, QString::fromStdString(name));
        return;
    }
    const auto key = presses_.press(pad, name);
    if (!key) return;
    // The protocol names the controller and how late its press came on the board.
    auto source = std::make_shared<CommandSource>(CommandSource{
        device.toStdString(), "alles",
        QTime::currentTime().addMSecs(-late_ms).toString("HH:mm:ss.zzz").toStdString(), late_ms});
    QElapsedTimer since;
    since.start();
    board_.remote_key(key->key, key->mods, [host = &host_, source, since, late_ms](bool on) {
        source->delay_ms = late_ms + static_cast<int>(since.elapsed());
        host->set_command_source(on ? source.get() : nullptr);
    });
}

void GamepadInput::device(int pad, const QString& name, bool added) {
    if (!added) presses_.forget(pad);
    host_.show_note((added ? "Gamepad verbunden: " + name
                           : "Gamepad getrennt: " + name + " – seine Knöpfe wirken nicht mehr")
                        .toStdString());
    if (changed_) changed_();
}

}  // namespace kyomat
