#include "live/core/state_document.h"

#include <cstdio>

#include "data/core/cp1252.h"
#include "engine/engine.h"

namespace kyomat {
namespace {

// Length of the UTF-8 sequence that starts at text[i], or 0 when it is not well formed
// (overlong forms, surrogates and values beyond U+10FFFF included).
std::size_t utf8_sequence(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    std::size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (i + n > text.size()) return 0;
    if (byte(i + 1) < lo || byte(i + 1) > hi) return 0;
    for (std::size_t k = 2; k < n; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    }
    return n;
}

std::string css_colour(const Colour& c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

class Writer {
  public:
    explicit Writer(std::string& out) : out_(out) {}
    Writer& key(std::string_view name) {
        separate();
        out_ += json_quoted(name);
        out_ += ':';
        fresh_ = true;
        return *this;
    }
    Writer& open(char bracket) {
        separate();
        out_ += bracket;
        fresh_ = true;
        return *this;
    }
    Writer& close(char bracket) {
        out_ += bracket;
        fresh_ = false;
        return *this;
    }
    Writer& text(std::string_view value) { return raw(json_quoted(value)); }
    Writer& flag(bool value) { return raw(value ? "true" : "false"); }
    Writer& number(long long value) { return raw(std::to_string(value)); }
    Writer& null() { return raw("null"); }
    Writer& side(MaybeSide s) {
        if (!s) return null();
        return text(*s == Side::blue ? "blue" : "white");
    }
    Writer& cell(const Element& e) {
        open('{').key("text").text(e.text).key("visible").flag(e.visible);
        return close('}');
    }

  private:
    Writer& raw(std::string_view value) {
        separate();
        out_ += value;
        return *this;
    }
    void separate() {
        if (!fresh_) out_ += ',';
        fresh_ = false;
    }
    std::string& out_;
    bool fresh_ = true;
};

struct SideElements {
    const Element &panel, &name, &club, &winner, &score_panel, &ippon, &waza, &yuko, &shido,
        &cross_1, &cross_2;
};

void write_side(Writer& w, const BoutEngine& engine, Side side) {
    const Board& b = engine.board();
    const SideElements e =
        side == Side::blue
            ? SideElements{b.pnlTop,  b.lblBlau_Name,  b.lblBLau_Verein, b.lbl_Sieger_Blau,
                           b.pnl1,    b.lbl_I_b,       b.lbl_W_b,        b.lbl_Y_b,
                           b.lbl_S_b, b.lbl_Kreuz_b_1, b.lbl_Kreuz_b_2}
            : SideElements{b.pnlMiddle, b.lblWeiss_Name, b.lblWeiss_Verein, b.lbl_Sieger_Weiss,
                           b.pnl2,      b.lbl_I_W,       b.lbl_W_W,         b.lbl_Y_W,
                           b.lbl_S_W,   b.lbl_Kreuz_w_1, b.lbl_Kreuz_w_2};
    w.open('{');
    w.key("name").text(e.name.visible ? shown_part(e.name.text) : "");
    w.key("club").text(e.club.visible ? shown_part(e.club.text) : "");
    w.key("colour").open('{');
    w.key("back").text(css_colour(e.panel.back)).key("font").text(css_colour(e.name.font));
    w.close('}');
    w.key("ippon").cell(e.ippon).key("waza_ari").cell(e.waza).key("yuko").cell(e.yuko);
    w.key("shido").cell(e.shido);
    w.key("crosses").open('[').cell(e.cross_1).cell(e.cross_2).close(']');
    w.key("points").number(engine.state().points(side));
    w.key("winner").flag(e.winner.visible);
    // Won by Ippon (its Ippon, two Waza-ari with waza2ippon, the other's Hansoku-make), and
    // whether the board says so in the score area (ippon_zeigen).
    const bool by_ippon = engine.ippon_winner() == side;
    w.key("won_by_ippon").flag(by_ippon);
    w.key("ippon_shown").flag(by_ippon && engine.rules().ippon_zeigen);
    w.close('}');
}

}  // namespace

std::string json_quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t n = utf8_sequence(text, i);
            if (n == 0) {
                out += "\\ufffd";
                ++i;
            } else {
                out.append(text.substr(i, n));
                i += n;
            }
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '<':
                // Never "</script>" or a comment opener inside a page that embeds a document.
                out += "\\u003c";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
        ++i;
    }
    out += '"';
    return out;
}

