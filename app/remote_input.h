#pragma once
// The paired remote's commands on the board: each goes through the one queue of commands as
// a typed key does, the protocol naming its device, role and delay; what decides the bout
// waits for the device's second tap; nothing goes into a question or a dialog. A device that
// falls silent during a bout is said in a note.
#include <QObject>
#include <QString>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>

#include "live/live_server.h"
#include "live/remote_devices.h"

namespace kyomat {

class AppHost;
class ScoreboardWindow;
class Settings;

// The table check: while the devices' window is open, a button pressed on a remote or a
// gamepad is shown there, not applied.
struct TableCheck {
    std::function<void(const QString& device, const QString& what)> lit;
};

class RemoteInput {
  public:
    // Nothing when [fernbedienung] aktiv is not 1; problem says why the remote cannot work
    // although wanted (no live view, a bad network in erlaubt).
    static std::unique_ptr<RemoteInput> from_settings(const Settings& settings, LiveView* live,
                                                      ScoreboardWindow& board, AppHost& host,
                                                      TableCheck& check, QString& problem);
    RemoteInput(RemoteAccess access, std::unique_ptr<RemoteDevices> devices, LiveView& live,
                ScoreboardWindow& board, AppHost& host, TableCheck& check);
    ~RemoteInput();
    RemoteInput(const RemoteInput&) = delete;
    RemoteInput& operator=(const RemoteInput&) = delete;

    RemoteDevices& devices() { return *devices_; }
    // Told when a device paired, was removed or fell silent or came back.
    void on_changed(std::function<void()> changed) { changed_ = std::move(changed); }
    void changed();
    // The devices in contact, for the panel's status bar: "Fernbedienung: Tablet 1", or "".
    QString status() const;
    static constexpr std::int64_t k_silent_ms = 3000;

  private:
    void apply(const RemoteCall& call);
    void look_for_silence();

    std::unique_ptr<RemoteDevices> devices_;
    LiveView& live_;
    ScoreboardWindow& board_;
    AppHost& host_;
    TableCheck& check_;
    QTimer silence_;
    std::set<int> in_contact_;
    std::function<void()> changed_;
};

// Networks from [fernbedienung] erlaubt ("192.168.5.0/24, 10.1.2.3"); problem names an entry
// that is none.
QList<QPair<QHostAddress, int>> allowed_networks(const std::string& text, QString& problem);

}  // namespace kyomat
