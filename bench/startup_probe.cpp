// Start-up as the program does it, ending at the scoreboard's first paint; with "--empty",
// an empty Qt window's start-up to its first paint instead (the floor).
#include <QApplication>
#include <QWidget>
#include <cstring>

#include "app/program.h"
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
    const kyomat::Settings settings(QCoreApplication::applicationDirPath().toStdString());
    kyomat::AppHost host(settings);
    kyomat::Program program(settings, host);
    QuitOnFirstPaint probe(&program.scoreboard);
    program.scoreboard.show();
    return app.exec();
}
