#include "platform/voice.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocale>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "platform/hand_over.h"

#ifdef KYOMAT_HAS_SPEECH
#include <QTextToSpeech>
#endif

namespace kyomat {

void Voice::tell_missing(const QString& why) {
    // Said once: a call at every bout would say the same again and again.
    if (told_ || !missing_) return;
    told_ = true;
    missing_(why);
}

namespace {

#ifdef KYOMAT_HAS_SPEECH

// Lives in the voice's thread: the engine is made there at the first call, since reaching
// the speech service may take a moment.
class Speaker : public QObject {
  public:
    bool event(QEvent* e) override { return run_handed_over(e) || QObject::event(e); }
    // What went wrong, or empty when the text is being spoken.
    QString say(const QString& text) {
        if (speech_ == nullptr) {
            if (QTextToSpeech::availableEngines().isEmpty())
                return QStringLiteral(
                    "Qt findet keine Sprachausgabe (unter Linux: "
                    "speech-dispatcher und qt6-speech-speechd-plugin)");
            speech_ = new QTextToSpeech(this);
            const QLocale german(QLocale::German, QLocale::Germany);
            for (const QLocale& l : speech_->availableLocales()) {
                if (l.language() == QLocale::German) {
                    speech_->setLocale(l == german ? german : l);
                    german_ = true;
                    if (l == german) break;
                }
            }
        }
        if (speech_->state() == QTextToSpeech::Error) {
            const QString error = speech_->errorString();
            // A speech service restarted during the day is reached again at the next call.
            delete speech_;
            speech_ = nullptr;
            german_ = false;
            return QStringLiteral("die Sprachausgabe meldet einen Fehler: ") + error;
        }
        speech_->stop();
        speech_->say(text);
        return german_ ? QString()
                       : QStringLiteral("keine deutsche Stimme, es spricht die übliche");
    }

  private:
    QTextToSpeech* speech_ = nullptr;
    bool german_ = false;
};

// How long the end of the program waits for a voice still talking to its speech service.
constexpr int k_voice_end_ms = 1500;

class SystemVoice : public Voice {
  public:
    SystemVoice() : thread_(new QThread), speaker_(new Speaker) {
        thread_->setObjectName(QStringLiteral("kyomat-voice"));
        speaker_->moveToThread(thread_);
        QObject::connect(thread_, &QThread::finished, speaker_, &QObject::deleteLater);
        thread_->start();
    }
    ~SystemVoice() override {
        thread_->quit();
        // A speech service that took the call and never answers holds the voice's thread:
        // the program ends all the same (and with it the thread), never as a process without
        // a window that keeps the folder's lock.
        if (thread_->wait(QDeadlineTimer(k_voice_end_ms))) {
            delete thread_;
        } else {
            std::fprintf(stderr, "kyomat: die Sprachausgabe antwortet nicht; Ende ohne sie\n");
        }
    }
    SystemVoice(const SystemVoice&) = delete;
    SystemVoice& operator=(const SystemVoice&) = delete;

    void say(const QString& text) override {
        const int asked = ++asked_;
        // A speech service that takes the call and never answers holds the voice's thread:
        // told once, the board and the keys going on as always.
        QTimer::singleShot(k_answer_ms, &guard_, [this, asked] {
            if (answered_ < asked)
                tell_missing(QStringLiteral("die Sprachausgabe antwortet nicht"));
        });
        hand_over(speaker_, [this, text, asked] {
            const QString problem = speaker_->say(text);
            hand_over(&guard_, [this, problem, asked] {
                answered_ = std::max(answered_, asked);
                if (!problem.isEmpty()) tell_missing(problem);
            });
        });
    }

  private:
    static constexpr int k_answer_ms = 4000;
    // Calls handed to the voice's thread, and the last one it came back from (GUI thread).
    int asked_ = 0;
    int answered_ = 0;
    QThread* thread_;
    Speaker* speaker_;
    // On the GUI thread: what the voice's thread tells arrives there.
    HandOverInbox guard_;
};

#else

class NoVoice : public Voice {
  public:
    void say(const QString&) override {
        tell_missing(QStringLiteral("dieses Programm wurde ohne Sprachausgabe gebaut"));
    }
};

#endif

}  // namespace

std::unique_ptr<Voice> system_voice() {
#ifdef KYOMAT_HAS_SPEECH
    return std::make_unique<SystemVoice>();
#else
    return std::make_unique<NoVoice>();
#endif
}

}  // namespace kyomat
