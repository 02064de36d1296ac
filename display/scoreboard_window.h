#pragma once
// The audience scoreboard. It owns the bout engine, paints its board after every event,
// feeds it keys and timer ticks, and lays its labels out from the window size.
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "display/scoreboard_layout.h"
#include "engine/engine.h"

namespace kyomat {

class FocusCircle;
class TextScreen;
class LogoOverlay;

class ScoreboardWindow : public QWidget {
    Q_OBJECT
  public:
    ScoreboardWindow(Host& host, Settings settings, QWidget* parent = nullptr);
    ~ScoreboardWindow() override;

    BoutEngine& engine() { return engine_; }

    // Delivers one key to the engine and repaints (the control panel's relay comes here too).
    void handle_key(std::uint16_t key, Modifiers mods);
    // A key from another input (a gamepad's button): it acts as a typed key, whichever window
    // has the keyboard, but never answers a question or a dialog; while one is open it is
    // refused with a note.
    // false: refused (a dialog or a question is open), with a note to the operator.
    // around(true) and around(false) enclose the key's acting, now or, when it waits for the
    // list, later (the protocol names the device that gave it).
    bool remote_key(std::uint16_t key, Modifiers mods, std::function<void(bool)> around = {});
    // Copies the board into the widgets and lets the timers follow the engine.
    void paint_board();
    // Lays the labels out from the window size.
    void lay_out();
    // Moves the window to the monitor that holds the x coordinate left and fills it.
    void place_on_display(int left);
    // Shows the window mapped once, at its place on its monitor and at its size (when
    // anz_links is a number; the show step reports it otherwise and the window stays small).
    void show_placed();

    // The text screen and the pause picture are built when first needed: the first frame of
    // the board does not wait for windows that may never be shown.
    TextScreen& text_screen();
    LogoOverlay& overlay();
    // A page of the text screen, and the pause picture. With keys relayed (panel_tasten=1)
    // keys typed into them reach the board, and a page blocks no other window.
    void show_page(PageScheme scheme, const std::string& line1, const std::string& line2,
                   const std::string& line3);
    // Runs then when the pages that are up (and those waiting) have ended, at once when none
    // is up: a command's dialog opens after the pages of the command before it.
    void after_pages(std::function<void()> then);
    bool pages_up() const { return page_up_; }
    void show_overlay();
    bool has_overlay() const { return overlay_ != nullptr; }
    // Whether window is one of the board's own that pass typed keys on (page, pause picture).
    bool relays_keys_of(const QWidget* window) const;
    // While the control panel is open without panel_tasten the board takes no key and no
    // click, as under a modal panel.
    void set_panel_open(bool open) { panel_open_ = open; }
    // Whether the open panel relays the keys (then the board takes them too).
    void set_panel_relays(std::function<bool()> relays) { panel_relays_ = std::move(relays); }
    // Ctrl+N and Ctrl+E read and write the shared list. While saving() says another program is
    // writing it, such a key waits on a timer (a note says so) for at most max_wait_ms, and
    // the keys after it wait behind it: the clock and the gong go on meanwhile, nothing
    // sleeps.
    void set_list_saving(std::function<bool()> saving, int max_wait_ms);
    // Runs then once the key given last has acted: now, or, when it waits for the list, right
    // after it (what a panel button does after its key).
    void after_key(std::function<void()> then);
    bool takes_input() const;
    // Called with each of those windows when it has been built.
    void set_window_built(std::function<void(QWidget*)> built) { built_ = std::move(built); }
    // The operator's "Bitte warten ..." notice, shown while a text page covers the display.
    void set_wait_window(std::function<void(bool)> wait) { wait_ = std::move(wait); }
    // Called after every paint of the board (the live view follows it).
    void set_painted(std::function<void()> painted) { painted_ = std::move(painted); }
    // Told after every paint which gong may come: none (the clock stands), one by key while
    // the clock runs (an Ippon; with gong_bereit=1), or one of the clock's own within seconds
    // (the end of time is near, a hold-down counts), so that the sound device is awake in
    // time, as quick as needed, and asleep otherwise.
    enum class GongSoon { no, by_key, by_clock };
    void set_gong_soon(std::function<void(GongSoon)> soon) { gong_soon_ = std::move(soon); }

    // The board's monitor (anz_monitor, else the one holding anz_links) may come and go: while
    // it is missing the board, its pages and its pause picture are hidden, never thrown onto
    // the operator's screen; told with what is waited for, and again when it is back.
    void set_screen_missing(std::function<void(bool missing, const QString& waited_for)> told) {
        screen_missing_told_ = std::move(told);
    }
    bool screen_missing() const { return screen_missing_; }
    // Places the board on its monitor as the monitors now are (after any change of them).
    void follow_screens();
    // Where the open control panel stands when it shares the board's monitor and the board is
    // to stand below it (nothing otherwise): the board fills the room below the panel.
    void set_panel_frame(const QRect& frame);

