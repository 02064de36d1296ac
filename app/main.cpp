// KYOMAT scoreboard: program entry. Creates the windows and runs the event loop until the
// scoreboard closes.
#include <QApplication>
#include <QLockFile>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "app/state_keeper.h"
#include "app/translation.h"
#include "data/core/basis.h"
#include "data/core/file_io.h"
#include "data/core/protocol.h"
#include "gui/window_keys.h"
#include "platform/console.h"
#include "platform/fonts.h"
#include "platform/message_box.h"
#include "platform/screen_place.h"

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

// kyomat --protokoll FILE [LISTE] [LISTENPOSITION]: the bouts of a protocol file in words,
// or those of one list, one position, or one position of one list, every attempt of each, so
// the table can answer a dispute at once.
int print_protocol(const std::vector<std::string>& argv) {
    kyomat::use_parent_console();
    const auto say = [](const std::string& text) { kyomat::write_text(stderr, text + "\n"); };
    if (argv.size() < 3 || argv.size() > 6) {
        say("Aufruf: kyomat --protokoll DATEI [LISTE] [LISTENPOSITION | --position N]");
        return 2;
    }
    std::string error;
    const auto bytes = kyomat::read_whole_file(kyomat::path_from_utf8(argv[2]), error);
    if (!bytes) {
        say(error);
        return 1;
    }
    const auto args = kyomat::parse_protocol_arguments(
        *bytes, std::vector<std::string>(argv.begin() + 3, argv.end()));
    if (!args.error.empty()) {
        say(args.error);
        return 2;
    }
    const kyomat::ProtocolQuery& query = args.query;
    const std::string text = kyomat::protocol_as_text(*bytes, query);
    if (text.empty()) {
        say("Kein Kampf im Protokoll gefunden.");
        return 1;
    }
    // Names are shown, never run: a control character in one must not drive the terminal.
    kyomat::write_text(stdout, kyomat::terminal_safe(text));
    return 0;
}

// One board per folder: two would write the same state, protocol and list. False when a
// running program holds the lock (and the operator is told). "Already running" only then: a
// folder that cannot take the lock (a full disk, a write-protected stick, a folder in the
// lock's place) still gets its board, with unguarded set, and the start says what is off.
bool take_folder(QLockFile& lock, bool& unguarded) {
    unguarded = false;
    if (lock.tryLock(0)) return true;
    // Held means a lock file that names a running program (a folder in its place, or a file
    // that cannot be read, names none).
    qint64 pid = 0;
    QString host_name, app_name;
    if (lock.error() == QLockFile::LockFailedError &&
        lock.getLockInfo(&pid, &host_name, &app_name)) {
        kyomat::show_message(
            "KYOMAT läuft in diesem Ordner schon. Eine zweite Anzeige würde denselben "
            "Kampfstand, dasselbe Protokoll und dieselbe Kampfliste schreiben: bitte das "
            "laufende Programm verwenden (oder es zuerst beenden).",
            'F');
        return false;
    }
    unguarded = true;
    return true;
}

// What is off, said once: the crash protection and the one-program check, and why.
void say_what_is_off(const kyomat::StateKeeper& state, bool unguarded) {
    if (std::string why; !state.writable(why)) {
        kyomat::show_message(
            "KYOMAT läuft ohne Schutz: in diesem Ordner kann nicht geschrieben werden (" + why +
                "). Nach einem Absturz kann der Kampf nicht wiederhergestellt werden, und ein "
                "zweites Programm im selben Ordner wird nicht bemerkt.",
            'W');
    } else if (unguarded) {
        kyomat::show_message(
            "Die Sperrdatei kyomat.lock lässt sich in diesem Ordner nicht anlegen: ein zweites "
            "Programm im selben Ordner wird nicht bemerkt.",
            'W');
    }
}

