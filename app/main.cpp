// KYOMAT scoreboard: program entry. Creates the windows and runs the event loop until the
// scoreboard closes.
#include <QApplication>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "app/program.h"
#include "app/translation.h"
#include "data/core/basis.h"
#include "data/core/file_io.h"
#include "data/core/protocol.h"

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

// kyomat --protokoll FILE [LISTENPOSITION]: the bouts of a protocol file in words, or the
// last bout of that list position, so the table can answer a dispute at once.
static int print_protocol(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "Aufruf: kyomat --protokoll DATEI [LISTENPOSITION]\n");
        return 2;
    }
    std::string error;
    const auto bytes = kyomat::read_whole_file(argv[2], error);
    if (!bytes) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::optional<int> position;
    if (argc > 3) {
        position = kyomat::to_integer(argv[3]);
        // Not a number: said so, instead of printing every bout as if none had been asked for.
        if (!position) {
            std::fprintf(stderr, "'%s' ist keine Listenposition (eine ganze Zahl, z. B. 3).\n",
                         argv[3]);
            return 2;
        }
    }
    const std::string text = kyomat::protocol_as_text(*bytes, position);
    if (text.empty()) {
        std::fprintf(stderr, "Kein Kampf im Protokoll gefunden.\n");
        return 1;
    }
    std::fputs(text.c_str(), stdout);
    return 0;
}

int main(int argc, char** argv) {
    if (argc > 1 && std::string_view(argv[1]) == "--protokoll") return print_protocol(argc, argv);
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
    program.show();
    app.exec();
    return 0;
}
