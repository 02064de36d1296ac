#pragma once
// The operator's control panel: every control relays the key it stands for to the
// scoreboard's key handler, and the panel mirrors what the scoreboard shows.
#include <QDialog>
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "control/panel_layout.h"
#include "engine/engine.h"
#include "engine/panel_commands.h"
#include "gui/list_watch.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kyomat {

class ClickPanel;
class UpDown;

// What the panel needs of the rest of the program.
struct PanelLinks {
    KeyRelay key;  // the scoreboard's key handler (and repaint)
    // Opens the bout list editor; closed runs when it has closed.
    std::function<void(std::function<void()> closed)> edit_kaempfe;
    // The bout list reloaded for the grid: Gew/Nr, Name (1), Name (2), Erg., Unterbew.; quiet:
    // a list that cannot be read is not told (the grid tries again at its next look).
    std::function<bool(std::vector<std::array<std::string, 5>>&, bool quiet)> list_rows;
    // Whether the last reading of the list failed (a Ctrl+N that found no list to read).
    std::function<bool()> list_unreadable;
    // How many results have been written into the list: the grid reads the file again
    // whenever this has changed.
    std::function<int()> list_writes;
    // The shared list's one watch: the grid follows the file when another program saves it.
    ListWatch* list_watch = nullptr;
    // The row of the bout on the board in the list as last read (the desk may move it).
    std::function<int()> bout_row;
    // Runs what a button does after its key once that key has acted (it may wait for a list
    // that another program is saving); nothing: at once.
    std::function<void(std::function<void()>)> after_key;
};

class ControlPanel : public QDialog {
    Q_OBJECT
  public:
    ControlPanel(BoutEngine& engine, Host& host, PanelLinks links, QWidget* parent = nullptr);

    // Relays one (character, modifier letter) pair, then refreshes the mirror.
    void sende_zeichen(unsigned char character, char modifier, bool require_active = false);
    // The board's state in the panel's read-only mirror, whatever path the change took (the
    // program calls it after every paint of the board while the panel is open).
    void mirror_board();
    // The board's monitor is missing: the status bar says so (and what is waited for), and
    // keys typed into the panel reach the board as with panel_tasten=1.
    void set_board_missing(bool missing, const QString& waited_for);
    // The program opened the panel because the board's monitor went away: while it stays
    // open it relays the keys, whatever panel_tasten says (the operator never asked for it).
    void set_opened_for_board(bool opened);
    bool opened_for_board() const { return opened_for_board_; }
    // A bout's result was handed on: keys kept relayed since a missing board end here.
    void bout_handed_on();
    // Keys typed into the panel reach the board.
    bool relays_keys() const { return keys_relayed_; }
    // What covers the board for the audience ("Seiten laufen", "Pause"), or nothing.
    void set_board_activity(const QString& what);
    void anzeige_uebernehmen();
    void zeit_uebernehmen();
    // Fills the bout grid from the list file; the grid stays hidden when it does not load.
    void anzeige_kaempfe();
    // List mode: the bout grid is shown.
    bool list_mode() const;
    // The status bar's note on the live view: its address, or why it is off.
    void set_live_text(const QString& text, bool problem);
    // A note to the operator in the status bar, shown for a few seconds.
    void show_note(const QString& text);
    // A button "Geräte…" at the status bar's right end opens the devices (remote, gamepads).
    void set_devices_opener(std::function<void()> open);
    // Where the panel stands whenever it shows, moves, resizes or hides, while it shares the
    // board's monitor and the board is to stand below it (an empty rectangle otherwise).
    void set_frame_told(std::function<void(const QRect&)> told) { frame_told_ = std::move(told); }
    // The live note and a standing note beside the three panels, each at a size that shows
    // it whole where the room allows.
    void fit_status_fields();
    // Shows the panel and returns at once; closed runs when it has closed. It blocks no window
    // of the window system; the board keeps out its own keys and clicks meanwhile unless keys
    // are relayed.
    void open_panel(std::function<void()> closed);

    // Handlers of the controls that do more than relay a key.
    void on_pause_clicked();
    void on_close_panel_clicked();
    void on_exit_clicked();
    void on_next_bout_clicked();
    // Runs then after the key just relayed has acted (see PanelLinks::after_key).
    void after_key(std::function<void()> then);
    void on_enter_bout_clicked();
    void on_save_bout_clicked();
    void list_double_click();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The score row of one side.
    struct SideControls {
        QWidget* area = nullptr;
        std::array<QLabel*, 4> caption{};  // Ippon, Waza-ari, Yuko, Shido
        std::array<QLineEdit*, 4> field{};
        std::array<UpDown*, 4> updown{};
        QLabel* name_caption = nullptr;
        QLabel* club_caption = nullptr;
        QLineEdit* name = nullptr;
        QLineEdit* club = nullptr;
        QPushButton* hansoku = nullptr;
        QPushButton* cross = nullptr;
        QLineEdit* cross_count = nullptr;
        QLabel* winner = nullptr;
    };

