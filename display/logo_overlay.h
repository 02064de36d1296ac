#pragma once
// The logo overlay: up to three configured pictures in rotation over the display during a
// pause, closed by a character key, a click or Ctrl+R.
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "data/core/settings.h"

namespace kyomat {

class LogoOverlay : public QWidget {
    Q_OBJECT
  public:
    // display_left gives the scoreboard's display position at the first showing.
    LogoOverlay(const Settings& settings, std::function<int()> display_left,
                QWidget* parent = nullptr);

    void overlay_bild();      // show, non-modally, and activate
    void overlay_bild_aus();  // hide

    // One timer step (the 100 ms tick); public so the rotation can be driven by hand.
    void timLogoTimer();
    QTimer& timLogo() { return timer_; }
    // The path of the logo on show; empty while the built-in picture shows.
    const std::string& current_logo() const { return current_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void laden_logos();
    std::string lade_logo(const char* key);
    void logo_zeigen(const std::string& path, int ticks);
    bool show_file(const std::string& path, bool report);

    const Settings& settings_;
    std::function<int()> display_left_;
    QLabel* logo_main_;
    QTimer timer_;
    std::array<std::string, 3> paths_;
    std::array<int, 3> times_{};
    int remaining_ = 0;
    int step_ = 0;
    bool first_show_ = true;
    int remembered_left_ = 0;
    std::string current_;
};

}  // namespace kyomat
