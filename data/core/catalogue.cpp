#include "data/core/catalogue.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kyomat {
namespace {

constexpr std::array<std::pair<int, const char*>, 49> k_catalogue = {{
    {101, "Datei wurde erstellt"},
    {103, "Download erfolgreich"},
    {104, "Daten erfolgreich importiert"},
    {105, "Verbindung erneuert: die Kampfliste wird wieder gelesen und geschrieben"},
    {301, "Angaben für Jahrgänge wurden getauscht"},
    {302, "Teilnehmeranzahl für Vereine wurden ermittelt"},
    {303, "Keine Daten importiert"},
    {306,
     "Kein offener Kampf mehr in der Kampfliste, oder die Kampfliste kann nicht gelesen "
     "werden. Öffnen Sie die Liste mit einem Doppelklick im Listenbereich der Steuerung, "
     "oder geben Sie den nächsten Kampf mit \"Kampf eingeben\" ein"},
    {2001, "Achtung! Aktuelle Werte werden gelöscht"},
    {3001, "Bereits verwendete Gewichtsklassen könnten gelöscht werden"},
    {3002, "Altersklasse nicht eindeutig"},
    {3003, "Keine Altersklasse ausgewählt"},
    {3007,
     "Der Gong kann nicht abgespielt werden. Das Programm läuft ohne Gong weiter; prüfen "
     "Sie den Eintrag gong im Abschnitt [anzeige] der kyomat.ini und die Tonausgabe"},
    {9901, "Kein Datensatz gefunden"},
    {18001, "Eintrag ist bereits vorhanden"},
    {18002, "Andere Daten verweisen auf diesen Satz"},
    {19902, "Fehler beim Datenzugriff"},
    {19903, "Kein Wettkampf ausgewählt"},
    {19904, "Fehler in INI-Datei"},
    {19905, "Datei fehlerhaft"},
    {19909,
     "Die Verbindung zur Kampfliste konnte nicht erneuert werden. Prüfen Sie, ob die "
     "Kampfliste erreichbar ist, und versuchen Sie es noch einmal"},
    {21001, "Dieses Feld darf nicht leer sein"},
    {21002, "Datum ist ungültig"},
    {21003, "Dieses Feld erfordert eine numerische Angabe"},
    {21004, "Dieses Feld erfordert eine ganze Zahl"},
    {21005, "Eingabe ungültig"},
    {31001, "Angabe für Gewichtstabelle ungültig"},
    {31002, "Altersklasse in diesem Wettkampf nicht gültig"},
    {31003, "Gewichtsklasse in dieser Altersklasse nicht gültig"},
    {31004, "Jahrgang ist für gewählte Altersklasse nicht zulässig"},
    {31005, "Für diese Losnummer wurde kein Verein angelegt"},
    {31006, "Der Wert 0 ist für eine Losnummer nicht erlaubt"},
    {31007, "Ohne Wettkämpfer kann auch keine Liste erzeugt werden"},
    {31008, "Startnummer ungültig (Prüfziffer falsch)"},
    {31009, "Datensatz nicht gefunden"},
    {31010, "Für den Status sind nur Ziffern erlaubt"},
    {31011, "Status nicht gültig"},
    {31012, "Fehler beim Ermitteln der Teilnehmerzahlen"},
    {31023, "Barcode nicht korrekt !"},
    {31030, "Verein nicht eingetragen"},
    {31031, "Jahrgang in dieser Altersklasse nicht erlaubt"},
    {31032, "keine entsprechenden Altersklasse gefunden"},
    {31033, "Schnittstelle nicht initialisiert"},
    {31034, "Keine Daten von Waage empfangen"},
    {31035, "Wiegedaten außerhalb Toleranz"},
    {31036, "Gewichtsklasse existiert bereits"},
    {31037, "Dieses Umsetzen ist nicht möglich"},
    {31038, "Löschen nicht möglich"},
    {31039, "Jahrgang nicht plausibel"},
}};

}  // namespace

std::string catalogue_text(int number) {
    const auto it = std::find_if(k_catalogue.begin(), k_catalogue.end(),
                                 [number](const auto& entry) { return entry.first == number; });
    return it == k_catalogue.end() ? "Programmfehler" : it->second;
}

MessageKind catalogue_kind(int number) {
    if (number <= 1000) return MessageKind::hint;
    if (number <= 10000) return MessageKind::warning;
    return MessageKind::error;
}

std::string catalogue_message(int number) {
    return catalogue_text(number) + " (" + std::to_string(number) + ")";
}

}  // namespace kyomat
