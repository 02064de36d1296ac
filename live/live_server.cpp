#include "live/live_server.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>

#include "live/core/http_request.h"

static void init_live_pages() {
    Q_INIT_RESOURCE(live_pages);
}

namespace kyomat {
namespace {

QByteArray page(const char* name) {
    QFile file(QStringLiteral(":/live/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QElapsedTimer& clock() {
    static const QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer;
}

}  // namespace

LiveServer::LiveServer(LiveLimits limits) : limits_(limits) {
    init_live_pages();
    board_page_ = page("board.html");
    script_ = page("live.js");
    overlay_page_ = page("overlay.html");
    hall_page_ = page("halle.html");
    call_up_page_ = page("aufruf.html");
    remote_page_ = page("steuerung.html");
}

LiveServer::~LiveServer() {
    // The sockets are the server's children; they go with it without another signal.
    for (auto it = connections_.keyBegin(); it != connections_.keyEnd(); ++it) {
        (*it)->disconnect(this);
    }
}

qint64 LiveServer::now_ms() const {
    return clock().elapsed();
}

bool LiveServer::listen(const QHostAddress& address, quint16 port, QString& error) {
    server_ = new QTcpServer(this);
    // Connections wait in the system's queue, not in ours, until they are taken.
    server_->setMaxPendingConnections(limits_.max_connections);
    if (!server_->listen(address, port)) {
        // Said so that the operator knows what to change.
        switch (server_->serverError()) {
            case QAbstractSocket::AddressInUseError:
                error = QStringLiteral(
                            "Port %1 ist belegt (ein anderes Programm, oder KYOMAT "
                            "läuft schon)")
                            .arg(port);
                break;
            case QAbstractSocket::SocketAddressNotAvailableError:
                error = QStringLiteral("die Adresse %1 gehört nicht zu diesem Computer")
                            .arg(address.toString());
                break;
            case QAbstractSocket::SocketAccessError:
                error = QStringLiteral(
                            "Port %1 darf nicht benutzt werden (unter 1024 nur mit "
                            "Administratorrechten)")
                            .arg(port);
                break;
            default:
                error = server_->errorString();
                break;
        }
        return false;
    }
    connect(server_, &QTcpServer::newConnection, this, &LiveServer::accept);
    // The names a page of this server may give in its Host header.
    own_hosts_ = {"localhost"};
    const QString name = QHostInfo::localHostName().toLower();
    if (!name.isEmpty()) {
        own_hosts_.push_back(name.toStdString());
        own_hosts_.push_back((name + QStringLiteral(".local")).toStdString());
    }
    const bool everywhere = address == QHostAddress::AnyIPv4 || address == QHostAddress::Any ||
                            address == QHostAddress::AnyIPv6;
    for (const QHostAddress& a :
         everywhere ? QNetworkInterface::allAddresses() : QList<QHostAddress>{address}) {
        QHostAddress plain(a);
        plain.setScopeId({});
        own_hosts_.push_back(plain.toString().toLower().toStdString());
    }
    // The beat has work only while someone is connected: without anyone it sleeps, and the
    // program wakes no more often than the board itself.
    beat_ = new QTimer(this);
    beat_->setInterval(limits_.beat_ms);
    connect(beat_, &QTimer::timeout, this, &LiveServer::beat);
    return true;
}

quint16 LiveServer::port() const {
    return server_ != nullptr ? server_->serverPort() : 0;
}

LiveCounts LiveServer::counts() const {
    LiveCounts c = counts_;
    c.connections = static_cast<int>(connections_.size());
    c.viewers = 0;
    for (const Connection& conn : connections_) c.viewers += conn.viewer ? 1 : 0;
    return c;
}

void LiveServer::accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        const std::string address = socket->peerAddress().toString().toStdString();
        ++counts_.arrivals;
        if (QTcpSocket* victim = make_room_for_newcomer(address)) evict(victim);
        // Qt reads no more from the system than one request may hold.
        socket->setReadBufferSize(static_cast<qint64>(k_max_request_head + k_max_request_body) + 1);
        Connection c;
        c.address = address;
        c.since_ms = now_ms();
        connections_.insert(socket, c);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] { drop(socket); });
    }
    if (!connections_.isEmpty() && !beat_->isActive()) beat_->start();
}

