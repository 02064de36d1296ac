#pragma once
// The text screen: a full-screen page of up to three large lines between bouts.
#include <QDialog>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "engine/engine.h"

class QLabel;

namespace kyomat {

struct TextLayout {
    int size[3];
    int top[3];
    int left[3];
};

// width(line, points) gives the width in pixels of line 0..2 at that font size.
TextLayout text_screen_layout(int W, int H, const std::function<int(int, int)>& width);

class FitLabel;

class TextScreen : public QDialog {
    Q_OBJECT
  public:
    // wait(true) shows the operator's wait notice, wait(false) hides it.
    TextScreen(const BoutEngine& engine, std::function<void(bool)> wait, QWidget* parent = nullptr);

    // Shows one page and returns; finished() is emitted when it closes.
    void show_page(PageScheme scheme, const std::string& line1, const std::string& line2,
                   const std::string& line3);
    void set_key_sink(std::function<void(std::uint16_t, Modifiers)> sink) {
        key_sink_ = std::move(sink);
    }
    void page_tick();
    QTimer& page_timer() { return timer_; }
    int page_duration() const { return duration_; }
    void lay_out();

    void done(int result) override;

    // The board's monitor changed: placed on it afresh at the next showing.
    void place_again() { placed_ = false; }

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    int two_line_size(int line, int shrunk, int start, int limit, int room) const;

    const BoutEngine& engine_;
    std::function<void(bool)> wait_;
    std::function<void(std::uint16_t, Modifiers)> key_sink_;
    FitLabel* lines_[3];
    QTimer timer_;
    // The page shown last, whose colours the window takes; none before the first.
    std::optional<PageScheme> mode_;
    int duration_ = 1;
    int elapsed_ = 0;
    bool first_show_ = true;
    int remembered_left_ = 0;
    bool placed_ = false;
};

}  // namespace kyomat
