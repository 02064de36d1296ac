// Start-up as the program does it, ending at the scoreboard's first paint; with "--empty",
// an empty Qt window's start-up to its first paint instead (the floor).
#include <QApplication>
#include <QWidget>
#include <cstring>

#include "app/app_host.h"
#include "app/untWait.h"
#include "control/untAnzeigeSTRG.h"
#include "data/forms/untAnzeigeLaden.h"
#include "data/forms/untEingabeKampfTeams.h"
#include "display/untMainAnzeige.h"
#include "platform/message_box.h"

namespace {

class QuitOnFirstPaint : public QObject {
public:
    explicit QuitOnFirstPaint(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w == window_ || (w != nullptr && window_->isAncestorOf(w))) {
                QMetaObject::invokeMethod(qApp, &QApplication::quit, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    QWidget* window_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--empty") == 0) {
        QWidget window;
        QuitOnFirstPaint probe(&window);
        window.showMaximized();
        return app.exec();
    }
    kyomat::message_boxes::set_auto_answer(true, true);
    const std::filesystem::path folder = QCoreApplication::applicationDirPath().toStdString();
    const kyomat::Settings settings(folder);
    kyomat::AppHost host(settings);
    kyomat::TfrmMainAnzeige scoreboard(host, settings);
    host.set_scoreboard(&scoreboard);
    kyomat::TfrmAnzeigeLaden entry(folder);
    host.set_entry(&entry);
    kyomat::PanelLinks links{
        [&scoreboard](std::uint16_t key, kyomat::Modifiers mods) { scoreboard.FormKeyDown(key, mods); },
        [&entry] { return entry.edit_kaempfe(); },
        [&entry](std::vector<std::array<std::string, 5>>& rows) { return entry.access().panel_rows(rows); }};
    auto* panel = new kyomat::TfrmAnzeigeSTRG(scoreboard.engine(), host, links, &scoreboard);
    host.set_panel(panel);
    kyomat::TfrmWait wait;
    kyomat::TfrmEingabeKampfTeams teams;
    host.set_teams(&teams);
    QuitOnFirstPaint probe(&scoreboard);
    scoreboard.show();
    return app.exec();
}
