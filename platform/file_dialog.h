#pragma once
// File open and save dialogs, with a hook through which tests answer the next dialog.
#include <QString>
#include <optional>

class QWidget;

namespace kyomat {

// The chosen file, or nothing when cancelled. filter uses Qt's "Name (*.ext);;..." form.
std::optional<QString> get_open_file(QWidget* parent, const QString& folder, const QString& filter);
// The save dialog appends default_suffix to a name without one and does not ask before
// replacing a file.
std::optional<QString> get_save_file(QWidget* parent, const QString& folder, const QString& filter,
                                     const QString& default_suffix);

namespace file_dialogs {
// Queues the answer of the next file dialog: a path, or nothing for cancel.
void set_next_answer(std::optional<QString> answer);
}  // namespace file_dialogs

}  // namespace kyomat
