#pragma once
// The spoken call's voice: the system's speech (Windows' own voices, speech-dispatcher on
// Linux) through Qt's speech module, on a thread of its own, so that reaching the speech
// service or speaking never holds a key or the clock.
#include <QString>
#include <functional>
#include <memory>

namespace kyomat {

class Voice {
  public:
    virtual ~Voice() = default;
    // Speaks the text, cutting off what is still being said. Returns at once.
    virtual void say(const QString& text) = 0;
    // Told on the GUI thread, once, when there is no voice to speak with: why.
    void on_missing(std::function<void(const QString& why)> told) { missing_ = std::move(told); }

  protected:
    void tell_missing(const QString& why);

  private:
    std::function<void(const QString&)> missing_;
    bool told_ = false;
};

// The system's voice, German where the system has it. Built without Qt's speech module, it
// is a voice that says it is missing at its first call.
std::unique_ptr<Voice> system_voice();

}  // namespace kyomat
