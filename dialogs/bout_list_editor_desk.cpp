// The editor's save over a list that another program (the tournament desk) changed since it
// was loaded: the operator's edits merged into the list as it is now, a cell both changed asked.
#include <filesystem>

#include "data/core/list_merge.h"
#include "dialogs/bout_list_editor.h"
#include "platform/message_box.h"

namespace kyomat {

bool BoutListEditor::may_overwrite() {
    if (file_.current_file() != saved_file_) return true;
    BoutList disk;
    if (!std::filesystem::exists(saved_file_)) return true;
    BoutListFile probe(file_.folder, nullptr);
    probe.file_name = file_.file_name;
    // A list the desk is saving this moment is waited for; one that stays unreadable is no
    // list to keep.
    if (!probe.read_settled(disk, nullptr, true, true)) return true;
    if (same_content(disk, saved_)) return true;
    ListMerge merged = merge_bout_lists(saved_, file_.list, disk);
    const auto lines = [](const std::vector<std::string>& all) {
        constexpr std::size_t k_shown = 8;
        std::string text;
        for (std::size_t i = 0; i < all.size() && i < k_shown; ++i) text += "\n  " + all[i];
        if (all.size() > k_shown)
            text += "\n  … und " + std::to_string(all.size() - k_shown) + " weitere";
        return text.empty() ? std::string("\n  (nichts an den Zellen)") : text;
    };
    const int choice =
        choose("Die Kampfliste \"" + file_.file_name +
                   "\" wurde seit dem Laden von einem anderen Programm geändert (z. B. von der "
                   "Turnierleitung).\n\nDas andere Programm hat geändert:" +
                   lines(merged.desk_changes) +
                   "\n\nIhre ungespeicherten Änderungen:" + lines(merged.own_edits) +
                   "\n\n„Trotzdem speichern“ trägt Ihre Änderungen in die Liste ein, wie sie "
                   "jetzt ist: was das andere Programm geändert hat, bleibt (eine Zelle, die "
                   "beide geändert haben, wird gefragt). „Neu laden“ zeigt die Liste, wie sie "
                   "jetzt ist (Ihre Änderungen gehen verloren).",
               {"&Neu laden", "&Trotzdem speichern", "Abbrechen"}, 2);
    if (choice == 1) {
        for (const ListConflict& c : merged.conflicts) {
            const std::string& column = bout_list_header()[static_cast<std::size_t>(c.column)];
            if (choose("Zeile " + std::to_string(c.row) + ", " + column +
                           ": beide haben diese Zelle geändert.\n\nIhre Eingabe: „" + c.mine +
                           "“\nDas andere Programm: „" + c.theirs + "“",
                       {"Ihre Eingabe", "Die des anderen Programms"}, 0) == 0) {
                merged.list
                    .rows[static_cast<std::size_t>(c.row)][static_cast<std::size_t>(c.column)] =
                    c.mine;
            }
        }
        file_.list = std::move(merged.list);
        show_list();
        return true;
    }
    if (choice == 0) {
        file_.load_from_file();
        remember_as_saved();
        show_list();
    }
    return choice == 1;
}

}  // namespace kyomat