// The bout a crash, a power cut or a slip left on the board is offered back once. A reflex
// (Escape, the window's close) keeps it; throwing it away is asked twice. True when it is
// back on the board.
bool offer_kept_bout(const std::string& question, kyomat::StateKeeper& state, kyomat::AppHost& host,
                     kyomat::Program& program) {
    if (question.empty()) return false;
    const bool discard =
        kyomat::choose(question, {"Fortsetzen", "Verwerfen"}, 0) == 1 &&
        kyomat::confirm_ok("Den Kampf " + state.offered_bout() +
                               " wirklich verwerfen? Sein Stand ist dann verloren.",
                           true);
    if (discard) {
        host.protocol_discarded(state.offered_protocol_bout());
        state.discard();
        return false;
    }
    bool list_mode = false;
    const bool restored = state.restore(list_mode);
    if (restored && list_mode) program.restore_list_mode();
    return restored;
}

// The list that was in use is opened again, and said so once the panel is up.
void reopen_last_list(const kyomat::StateKeeper::LastList& last, kyomat::AppHost& host,
                      kyomat::Program& program) {
    std::string note;
    const std::string name = kyomat::utf8_of(last.file.filename());
    if (std::filesystem::is_regular_file(last.file)) {
        host.bout_list().use_list_file(last.file);
        program.list_reopened();
        if (last.list_mode) program.restore_list_mode();
        note = "Die Kampfliste \"" + name + "\" vom letzten Mal ist wieder geöffnet.";
    } else {
        note = "Die Kampfliste \"" + kyomat::utf8_of(last.file) +
               "\" vom letzten Mal ist nicht mehr da: bitte im Listeneditor öffnen.";
    }
    QTimer::singleShot(0, &program.scoreboard, [&host, note] { host.show_note(note); });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string_view(argv[1]) == "--protokoll")
        return print_protocol(kyomat::utf8_arguments(argc, argv));
    if (!display_available()) {
        std::fprintf(stderr,
                     "kyomat: no display found. Start it on a desktop, or set DISPLAY "
                     "(for example under xvfb-run).\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("KYOMAT");
    kyomat::load_program_fonts(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    QTranslator qt_texts;
    kyomat::install_german_translation(qt_texts);

    // Settings are read from the program's own folder, whatever the working directory.
    kyomat::Settings settings(
        kyomat::path_from_utf8(QCoreApplication::applicationDirPath().toStdString()));
    QLockFile lock(QCoreApplication::applicationDirPath() + QStringLiteral("/kyomat.lock"));
    bool unguarded = false;
    if (!take_folder(lock, unguarded)) return 1;
    // The start reads kyomat.ini once: every window built now takes its values from that
    // reading (a program on a stick opens the file once, not once a value).
    std::optional<kyomat::Settings::Batch> one_reading(std::in_place, settings);
    kyomat::AppHost host(settings);
    kyomat::Program program(settings, host);
    // Every question, box and dialog opens on the operator's monitor, never on the board's.
    kyomat::set_board_for_placing(&program.scoreboard);
    kyomat::set_dialog_placer([](QWidget& w) { kyomat::place_on_operator_screen(w); });
    kyomat::StateKeeper state(
        settings.folder(), program.scoreboard.engine(), host.bout_list(),
        [&program] { return program.panel_built() && program.control_panel().list_mode(); },
        [&host](const std::string& text) { host.show_note(text); });
    say_what_is_off(state, unguarded);
    const std::string question = state.offer();
    const auto last_list = state.last_list();
    const bool list_in_use = state.list_was_in_use();
    // Without a bout taken back, the list that was in use is opened again.
    if (!offer_kept_bout(question, state, host, program) && last_list)
        reopen_last_list(*last_list, host, program);
    if (list_in_use) program.list_reopened();
    program.on_painted([&state] { state.board_changed(); });
    host.on_result_handed_on([&state] { state.keep_now(); });
    program.show();
    one_reading.reset();
    // From now on a command never sleeps for kyomat.ini: one that finds it half saved takes
    // the settings as last read whole (and says so), the next command reads it anew.
    settings.settle_retries = 0;
    app.exec();
    if (const std::string lost = state.closing(); !lost.empty()) kyomat::show_message(lost, 'W');
    return 0;
}
