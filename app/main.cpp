// KYOMAT scoreboard: program entry. Creates the windows and runs the event loop until the
// scoreboard closes.
#include <QApplication>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "app/program.h"
#include "app/translation.h"

namespace {

// Without any display Qt would abort with a cryptic message; say what is wrong instead.
bool display_available() {
#if defined(Q_OS_LINUX)
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') return true;
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    return (x != nullptr && *x != '\0') || (wl != nullptr && *wl != '\0');
#else
    return true;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    if (!display_available()) {
        std::fprintf(stderr,
                     "kyomat: no display found. Start it on a desktop, or set DISPLAY "
                     "(for example under xvfb-run).\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("KYOMAT");
    QTranslator qt_texts;
    kyomat::install_german_translation(qt_texts);

    // Settings are read from the program's own folder, whatever the working directory.
    const kyomat::Settings settings(QCoreApplication::applicationDirPath().toStdString());
    kyomat::AppHost host(settings);
    kyomat::Program program(settings, host);
    program.scoreboard.show();
    app.exec();
    return 0;
}
