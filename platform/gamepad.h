#pragma once
// Game controllers read through SDL, whichever window has the keyboard: their buttons pressed
// and released, and controllers plugged in or out while the program runs. Looked at from the
// GUI thread by a timer (often while a controller is there, seldom otherwise); nothing waits.
#include <SDL_gamecontroller.h>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <map>
#include <string>

namespace kyomat {

class Gamepads : public QObject {
  public:
    struct Told {
        // A button by its name in kyomat.ini ("a", "dpup", ...), on the controller pad;
        // late_ms: how long ago the controller reported it.
        std::function<void(int pad, const std::string& button, bool down, int late_ms)> button;
        // A controller found (added) or let go.
        std::function<void(int pad, const QString& name, bool added)> device;
    };
    explicit Gamepads(Told told, QObject* parent = nullptr);
    ~Gamepads() override;
    Gamepads(const Gamepads&) = delete;
    Gamepads& operator=(const Gamepads&) = delete;

    // Starts looking; false (and why) when SDL cannot read controllers here.
    bool start(QString& why);
    // The connected controllers' names.
    QStringList connected() const;
    // The name of the controller pad ("" when it is gone).
    QString name_of(int pad) const;
    // One look now (the timer's; a test's).
    void look();

  private:
    Told told_;
    QTimer timer_;
    bool started_ = false;
    struct Pad {
        SDL_GameController* controller = nullptr;
        QString name;
    };
    std::map<int, Pad> pads_;  // by SDL's instance id
};

}  // namespace kyomat
