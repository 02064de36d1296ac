#pragma once
// The live view's server: read-only HTTP on Qt's own sockets, in a thread of its own so
// that no client, however slow or hostile, holds up the scoreboard's clock or keys.
#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "live/core/http_request.h"
#include "live/core/room.h"
#include "live/remote_devices.h"
#include "platform/hand_over.h"

class QTcpServer;
class QTcpSocket;

namespace kyomat {

struct LiveLimits {
    // Connections at once; who makes room for a newcomer is decided in live/core/room.h: a
    // fresh visitor is never turned away, and a crowd from one address cannot push others out.
    int max_connections = 128;
    // Connections one client address may hold, answered or not.
    int per_address = 8;
    // Time for a client to send its request and take its answer (a viewer's push stream
    // excepted).
    int request_ms = 10'000;
    // A viewer that leaves this much of its push stream unread is dropped.
    qint64 max_unread = qint64{256} * 1024;
    // ... and so is one whose stream has been waiting to be sent for this long.
    int behind_ms = 10'000;
    // What the system may hold of a viewer's stream: small, so that a viewer who does not
    // read is seen to fall behind within seconds, not after megabytes.
    int viewer_send_buffer = 16 * 1024;
    // How often viewers get the state while a clock runs, and a keep-alive otherwise.
    int beat_ms = 1000;
    // An idle stream hears a beat every this many beat_ms: the hall pages take a mat for
    // silent after three beats missed (live.js).
    static constexpr int k_idle_beats = 4;
};

struct LiveCounts {
    int connections = 0;
    int viewers = 0;
    quint64 events_sent = 0;
    quint64 viewers_dropped = 0;
    // Newcomers turned away with "voll" because every place held a viewer that streams.
    quint64 refused = 0;
    // Connections accepted since the start.
    quint64 arrivals = 0;
};

// A command of a paired remote, for the board to apply on the GUI thread; its answer goes back
// to the device under its number.
struct RemoteCall {
    quint64 number = 0;
    RemoteDevice device;
    const RemoteCommand* command = nullptr;
    bool confirmed = false;  // the second tap of a command that decides
    QString pressed;         // when the device says it was pressed: "14:03:07.412"
    qint64 arrived_ms = 0;   // steady_ms() when the server had it whole
};

struct RemoteAccess {
    RemoteDevices* devices = nullptr;  // nullptr: the remote is off
    // The networks the control part answers ([fernbedienung] erlaubt); empty: the local ones.
    QList<QPair<QHostAddress, int>> allowed;
};

// Lives in the server thread; reached only through LiveView.
class LiveServer : public QObject {
    Q_OBJECT
  public:
    explicit LiveServer(LiveLimits limits);
    ~LiveServer() override;

    bool listen(const QHostAddress& address, quint16 port, QString& error);
    quint16 port() const;
    void publish(const QByteArray& document, bool running);
    // What /halle.json serves: the hall's mats from the settings.
    void set_hall_mats(const QByteArray& document) { hall_mats_ = document; }
    LiveCounts counts() const;
    bool event(QEvent* e) override { return run_handed_over(e) || QObject::event(e); }
    // The remote's commands go to deliver, a new pairing to paired (both called on the
    // server's thread; they hand over).
    void set_remote(RemoteAccess access, std::function<void(const RemoteCall&)> deliver,
                    std::function<void()> paired);
    void answer_remote(quint64 number, int status, const QByteArray& json);

  private:
    struct Connection {
        std::string address;
        QByteArray received;
        qint64 since_ms = 0;
        bool viewer = false;
        bool answered = false;
        // Since when the viewer's stream has had bytes waiting to be sent; -1: none waiting.
        qint64 behind_since_ms = -1;
    };
    void accept();
    void read(QTcpSocket* socket);
    void answer_request(QTcpSocket* socket, LivePath path, bool head_only);
    // The control part: its page, pairing, a device's beat and its commands.
    void answer_remote_request(QTcpSocket* socket, const LiveRequest& request,
                               const QByteArray& body);
    void remote_command(QTcpSocket* socket, const RemoteDevice& device, const QByteArray& body);
    bool remote_allowed(const QHostAddress& peer) const;
    void finish_remote(QTcpSocket* socket, int status, const QByteArray& json);
    void finish(QTcpSocket* socket, const std::string& text);
    void drop(QTcpSocket* socket);
    void send_to_viewers(const QByteArray& event);
    // Drops the viewers that have been behind too long; notes who is behind since when.
    void check_behind(qint64 now);
    // Who gives up a place: for a newcomer from address (nullptr: nobody needs to), or once
    // proven has sent its request while the places are over-full.
    QTcpSocket* make_room_for_newcomer(const std::string& address);
    QTcpSocket* make_room_for_proven(QTcpSocket* proven);
    // Whether the address of this connection holds all the places it may.
    bool crowded(QTcpSocket* socket) const;
    void evict(QTcpSocket* socket);
    void beat();
    qint64 now_ms() const;

    LiveLimits limits_;
    QTcpServer* server_ = nullptr;
    QTimer* beat_ = nullptr;
    QHash<QTcpSocket*, Connection> connections_;
    QByteArray document_ = "{\"sequence\":0}";
    bool running_ = false;
    qint64 last_sent_ms_ = 0;
    LiveCounts counts_;
    QByteArray board_page_, overlay_page_, hall_page_, call_up_page_, script_;
    QByteArray hall_mats_ = "{\"matten\":[]}";
    QByteArray remote_page_;
    RemoteAccess remote_;
    std::function<void(const RemoteCall&)> deliver_;
    std::function<void()> paired_;
    // Commands handed to the board, by number: their device waits for the answer.
    QHash<quint64, QTcpSocket*> waiting_;
    quint64 next_call_ = 0;
    // What the Host header may name: this computer's addresses and names.
    std::vector<std::string> own_hosts_;
};

// The GUI thread's handle on the server: starts its thread, hands it each new state and
// stops it cleanly.
class LiveView {
  public:
    explicit LiveView(LiveLimits limits = {});
    ~LiveView();
    LiveView(const LiveView&) = delete;
    LiveView& operator=(const LiveView&) = delete;

    // Port 0 takes any free port (the tests do); error says why it failed.
    bool start(const QString& address, quint16 port, QString& error);
    quint16 port() const { return port_; }
    // Returns at once; the server sends it from its own thread.
    void publish(const std::string& document, bool running);
    // The mats /halle and /aufruf show when their address names none.
    void set_hall_mats(const std::string& document);
    LiveCounts counts() const;
    // The paired remote at /steuerung: its commands come to handler on the GUI thread, which
    // answers each with answer_remote. devices must outlive the view.
    // paired: told when a device has paired.
    void enable_remote(RemoteAccess access, std::function<void(const RemoteCall&)> handler,
                       std::function<void()> paired);
    // The handler goes away (nothing): commands still on their way are answered refused.
    void clear_remote_handler();
    void answer_remote(quint64 number, int status, const std::string& json);

  private:
    void deliver(const RemoteCall& call);

    QThread thread_;
    HandOverInbox inbox_;
    std::function<void(const RemoteCall&)> handler_;
    std::function<void()> paired_;
    LiveServer* server_;
    quint16 port_ = 0;
};

// What to type into a browser to reach the server: the computer's network address when it
// listens on every address.
QString live_url(const QString& address, quint16 port);
// Every address it can be reached at: all of the computer's network addresses when it
// listens on every address (the status bar names them all).
QStringList live_urls(const QString& address, quint16 port);

}  // namespace kyomat