namespace {

RoomRules room_rules(const LiveLimits& limits) {
    RoomRules rules;
    rules.places = limits.max_connections;
    rules.per_address = limits.per_address;
    return rules;
}

}  // namespace

QTcpSocket* LiveServer::make_room_for_newcomer(const std::string& address) {
    std::vector<ClientFacts> facts;
    std::vector<QTcpSocket*> sockets;
    facts.reserve(static_cast<std::size_t>(connections_.size()));
    for (auto it = connections_.cbegin(); it != connections_.cend(); ++it) {
        facts.push_back({it->address, it->since_ms, it->answered, it->viewer, it->behind_since_ms});
        sockets.push_back(it.key());
    }
    const auto leaving = who_leaves_for_newcomer(facts, address, now_ms(), room_rules(limits_));
    return leaving ? sockets[*leaving] : nullptr;
}

bool LiveServer::crowded(QTcpSocket* socket) const {
    const std::string& address = connections_.value(socket).address;
    int own = 0;
    for (auto it = connections_.cbegin(); it != connections_.cend(); ++it) {
        if (it.key() != socket && it->address == address) ++own;
    }
    return own >= limits_.per_address;
}

QTcpSocket* LiveServer::make_room_for_proven(QTcpSocket* proven) {
    std::vector<ClientFacts> facts;
    std::vector<QTcpSocket*> sockets;
    for (auto it = connections_.cbegin(); it != connections_.cend(); ++it) {
        if (it.key() == proven) continue;
        facts.push_back({it->address, it->since_ms, it->answered, it->viewer, it->behind_since_ms});
        sockets.push_back(it.key());
    }
    const auto leaving = who_leaves_for_proven(facts, connections_.value(proven).address, now_ms(),
                                               room_rules(limits_));
    if (!leaving) return nullptr;
    return *leaving < sockets.size() ? sockets[*leaving] : proven;
}

void LiveServer::evict(QTcpSocket* socket) {
    if (connections_.value(socket).viewer) ++counts_.viewers_dropped;
    drop(socket);
}

void LiveServer::check_behind(qint64 now) {
    QList<QTcpSocket*> late;
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
        if (!it->viewer) continue;
        if (it.key()->bytesToWrite() == 0) {
            it->behind_since_ms = -1;
        } else if (it->behind_since_ms < 0) {
            it->behind_since_ms = now;
        } else if (now - it->behind_since_ms > limits_.behind_ms) {
            late.append(it.key());
        }
    }
    for (QTcpSocket* socket : late) {
        drop(socket);
        ++counts_.viewers_dropped;
    }
}

void LiveServer::read(QTcpSocket* socket) {
    auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    Connection& c = *it;
    if (c.answered) {
        // Whatever a viewer sends after its request is not looked at.
        socket->skip(socket->bytesAvailable());
        return;
    }
    const qint64 room =
        static_cast<qint64>(k_max_request_head + k_max_request_body) + 1 - c.received.size();
    c.received += socket->read(room);
    const LiveRequest request =
        judge_request(std::string_view(c.received.constData(), c.received.size()));
    switch (request.verdict) {
        case RequestVerdict::incomplete:
            return;
        case RequestVerdict::complete: {
            const QByteArray body = c.received.mid(static_cast<qsizetype>(request.body_start),
                                                   static_cast<qsizetype>(request.body_length));
            c.received.clear();
            c.answered = true;
            // c is not used after this: making room changes the table.
            const bool streams = request.path == LivePath::events && !request.head_only;
            if (QTcpSocket* victim = make_room_for_proven(socket); victim == socket && !streams) {
                // A full house still answers a page or the state: answered, it leaves at once.
            } else if (victim == socket) {
                // A full house, or an address whose places all stream: the viewers that are
                // there stay, the newcomer is told (on its page, for a crowd behind one address).
                ++counts_.refused;
                finish(socket, crowded(socket)
                                   ? live_crowded_stream()
                                   : live_full_house(limits_.max_connections, request.head_only));
                return;
            } else if (victim != nullptr) {
                evict(victim);
            }
            if (streams) {
                connections_[socket].viewer = true;
                socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption,
                                        limits_.viewer_send_buffer);
                socket->write(QByteArray::fromStdString(live_stream_head()));
                socket->write(QByteArray::fromStdString(
                    live_stream_event(std::string_view(document_.constData(), document_.size()))));
                ++counts_.events_sent;
                return;
            }
            if (is_remote_path(request.path)) {
                answer_remote_request(socket, request, body);
                return;
            }
            answer_request(socket, request.path, request.head_only);
            return;
        }
        default:
            c.answered = true;
            socket->skip(socket->bytesAvailable());
            finish(socket, live_refusal(request.verdict));
            return;
    }
}

