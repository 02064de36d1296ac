#include "runner/scenario.h"

#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

#include "data/core/basis.h"
#include "data/core/cp1252.h"
#include "engine/fake_host.h"

namespace kyomat::testing {
namespace {

struct Failure {
    std::string got;
};

// The kyomat.ini that the scenario builds line by line.
class IniModel {
  public:
    void set(const std::string& section, const std::string& key, const std::string& value) {
        for (auto& s : sections_) {
            if (s.name != section) continue;
            for (auto& kv : s.lines) {
                if (kv.first == key) {
                    kv.second = value;
                    return;
                }
            }
            s.lines.emplace_back(key, value);
            return;
        }
        sections_.push_back({section, {{key, value}}});
    }
    void clear() { sections_.clear(); }
    std::string text() const {
        std::string out;
        for (const auto& s : sections_) {
            out += "[" + s.name + "]\r\n";
            for (const auto& kv : s.lines) out += kv.first + "=" + kv.second + "\r\n";
        }
        return out;
    }

  private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> lines;
    };
    std::vector<Section> sections_;
};

std::filesystem::path make_temp_folder() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto p = std::filesystem::temp_directory_path() /
                       ("kyomat-scn-" + std::to_string(rd()) + std::to_string(attempt));
        std::error_code ec;
        if (std::filesystem::create_directory(p, ec)) return p;
    }
    throw std::runtime_error("cannot create a temporary folder");
}

std::vector<std::string> split_words(const std::string& line, std::size_t max_words) {
    // The first max_words - 1 words, then the rest of the line verbatim.
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (words.size() + 1 < max_words) {
        const std::size_t blank = line.find(' ', pos);
        if (blank == std::string::npos) {
            words.push_back(line.substr(pos));
            return words;
        }
        words.push_back(line.substr(pos, blank - pos));
        pos = blank + 1;
    }
    words.push_back(line.substr(pos));
    return words;
}

std::string quoted(const std::string& s) {
    const std::size_t first = s.find('"');
    const std::size_t last = s.rfind('"');
    if (first == std::string::npos || last == first) throw Failure{"expected a quoted text"};
    return s.substr(first + 1, last - first - 1);
}

long long number(const std::string& s) {
    if (s.empty() || s.find_first_not_of("-0123456789") != std::string::npos) {
        throw Failure{"not a number: " + s};
    }
    return std::stoll(s);
}

std::string read_file_bytes(const std::filesystem::path& p, bool& exists) {
    std::ifstream in(p, std::ios::binary);
    exists = static_cast<bool>(in);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> file_lines(const std::filesystem::path& p) {
    bool exists = false;
    const std::string bytes = read_file_bytes(p, exists);
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(cp1252_to_utf8(line));
        pos = end + 1;
    }
    return lines;
}