    QPushButton* button(const char* name, const QString& caption, QWidget* parent,
                        unsigned char character, char modifier);
    ClickPanel* click_panel(const char* name, QWidget* parent);
    void build_side(Side side, QWidget* area, SideControls& c);
    void build_clock_column(QWidget* parent);
    void build_buttons(QWidget* parent);
    void build_bout_area(QWidget* parent);
    void build_bottom_bar();
    void mirror_side(const SideControls& c, Side side);
    void lay_out();
    void lay_out_side(SideControls& c, const ScoreRowLayout& s, int area_height);
    void apply_colours();
    void relay(std::uint16_t key, Modifiers mods);
    // With keys relayed, no control takes the keyboard focus: the panel itself keeps it.
    // panel_tasten, a missing board, or a panel the program opened for it.
    bool keys_relayed_here() const;
    // At show: whether the panel shares the board's monitor with the board below it, and a
    // panel low enough on a small monitor that the board keeps a readable room.
    void share_board_screen();
    void fit_shared_screen();
    void tell_frame();
    std::function<void(const QRect&)> frame_told_;
    bool shares_board_screen_ = false;
    bool compacted_ = false;
    void set_keys_relayed(bool relayed);
    // The grid's row of the bout on the board is the selected one.
    void select_loaded_row();

    BoutEngine& engine_;
    Host& host_;
    PanelLinks links_;
    int pause_ = 0;
    bool board_missing_ = false;
    bool opened_for_board_ = false;
    // The panel relayed keys for a missing board: a key that acted then acts the same after
    // the board is back, until the panel is closed or the bout handed on.
    bool relay_kept_ = false;
    // Runs for a while after the board's monitor came back: its field says so.
    QTimer* board_back_ = nullptr;
    QString board_waited_for_;
    QString board_activity_;
    QLabel* status_focus_ = nullptr;
    bool keys_relayed_ = false;
    // "Kampf speichern" is handing on a result: list mode lasts until it is written.
    bool saving_bout_ = false;
    int list_writes_seen_ = 0;
    // A window manager places a dialog over its parent when it maps it: until the panel has
    // settled, it goes back to the top left corner of the operator's screen.
    bool placing_ = false;
    std::vector<std::pair<QWidget*, Qt::FocusPolicy>> focus_policies_;

    SideControls blue_, white_;
    QWidget* wertung_ = nullptr;
    QWidget* main_ = nullptr;
    QWidget* control_ = nullptr;
    QWidget* zeit_ = nullptr;
    ClickPanel* kampfzeit_ = nullptr;
    ClickPanel* hg_zeit_ = nullptr;
    QPushButton* zeit_plus_ = nullptr;
    QPushButton* zeit_minus_ = nullptr;
    QPushButton* hg_plus_ = nullptr;
    QPushButton* hg_minus_ = nullptr;
    QWidget* buttons_ = nullptr;
    QWidget* allgemein_ = nullptr;
    std::array<QPushButton*, 4> general_{};
    QWidget* hg_buttons_ = nullptr;
    QWidget* panel2_ = nullptr;
    QWidget* panel1_ = nullptr;
    ClickPanel* hg_start_blue_ = nullptr;
    ClickPanel* hg_start_white_ = nullptr;
    ClickPanel* hg_stop_ = nullptr;
    ClickPanel* hg_reset_ = nullptr;
    QWidget* kaempfe_ = nullptr;
    QWidget* info_ = nullptr;
    QLabel* lbl_akgew_ = nullptr;
    QLabel* lbl_kampf_ = nullptr;
    QLineEdit* edt_gewk_ = nullptr;
    QLineEdit* edt_ak_ = nullptr;
    QLineEdit* edt_lpos_ = nullptr;
    ClickPanel* liste_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QWidget* bout_buttons_area_ = nullptr;
    std::array<QPushButton*, 4> bout_buttons_{};
    QWidget* bottom_ = nullptr;
    std::array<QPushButton*, 5> bottom_buttons_{};
    QPushButton* reconnect_ = nullptr;
    QWidget* status_ = nullptr;
    std::array<QLabel*, 3> status_panels_{};
    // Where the live view can be reached (or why it is off); hidden while it is not set.
    QLabel* status_live_ = nullptr;
    QLabel* status_note_ = nullptr;
    QPushButton* status_devices_ = nullptr;
    QTimer* note_timer_ = nullptr;
    // The grid follows the list file: a watch of its folder where the system offers one, and
    // a look every 2 s for the folders it does not watch (a shared folder of the desk).
    int list_follower_ = -1;  // the grid's place in the list's watch
    std::string list_stamp_seen_;
    // Since when the grid's looks at the file have failed (the desk saving it), and whether
    // that was told: a list being saved is told only when it stays unreadable.
    QElapsedTimer list_failing_;
    bool list_failure_told_ = false;
    void set_up_list_watch();
    // The grid follows the list through its watch while it is shown.
    void follow_list();
};

}  // namespace kyomat
