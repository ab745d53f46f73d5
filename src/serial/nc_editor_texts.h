#pragma once
// The string ids and built-in German texts of the NC editor. The windows and the core
// code look every text up through TextLookup with these pairs.

namespace kvt::nc_text_ids {

struct TextId {
    int id;
    const char* builtin;
};

inline constexpr TextId kFileEmpty {74101, "*File empty"};
inline constexpr TextId kColourQuestion {74102,
    "*Die NC Datei enthält mehr als 10000 Zeilen.\n\nDie Farbformatierung des Textes wird einige Zeit in Anspruch "
    "nehmen.\n\nFarbformatierung durchführen?"};
inline constexpr TextId kColourProgressCaption {74103, "*Bearbeite Textfarben"};
inline constexpr TextId kRenumberTitle {74104, "*NC Datei, Zeilen durchzählen"};
inline constexpr TextId kRenumberCurrentFormat {74105, "*Aktuelles Format:"};
inline constexpr TextId kRenumberNewFormat {74106, "*Neues Format:"};
inline constexpr TextId kRenumberStart {74107, "*Startwert:"};
inline constexpr TextId kRenumberStep {74108, "*Zeilenstufen:"};
inline constexpr TextId kRenumberCount {74109, "*Zählen"};
inline constexpr TextId kRenumberClose {74110, "*Schließen"};
inline constexpr TextId kRenumberCancel {74111, "*Zählen abbrechen"};
inline constexpr TextId kUpdateToolData {74112, "*Werkzeugdaten in NC File aktualisieren"};
inline constexpr TextId kOffsetMismatchQuestion {74113,
    "*Die Werkzeug-Offsets bei mindestens einem Werkzeug stimmen nicht mit der Werkzeugdatenbank überein. Trotzdem "
    "zur Maschine senden?"};
inline constexpr TextId kPathWithSpaces {
    74114, "*Der Dateipfad enthält Leerzeichen/Spaces. Diese müssen entfernt werden, z.B. mit _ "};
inline constexpr TextId kSaveBeforeEditor {
    74115, "*NC Daten müssen erst gespeichert werden, bevor sie in einem Editor geöffnet werden können!"};
inline constexpr TextId kSaveBeforeRenumber {74116, "*Datei muß erst gespeichert werden!"};

inline constexpr TextId kFileTooLarge {74120,
    "*Die Datei ist zu groß für den NC Editor und wurde nicht geladen. Höchstens %u Bytes sind möglich, die Datei "
    "hat mehr.\n\n"};
inline constexpr TextId kFileUnreadable {74121, "*Die Datei konnte nicht gelesen werden.\n\n"};
inline constexpr TextId kNothingToSave {74122,
    "*Der Text ist leer. Es wurde nichts gespeichert und keine Sicherungskopie angelegt; die Datei bleibt, wie sie "
    "war."};
inline constexpr TextId kTextTooLong {
    74123, "*Der Text ist zu lang für eine NC Datei (höchstens %u Bytes). Es wurde nichts gespeichert."};
inline constexpr TextId kBackupFailed {74124,
    "*Die Sicherungskopie konnte nicht angelegt werden, deshalb wurde nicht gespeichert. Die Datei bleibt, wie sie "
    "war.\n\n"};
inline constexpr TextId kWriteFailed {
    74125, "*Die Datei konnte nicht gespeichert werden. Eine vorhandene Datei bleibt, wie sie war.\n\n"};
inline constexpr TextId kNulBytesReplaced {
    74126, "*Die Datei enthält %u Null-Bytes. Sie werden als Leerzeichen gezeigt und so auch gespeichert."};
inline constexpr TextId kStartValueInvalid {74127, "*Der Startwert muss eine ganze Zahl ab 0 sein."};
inline constexpr TextId kRenumberTooLong {
    74128, "*Mit diesem Format würde der Text zu lang für eine NC Datei. Es wurde nichts geändert."};
inline constexpr TextId kToolUpdateTooLong {
    74129, "*Mit den Werkzeugdaten würde der Text zu lang für eine NC Datei. Es wurde nichts geändert."};
inline constexpr TextId kNoExternalEditor {
    74130, "*Für diese Maschine ist kein externer Editor eingetragen (Optionen, Maschinenfunktionen 2)."};

inline constexpr TextId kError {65470, "*Fehler"};
inline constexpr TextId kQuestion {64961, "*Frage"};

} // namespace kvt::nc_text_ids
