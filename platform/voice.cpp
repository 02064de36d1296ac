#include "platform/voice.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocale>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

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

// Lives in the voice's thread: the engine is made there at each call, since reaching
// the speech service may take a moment.
class Speaker : public QObject {
  public:
    bool event(QEvent* e) override { return run_handed_over(e) || QObject::event(e); }
    // What went wrong, or empty when the text is being spoken.
    QString say(const QString& text) {
        if (QTextToSpeech::availableEngines().isEmpty())
            return QStringLiteral(
                "Qt findet keine Sprachausgabe (unter Linux: "
                "speech-dispatcher und qt6-speech-speechd-plugin)");
        // A fresh connection for every call (one a bout): a speech service restarted during
        // the day is reached at the next call, and what the last call still says ends.
        if (speech_ != nullptr) {
            speech_->stop();
            delete speech_;
        }
        speech_ = new QTextToSpeech(this);
        // A system without a voice for its own language reports an error here that the
        // German voice chosen below makes moot: only a service without any voice counts.
        const QList<QLocale> locales = speech_->availableLocales();
        if (locales.isEmpty()) {
            const QString error = speech_->errorString();
            delete speech_;
            speech_ = nullptr;
            return QStringLiteral("die Sprachausgabe meldet einen Fehler: ") +
                   (error.isEmpty() ? QStringLiteral("keine Stimme") : error);
        }
        const QLocale german(QLocale::German, QLocale::Germany);
        bool has_german = false;
        for (const QLocale& l : locales) {
            if (l.language() == QLocale::German) {
                speech_->setLocale(l == german ? german : l);
                has_german = true;
                if (l == german) break;
            }
        }
        speech_->say(text);
        return has_german ? QString()
                          : QStringLiteral("keine deutsche Stimme, es spricht die übliche");
    }

  private:
    QTextToSpeech* speech_ = nullptr;
};

// Voices' threads still waiting for a speech service when their voice ended.
std::vector<QThread*>& abandoned() {
    static auto* threads = new std::vector<QThread*>;  // never freed: the process ends
    return *threads;
}

// How long the end of the program waits for a voice still talking to its speech service.
constexpr int k_voice_end_ms = 1500;

class SystemVoice : public Voice {
  public:
    SystemVoice() : thread_(new QThread), speaker_(new Speaker) {
        back_->inbox = &guard_;
        thread_->setObjectName(QStringLiteral("kyomat-voice"));
        speaker_->moveToThread(thread_);
        QObject::connect(thread_, &QThread::finished, speaker_, &QObject::deleteLater);
        thread_->start();
    }
    ~SystemVoice() override {
        {
            // A call still being spoken comes back to nobody: this voice is going.
            const std::lock_guard<std::mutex> lock(back_->mutex);
            back_->inbox = nullptr;
        }
        thread_->quit();
        // A speech service that took the call and never answers holds the voice's thread:
        // the program ends all the same (and with it the thread), never as a process without
        // a window that keeps the folder's lock.
        if (thread_->wait(QDeadlineTimer(k_voice_end_ms))) {
            delete thread_;
        } else {
            std::fprintf(stderr, "kyomat: die Sprachausgabe antwortet nicht; Ende ohne sie\n");
            // Left to the end of the process, which takes it; kept where a leak check
            // sees it as still held.
            abandoned().push_back(thread_);
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
        // Run on the voice's thread, which may outlive this voice (a service that answered
        // only after the end): it takes what it needs by value and comes back only while
        // this voice is there.
        hand_over(speaker_, [this, speaker = speaker_, back = back_, text, asked] {
            const QString problem = speaker->say(text);
            const std::lock_guard<std::mutex> lock(back->mutex);
            if (back->inbox == nullptr) return;
            hand_over(back->inbox, [this, problem, asked] {
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
    // On the GUI thread: what the voice's thread tells arrives there, while the voice is.
    HandOverInbox guard_;
    struct Back {
        std::mutex mutex;
        HandOverInbox* inbox = nullptr;
    };
    std::shared_ptr<Back> back_ = std::make_shared<Back>();
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
