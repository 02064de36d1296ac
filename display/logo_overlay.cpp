#include "display/logo_overlay.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QWindow>
#include <QtConcurrent/QtConcurrentRun>
#include <cstdio>
#include <tuple>

#include "data/core/basis.h"
#include "data/core/setting_reader.h"
#include "display/picture_file.h"
#include "gui/keymap.h"
#include "gui/window_keys.h"
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
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint),
      settings_(settings),
      display_left_(std::move(display_left)) {
    setObjectName("frmOverlay");
    // Frameless, so never seen; it names the window to the window system and the desk tests.
    setWindowTitle("KYOMAT - Pause");
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    logo_main_ = new QLabel(this);
    logo_main_->setObjectName("logo_main");
    logo_main_->setScaledContents(true);  // stretched: the aspect ratio is not kept
    logo_main_->setAttribute(Qt::WA_TransparentForMouseEvents);
    timer_.setInterval(100);
    connect(&timer_, &QTimer::timeout, this, &LogoOverlay::on_logo_timer);
    timer_.start();
}

bool LogoOverlay::loading() const {
    for (const auto& [path, logo] : logos_) {
        if (logo.job) return true;
    }
    return false;
}

LogoOverlay::Logo& LogoOverlay::request(const std::string& path) {
    const std::filesystem::path file = settings_.resolve(path);
    std::error_code ec;
    const auto changed = std::filesystem::last_write_time(file, ec);
    const std::uintmax_t size = ec ? 0 : std::filesystem::file_size(file, ec);
    Logo& logo = logos_[path];
    const bool same_file =
        (logo.result || logo.job) && logo.changed == changed && logo.size == size;
    if (same_file) return logo;
    logo.changed = changed;
    logo.size = size;
    logo.result.reset();
    // Decoded off the GUI thread, scaled down to the overlay's size: the board's clock and
    // the operator's keys never wait for a picture.
    const QSize fit = QWidget::size();
    PictureLoader load = loader_ ? loader_ : [](const std::filesystem::path& f) {
        LoadedPicture p;
        p.image = load_picture(f, p.error);
        return p;
    };
    if (logo.job) {
        // Its result is of an older file: it must not be taken for the new one.
        logo.job->disconnect(this);
        logo.job.release()->deleteLater();
    }
    const auto decode = [load, file, fit] {
        LoadedPicture p = load(file);
        if (p.image && !fit.isEmpty() &&
            (p.image->width() > fit.width() || p.image->height() > fit.height())) {
            p.image = p.image->scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        return p;
    };
    if (on_this_thread_) {
        logo.result = decode();
        if (logo.result->image) logo.loaded_once = true;
        return logo;
    }
    logo.job = std::make_unique<QFutureWatcher<LoadedPicture>>();
    connect(logo.job.get(), &QFutureWatcherBase::finished, this, [this, path] { decoded(path); });
    logo.job->setFuture(QtConcurrent::run(decode));
    return logo;
}

void LogoOverlay::decoded(const std::string& path) {
    Logo& logo = logos_[path];
    if (!logo.job) return;
    logo.result = logo.job->result();
    logo.job.release()->deleteLater();
    const bool its_turn = waiting_ == path;
    if (logo.result->image) {
        logo.loaded_once = true;
        if (its_turn) {
            waiting_.clear();
            show_picture(path, *logo.result->image);
        }
        return;
    }
    logo_failed(path, logo.result->error);
}

void LogoOverlay::logo_failed(const std::string& path, const QString& error) {
    Logo& logo = logos_[path];
    const bool its_turn = waiting_ == path;
    if (its_turn) waiting_.clear();
    if (logo.loaded_once) {
        // A logo that loaded once but fails now stops the rotation on the picture shown.
        logo.loaded_once = false;
        if (its_turn || isVisible()) {
            timer_.stop();
            if (note_) {
                std::fprintf(stderr, "kyomat: %s\n", error.toLocal8Bit().constData());
                note_(error);
            } else {
                show_message(error.toStdString(), 'F');
            }
        }
        return;
    }
    // One that never loaded leaves the rotation silently, as if it had not been configured.
    for (std::string& p : paths_) {
        if (p == path) p.clear();
    }
    if (its_turn) remaining_ = 0;
}

void LogoOverlay::show_picture(const std::string& path, const QImage& image) {
    logo_main_->setPixmap(QPixmap::fromImage(image));
    current_ = path;
}

void LogoOverlay::laden_logos() {
    constexpr Key logos[] = {Key::pause_logo1, Key::pause_logo2, Key::pause_logo3};
    static_assert(std::size(logos) == std::tuple_size_v<decltype(paths_)>);
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        paths_[i] = trim_right(read_setting_text(settings_, logos[i]));
        if (!paths_[i].empty()) request(paths_[i]);
    }
    const auto tenths = [this](Key key) {
        return read_setting_value(settings_, key).value.value_or(0);
    };
    times_ = {tenths(Key::pause_zeit1), tenths(Key::pause_zeit2), tenths(Key::pause_zeit3)};
    logo_main_->setGeometry(rect());
}

