// The live server's control part: the paired remote's page, its pairing, a device's beat and
// its commands, each checked (network, origin, token, role, rate, repeats) on the server's
// thread before a command is handed to the board.
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <algorithm>

#include "live/live_server.h"

namespace kyomat {

void LiveServer::set_remote(RemoteAccess access, std::function<void(const RemoteCall&)> deliver,
                            std::function<void()> paired) {
    remote_ = std::move(access);
    deliver_ = std::move(deliver);
    paired_ = std::move(paired);
}

namespace {

QByteArray json_of(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray refusal(const QString& why) {
    return json_of({{"fehler", why}});
}

QJsonObject device_json(const RemoteDevice& device) {
    return {
        {"name", QString::fromStdString(device.name)},
        {"rolle", QString::fromUtf8(role_word(device.role).data(),
                                    static_cast<qsizetype>(role_word(device.role).size()))},
        {"rolle_text", QString::fromUtf8(role_label(device.role).data(),
                                         static_cast<qsizetype>(role_label(device.role).size()))}};
}

// The local networks: this computer, the private ranges and the link-local ones.
bool local_network(const QHostAddress& a) {
    static const QList<QPair<QHostAddress, int>> nets = {
        QHostAddress::parseSubnet(QStringLiteral("127.0.0.0/8")),
        QHostAddress::parseSubnet(QStringLiteral("10.0.0.0/8")),
        QHostAddress::parseSubnet(QStringLiteral("172.16.0.0/12")),
        QHostAddress::parseSubnet(QStringLiteral("192.168.0.0/16")),
        QHostAddress::parseSubnet(QStringLiteral("169.254.0.0/16")),
        QHostAddress::parseSubnet(QStringLiteral("fc00::/7")),
        QHostAddress::parseSubnet(QStringLiteral("fe80::/10"))};
    if (a.isLoopback()) return true;
    return std::any_of(nets.begin(), nets.end(),
                       [&a](const auto& net) { return a.isInSubnet(net); });
}

}  // namespace

bool LiveServer::remote_allowed(const QHostAddress& peer) const {
    QHostAddress a = peer;
    bool mapped = false;
    const quint32 v4 = a.toIPv4Address(&mapped);
    if (mapped) a = QHostAddress(v4);
    if (remote_.allowed.isEmpty()) return local_network(a);
    return a.isLoopback() || std::any_of(remote_.allowed.begin(), remote_.allowed.end(),
                                         [&a](const auto& net) { return a.isInSubnet(net); });
}

void LiveServer::finish_remote(QTcpSocket* socket, int status, const QByteArray& json) {
    finish(socket, live_answer(status, "application/json; charset=utf-8",
                               std::string_view(json.constData(), json.size()), false, false));
}

void LiveServer::answer_remote_request(QTcpSocket* socket, const LiveRequest& request,
                                       const QByteArray& body) {
    if (remote_.devices == nullptr) {
        finish(socket, live_answer(404, "text/plain; charset=utf-8",
                                   "Die Fernbedienung ist aus ([fernbedienung] aktiv=1).\n",
                                   request.head_only, false));
        return;
    }
    if (!remote_allowed(socket->peerAddress())) {
        finish(socket, live_answer(403, "text/plain; charset=utf-8",
                                   "Die Fernbedienung antwortet nur im eigenen Netz.\n",
                                   request.head_only, false));
        return;
    }
    if (request.path == LivePath::remote_page) {
        finish(socket, live_answer(200, k_html,
                                   std::string_view(remote_page_.constData(), remote_page_.size()),
                                   request.head_only, false));
        return;
    }
    // A command comes only from the server's own page: no other page can make a browser
    // send one.
    if (!same_origin(request.host, request.origin, own_hosts_, port())) {
        finish_remote(socket, 403, refusal(QStringLiteral("fremde Seite")));
        return;
    }
    // The devices are stamped by the clock the GUI thread reads too.
    const qint64 now = steady_ms();
    if (request.path == LivePath::remote_pair) {
        const QJsonObject asked = QJsonDocument::fromJson(body).object();
        const auto p = remote_.devices->pair(asked.value("code").toString().toStdString(), now);
        using Outcome = RemoteDevices::Pairing::Outcome;
        switch (p.outcome) {
            case Outcome::paired: {
                QJsonObject answer = device_json(p.device);
                answer["token"] = QString::fromStdString(p.token);
                finish_remote(socket, 200, json_of(answer));
                if (paired_) paired_();
                return;
            }
            case Outcome::locked:
                finish_remote(
                    socket, 429,
                    refusal(QStringLiteral("Koppeln gesperrt: noch %1 s").arg(p.locked_seconds)));
                return;
            default:
                finish_remote(socket, 403, refusal(QStringLiteral("Code falsch oder abgelaufen")));
                return;
        }
    }
    const auto device = remote_.devices->device_of(request.token, now);
    if (!device) {
        finish_remote(socket, 401, refusal(QStringLiteral("nicht gekoppelt")));
        return;
    }
    if (request.path == LivePath::remote_beat) {
        const QJsonObject told = QJsonDocument::fromJson(body).object();
        if (told.contains("verzoegerung")) {
            remote_.devices->set_delay(device->id, told.value("verzoegerung").toInt(-1));
        }
        finish_remote(socket, 200, json_of(device_json(*device)));
        return;
    }
    remote_command(socket, *device, body);
}

void LiveServer::remote_command(QTcpSocket* socket, const RemoteDevice& device,
                                const QByteArray& body) {
    const qint64 now = steady_ms();
    if (device.role == RemoteRole::view) {
        finish_remote(socket, 403, refusal(QStringLiteral("Dieses Gerät darf nur ansehen")));
        return;
    }
    if (!remote_.devices->take_rate(device.id, now)) {
        finish_remote(socket, 429, refusal(QStringLiteral("zu viele Befehle")));
        return;
    }
    const QJsonObject asked = QJsonDocument::fromJson(body).object();
    const RemoteCommand* command =
        kyomat::remote_command(asked.value("befehl").toString().toStdString());
    const double id = asked.value("id").toDouble(-1);
    if (command == nullptr || id < 0) {
        finish_remote(socket, 400, refusal(QStringLiteral("Befehl unbekannt")));
        return;
    }
    if (!role_allows(device.role, command->group)) {
        finish_remote(socket, 403,
                      refusal(QStringLiteral("Die Rolle „%1“ darf das nicht")
                                  .arg(QString::fromUtf8(
                                      role_label(device.role).data(),
                                      static_cast<qsizetype>(role_label(device.role).size())))));
        return;
    }
    if (!remote_.devices->first_time(device.id, static_cast<std::uint64_t>(id))) {
        // A retry of a command the board has already taken: applied once.
        finish_remote(socket, 200, json_of({{"doppelt", true}}));
        return;
    }
    RemoteCall call;
    call.number = ++next_call_;
    call.device = device;
    call.command = command;
    call.confirmed = asked.value("bestaetigt").toBool();
    call.pressed = asked.value("gedrueckt").toString().left(16);
    call.arrived_ms = steady_ms();
    waiting_.insert(call.number, socket);
    deliver_(call);
}

void LiveServer::answer_remote(quint64 number, int status, const QByteArray& json) {
    QTcpSocket* socket = waiting_.take(number);
    if (socket != nullptr) finish_remote(socket, status, json);
}

}  // namespace kyomat