class Scenario {
  public:
    explicit Scenario(std::filesystem::path folder) : folder_(std::move(folder)) {}
    ~Scenario() {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    void run(const std::string& line);

  private:
    BoutEngine& engine() {
        if (!engine_) throw Failure{"no start yet"};
        return *engine_;
    }
    void write_ini() {
        std::ofstream out(folder_ / "kyomat.ini", std::ios::binary | std::ios::trunc);
        out << utf8_to_cp1252(ini_.text());
    }
    void answer(const std::string& args);
    void expect(const std::string& args);
    void check_host() {
        if (host_ && !host_->failure.empty()) {
            const std::string f = host_->failure;
            host_->failure.clear();
            throw Failure{f};
        }
    }
    void print();

    std::filesystem::path folder_;
    IniModel ini_;
    std::unique_ptr<FakeHost> host_;
    std::unique_ptr<BoutEngine> engine_;
    std::size_t checked_ = 0;
    bool listmode_ = false;
    std::size_t notes_checked_ = 0;
    // Answers queued before start wait here.
    FakeHost pending_{folder_};
};

void Scenario::run(const std::string& line) {
    const auto w = split_words(line, 2);
    const std::string& cmd = w[0];
    const std::string args = w.size() > 1 ? w[1] : "";
    if (cmd == "ini") {
        const auto a = split_words(args, 3);
        if (a.size() < 2) throw Failure{"ini needs SECTION KEY rest"};
        ini_.set(a[0], a[1], a.size() > 2 ? a[2] : "");
        write_ini();
    } else if (cmd == "noini") {
        ini_.clear();
        std::filesystem::remove(folder_ / "kyomat.ini");
    } else if (cmd == "file") {
        const auto a = split_words(args, 2);
        std::ofstream out(folder_ / a[0], std::ios::binary | std::ios::app);
        out << utf8_to_cp1252(a.size() > 1 ? a[1] : "") << "\r\n";
    } else if (cmd == "rmfile") {
        std::filesystem::remove(folder_ / args);
    } else if (cmd == "listmode") {
        if (args != "on" && args != "off") throw Failure{"listmode on|off"};
        listmode_ = args == "on";
        if (host_) host_->list_visible = listmode_;
    } else if (cmd == "start") {
        if (engine_) throw Failure{"started twice"};
        host_ = std::make_unique<FakeHost>(folder_);
        host_->confirm_answers = pending_.confirm_answers;
        host_->entry_answers = pending_.entry_answers;
        host_->teams_answers = pending_.teams_answers;
        host_->panel_answers = pending_.panel_answers;
        host_->list_visible = listmode_;
        engine_ = std::make_unique<BoutEngine>(*host_, settings_written_at_once(folder_));
        host_->attach(*engine_);
        engine_->on_create();
        engine_->on_show();
    } else if (cmd == "key") {
        const auto ev = parse_key_combo(args);
        if (!ev) throw Failure{"bad key: " + args};
        engine().handle_key(ev->key, ev->mods);
    } else if (cmd == "tickset") {
        engine();
        host_->tick = static_cast<std::uint32_t>(number(args));
    } else if (cmd == "tick") {
        engine();
        host_->tick += static_cast<std::uint32_t>(number(args));
    } else if (cmd == "timer1") {
        if (engine().clock_timer_on()) engine().clock_tick();
    } else if (cmd == "timer2") {
        if (engine().focus_timer_on()) engine().focus_tick();
    } else if (cmd == "wait") {
        long long ms = number(args);
        engine();
        for (; ms >= 100; ms -= 100) {
            host_->tick += 100;
            if (engine_->clock_timer_on()) engine_->clock_tick();
            check_host();
        }
        host_->tick += static_cast<std::uint32_t>(ms);
    } else if (cmd == "answer") {
        answer(args);
    } else if (cmd == "expect") {
        expect(args);
    } else if (cmd == "drop" && args == "events") {
        engine();
        checked_ = host_->events.size();
    } else if (cmd == "print") {
        print();
    } else {
        throw Failure{"unknown command"};
    }
    check_host();
}

void Scenario::answer(const std::string& args) {
    FakeHost& h = host_ ? *host_ : pending_;
    const auto a = split_words(args, 3);
    const std::string& kind = a[0];
    const std::string how = a.size() > 1 ? a[1] : "";
    const std::string rest = a.size() > 2 ? a[2] : "";
    if (kind == "confirm" && (how == "ok" || how == "cancel")) {
        h.confirm_answers.push_back(how == "ok");
    } else if ((kind == "entry" || kind == "teams") && (how == "ok" || how == "cancel")) {
        (kind == "entry" ? h.entry_answers : h.teams_answers).push_back({how == "ok", rest});
    } else if (kind == "panel" && (how == "close" || how == "exit" || how == "box")) {
        h.panel_answers.push_back(how);
    } else if (kind == "editor" && how == "close") {
        // The editor opens only from the control panel's list, which no event here reaches;
        // the answer is accepted and waits unused.
    } else {
        throw Failure{"unsupported answer"};
    }
}

std::string colour_of(const Element& e, bool font) {
    return (font ? e.font : e.back).hex();
}

void Scenario::expect(const std::string& args) {
    const auto a = split_words(args, 3);
    const std::string& what = a[0];
    const std::string name = a.size() > 1 ? a[1] : "";
    const std::string rest = a.size() > 2 ? a[2] : "";
    // Events and notes are read in order: "expect event rest" takes the oldest unchecked
    // one, "expect noevent" wants none left (the same for notes).
    const auto in_order = [&](const std::vector<std::string>& seen, std::size_t& checked,
                              const std::string& kind) {
        if (what == "no" + kind) {
            if (checked < seen.size()) throw Failure{seen[checked]};
            return;
        }
        const std::string want = args.size() > kind.size() + 1 ? args.substr(kind.size() + 1) : "";
        if (checked >= seen.size()) throw Failure{"no " + kind};
        // A note names files by their whole path: the scenario's folder reads "<ordner>".
        std::string got = seen[checked];
        if (kind == "note") {
            const std::string folder = folder_.string();
            for (std::size_t at = got.find(folder); at != std::string::npos;
                 at = got.find(folder, at)) {
                got.replace(at, folder.size(), "<ordner>");
            }
        }
        if (got != want) throw Failure{got};
        ++checked;
    };
    if (what == "event" || what == "noevent") {
        engine();
        return in_order(host_->events, checked_, "event");
    }
    if (what == "note" || what == "nonote") {
        engine();
        return in_order(host_->notes, notes_checked_, "note");
    }
    if (what == "file" || what == "lines") {
        const auto lines = file_lines(folder_ / name);
        if (what == "lines") {
            if (static_cast<long long>(lines.size()) != number(rest)) {
                throw Failure{std::to_string(lines.size())};
            }
            return;
        }
        const auto b = split_words(rest, 2);
        const long long n = number(b[0]);
        const std::string want = b.size() > 1 ? b[1] : "";
        if (n < 1 || n > static_cast<long long>(lines.size())) throw Failure{"no line " + b[0]};
        if (lines[static_cast<std::size_t>(n - 1)] != want) {
            throw Failure{lines[static_cast<std::size_t>(n - 1)]};
        }
        return;
    }
    BoutEngine& e = engine();
    if (what == "text" || what == "visible" || what == "hidden" || what == "font" ||
        what == "back") {
        const Element* el = e.board().find(name);
        if (el == nullptr) throw Failure{"no control " + name};
        std::string got;
        bool ok = false;
        if (what == "text") {
            got = "\"" + el->text + "\"";
            ok = el->text == quoted(rest);
        } else if (what == "visible" || what == "hidden") {
            got = el->visible ? "visible" : "hidden";
            ok = el->visible == (what == "visible");
        } else {
            got = colour_of(*el, what == "font");
            ok = upper_case_de(rest) == got;
        }
        if (!ok) throw Failure{got};
        return;
    }
    if (what == "flag") {
        bool v = false;
        if (name == "active")
            v = e.state().bout_active;
        else if (name == "golden")
            v = e.golden_score();
        else if (name == "panel")
            v = e.state().control_panel_active;
        else if (name == "exit")
            v = e.state().exit_request;
        else if (name == "fromlist")
            v = e.state().loaded_from_list;
        else if (name == "due")
            v = host_->access.list_result_due;
        else if (name == "timer1")
            v = e.clock_timer_on();
        else if (name == "timer2")
            v = e.focus_timer_on();
        else if (name == "closed")
            v = host_->closed;
        else
            throw Failure{"unknown flag " + name};
        if (rest != "true" && rest != "false") throw Failure{"true or false expected"};
        if (v != (rest == "true")) throw Failure{v ? "true" : "false"};
        return;
    }
    if (what == "value") {
        long long v = 0;
        if (name == "clock")
            v = e.state().clock_value;
        else if (name == "duration")
            v = e.state().set_duration;
        else if (name == "gslimit")
            v = e.state().golden_score_limit;
        else if (name == "elapsed")
            v = e.elapsed_seconds();
        else if (name == "points_b")
            v = e.state().points_b;
        else if (name == "points_w")
            v = e.state().points_w;
        else if (name == "lpos")
            v = e.state().list_position;
        else
            throw Failure{"unknown value " + name};
        if (v != number(rest)) throw Failure{std::to_string(v)};
        return;
    }
    if (what == "holder") {
        if (name.size() != 1 || std::string("BWX").find(name) == std::string::npos) {
            throw Failure{"B, W or X expected"};
        }
        if (side_code(e.state().holder) != name[0])
            throw Failure{std::string(1, side_code(e.state().holder))};
        return;
    }
    if (what == "field") {
        const EntryFields& f = host_->entry_fields();
        const std::map<std::string, const std::string*> fields = {
            {"edtAKID", &f.edtAKID},           {"edtGEWK", &f.edtGEWK},
            {"edtLPOS", &f.edtLPOS},           {"edtNAMEBlau", &f.edtNAMEBlau},
            {"edtVERNBlau", &f.edtVERNBlau},   {"edtNAMEWeiss", &f.edtNAMEWeiss},
            {"edtVERNWeiss", &f.edtVERNWeiss}, {"edtKTXT", &f.edtKTXT}};
        const auto it = fields.find(name);
        if (it == fields.end()) throw Failure{"no field " + name};
        if (*it->second != quoted(rest)) throw Failure{"\"" + *it->second + "\""};
        return;
    }
    throw Failure{"unknown check"};
}

void Scenario::print() {
    BoutEngine& e = engine();
    for (const auto& entry : Board::elements()) {
        const Element& el = e.board().*entry.member;
        std::cout << entry.name << " \"" << el.text << "\" " << (el.visible ? "visible" : "hidden")
                  << " font " << el.font.hex() << " back " << el.back.hex() << "\n";
    }
    std::cout << "active " << e.state().bout_active << " golden " << e.golden_score() << " clock "
              << e.state().clock_value << " duration " << e.state().set_duration << " holder "
              << side_code(e.state().holder) << " timer1 " << e.clock_timer_on() << " points "
              << e.state().points_b << ":" << e.state().points_w << "\n";
}

}  // namespace

bool run_scenario_file(const std::filesystem::path& file, std::ostream& out) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        out << "FAIL " << file.string() << ":0: cannot open the file -- got: nothing\n";
        return false;
    }
    Scenario scenario(make_temp_folder());
    std::string line;
    int number_of_line = 0;
    while (std::getline(in, line)) {
        ++number_of_line;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        try {
            scenario.run(line);
        } catch (const Failure& f) {
            out << "FAIL " << file.string() << ":" << number_of_line << ": " << line
                << " -- got: " << f.got << "\n";
            return false;
        } catch (const std::exception& ex) {
            out << "FAIL " << file.string() << ":" << number_of_line << ": " << line
                << " -- got: " << ex.what() << "\n";
            return false;
        }
    }
    return true;
}

}  // namespace kyomat::testing
