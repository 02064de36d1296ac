#include "engine/fake_host.h"

#include <map>

#include "data/core/settings.h"
#include "engine/panel_commands.h"
#include "engine/rule_settings.h"

namespace kyomat::testing {

GongStatus FakeHost::gong_open(const std::string& path) {
    if (path.empty()) return GongStatus::not_configured;
    std::error_code ec;
    return std::filesystem::is_regular_file(Settings(folder_).resolve(path), ec)
               ? GongStatus::opened
               : GongStatus::file_missing;
}

void FakeHost::show_message(const std::string& text, MessageKind kind) {
    events.push_back(std::string("message ") + letter(kind) + " " + text);
}

bool FakeHost::confirm_ok(const std::string& question) {
    events.push_back("confirm " + question);
    if (confirm_answers.empty()) {
        if (failure.empty()) failure = "no answer for confirm";
        return false;
    }
    const bool ok = confirm_answers.front();
    confirm_answers.pop_front();
    return ok;
}

void FakeHost::protocol_line(const ProtocolLine& line) {
    std::string text = line.subject;
    if (line.amount) text += " " + std::to_string(*line.amount);
    if (!line.shown.empty()) text += " " + line.shown;
    protocol.push_back(text + " @" + std::to_string(line.second));
}

namespace {

// "FIELD=VALUE|FIELD=VALUE": each value goes to the field of that name; false for a pair
// without "=" or a name that is not a field.
bool fill_named(const std::string& pairs, const std::map<std::string, std::string*>& fields) {
    std::size_t pos = 0;
    while (pos < pairs.size()) {
        std::size_t end = pairs.find('|', pos);
        if (end == std::string::npos) end = pairs.size();
        const std::string pair = pairs.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t eq = pair.find('=');
        if (eq == std::string::npos) return false;
        const auto it = fields.find(pair.substr(0, eq));
        if (it == fields.end()) return false;
        *it->second = pair.substr(eq + 1);
    }
    return true;
}

}  // namespace

bool FakeHost::fill_fields(const std::string& pairs) {
    EntryFields& f = fields_;
    return fill_named(pairs, {{"edtAKID", &f.edtAKID},
                              {"edtGEWK", &f.edtGEWK},
                              {"edtLPOS", &f.edtLPOS},
                              {"edtNAMEBlau", &f.edtNAMEBlau},
                              {"edtVERNBlau", &f.edtVERNBlau},
                              {"edtNAMEWeiss", &f.edtNAMEWeiss},
                              {"edtVERNWeiss", &f.edtVERNWeiss},
                              {"edtKTXT", &f.edtKTXT}});
}

bool FakeHost::fill_team_fields(const std::string& pairs, TeamFields& t) {
    return fill_named(pairs, {{"edtAKID", &t.edtAKID},
                              {"edtGEWK", &t.edtGEWK},
                              {"edtPunkteBlau", &t.edtPunkteBlau},
                              {"edtVERNBlau", &t.edtVERNBlau},
                              {"edtPunkteWeiss", &t.edtPunkteWeiss},
                              {"edtVERNWeiss", &t.edtVERNWeiss}});
}

// The scripted answer comes at once, as the operator's would when the dialog closes.
void FakeHost::show_entry_dialog(Answered done) {
    events.push_back("entry");
    if (entry_answers.empty()) {
        if (failure.empty()) failure = "no answer for entry";
        done(false);
        return;
    }
    const DialogAnswer a = entry_answers.front();
    entry_answers.pop_front();
    if (!fill_fields(a.fields) && failure.empty()) failure = "bad entry fields: " + a.fields;
    done(a.ok);
}

void FakeHost::eingabe_teams_simple(bool has_result, bool blue_won, Answered done) {
    TeamFields team = team_fields_from_entry(fields_, has_result, blue_won);
    events.push_back("teams " + team.edtPunkteBlau + ":" + team.edtPunkteWeiss);
    if (teams_answers.empty()) {
        if (failure.empty()) failure = "no answer for teams";
        done(false);
        return;
    }
    const DialogAnswer a = teams_answers.front();
    teams_answers.pop_front();
    if (!fill_team_fields(a.fields, team) && failure.empty()) {
        failure = "bad teams fields: " + a.fields;
    }
    if (a.ok) team_fields_to_entry(team, fields_);
    done(a.ok);
}

void FakeHost::show_page(PageScheme scheme, const std::string& line1, const std::string& line2,
                         const std::string& line3) {
    const char* name = scheme == PageScheme::neutral ? "neutral"
                       : scheme == PageScheme::blau  ? "blau"
                                                     : "weiss";
    events.push_back(std::string("page ") + name + " " + line1 + "|" + line2 + "|" + line3);
}

void FakeHost::overlay_bild() {
    if (overlay_shown) return;
    overlay_shown = true;
    events.push_back("overlay on");
}

void FakeHost::overlay_bild_aus() {
    if (!overlay_shown) return;
    overlay_shown = false;
    events.push_back("overlay off");
}

void FakeHost::show_control_panel() {
    events.push_back("panel");
    if (panel_answers.empty()) {
        if (failure.empty()) failure = "no answer for panel";
        return;
    }
    const std::string how = panel_answers.front();
    panel_answers.pop_front();
    if (engine_ == nullptr) return;
    const KeyRelay relay = [this](std::uint16_t key, Modifiers mods) {
        engine_->handle_key(key, mods);
    };
    if (how == "exit") {
        exit_from_panel(*engine_, relay);
    } else if (how != "box") {
        close_panel(*engine_, relay);
    }
    engine_->control_panel_closed();
}

void FakeHost::close_scoreboard() {
    if (closed) return;
    closed = true;
    events.push_back("close");
}

}  // namespace kyomat::testing
