#include "platform/file_dialog.h"

#include <QFileDialog>
#include <deque>

namespace kyomat {
namespace {

std::deque<std::optional<QString>> g_answers;

std::optional<QString> run(QWidget* parent, const QString& folder, const QString& filter,
                           QFileDialog::AcceptMode mode, const QString& suffix) {
    if (!g_answers.empty()) {
        auto answer = g_answers.front();
        g_answers.pop_front();
        return answer;
    }
    QFileDialog dialog(parent, QString(), folder, filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

}  // namespace

std::optional<QString> get_open_file(QWidget* parent, const QString& folder,
                                     const QString& filter) {
    return run(parent, folder, filter, QFileDialog::AcceptOpen, QString());
}

std::optional<QString> get_save_file(QWidget* parent, const QString& folder, const QString& filter,
                                     const QString& default_suffix) {
    return run(parent, folder, filter, QFileDialog::AcceptSave, default_suffix);
}

namespace file_dialogs {
void set_next_answer(std::optional<QString> answer) {
    g_answers.push_back(std::move(answer));
}
}  // namespace file_dialogs

}  // namespace kyomat
