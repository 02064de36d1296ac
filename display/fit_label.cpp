#include "display/fit_label.h"

#include <QHash>
#include <QPainter>

namespace kyomat {
namespace {

const QString k_ellipsis = QStringLiteral("…");

// The longest start of text, ending at a break opportunity, that fits width: its length, or
// 0 when no break gives a fitting start.
int break_before(const QString& text, const QFontMetrics& metrics, int width) {
    int best = 0;
    for (int i = 1; i < text.size(); ++i) {
        const QChar c = text[i - 1];
        const bool blank = text[i] == QLatin1Char(' ');
        const bool hyphen = c == QLatin1Char('-') && text[i] != QLatin1Char(' ');
        if (!blank && !hyphen) continue;
        if (metrics.horizontalAdvance(text.left(i)) > width) break;
        best = i;
    }
    return best;
}

}  // namespace

QStringList wrap_to_width(const QString& text, const QFontMetrics& metrics, int width,
                          int max_lines) {
    QStringList lines;
    QString rest = text;
    while (!rest.isEmpty()) {
        if (metrics.horizontalAdvance(rest) <= width) {
            lines << rest;
            break;
        }
        const int cut = lines.size() + 1 < max_lines ? break_before(rest, metrics, width) : 0;
        if (cut == 0) {
            // The last line, or a word longer than the room: whole letters and "…".
            lines << metrics.elidedText(rest, Qt::ElideRight, width);
            break;
        }
        lines << rest.left(cut).trimmed();
        rest = rest.mid(cut).trimmed();
    }
    return lines;
}

int FitLabel::fit_within(int width) {
    const QFontMetrics metrics(font());
    const QStringList lines = wrap_to_width(text(), metrics, width);
    if (lines.size() == 1 && lines[0] == text()) {
        show_whole();
        return 1;
    }
    lines_ = lines;
    resize(width, metrics.height() * static_cast<int>(lines_.size()));
    update();
    return static_cast<int>(lines_.size());
}

void FitLabel::show_whole() {
    if (lines_.isEmpty()) return;
    lines_.clear();
    adjustSize();
    update();
}

void FitLabel::paintEvent(QPaintEvent* event) {
    if (lines_.isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    if (autoFillBackground()) p.fillRect(rect(), palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::WindowText));
    p.setFont(font());
    const QFontMetrics metrics(font());
    const int flags = static_cast<int>(alignment() & Qt::AlignHorizontal_Mask);
    for (int i = 0; i < lines_.size(); ++i) {
        p.drawText(QRect(0, i * metrics.height(), width(), metrics.height()),
                   flags | Qt::AlignVCenter, lines_[i]);
    }
}

bool keeps_size(const QLabel& label, const QString& before, const QString& after) {
    if (before.size() != after.size()) return false;
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (before[i] != after[i] && !(before[i].isDigit() && after[i].isDigit())) return false;
    }
    static QHash<QString, bool> even_digits;
    const QString face = label.font().key();
    auto known = even_digits.constFind(face);
    if (known == even_digits.constEnd()) {
        const QFontMetrics metrics(label.font());
        const int zero = metrics.horizontalAdvance(QLatin1Char('0'));
        bool even = true;
        for (char d = '1'; d <= '9'; ++d)
            even = even && metrics.horizontalAdvance(QLatin1Char(d)) == zero;
        known = even_digits.insert(face, even);
    }
    return *known;
}

}  // namespace kyomat
