#include "app/devices_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/remote_input.h"

namespace kyomat {
namespace {

QString text_of(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr RemoteRole k_roles[] = {RemoteRole::everything, RemoteRole::clock, RemoteRole::scores,
                                  RemoteRole::view};

}  // namespace

void QrView::set_text(const QString& text) {
    code_ = qr_code(text.toStdString());
    update();
}

void QrView::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (code_.size == 0) return;
    // Four modules of quiet zone around the code, as cameras expect.
    const int modules = code_.size + 8;
    const int unit = std::max(1, std::min(width(), height()) / modules);
    const int left = (width() - unit * code_.size) / 2;
    const int top = (height() - unit * code_.size) / 2;
    for (int y = 0; y < code_.size; ++y) {
        for (int x = 0; x < code_.size; ++x) {
            if (code_.at(x, y)) p.fillRect(left + x * unit, top + y * unit, unit, unit, Qt::black);
        }
    }
}

DevicesWindow::DevicesWindow(RemoteInput* remote, TableCheck& check, QString address,
                             std::function<QStringList()> controllers, QWidget* parent)
    : QDialog(parent),
      remote_(remote),
      check_(check),
      address_(std::move(address)),
      controllers_(std::move(controllers)) {
    setObjectName(QStringLiteral("frmGeraete"));
    setWindowTitle(QStringLiteral("Geräte: Fernbedienung und Gamepads"));
    auto* layout = new QVBoxLayout(this);
    if (remote_ != nullptr) {
        auto* pairing = new QHBoxLayout;
        auto* left = new QVBoxLayout;
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("Neues Gerät, Rolle:"), this));
        role_ = new QComboBox(this);
        role_->setObjectName(QStringLiteral("cboRolle"));
        for (const RemoteRole r : k_roles) role_->addItem(text_of(role_label(r)));
        row->addWidget(role_);
        auto* open = new QPushButton(QStringLiteral("Code zeigen"), this);
        open->setObjectName(QStringLiteral("btnCode"));
        open->setAutoDefault(false);
        row->addWidget(open);
        left->addLayout(row);
        code_ = new QLabel(this);
        code_->setObjectName(QStringLiteral("lblCode"));
        QFont big = font();
        big.setPixelSize(48);
        big.setBold(true);
        code_->setFont(big);
        code_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        left->addWidget(code_);
        valid_ = new QLabel(this);
        valid_->setObjectName(QStringLiteral("lblGueltig"));
        left->addWidget(valid_);
        where_ = new QLabel(address_, this);
        where_->setObjectName(QStringLiteral("lblAdresse"));
        where_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        left->addWidget(where_);
        left->addStretch();
        pairing->addLayout(left, 1);
        qr_ = new QrView(this);
        qr_->setObjectName(QStringLiteral("qrAdresse"));
        qr_->setFixedSize(200, 200);
        qr_->set_text(address_);
        pairing->addWidget(qr_);
        layout->addLayout(pairing);
        connect(open, &QPushButton::clicked, this, [this] { show_code(); });
    }
    {
        table_ = new QTableWidget(0, 5, this);
        table_->setObjectName(QStringLiteral("tblGeraete"));
        table_->setHorizontalHeaderLabels({QStringLiteral("Gerät"), QStringLiteral("Rolle"),
                                           QStringLiteral("Letzte Verbindung"),
                                           QStringLiteral("Verzögerung"), QString()});
        table_->horizontalHeader()->setStretchLastSection(true);
        table_->verticalHeader()->hide();
        table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        layout->addWidget(table_);
    }
    probe_ = new QLabel(this);
    probe_->setObjectName(QStringLiteral("lblProbe"));
    probe_->setMinimumHeight(40);
    probe_->setText(
        QStringLiteral("Tischprobe: einen Knopf an einem Gerät oder Gamepad drücken "
                       "– er wird hier gezeigt, nicht ausgeführt."));
    probe_->setWordWrap(true);
    layout->addWidget(probe_);
    auto* close = new QPushButton(QStringLiteral("Schließen"), this);
    close->setObjectName(QStringLiteral("btnSchliessen"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(640, remote_ != nullptr ? 560 : 320);

    tick_.setInterval(1000);
    connect(&tick_, &QTimer::timeout, this, [this] { refresh(); });
    unlight_.setSingleShot(true);
    connect(&unlight_, &QTimer::timeout, this, [this] { probe_->setStyleSheet(QString()); });
}

DevicesWindow::~DevicesWindow() {
    check_.lit = {};
}

void DevicesWindow::showEvent(QShowEvent* event) {
    check_.lit = [this](const QString& device, const QString& what) { lit(device, what); };
    refresh();
    tick_.start();
    QDialog::showEvent(event);
}

void DevicesWindow::hideEvent(QHideEvent* event) {
    check_.lit = {};
    tick_.stop();
    // A code nobody entered while the window was open is not left open behind it.
    if (remote_ != nullptr) remote_->devices().close_code();
    QDialog::hideEvent(event);
}

void DevicesWindow::lit(const QString& device, const QString& what) {
    probe_->setText(QStringLiteral("Tischprobe: %1 – %2").arg(device, what));
    probe_->setStyleSheet(QStringLiteral("background: #ffe800; color: black; font-weight: bold;"));
    unlight_.start(1500);
}

void DevicesWindow::show_code() {
    const RemoteRole role = k_roles[std::max(0, role_->currentIndex())];
    remote_->devices().open_code(role, steady_ms());
    refresh();
}

void DevicesWindow::refresh() {
    const std::int64_t now = steady_ms();
    const RemoteDevices::Code code =
        remote_ != nullptr ? remote_->devices().open_code_now(now) : RemoteDevices::Code{};
    if (remote_ == nullptr) {
        // Gamepads only: nothing to pair.
    } else if (code.digits.empty()) {
        code_->setText(QStringLiteral("– – –"));
        valid_->setText(
            QStringLiteral("Kein Code offen: Rolle wählen, „Code zeigen“, dann auf "
                           "dem Gerät die Adresse öffnen und den Code eingeben."));
    } else {
        code_->setText(
            QString::fromStdString(code.digits.substr(0, 3) + " " + code.digits.substr(3)));
        const auto left = (code.valid_until_ms - now + 999) / 1000;
        valid_->setText(QStringLiteral("Einmal gültig, noch %1:%2 – für die Rolle „%3“")
                            .arg(left / 60)
                            .arg(left % 60, 2, 10, QLatin1Char('0'))
                            .arg(text_of(role_label(code.role))));
    }
    const auto devices =
        remote_ != nullptr ? remote_->devices().devices() : std::vector<RemoteDevice>{};
    const QStringList pads = controllers_ ? controllers_() : QStringList{};
    table_->setRowCount(static_cast<int>(devices.size()) + static_cast<int>(pads.size()));
    int row = 0;
    for (const RemoteDevice& d : devices) {
        const auto since = d.last_contact_ms < 0 ? -1 : (now - d.last_contact_ms) / 1000;
        const QString contact = since < 0   ? QStringLiteral("noch nicht")
                                : since < 3 ? QStringLiteral("verbunden")
                                            : QStringLiteral("vor %1 s").arg(since);
        const QString delay =
            d.delay_ms < 0 ? QStringLiteral("–") : QStringLiteral("%1 ms").arg(d.delay_ms);
        const QStringList cells{QString::fromStdString(d.name), text_of(role_label(d.role)),
                                contact, delay};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = table_->item(row, c);
            if (item == nullptr) table_->setItem(row, c, item = new QTableWidgetItem);
            item->setText(cells[c]);
        }
        auto* remove = qobject_cast<QPushButton*>(table_->cellWidget(row, 4));
        if (remove == nullptr) {
            remove = new QPushButton(QStringLiteral("Entfernen"), table_);
            remove->setAutoDefault(false);
            table_->setCellWidget(row, 4, remove);
        }
        remove->disconnect(this);
        connect(remove, &QPushButton::clicked, this, [this, id = d.id] {
            remote_->devices().remove(id);
            remote_->changed();
            refresh();
        });
        ++row;
    }
    // The controllers after the remotes: connected, with every key of their section.
    for (const QString& pad : pads) {
        const QStringList cells{QStringLiteral("Gamepad ") + pad, QStringLiteral("alles"),
                                QStringLiteral("verbunden"), QStringLiteral("–")};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = table_->item(row, c);
            if (item == nullptr) table_->setItem(row, c, item = new QTableWidgetItem);
            item->setText(cells[c]);
        }
        table_->removeCellWidget(row, 4);
        ++row;
    }
    table_->resizeColumnsToContents();
}

}  // namespace kyomat
