#pragma once
// The logo overlay: up to three configured pictures in rotation over the display during a
// pause, closed by a character key, a click or Ctrl+R.
#include <QFutureWatcher>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "data/core/settings.h"
#include "engine/keys.h"

namespace kyomat {

// A logo file decoded: the picture, or why there is none.
struct LoadedPicture {
    std::optional<QImage> image;
    QString error;
};
using PictureLoader = std::function<LoadedPicture(const std::filesystem::path&)>;

class LogoOverlay : public QWidget {
    Q_OBJECT
  public:
    // display_left gives the scoreboard's display position at the first showing.
    LogoOverlay(const Settings& settings, std::function<int()> display_left,
                QWidget* parent = nullptr);

    void overlay_bild();      // show, non-modally, and activate
    void overlay_bild_aus();  // hide
    // Where keys typed into the pause picture go besides ending it (panel_tasten=1): the
    // scoreboard's key handler. Unset, a key only ends the pause.
    void set_key_sink(std::function<void(std::uint16_t, Modifiers)> sink) {
        key_sink_ = std::move(sink);
    }

    // Where a logo that cannot be shown any more is told: a note needs no answer, where a box
    // would take the operator's next key. Unset, a message box tells it.
    void set_note(std::function<void(const QString&)> note) { note_ = std::move(note); }

    // One timer step (the 100 ms tick); public so the rotation can be driven by hand.
    void on_logo_timer();
    QTimer& logo_timer() { return timer_; }
    // The path of the logo on show; empty while the built-in picture shows.
    const std::string& current_logo() const { return current_; }
    // Logos are decoded off the GUI thread by this; tests put a slow or failing one in.
    void set_picture_loader(PictureLoader loader) { loader_ = std::move(loader); }
    // Tests of the rotation decode on the GUI thread, so that no decoder's pace decides what
    // a tick shows.
    void decode_on_this_thread() { on_this_thread_ = true; }
    // Whether a logo is still being decoded.
    bool loading() const;

    // The board's monitor changed: placed on it afresh at the next showing.
    void place_again() { placed_ = false; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // One logo file: its decoded picture (kept while the file stays the same) or its decode
    // still running.
    struct Logo {
        std::filesystem::file_time_type changed;
        std::uintmax_t size = 0;
        bool loaded_once = false;
        std::unique_ptr<QFutureWatcher<LoadedPicture>> job;
        std::optional<LoadedPicture> result;
    };

    void laden_logos();
    void logo_zeigen(const std::string& path, int ticks);
    // Starts decoding the file unless the same file is decoded or being decoded already.
    Logo& request(const std::string& path);
    void decoded(const std::string& path);
    void show_picture(const std::string& path, const QImage& image);
    void logo_failed(const std::string& path, const QString& error);

    const Settings& settings_;
    std::function<int()> display_left_;
    std::function<void(const QString&)> note_;
    std::function<void(std::uint16_t, Modifiers)> key_sink_;
    // The window that had the keyboard when the pause began: it gets it back at the end.
    QPointer<QWidget> had_keys_;
    QLabel* logo_main_;
    QTimer timer_;
    std::array<std::string, 3> paths_;
    std::array<int, 3> times_{};
    int remaining_ = 0;
    int step_ = 0;
    bool first_show_ = true;
    int remembered_left_ = 0;
    bool placed_ = false;
    std::string current_;
    PictureLoader loader_;
    bool on_this_thread_ = false;
    std::map<std::string, Logo> logos_;
    // The logo whose turn has come while it was still being decoded.
    std::string waiting_;
};

}  // namespace kyomat
