#include "platform/fonts.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>

namespace kyomat {

QFont heavy_font() {
    // The font list is looked up once: it is slow, and fonts do not come and go mid-bout.
    static const bool has_arial_black =
        QFontInfo(QFont(QStringLiteral("Arial Black"))).family() == QStringLiteral("Arial Black");
    if (has_arial_black) return QFont(QStringLiteral("Arial Black"));
    // DejaVu Sans is on every Linux desktop and comes with the Windows package: a system
    // without it (Wine's default is a serif) would otherwise pick its own idea of "Sans".
    QFont f;
    f.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    f.setStyleHint(QFont::SansSerif);
    f.setWeight(QFont::Black);
    return f;
}

int load_program_fonts(const QString& folder) {
    int loaded = 0;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.ttf")}, QDir::Files)) {
        if (QFontDatabase::addApplicationFont(dir.filePath(name)) >= 0) ++loaded;
    }
    return loaded;
}

}  // namespace kyomat
