#pragma once
// Work handed from one thread to another through Qt's event queue (the live view's server,
// the voice, the gong's worker telling the GUI thread). Qt's queue orders the hand-over with
// its own locks, which the thread sanitizer cannot see in a Qt built without it; each
// hand-over therefore tells the sanitizer what the queue guarantees: everything the sending
// thread did before posting happens before the receiver runs the work. In a build without
// the sanitizer these are plain posted events.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <functional>
#include <semaphore>
#include <utility>

#if defined(__SANITIZE_THREAD__)
#define KYOMAT_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KYOMAT_TSAN 1
#endif
#endif
#ifdef KYOMAT_TSAN
#include <sanitizer/tsan_interface.h>
#endif

namespace kyomat {

class HandedOver : public QEvent {
  public:
    explicit HandedOver(std::function<void()> work) : QEvent(kind()), work_(std::move(work)) {}
    // Pending work is also destroyed on the receiver's side when the receiver goes first.
    ~HandedOver() override { received(this); }
    HandedOver(const HandedOver&) = delete;
    HandedOver& operator=(const HandedOver&) = delete;

    static QEvent::Type kind() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    void sent() {
#ifdef KYOMAT_TSAN
        __tsan_release(static_cast<QEvent*>(this));
#endif
    }
    void run() {
        work_();
    }
    static void received([[maybe_unused]] QEvent* event) {
#ifdef KYOMAT_TSAN
        __tsan_acquire(event);
#endif
    }

  private:
    std::function<void()> work_;
};

// Runs work later in receiver's thread; receiver's event() passes it to run_handed_over.
inline void hand_over(QObject* receiver, std::function<void()> work) {
    auto* event = new HandedOver(std::move(work));
    event->sent();
    QCoreApplication::postEvent(receiver, event);
}

// Runs work in receiver's thread and waits until it has run; never called from that thread.
inline void hand_over_and_wait(QObject* receiver, const std::function<void()>& work) {
    std::binary_semaphore done{0};
    hand_over(receiver, [&work, &done] {
        work();
        done.release();
    });
    done.acquire();
}

// For a receiver's event(): true when event was handed-over work, which has now run.
inline bool run_handed_over(QEvent* event) {
    // Even its type was written by the sending thread.
    HandedOver::received(event);
    if (event->type() != HandedOver::kind()) return false;
    static_cast<HandedOver*>(event)->run();
    return true;
}

// A receiver for a thread whose work has no object of its own to run on.
class HandOverInbox : public QObject {
  public:
    bool event(QEvent* e) override { return run_handed_over(e) || QObject::event(e); }
};

}  // namespace kyomat