void LogoOverlay::logo_zeigen(const std::string& path, int ticks) {
    if (path.empty() || ticks <= 0) return;
    remaining_ = ticks;
    Logo& logo = request(path);  // the file may have changed since it was decoded
    if (logo.job) {
        waiting_ = path;  // shown as soon as it is decoded; the rotation's time runs on
        return;
    }
    if (logo.result && logo.result->image) {
        show_picture(path, *logo.result->image);
        return;
    }
    logo_failed(path, logo.result ? logo.result->error : QString());
}

void LogoOverlay::on_logo_timer() {
    --remaining_;
    if (remaining_ > 0) return;
    const int i = step_ % 3;
    logo_zeigen(paths_[static_cast<std::size_t>(i)], times_[static_cast<std::size_t>(i)]);
    ++step_;
}

void LogoOverlay::overlay_bild() {
    // A window of the scoreboard's, so that a window manager keeps it above the board; the
    // panel is never modal, so nothing blocks the click or key that ends the pause.
    create();
    if (QWidget* owner = parentWidget(); owner != nullptr && windowHandle() != nullptr)
        windowHandle()->setTransientParent(owner->window()->windowHandle());
    if (QWidget* active = QApplication::activeWindow(); active != nullptr && active != this)
        had_keys_ = active;
    show();
    // A window manager may map it under the board and leave the keys elsewhere: it is raised
    // and activated until it has them.
    hand_keys_back(this);
}

void LogoOverlay::overlay_bild_aus() {
    hide();
}

void LogoOverlay::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (first_show_) {
        // Decoded only when a pause is first shown: start-up does not wait for it.
        logo_main_->setPixmap(built_in_picture());
        // Placed first: the logos are decoded at the size they will be shown.
        remembered_left_ = place_on_screen(this, display_left_ ? display_left_() : 0);
        laden_logos();
        first_show_ = false;
        placed_ = true;
    } else if (!placed_) {
        remembered_left_ = place_on_screen(this, display_left_ ? display_left_() : 0);
        placed_ = true;
    } else {
        move(remembered_left_, y());
    }
    step_ = 0;
    remaining_ = 0;
    // Every pause rotates: hiding stopped the timer, showing starts it again (a logo that
    // fails on its turn stops it until the next pause).
    timer_.start();
    on_logo_timer();
}

void LogoOverlay::hideEvent(QHideEvent* event) {
    timer_.stop();
    const QWidget* active = QApplication::activeWindow();
    QWidget::hideEvent(event);
    // The keyboard goes back to the window that had it before the pause, unless the operator
    // has meanwhile given it to another.
    if (active == this || active == nullptr) hand_keys_back(had_keys_);
}

void LogoOverlay::keyPressEvent(QKeyEvent* event) {
    const bool ends = !event->text().isEmpty();
    const auto key = key_sink_ && !event->isAutoRepeat() ? map_key(*event) : std::nullopt;
    if (ends) hide();
    // With keys relayed, a key typed into the pause picture also reaches the board, once.
    if (key) key_sink_(key->key, key->mods);
    if (ends || key) {
        event->accept();
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
