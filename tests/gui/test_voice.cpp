// The spoken call's voice against a speech service of the test's own (the speech
// dispatcher's socket protocol, reached through SPEECHD_ADDRESS): one that takes the call and
// never answers must not hold the program's end, and one restarted during the day speaks the
// next call.
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "platform/voice.h"

namespace {

// A speech service on a local socket: silent takes every call and answers nothing; else it
// answers every command as done and keeps what it was asked to speak.
class FakeSpeechService : public QObject {
  public:
    FakeSpeechService(const QString& path, bool silent) : silent_(silent) {
        QLocalServer::removeServer(path);
        server_.listen(path);
        connect(&server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* s = server_.nextPendingConnection()) {
                clients_.push_back(s);
                connect(s, &QLocalSocket::readyRead, this, [this, s] { answer(s); });
            }
        });
    }
    ~FakeSpeechService() override { stop(); }
    FakeSpeechService(const FakeSpeechService&) = delete;
    FakeSpeechService& operator=(const FakeSpeechService&) = delete;

    // As a service that is ended: its listener and every connection closed.
    void stop() {
        server_.close();
        for (QLocalSocket* s : clients_) s->abort();
        clients_.clear();
    }
    bool reached() const { return !clients_.empty(); }
    const QStringList& spoken() const { return spoken_; }
    bool listening() const { return server_.isListening(); }

  private:
    void answer(QLocalSocket* s) {
        while (s->canReadLine()) {
            const QString line = QString::fromUtf8(s->readLine()).trimmed();
            if (silent_) continue;
            if (speaking_) {
                if (line == QLatin1String(".")) {
                    speaking_ = false;
                    spoken_ << text_.join(' ');
                    text_.clear();
                    s->write("225-1\r\n225 OK MESSAGE QUEUED\r\n");
                } else {
                    text_ << line;
                }
                continue;
            }
            const QString command = line.section(' ', 0, 1).toUpper();
            if (command == QLatin1String("SPEAK")) {
                speaking_ = true;
                s->write("230 OK RECEIVING DATA\r\n");
            } else if (command == QLatin1String("LIST OUTPUT_MODULES")) {
                s->write("250-espeak-ng\r\n250 OK MODULE LIST SENT\r\n");
            } else if (command == QLatin1String("LIST SYNTHESIS_VOICES")) {
                s->write(
                    "249-en\ten-US\tnone\r\n249-de\tde-DE\tnone\r\n249 OK VOICE LIST SENT\r\n");
            } else if (command == QLatin1String("GET OUTPUT_MODULE")) {
                s->write("251-espeak-ng\r\n251 OK GET RETURNED\r\n");
            } else if (command == QLatin1String("HISTORY GET")) {
                s->write("245-1\r\n245 OK CLIENT ID SENT\r\n");
            } else {
                s->write("200 OK\r\n");
            }
        }
    }

    QLocalServer server_;
    std::vector<QLocalSocket*> clients_;
    bool silent_;
    bool speaking_ = false;
    QStringList text_;
    QStringList spoken_;
};

}  // namespace

class TestVoice : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath("speechd.sock");
        qputenv("SPEECHD_ADDRESS", ("unix_socket:" + path_).toUtf8());
    }

    void a_service_that_never_answers_does_not_hold_the_end() {
        FakeSpeechService service(path_, true);
        QVERIFY(service.listening());
        auto voice = kyomat::system_voice();
        QStringList told;
        voice->on_missing([&told](const QString& why) { told << why; });
        voice->say("Matte 1: Meier, Hans gegen Li, Wei");
        QTRY_VERIFY_WITH_TIMEOUT(service.reached(), 5000);
        // Told once, a few seconds on; the second call is no second note.
        voice->say("Matte 1: Berg, Ole gegen Kurz, Karl");
        QTRY_COMPARE_WITH_TIMEOUT(told.size(), 1, 8000);
        QVERIFY2(told.front().contains("antwortet nicht"), qPrintable(told.front()));
        QElapsedTimer ending;
        ending.start();
        voice.reset();
        QVERIFY2(ending.elapsed() < 2000, qPrintable(QString::number(ending.elapsed())));
        // The voice's thread, still waiting for the service, ends when the service goes.
        service.stop();
    }

    void a_restarted_service_speaks_the_next_call() {
        auto first = std::make_unique<FakeSpeechService>(path_, false);
        auto voice = kyomat::system_voice();
        QStringList told;
        voice->on_missing([&told](const QString& why) { told << why; });
        voice->say("Erster Aufruf");
        QTRY_VERIFY2_WITH_TIMEOUT(first->spoken().contains("Erster Aufruf"),
                                  qPrintable(told.join('|')), 5000);
        first.reset();  // the service ends during the day, and is started again
        FakeSpeechService second(path_, false);
        QTest::qWait(300);
        voice->say("Zweiter Aufruf");
        QTRY_VERIFY_WITH_TIMEOUT(second.spoken().contains("Zweiter Aufruf"), 5000);
        QVERIFY2(told.isEmpty(), qPrintable(told.join('|')));  // a German voice, no fault
    }

  private:
    QTemporaryDir dir_;
    QString path_;
};

QTEST_MAIN(TestVoice)
#include "test_voice.moc"
