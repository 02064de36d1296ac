#pragma once
// Qt's own texts (file dialogs, standard buttons) in German, as the rest of the program.
class QTranslator;

namespace kyomat {

// Loads Qt's German translation into translator and installs it; false when the
// translation is not installed (Qt's texts then stay English, nothing else changes).
bool install_german_translation(QTranslator& translator);

}  // namespace kyomat
