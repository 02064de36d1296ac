#include "live/live_server.h"

#include <QNetworkInterface>

// The GUI thread's side of the live view: the server's thread started and stopped, each new
// state handed over without waiting, and the addresses the operator is shown.
namespace kyomat {

LiveView::LiveView(LiveLimits limits) : server_(new LiveServer(limits)) {
    thread_.setObjectName(QStringLiteral("kyomat-live"));
    server_->moveToThread(&thread_);
    thread_.start();
}

LiveView::~LiveView() {
    hand_over_and_wait(server_, [s = server_] { delete s; });
    thread_.quit();
    thread_.wait();
}

bool LiveView::start(const QString& address, quint16 port, QString& error) {
    QHostAddress host;
    if (!host.setAddress(address)) {
        error = QStringLiteral("'%1' ist keine IP-Adresse").arg(address);
        return false;
    }
    bool ok = false;
    hand_over_and_wait(server_, [&] {
        ok = server_->listen(host, port, error);
        port_ = server_->port();
    });
    return ok;
}

void LiveView::publish(const std::string& document, bool running) {
    hand_over(server_, [s = server_, doc = QByteArray::fromStdString(document), running] {
        s->publish(doc, running);
    });
}

void LiveView::set_hall_mats(const std::string& document) {
    hand_over(server_,
              [s = server_, doc = QByteArray::fromStdString(document)] { s->set_hall_mats(doc); });
}

void LiveView::enable_remote(RemoteAccess access, std::function<void(const RemoteCall&)> handler,
                             std::function<void()> paired) {
    handler_ = std::move(handler);
    paired_ = std::move(paired);
    hand_over_and_wait(server_, [this, &access] {
        server_->set_remote(
            access,
            [this](const RemoteCall& call) { hand_over(&inbox_, [this, call] { deliver(call); }); },
            [this] {
                hand_over(&inbox_, [this] {
                    if (paired_) paired_();
                });
            });
    });
}

void LiveView::clear_remote_handler() {
    handler_ = {};
    paired_ = {};
}

void LiveView::deliver(const RemoteCall& call) {
    if (handler_) {
        handler_(call);
        return;
    }
    answer_remote(call.number, 503, R"({"fehler":"Die Anzeige wird beendet"})");
}

void LiveView::answer_remote(quint64 number, int status, const std::string& json) {
    hand_over(server_, [s = server_, number, status, doc = QByteArray::fromStdString(json)] {
        s->answer_remote(number, status, doc);
    });
}

LiveCounts LiveView::counts() const {
    LiveCounts c;
    hand_over_and_wait(server_, [&] { c = server_->counts(); });
    return c;
}

QStringList live_urls(const QString& address, quint16 port) {
    const QHostAddress listen(address);
    if (listen != QHostAddress::AnyIPv4 && listen != QHostAddress::Any &&
        listen != QHostAddress::AnyIPv6) {
        return {live_url(address, port)};
    }
    QStringList urls;
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            urls << QStringLiteral("http://%1:%2/").arg(a.toString()).arg(port);
    }
    if (urls.isEmpty()) urls << live_url(address, port);
    return urls;
}

QString live_url(const QString& address, quint16 port) {
    QString host = address;
    const QHostAddress listen(address);
    if (listen == QHostAddress::AnyIPv4 || listen == QHostAddress::Any) {
        host = QStringLiteral("127.0.0.1");
        for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) {
                host = a.toString();
                break;
            }
        }
    } else if (listen.protocol() == QAbstractSocket::IPv6Protocol) {
        host = QStringLiteral("[%1]").arg(address);
    }
    return QStringLiteral("http://%1:%2/").arg(host).arg(port);
}

}  // namespace kyomat
