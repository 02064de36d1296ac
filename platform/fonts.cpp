#include "platform/fonts.h"

#include <QFontInfo>

namespace kyomat {

QFont heavy_font() {
    // The font list is looked up once: it is slow, and fonts do not come and go mid-bout.
    static const bool has_arial_black =
        QFontInfo(QFont(QStringLiteral("Arial Black"))).family() == QStringLiteral("Arial Black");
    if (has_arial_black) return QFont(QStringLiteral("Arial Black"));
    QFont f(QStringLiteral("Sans Serif"));
    f.setWeight(QFont::Black);
    return f;
}

}  // namespace kyomat
