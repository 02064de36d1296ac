#include "app/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kyomat {

bool install_german_translation(QTranslator& translator) {
    const QLocale german(QLocale::German, QLocale::Germany);
    // Where the system keeps Qt's translations, or beside the program (a Windows install).
    for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                  QCoreApplication::applicationDirPath() + "/translations"}) {
        if (translator.load(german, "qtbase", "_", folder)) {
            return QCoreApplication::installTranslator(&translator);
        }
    }
    return false;
}

}  // namespace kyomat