void LiveServer::answer_request(QTcpSocket* socket, LivePath path, bool head_only) {
    const auto as_view = [](const QByteArray& bytes) {
        return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    };
    switch (path) {
        case LivePath::board_page:
            return finish(socket, live_answer(200, k_html, as_view(board_page_), head_only));
        case LivePath::overlay_page:
            return finish(socket, live_answer(200, k_html, as_view(overlay_page_), head_only));
        case LivePath::hall_page:
            return finish(socket, live_answer(200, k_html, as_view(hall_page_), head_only));
        case LivePath::call_up_page:
            return finish(socket, live_answer(200, k_html, as_view(call_up_page_), head_only));
        case LivePath::hall_mats:
            return finish(socket, live_answer(200, "application/json; charset=utf-8",
                                              as_view(hall_mats_), head_only));
        case LivePath::script:
            return finish(socket, live_answer(200, "text/javascript; charset=utf-8",
                                              as_view(script_), head_only));
        case LivePath::state:
            return finish(socket, live_answer(200, "application/json; charset=utf-8",
                                              as_view(document_), head_only));
        case LivePath::events:
            return finish(socket, live_answer(200, "text/event-stream; charset=utf-8", "", true));
        default:
            return finish(socket, live_answer(404, "text/plain; charset=utf-8", "Nicht gefunden.\n",
                                              head_only));
    }
}

void LiveServer::finish(QTcpSocket* socket, const std::string& text) {
    socket->write(text.data(), static_cast<qint64>(text.size()));
    // Closes once the answer is out; a client that never takes it is dropped by the beat.
    socket->disconnectFromHost();
}

void LiveServer::drop(QTcpSocket* socket) {
    if (connections_.remove(socket) == 0) return;
    for (auto it = waiting_.begin(); it != waiting_.end();) {
        it = it.value() == socket ? waiting_.erase(it) : std::next(it);
    }
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    if (connections_.isEmpty()) beat_->stop();
}

void LiveServer::send_to_viewers(const QByteArray& event) {
    QList<QTcpSocket*> slow;
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
        if (!it->viewer) continue;
        QTcpSocket* socket = it.key();
        if (socket->bytesToWrite() + event.size() > limits_.max_unread) {
            slow.append(socket);
            continue;
        }
        socket->write(event);
        ++counts_.events_sent;
    }
    for (QTcpSocket* socket : slow) {
        drop(socket);
        ++counts_.viewers_dropped;
    }
    last_sent_ms_ = now_ms();
}

void LiveServer::publish(const QByteArray& document, bool running) {
    document_ = document;
    running_ = running;
    send_to_viewers(QByteArray::fromStdString(
        live_stream_event(std::string_view(document_.constData(), document_.size()))));
}

void LiveServer::beat() {
    const qint64 now = now_ms();
    QList<QTcpSocket*> late;
    for (auto it = connections_.cbegin(); it != connections_.cend(); ++it) {
        if (!it->viewer && now - it->since_ms > limits_.request_ms) late.append(it.key());
    }
    for (QTcpSocket* socket : late) drop(socket);
    check_behind(now);
    if (now - last_sent_ms_ < limits_.beat_ms - limits_.beat_ms / 10) return;
    if (running_) {
        send_to_viewers(QByteArray::fromStdString(
            live_stream_event(std::string_view(document_.constData(), document_.size()))));
    } else if (now - last_sent_ms_ >= qint64{LiveLimits::k_idle_beats} * limits_.beat_ms) {
        // A beat the pages see keeps idle streams open through proxies, finds dead viewers,
        // and lets a hall page tell a silent mat (hung, asleep, its cable pulled) from one
        // that has nothing new to say.
        send_to_viewers(QByteArrayLiteral("event: beat\ndata: \n\n"));
    }
}

}  // namespace kyomat
