#include "display/logo_overlay.h"

#include <QFile>
#include <QKeyEvent>

#include "data/core/basis.h"
#include "display/picture_file.h"
#include "platform/message_box.h"
#include "platform/picture.h"
#include "platform/screen_place.h"

// Resources of a static library must be registered by hand (from the global namespace).
static void init_overlay_resource() {
    Q_INIT_RESOURCE(overlay);
}

namespace kyomat {
namespace {

// The neutral picture shown until a logo loads, kept with the program.
QPixmap built_in_picture() {
    init_overlay_resource();
    QFile file(QStringLiteral(":/overlay.jpg"));
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    QString error;
    const auto image =
        decode_jpeg(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())), error);
    return image ? QPixmap::fromImage(*image) : QPixmap();
}

}  // namespace

LogoOverlay::LogoOverlay(const Settings& settings, std::function<int()> display_left,
                         QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      settings_(settings),
      display_left_(std::move(display_left)) {
    setObjectName("frmOverlay");
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    logo_main_ = new QLabel(this);
    logo_main_->setObjectName("logo_main");
    logo_main_->setScaledContents(true);  // stretched: the aspect ratio is not kept
    logo_main_->setAttribute(Qt::WA_TransparentForMouseEvents);
    timer_.setInterval(100);
    connect(&timer_, &QTimer::timeout, this, &LogoOverlay::timLogoTimer);
    timer_.start();
}

bool LogoOverlay::show_file(const std::string& path, bool report) {
    QString error;
    const auto image = load_picture(settings_.resolve(path), error);
    if (!image) {
        if (report) show_message(error.toStdString(), 'F');
        return false;
    }
    logo_main_->setPixmap(QPixmap::fromImage(*image));
    current_ = path;
    return true;
}

std::string LogoOverlay::lade_logo(const char* key) {
    std::string path = trim_right(settings_.read_setting("pause", key));
    if (!path.empty() && !show_file(path, false)) path.clear();
    return path;
}

void LogoOverlay::laden_logos() {
    paths_ = {lade_logo("logo1"), lade_logo("logo2"), lade_logo("logo3")};
    times_ = {digits_to_number(settings_.read_setting("pause", "zeit1")),
              digits_to_number(settings_.read_setting("pause", "zeit2")),
              digits_to_number(settings_.read_setting("pause", "zeit3"))};
    logo_main_->setGeometry(rect());
}

void LogoOverlay::logo_zeigen(const std::string& path, int ticks) {
    if (path.empty() || ticks <= 0) return;
    timer_.stop();
    // A logo that loaded once but fails now stops the rotation on the picture shown.
    if (!show_file(path, true)) return;
    remaining_ = ticks;
    timer_.start();
}

void LogoOverlay::timLogoTimer() {
    --remaining_;
    if (remaining_ > 0) return;
    const int i = step_ % 3;
    logo_zeigen(paths_[static_cast<std::size_t>(i)], times_[static_cast<std::size_t>(i)]);
    ++step_;
}

void LogoOverlay::overlay_bild() {
    show();
    raise();
    activateWindow();
}

void LogoOverlay::overlay_bild_aus() {
    hide();
}

void LogoOverlay::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (first_show_) {
        // Decoded only when a pause is first shown: start-up does not wait for it.
        logo_main_->setPixmap(built_in_picture());
        laden_logos();
        remembered_left_ = place_on_screen(this, display_left_ ? display_left_() : 0);
        first_show_ = false;
    } else {
        move(remembered_left_, y());
    }
    step_ = 0;
    remaining_ = 0;
    timLogoTimer();
}

void LogoOverlay::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

void LogoOverlay::keyPressEvent(QKeyEvent* event) {
    if (!event->text().isEmpty()) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void LogoOverlay::mousePressEvent(QMouseEvent* /*event*/) {
    hide();
}

void LogoOverlay::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    logo_main_->setGeometry(rect());
}

}  // namespace kyomat
