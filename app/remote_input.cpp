#include "app/remote_input.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <memory>

#include "app/app_host.h"
#include "data/core/setting_reader.h"
#include "data/core/settings_keys.h"
#include "display/scoreboard_window.h"

namespace kyomat {
namespace {

QString text_of(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string json(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

}  // namespace

QList<QPair<QHostAddress, int>> allowed_networks(const std::string& text, QString& problem) {
    QList<QPair<QHostAddress, int>> nets;
    for (const QString& part : QString::fromStdString(text).split(',', Qt::SkipEmptyParts)) {
        const QString entry = part.trimmed();
        if (entry.isEmpty()) continue;
        auto net = QHostAddress::parseSubnet(entry);
        if (net.first.isNull()) {
            const QHostAddress one(entry);
            if (one.isNull()) {
                problem = QStringLiteral(
                              "Fernbedienung: \"%1\" in erlaubt= ist keine Adresse und kein "
                              "Netz (z. B. 192.168.5.0/24)")
                              .arg(entry);
                continue;
            }
            net = {one, one.protocol() == QAbstractSocket::IPv6Protocol ? 128 : 32};
        }
        nets << net;
    }
    return nets;
}

std::unique_ptr<RemoteInput> RemoteInput::from_settings(const Settings& settings, LiveView* live,
                                                        ScoreboardWindow& board, AppHost& host,
                                                        TableCheck& check, QString& problem) {
    if (!setting_on(settings, Key::fernbedienung_aktiv)) return nullptr;
    if (live == nullptr) {
        problem = QStringLiteral(
            "Fernbedienung aus: sie braucht die Live-Ansicht ([live] port= in der kyomat.ini)");
        return nullptr;
    }
    RemoteAccess access;
    access.allowed =
        allowed_networks(read_setting_text(settings, Key::fernbedienung_erlaubt), problem);
    auto devices = std::make_unique<RemoteDevices>(settings.folder() / "fernbedienung.txt");
    access.devices = devices.get();
    return std::make_unique<RemoteInput>(access, std::move(devices), *live, board, host, check);
}

RemoteInput::RemoteInput(RemoteAccess access, std::unique_ptr<RemoteDevices> devices,
                         LiveView& live, ScoreboardWindow& board, AppHost& host, TableCheck& check)
    : devices_(std::move(devices)), live_(live), board_(board), host_(host), check_(check) {
    live_.enable_remote(
        std::move(access), [this](const RemoteCall& call) { apply(call); }, [this] { changed(); });
    // Looked at once a second while a device is paired; without one the board never wakes
    // for it.
    silence_.setInterval(1000);
    QObject::connect(&silence_, &QTimer::timeout, [this] { look_for_silence(); });
    if (!devices_->devices().empty()) silence_.start();
}

RemoteInput::~RemoteInput() {
    live_.clear_remote_handler();
}

void RemoteInput::changed() {
    if (!silence_.isActive() && !devices_->devices().empty()) silence_.start();
    if (const std::string problem = devices_->take_problem(); !problem.empty()) {
        host_.show_note(problem);
    }
    if (changed_) changed_();
}

QString RemoteInput::status() const {
    QStringList names;
    for (const RemoteDevice& d : devices_->devices()) {
        if (in_contact_.count(d.id) > 0) names << QString::fromStdString(d.name);
    }
    return names.isEmpty() ? QString() : QStringLiteral("Fernbedienung: ") + names.join(", ");
}

void RemoteInput::look_for_silence() {
    const std::int64_t now = steady_ms();
    bool moved = false;
    for (const RemoteDevice& d : devices_->devices()) {
        const bool contact = d.last_contact_ms >= 0 && now - d.last_contact_ms < k_silent_ms;
        const bool had = in_contact_.count(d.id) > 0;
        if (contact == had) continue;
        moved = true;
        if (contact) {
            in_contact_.insert(d.id);
            continue;
        }
        in_contact_.erase(d.id);
        if (board_.engine().bout_in_progress()) {
            host_.show_note("Fernbedienung „" + d.name +
                            "“: keine Verbindung mehr – Tastatur und Panel wirken wie immer");
        }
    }
    // Removed devices leave the set too.
    std::set<int> known;
    for (const RemoteDevice& d : devices_->devices()) known.insert(d.id);
    for (auto it = in_contact_.begin(); it != in_contact_.end();) {
        if (known.count(*it) == 0) {
            it = in_contact_.erase(it);
            moved = true;
        } else {
            ++it;
        }
    }
    if (moved) changed();
}

void RemoteInput::apply(const RemoteCall& call) {
    const RemoteCommand& command = *call.command;
    const QString label = text_of(command.label);
    if (check_.lit) {
        check_.lit(QString::fromStdString(call.device.name), label);
        live_.answer_remote(call.number, 200,
                            json({{"probe", true}, {"text", "Tischprobe: " + label}}));
        return;
    }
    if (!call.confirmed && needs_second_tap(command, board_.engine().bout_in_progress())) {
        live_.answer_remote(call.number, 409,
                            json({{"zweimal", true}, {"text", "Nochmal tippen: " + label}}));
        return;
    }
    // Made when the key acts, also when it acts later (a list being saved): its delay then
    // counts the wait.
    auto source = std::make_shared<CommandSource>(
        CommandSource{call.device.name, std::string(role_label(call.device.role)),
                      call.pressed.toStdString(), 0});
    const bool taken =
        board_.remote_key(command.key.key, command.key.mods,
                          [host = &host_, source, arrived = call.arrived_ms](bool on) {
                              source->delay_ms = static_cast<int>(steady_ms() - arrived);
                              host->set_command_source(on ? source.get() : nullptr);
                          });
    if (!taken) {
        live_.answer_remote(
            call.number, 409,
            json({{"fehler", "Am Tisch ist ein Dialog offen: erst dort schließen"}}));
        return;
    }
    live_.answer_remote(call.number, 200, json({{"ok", true}, {"text", label}}));
}

}  // namespace kyomat
