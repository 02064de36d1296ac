#include "app/about_box.h"

#include "platform/screen_place.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "app/version.h"
#include "gui/window_keys.h"

namespace kyomat {
namespace {

int g_live = 0;

// The two pictures of the box: a mat with a red and a white square, and the name plate.
QPixmap mat_picture() {
    QPixmap p(89, 81);
    p.fill(QColor(230, 200, 60));
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setBrush(QColor(200, 30, 30));
    g.setPen(Qt::NoPen);
    g.drawRect(10, 8, 69, 65);
    g.setBrush(QColor(230, 200, 60));
    g.drawRect(20, 18, 49, 45);
    return p;
}

QPixmap plate_picture() {
    QPixmap p(153, 81);
    p.fill(QColor(1, 19, 196));
    QPainter g(&p);
    g.setPen(QColor(255, 235, 0));
    QFont f = g.font();
    f.setPixelSize(34);
    f.setWeight(QFont::Black);
    g.setFont(f);
    g.drawText(p.rect(), Qt::AlignCenter, "KYOMAT");
    return p;
}

}  // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    ++g_live;
    setObjectName("frmInfoAnzeige");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(598, 202);

    auto* left = new QLabel(this);
    left->setObjectName("imgLogo");
    left->setGeometry(16, 16, 89, 81);
    left->setPixmap(mat_picture());
    left->setScaledContents(true);
    auto* right = new QLabel(this);
    right->setObjectName("imgPlate");
    right->setGeometry(416, 16, 153, 81);
    right->setPixmap(plate_picture());

    auto* prog = new QLabel(this);
    prog->setObjectName("lblProg");
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(21);
    prog->setFont(f);
    prog->move(112, 48);
    auto* vers = new QLabel(this);
    vers->setObjectName("lblVers");
    vers->move(112, 80);

    auto* screens = new QLabel(this);
    screens->setObjectName("lblMonitore");
    screens->setGeometry(112, 112, 470, 40);
    screens->setWordWrap(true);
    screens->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* strip = new QWidget(this);
    strip->setGeometry(0, 202 - 41, 598, 41);
    auto* ok = new QPushButton("OK", strip);
    ok->setObjectName("btnOK");
    ok->setGeometry(480, 8, 89, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

AboutBox::~AboutBox() {
    --g_live;
}

int AboutBox::live_count() {
    return g_live;
}

void AboutBox::showEvent(QShowEvent* event) {
    setWindowTitle("KYOMAT - Anzeigetafel - Programminfo");
    auto* prog = findChild<QLabel*>("lblProg");
    prog->setText("KYOMAT - Anzeigetafel");
    prog->adjustSize();
    auto* vers = findChild<QLabel*>("lblVers");
    vers->setText(k_version_text);
    vers->adjustSize();
    // The monitors by number and name, as anz_monitor takes them.
    auto* screens = findChild<QLabel*>("lblMonitore");
    screens->setText("Monitore: " + QString::fromStdString(screen_list_text()));
    if (QScreen* s = screen()) move(s->geometry().center() - rect().center());
    QDialog::showEvent(event);
}

void AboutBox::open_box(QWidget* owner, QWidget* keys_back) {
    auto* box = new AboutBox(owner);
    open_command_dialog(
        *box, [box] { box->deleteLater(); }, keys_back);
}

}  // namespace kyomat
