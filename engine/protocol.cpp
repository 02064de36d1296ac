// What the engine tells the bout protocol: which bout is on the board, and every event of it
// with the second of bout time it happened in.
#include "engine/engine.h"

namespace kyomat {

void BoutEngine::protocol(const std::string& subject, std::optional<int> amount,
                          std::string shown) {
    protocol_at(elapsed_seconds(), subject, amount, std::move(shown));
}

void BoutEngine::protocol_at(int second, const std::string& subject, std::optional<int> amount,
                             std::string shown) {
    if (protocol_quiet_ > 0) return;
    // The first event after the program started belongs to the board as it came up, not to
    // the last bout of an earlier run in the same file.
    if (!protocol_bout_open_) protocol_new_bout(0, "Programmstart");
    host_.protocol_line(ProtocolLine{second, subject, amount, std::move(shown)});
}

void BoutEngine::protocol_new_bout(int list_position, const char* entry) {
    const Board& b = board_;
    protocol_bout_open_ = true;
    host_.protocol_new_bout(ProtocolBout{list_position, state_.age_class, state_.weight_class,
                                         b.lblBlau_Name.text, b.lblWeiss_Name.text,
                                         b.lblBLau_Verein.text, b.lblWeiss_Verein.text, "", entry,
                                         b.pnlTop.back.word(), b.pnlMiddle.back.word()});
}

MaybeSide BoutEngine::shown_winner() const {
    if (board_.lbl_Sieger_Blau.visible) return Side::blue;
    if (board_.lbl_Sieger_Weiss.visible) return Side::white;
    return std::nullopt;
}

void BoutEngine::protocol_winner_change(MaybeSide before) {
    const MaybeSide now = shown_winner();
    if (now == before) return;
    if (now && state_.referee_decision) {
        protocol(*now == Side::blue ? "ENTSCHEIDUNG_B" : "ENTSCHEIDUNG_W");
        return;
    }
    protocol(!now ? "SIEGER_AUS" : (*now == Side::blue ? "SIEGER_B" : "SIEGER_W"));
}

}  // namespace kyomat