    // A note for the operator along the bottom edge, for a few seconds: why a key did nothing.
    void show_note(const QString& text);

    // The clock's tick: while the clock runs, aimed just past its next whole second (or the
    // hold-down's).
    QTimer& clock_timer() { return clock_timer_; }
    QTimer& focus_timer() { return focus_timer_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* panel(Element Board::*member, QWidget* parent);
    QLabel* label(Element Board::*member, QWidget* parent);
    void bind(Element Board::*member, QWidget* w);
    void build_board();
    // One element's colours, text and visibility; true when a fitted text changed.
    bool paint_element(std::size_t i, const Board& board);
    void on_focus_circle_pressed();
    void clock_tick();
    void tick(void (BoutEngine::*tick)());
    void aim_second_tick();
    GongSoon gong_may_come_soon() const;
    void focus_tick();
    void focus_moved();
    void modus_name_verein();
    void fit_long_texts(const ScoreboardLayout& L);
    // scoreboard_glance.cpp: "IPPON" and the column headings.
    void build_glance();
    QLabel* glance_label(const std::string& name) const;
    void place_glance(const ScoreboardLayout& L);
    void paint_glance();
    bool covered_by_ippon(std::size_t element) const;
    MaybeSide shown_ippon() const;
    std::array<QLabel*, 3> headings_{};
    std::array<QLabel*, 2> ippon_{};

    Host& host_;
    BoutEngine engine_;
    // One widget per board element, in the board's order.
    std::array<QWidget*, Board::k_count> widgets_{};
    QWidget* top_ = nullptr;
    QWidget* middle_ = nullptr;
    QWidget* bottom_ = nullptr;
    QWidget* pnl1_ = nullptr;
    QWidget* pnl2_ = nullptr;
    QWidget* links_ = nullptr;
    QWidget* zeit_ = nullptr;
    QWidget* hg_ = nullptr;
    QWidget* hg_bottom_ = nullptr;
    QLabel* club_blue_ = nullptr;
    QLabel* club_white_ = nullptr;
    QLabel* clock_ = nullptr;
    QLabel* hold_ = nullptr;
    QLabel* hold_saved_ = nullptr;
    FocusCircle* focus_ = nullptr;
    TextScreen* text_ = nullptr;
    LogoOverlay* overlay_ = nullptr;
    std::function<void(bool)> wait_;
    std::function<void()> painted_;
    std::function<void(GongSoon)> gong_soon_;
    std::function<void(QWidget*)> built_;
    QTimer clock_timer_;
    QTimer focus_timer_;
    QLabel* note_ = nullptr;
    QTimer note_timer_;
    // The pages still to show after the one that is up. Keys that arrive while a page is up
    // wait until the command that showed it has ended (its pages and what follows them): a
    // command never starts inside another.
    struct Page {
        PageScheme scheme;
        std::array<std::string, 3> lines;
    };
    std::deque<Page> pages_;
    bool page_up_ = false;
    QPointer<QWidget> had_keys_;
    std::vector<std::function<void()>> after_pages_;
    void show_next_page();
    void pages_ended();
    bool panel_open_ = false;
    std::function<bool()> panel_relays_;
    std::vector<std::pair<std::uint16_t, Modifiers>> waiting_keys_;
    // The list's command waiting for another program's save, and the keys behind it.
    std::function<bool()> list_saving_;
    int list_wait_ms_ = 0;
    QTimer list_wait_;
    qint64 list_waiting_since_ = 0;
    struct HeldKey {
        std::uint16_t key = 0;
        Modifiers mods;
        std::vector<std::function<void()>> then;
        std::function<void(bool)> around;
    };
    // What encloses the acting of the key being handled (a remote's or a gamepad's).
    std::function<void(bool)> around_;
    // The engine's handling of one key, enclosed by around.
    void act(std::uint16_t key, Modifiers mods, const std::function<void(bool)>& around);
    std::deque<HeldKey> behind_list_;
    // Runs the key now, or holds it for the list; true when it ran.
    bool run_or_hold_for_list(std::uint16_t key, Modifiers mods);
    void list_wait_tick();
    bool shown_once_ = false;
    // The monitors: the anz_links position, whether the board's monitor is missing, whether
    // the board has stood on its own monitor yet, and whether the pause was up when it went.
    std::optional<int> left_;
    bool screen_missing_ = false;
    bool found_once_ = false;
    bool pause_was_up_ = false;
    bool following_screens_ = false;
    QRect panel_frame_;
    std::function<void(bool, const QString&)> screen_missing_told_;
    void watch_screens();
    bool laid_out_ = false;
    // The board and the bout as last painted: a tick that leaves both as they are paints
    // nothing (copied once a paint, not on every tick).
    Board painted_board_;
    BoutState painted_state_;
};

}  // namespace kyomat