bool clock_running(const BoutEngine& engine) {
    return engine.clock_timer_on() || engine.state().holder.has_value();
}

std::string state_body(const BoutEngine& engine) {
    const Board& b = engine.board();
    const BoutState& s = engine.state();
    std::string out;
    out.reserve(4096);
    Writer w(out);
    w.key("rules").text(engine.points_mode() ? "points" : "scores");
    // Whether the names on the board are a bout's: the start board and the one Ctrl+E leaves
    // show the settings' placeholders, which the hall must not call as fighters.
    w.key("bout").flag(s.bout_on_board || s.begun);
    w.key("age_class").text(b.lblAK.visible ? shown_part(b.lblAK.text) : "");
    w.key("weight_class").text(b.lblGewK.visible ? shown_part(b.lblGewK.text) : "");
    // The board keeps the position in a hidden label: a bout from the list has one.
    w.key("list_position").text(s.loaded_from_list ? std::to_string(s.list_position) : "");
    w.key("blue");
    write_side(w, engine, Side::blue);
    w.key("white");
    write_side(w, engine, Side::white);
    const bool blue_won = b.lbl_Sieger_Blau.visible, white_won = b.lbl_Sieger_Weiss.visible;
    w.key("winner");
    if (blue_won != white_won) {
        w.side(blue_won ? Side::blue : Side::white);
    } else {
        w.null();
    }
    w.key("golden_score").flag(b.lbl_GS.visible);
    w.key("clock").open('{');
    w.key("text").text(b.lblZeit.text).key("seconds").number(s.clock_value);
    w.key("running").flag(engine.clock_timer_on()).key("visible").flag(b.lblZeit.visible);
    w.close('}');
    w.key("hold_down").open('{');
    w.key("text").text(b.lblHG.text).key("visible").flag(b.lblHG.visible && b.pnlHG.visible);
    w.key("seconds").number(shown_number(b.lblHG));
    // It counts only with the clock: standing, and after the end of the bout, it does not.
    w.key("running").flag(s.holder.has_value() && engine.clock_timer_on());
    w.key("holder").side(s.holder);
    w.key("saved").text(b.lblHG_Save.text);
    w.close('}');
    // Every element the projector paints, by its control name, so a page can draw the same
    // board; the focus circle is the operator's, not the audience's.
    w.key("elements").open('{');
    for (const auto& entry : Board::elements()) {
        if (entry.member == &Board::shpFocus) continue;
        const Element& e = b.*entry.member;
        w.key(entry.name).open('{');
        w.key("text").text(shown_part(e.text)).key("visible").flag(e.visible);
        w.key("font").text(css_colour(e.font)).key("back").text(css_colour(e.back));
        w.close('}');
    }
    w.close('}');
    return out;
}

std::string call_up_body(std::string_view mat, const CallUp& call) {
    std::string out;
    Writer w(out);
    w.key("mat").text(shown_part(mat));
    const char* list = "none";
    switch (call.list) {
        case CallUpList::none:
            break;
        case CallUpList::open:
            list = "open";
            break;
        case CallUpList::done:
            list = "done";
            break;
        case CallUpList::unreadable:
            list = "unreadable";
            break;
    }
    w.key("list").text(list);
    w.key("next").open('[');
    for (const CalledBout& b : call.next) {
        w.open('{');
        w.key("position").number(b.position);
        // Cut as the board's texts are: a list's cell of any length keeps the document small.
        w.key("age_class").text(shown_part(b.age_class));
        w.key("weight_class").text(shown_part(b.weight_class));
        w.key("blue").open('{').key("name").text(shown_part(b.blue_name));
        w.key("club").text(shown_part(b.blue_club)).close('}');
        w.key("white").open('{').key("name").text(shown_part(b.white_name));
        w.key("club").text(shown_part(b.white_club)).close('}');
        w.close('}');
    }
    w.close(']');
    return out;
}

std::string state_document(std::uint64_t sequence, std::string_view body) {
    std::string out;
    out.reserve(body.size() + 32);
    out += "{\"sequence\":";
    out += std::to_string(sequence);
    if (!body.empty()) out += ',';
    out.append(body);
    out += '}';
    return out;
}

}  // namespace kyomat
