#pragma once
// A gamepad as keys of the key table ([gamepad] in kyomat.ini): its buttons go through the
// board's one queue of commands as a typed key does, whatever window has the keyboard; never
// into a question or a dialog.
#include <QString>
#include <functional>
#include <memory>

#include "engine/gamepad_keys.h"
#include "platform/gamepad.h"

namespace kyomat {

class AppHost;
class ScoreboardWindow;
class Settings;
struct TableCheck;

class GamepadInput {
  public:
    // Nothing when kyomat.ini has no [gamepad] section.
    static std::unique_ptr<GamepadInput> from_settings(const Settings& settings,
                                                       ScoreboardWindow& board, AppHost& host,
                                                       TableCheck& check);
    GamepadInput(GamepadMap map, ScoreboardWindow& board, AppHost& host, TableCheck& check);
    // Told when a controller comes or goes.
    void on_changed(std::function<void()> changed) { changed_ = std::move(changed); }
    // The connected controllers for the panel's status bar: "Gamepad: …", or nothing.
    QString status() const;
    // The connected controllers' names, for the devices' window.
    QStringList connected() const { return pads_.connected(); }

  private:
    void button(int pad, const std::string& name, bool down, int late_ms);
    void device(int pad, const QString& name, bool added);

    GamepadPresses presses_;
    ScoreboardWindow& board_;
    AppHost& host_;
    TableCheck& check_;
    Gamepads pads_;
    std::function<void()> changed_;
};

}  // namespace kyomat
