#pragma once
// The operator's control panel: every control relays the key it stands for to the
// scoreboard's key handler, and the panel mirrors what the scoreboard shows.
#include <QDialog>
#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/panel_commands.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kyomat {

// What the panel needs of the rest of the program.
struct PanelLinks {
    KeyRelay key;                              // the scoreboard's key handler (and repaint)
    std::function<bool()> edit_kaempfe;        // the bout list editor, modally
    // The bout list reloaded for the grid: Gew/Nr, Name (1), Name (2), Erg., Unterbew.
    std::function<bool(std::vector<std::array<std::string, 5>>&)> list_rows;
};

class ControlPanel : public QDialog {
    Q_OBJECT
public:
    ControlPanel(BoutEngine& engine, Host& host, PanelLinks links, QWidget* parent = nullptr);

    // Relays one (character, modifier letter) pair, then refreshes the mirror.
    void sende_zeichen(unsigned char character, char modifier, bool require_active = false);
    void anzeige_uebernehmen();
    void zeit_uebernehmen();
    // Fills the bout grid from the list file; the grid stays hidden when it does not load.
    void anzeige_kaempfe();
    // List mode: the bout grid is shown.
    bool list_mode() const;

    QWidget* control(const char* name) const { return controls_.at(name); }

    // Handlers of the controls that do more than relay a key.
    void btnPauseClick();
    void btnCloseSTRGClick();
    void btnCloseAnzeigeClick();
    void btnNaechsterKampfClick();
    void btnEingabeKampfClick();
    void btnSaveClick();
    void list_double_click();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    template <class W>
    W* make(const char* name, QWidget* parent);
    QPushButton* button(const char* name, const QString& caption, QWidget* parent,
                        unsigned char character, char modifier);
    void build_side(bool blue, QWidget* area);
    void lay_out();
    void apply_colours();

    BoutEngine& engine_;
    Host& host_;
    PanelLinks links_;
    std::map<std::string, QWidget*> controls_;
    QTableWidget* grid_ = nullptr;
    int pause_ = 0;
};

}  // namespace kyomat
