#include "data/core/call_up.h"

#include <string_view>
#include <utility>

#include "data/core/basis.h"
#include "data/core/cp1252.h"

namespace kyomat {

CalledBout called_bout(const BoutList& list, int row) {
    CalledBout bout;
    if (row < 1 || row >= list.row_count()) return bout;
    const BoutList::Row& cells = list.rows[static_cast<std::size_t>(row)];
    bout.position = row;
    bout.age_class = trim_blanks(list.age_class);
    bout.weight_class = trim_blanks(cells[0]);
    bout.blue_name = trim_blanks(cells[1]);
    bout.white_name = trim_blanks(cells[3]);
    bout.blue_club = trim_blanks(list.team_mode ? list.team1 : cells[2]);
    bout.white_club = trim_blanks(list.team_mode ? list.team2 : cells[4]);
    return bout;
}

CallUp call_up_of(const BoutList& list, int board_row, std::size_t count) {
    CallUp call;
    for (int r = 1; r < list.row_count() && call.next.size() < count; ++r) {
        if (r == board_row || !list.is_open_bout(r) || !list.has_pairing(r)) continue;
        call.next.push_back(called_bout(list, r));
    }
    call.list = call.next.empty() ? CallUpList::done : CallUpList::open;
    return call;
}

std::string spoken_name(std::string_view name, bool first_name_first) {
    // A name the voice can say: as the pages cut theirs, so that a list's cell of any length
    // builds a call of a bounded size inside the key that took the bout.
    std::string whole = trim_blanks(utf8_substr(name, 0, k_spoken_name_characters));
    const std::size_t comma = whole.find(',');
    if (!first_name_first || comma == std::string::npos) return whole;
    const std::string given = trim_blanks(std::string_view(whole).substr(comma + 1));
    const std::string family = trim_blanks(std::string_view(whole).substr(0, comma));
    return given.empty() ? family : given + " " + family;
}

namespace {

std::string filled(std::string text, const std::string& mat, const CalledBout& bout,
                   bool first_name_first) {
    if (mat.empty()) {
        // "{matte}: " without a name would be read as a stray colon.
        for (const char* gap : {"{matte}: ", "{matte}, ", "{matte} "}) {
            for (std::size_t at; (at = text.find(gap)) != std::string::npos;)
                text.erase(at, std::string_view(gap).size());
        }
    }
    const std::pair<std::string_view, std::string> fields[] = {
        {"{matte}", mat},
        {"{blau}", spoken_name(bout.blue_name, first_name_first)},
        {"{weiss}", spoken_name(bout.white_name, first_name_first)}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [field, value] : fields) {
            if (text.compare(i, field.size(), field) == 0) {
                out += value;
                i += field.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) out += text[i++];
    }
    return trim_blanks(out);
}

}  // namespace

std::string spoken_call(const CallWords& words, const CalledBout& now, const CalledBout* next) {
    CallWords cut = words;
    cut.mat = utf8_substr(words.mat, 0, k_spoken_name_characters);
    std::string call = filled(cut.announce, cut.mat, now, cut.first_name_first);
    if (next != nullptr) {
        const std::string ready = filled(cut.ready, cut.mat, *next, cut.first_name_first);
        if (!ready.empty()) call += (call.empty() ? "" : " ") + ready;
    }
    // However often the words repeat a name, a call is something a voice says in a breath.
    if (utf8_length(call) > k_spoken_call_characters)
        call = utf8_substr(call, 0, k_spoken_call_characters);
    return call;
}

}  // namespace kyomat
