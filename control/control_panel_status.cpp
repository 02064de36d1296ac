// The panel's status bar: the live view's address and the notes to the operator, each in a
// field of its own beside the class, the focus dot and the bout time.
#include <QFontMetrics>
#include <QLabel>
#include <QTimer>
#include <algorithm>

#include "control/control_panel.h"

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

namespace {

constexpr int k_smallest_points = 6;

// Shrinks the font until the text fits the width; false when even the smallest is too wide.
bool fit_font(QFont& f, const QString& text, int width) {
    const auto fits = [&] { return QFontMetrics(f).horizontalAdvance(text) + 8 <= width; };
    while (!fits() && f.pointSize() > k_smallest_points) f.setPointSize(f.pointSize() - 1);
    return fits();
}

}  // namespace

// The live address and a note share the room right of the three panels, so that a note never
// hides the class, the focus dot, the bout time or the address. Each is read whole where it
// can be: a smaller font first, then more room (the live text alone: the whole bar; a note:
// the second and third panels too, for the seconds it stands).
void ControlPanel::fit_status_fields() {
    const int start = status_panels_[2]->geometry().right() + 1;
    const int end = status_->width();
    const int y = status_panels_[2]->y();
    const int h = status_panels_[2]->height();
    const QString live = status_live_->text();
    QFont live_font = font();
    if (status_note_->isHidden()) {
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
        live_font.setPointSize(k_smallest_points);
        live_w = std::min(QFontMetrics(live_font).horizontalAdvance(live) + 8, (end - start) / 3);
    }
    status_live_->setFont(live_font);
    status_live_->setGeometry(end - live_w, y, live_w, h);
    QFont note_font = font();
    int left = start;
    if (!fit_font(note_font, status_note_->text(), end - live_w - left)) {
        note_font = font();
        left = status_panels_[1]->x();
        fit_font(note_font, status_note_->text(), end - live_w - left);
    }
    status_note_->setFont(note_font);
    status_note_->setGeometry(left, y, std::max(0, end - live_w - left), h);
    status_note_->raise();
}

}  // namespace kyomat
