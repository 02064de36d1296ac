#include "control/panel_widgets.h"

namespace kyomat {

QFont panel_face(const char* family) {
    QFont f(QString::fromLatin1(family));
#if defined(Q_OS_WIN)
    // Where the face is missing (Wine has no Arial), the sans face shipped beside the program
    // in its own weight, never the system's substitute, a serif.
    f.setFamilies({QString::fromLatin1(family), QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
#endif
    return f;
}

QFont pixel_font(const char* family, int px, bool bold) {
    QFont f = panel_face(family);
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

void set_back(QWidget* w, const QColor& c) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
}

void set_text_colour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::ButtonText, c);
    p.setColor(QPalette::Text, c);
    w->setPalette(p);
}

UpDown::UpDown(QWidget* parent, const std::function<void(bool up)>& on_arrow) : QWidget(parent) {
    up_ = new QToolButton(this);
    up_->setObjectName("up");
    up_->setArrowType(Qt::UpArrow);
    down_ = new QToolButton(this);
    down_->setObjectName("down");
    down_->setArrowType(Qt::DownArrow);
    QObject::connect(up_, &QToolButton::clicked, this, [on_arrow] { on_arrow(true); });
    QObject::connect(down_, &QToolButton::clicked, this, [on_arrow] { on_arrow(false); });
}

void UpDown::resizeEvent(QResizeEvent*) {
    up_->setGeometry(0, 0, width(), height() / 2);
    down_->setGeometry(0, height() / 2, width(), height() - height() / 2);
}

}  // namespace kyomat
