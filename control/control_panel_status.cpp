// The panel's status bar: the live view's address and the notes to the operator, each in a
// field of its own beside the class, the focus dot and the bout time.
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "control/control_panel.h"
#include "control/panel_layout.h"

namespace kyomat {

// How long a note stays in the status bar.
constexpr int k_note_ms = 8000;

void ControlPanel::show_note(const QString& text) {
    // In the status bar, where the operator looks after a button did nothing.
    status_note_->setText(text);
    status_note_->setToolTip(text);
    status_note_->show();
    fit_status_fields();
    note_timer_->start(k_note_ms);
}

void ControlPanel::set_live_text(const QString& text, bool problem) {
    status_live_->setText(text);
    status_live_->setToolTip(text);
    status_live_->setStyleSheet(problem ? QStringLiteral("color: #b00000;") : QString());
    status_live_->setVisible(!text.isEmpty());
    fit_status_fields();
}

void ControlPanel::set_devices_opener(std::function<void()> open) {
    if (status_devices_ == nullptr) {
        status_devices_ = new QPushButton(QStringLiteral("Geräte…"), status_);
        status_devices_->setObjectName(QStringLiteral("sbGeraete"));
        status_devices_->setAutoDefault(false);
        status_devices_->setFocusPolicy(Qt::NoFocus);
    }
    status_devices_->disconnect(this);
    connect(status_devices_, &QPushButton::clicked, this, std::move(open));
    status_devices_->show();
    fit_status_fields();
}

namespace {

constexpr int k_smallest_points = 6;
constexpr int k_smallest_pixels = 8;

// Shrinks the font until the text fits the width; false when even the smallest is too wide.
// The panel's font is set in pixels, a note's may be in points.
bool fit_font(QFont& f, const QString& text, int width) {
    const auto fits = [&] { return QFontMetrics(f).horizontalAdvance(text) + 8 <= width; };
    if (f.pointSize() > 0) {
        while (!fits() && f.pointSize() > k_smallest_points) f.setPointSize(f.pointSize() - 1);
    } else {
        while (!fits() && f.pixelSize() > k_smallest_pixels) f.setPixelSize(f.pixelSize() - 1);
    }
    return fits();
}

// The smallest size a font is set to, in either unit.
QFont smallest(QFont f) {
    if (f.pointSize() > 0) {
        f.setPointSize(k_smallest_points);
    } else {
        f.setPixelSize(k_smallest_pixels);
    }
    return f;
}

}  // namespace

// The live address and a note share the room right of the three panels, so that a note never
// hides the class, the focus dot, the bout time or the address. Each is read whole where it
// can be: a smaller font first, then more room (the live text alone: the whole bar; a note:
// the second panel's too, with the bout time moved beside it, for the seconds it stands).
void ControlPanel::fit_status_fields() {
    // From the layout's arithmetic: the panel may not have been shown (and laid out) yet.
    const PanelLayout p = panel_layout(width(), height());
    const Rect& time = p.status_panels[2];
    const int start = time.x + time.w;
    int end = p.sbControl.w;
    if (status_devices_ != nullptr) {
        const int w = status_devices_->sizeHint().width();
        end -= w;
        status_devices_->setGeometry(end, time.y, w, time.h);
    }
    const int y = time.y;
    const int h = time.h;
    const QString live = status_live_->text();
    QFont live_font = font();
    const auto place_time = [&](int x) {
        status_panels_[2]->setGeometry(x, time.y, time.w, time.h);
    };
    if (status_note_->isHidden()) {
        place_time(time.x);
        status_live_->setGeometry(start, y, std::max(0, end - start), h);
        if (!fit_font(live_font, live, end - start)) {
            live_font = font();
            status_live_->setGeometry(0, y, end, h);
            status_live_->raise();
            fit_font(live_font, live, end);
        }
        status_live_->setFont(live_font);
        return;
    }
    int live_w = 0;
    if (!status_live_->isHidden()) {
        live_font = smallest(live_font);
        live_w = std::min(QFontMetrics(live_font).horizontalAdvance(live) + 8, (end - start) / 3);
    }
    status_live_->setFont(live_font);
    status_live_->setGeometry(end - live_w, y, live_w, h);
    QFont note_font = font();
    int left = start;
    int right = end - live_w;
    place_time(time.x);
    if (!fit_font(note_font, status_note_->text(), right - left)) {
        // A long note takes the second panel's room too; the bout time moves to its right
        // for the seconds it stands.
        note_font = font();
        left = p.status_panels[1].x;
        right -= time.w;
        place_time(right);
        fit_font(note_font, status_note_->text(), right - left);
    }
    status_note_->setFont(note_font);
    status_note_->setGeometry(left, y, std::max(0, right - left), h);
    status_note_->raise();
}

}  // namespace kyomat
