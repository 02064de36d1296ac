#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <deque>

namespace kyomat {
namespace {

std::deque<bool> g_answers;
bool g_auto = false;
bool g_auto_ok = true;
std::vector<std::string> g_log;

// The answer a test gave for the next box, if any.
bool take_answer(const std::string& record, bool& ok) {
    if (g_answers.empty() && !g_auto) return false;
    if (!g_answers.empty()) {
        ok = g_answers.front();
        g_answers.pop_front();
    } else {
        ok = g_auto_ok;
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
    bool ok = true;
    if (take_answer(std::string(1, kind) + " " + text, ok)) return;
    // Every message also goes to the error stream: a record of what the operator was told.
    std::fprintf(stderr, "kyomat: %c %s\n", kind, text.c_str());
    QMessageBox box(icon_for(kind), QString(), QString::fromStdString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

bool confirm_ok(const std::string& question) {
    bool ok = true;
    if (take_answer("confirm " + question, ok)) return ok;
    QMessageBox box(QMessageBox::Question, "Bestätigung", QString::fromStdString(question),
                    QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton* yes = box.addButton("OK", QMessageBox::AcceptRole);
    QPushButton* no = box.addButton("Abbrechen", QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

namespace message_boxes {
void set_next_answer(bool ok) {
    g_answers.push_back(ok);
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
