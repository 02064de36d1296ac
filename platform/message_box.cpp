#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <deque>

#include "platform/screen_place.h"

namespace kyomat {
namespace {

// A box's answer as the index of its button: OK is 0, Abbrechen 1; -1 stands for "the last".
std::deque<int> g_answers;
bool g_auto = false;
bool g_auto_ok = true;
std::vector<std::string> g_log;

// The answer a test gave for the next box, if any: the index of its button.
bool take_answer(const std::string& record, int& index) {
    if (g_answers.empty() && !g_auto) return false;
    if (!g_answers.empty()) {
        index = g_answers.front();
        g_answers.pop_front();
    } else {
        index = g_auto_ok ? 0 : -1;
    }
    g_log.push_back(record);
    return true;
}

QMessageBox::Icon icon_for(char kind) {
    switch (kind) {
        case 'H':
            return QMessageBox::Information;
        case 'W':
            return QMessageBox::Warning;
        case 'M':
            return QMessageBox::NoIcon;
        default:
            return QMessageBox::Critical;
    }
}

}  // namespace

void show_message(const std::string& text, char kind) {
    int answer = 0;
    if (take_answer(std::string(1, kind) + " " + text, answer)) return;
    // Every message also goes to the error stream: a record of what the operator was told.
    std::fprintf(stderr, "kyomat: %c %s\n", kind, text.c_str());
    QMessageBox box(icon_for(kind), QString(), QString::fromStdString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    place_on_operator_screen(box);
    box.exec();
}

bool confirm_ok(const std::string& question, bool cancel_is_default, const std::string& detail) {
    int answer = 0;
    if (take_answer("confirm " + question, answer)) return answer == 0;
    QMessageBox box(QMessageBox::Question, "Bestätigung", QString::fromStdString(question),
                    QMessageBox::NoButton, QApplication::activeWindow());
    if (!detail.empty()) box.setInformativeText(QString::fromStdString(detail));
    // Where Return or Space must not say yes, OK takes a click or Alt+O (Alt+O always works).
    QPushButton* yes = box.addButton("&OK", QMessageBox::AcceptRole);
    QPushButton* no = box.addButton("Abbrechen", QMessageBox::RejectRole);
    box.setDefaultButton(cancel_is_default ? no : yes);
    if (cancel_is_default) no->setFocus();
    box.setEscapeButton(no);
    place_on_operator_screen(box);
    box.exec();
    return box.clickedButton() == yes;
}

int choose(const std::string& question, const std::vector<std::string>& buttons, int escape) {
    const int last = static_cast<int>(buttons.size()) - 1;
    if (escape < 0 || escape > last) escape = last;
    int answer = 0;
    if (take_answer("choose " + question, answer))
        return answer < 0 || answer > last ? escape : answer;
    QMessageBox box(QMessageBox::Question, "Bestätigung", QString::fromStdString(question),
                    QMessageBox::NoButton, QApplication::activeWindow());
    std::vector<QPushButton*> added;
    added.reserve(buttons.size());
    for (const std::string& text : buttons) {
        added.push_back(box.addButton(QString::fromStdString(text), QMessageBox::ActionRole));
    }
    // The safe answer is the one Escape gives: Return and Space give it too, and every other
    // answer takes a click or its own key.
    QPushButton* safe = added[static_cast<std::size_t>(escape)];
    box.setDefaultButton(safe);
    safe->setFocus();
    box.setEscapeButton(safe);
    place_on_operator_screen(box);
    box.exec();
    for (int i = 0; i <= last; ++i) {
        if (box.clickedButton() == added[static_cast<std::size_t>(i)]) return i;
    }
    return escape;
}

namespace message_boxes {
void set_next_answer(bool ok) {
    g_answers.push_back(ok ? 0 : -1);
}
void set_next_choice(int index) {
    g_answers.push_back(index);
}
void set_auto_answer(bool enabled, bool ok) {
    g_auto = enabled;
    g_auto_ok = ok;
}
std::vector<std::string> take_log() {
    std::vector<std::string> out;
    out.swap(g_log);
    return out;
}
}  // namespace message_boxes

}  // namespace kyomat
