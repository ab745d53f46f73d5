#pragma once
// The transfer window without widgets: its texts, the estimated transfer time shown on
// "*Senden", the size text of the status line and the caption.

#include "common/clock.h"
#include "serial/nc_editor_texts.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace kvt {

class TextLookup;

namespace transfer_text_ids {

using nc_text_ids::TextId;

inline constexpr TextId kCaption {75001, "*Serielle Kommunikation "};
inline constexpr TextId kNoFile {75002, "*Keine Datei geöffnet"};
inline constexpr TextId kChooseFile {75003, "*Datei wählen"};
inline constexpr TextId kEdit {75004, "*Editieren"};
inline constexpr TextId kSave {75005, "*Speichern"};
inline constexpr TextId kSend {75006, "*Senden"};
inline constexpr TextId kColourText {75007, "*Text-Farben anwenden"};
inline constexpr TextId kRenumber {75008, "*Zeilen neu durchzählen"};
inline constexpr TextId kArmReceive {75009, "*Datei empfangen vormerken"};
inline constexpr TextId kStopWaiting {75010, "*Warten auf Empfang beenden"};
inline constexpr TextId kCancelTransfer {75011, "*Übertragung abbrechen"};
inline constexpr TextId kSendOnCts {75012, "*Senden, sobald die Steuerung bereit ist (CTS)"};
inline constexpr TextId kPortNotOpened {75015, "*COM Port nicht geöffnet"};
inline constexpr TextId kOnlyOneFile {75016, "*Nur 1 Datei auswählen!"};
inline constexpr TextId kOnlyOneFileCaption {75017, "Fehler_QXTFRR_018"};
inline constexpr TextId kUnsavedQuestion {
    75018, "*NC Datei wurde geändert.\nDatei Speichern Ja / Nein oder Vorgang abbrechen ? "};
inline constexpr TextId kPortMissing {75019, "* ist auf diesem Rechner nicht vorhanden."};
inline constexpr TextId kLineConnected {75020, "*Verbunden"};
inline constexpr TextId kSending {75021, "*Sendet"};
inline constexpr TextId kReceiving {75022, "*Empfängt"};
inline constexpr TextId kWaiting {75023, "*Wartet"};
inline constexpr TextId kTimeEstimate {75024, "*Geschätzte Übertragungszeit:"};
inline constexpr TextId kHours {75025, "*Std."};
inline constexpr TextId kMinutes {75026, "*Min."};
inline constexpr TextId kSeconds {75027, "*Sek."};
inline constexpr TextId kEndsAt {75028, "*fertig um"};
inline constexpr TextId kSaveDialog {75030, "*Empfangene NC Datei speichern"};
inline constexpr TextId kBytes {75031, "*Bytes"};
inline constexpr TextId kChooseFileTip {
    75033, "*Öffnet eine NC Datei; eine Datei kann auch auf das Fenster gezogen werden."};
inline constexpr TextId kEditTip {
    75034, "*Speichert das Programm mit Sicherungskopie, oder öffnet es im externen Editor der Maschine."};
inline constexpr TextId kMoreTip {
    75035, "*Farben, Zeilennummern, Werkzeugdaten, Empfang vormerken, Übertragung abbrechen."};
inline constexpr TextId kMore {71903, "*Mehr..."};

} // namespace transfer_text_ids

// The estimated duration of sending `bytes` with the line settings.
struct TransferTimeEstimate {
    double seconds = 0.0;
    std::uint32_t hours = 0;
    std::uint32_t minutes = 0;
    std::uint32_t wholeSeconds = 0;
};

// Data bits, the start bit, the stop bits (1, 1.5 or 2 for the codes 0, 1, 2; none for
// any other code) and one more bit.
double bitsPerCharacter(std::uint32_t dataBits, std::uint8_t stopBitsCode);
// Zero seconds at a baud rate of 0.
TransferTimeEstimate estimateTransferTime(
    std::uint32_t bytes, std::uint32_t baudRate, std::uint32_t dataBits, std::uint8_t stopBitsCode);
// The time of day `seconds` after `now`, on a 12-hour clock with two-digit fields and
// "AM" or "PM": "02:05:20 PM".
std::string clockTimeAfter(const LocalDateTime& now, double seconds);
// The tooltip of "*Senden": the duration and the clock time the send would end.
std::string transferTimeTooltip(
    const TransferTimeEstimate& estimate, const LocalDateTime& now, const TextLookup& texts);

// "<number> Bytes".
std::string sizeText(std::uint32_t number, const TextLookup& texts);
// Red once the number reaches the control's memory (a memory of 0 is not set).
bool sizeTextIsRed(std::uint32_t number, std::uint32_t controlMemory);

// "*Serielle Kommunikation  - <path>", or "*Keine Datei geöffnet" after the dash.
std::string transferWindowCaption(const std::filesystem::path& file, const TextLookup& texts);
// What the editor shows when the send port does not exist: "COM3" and the text.
std::string missingPortText(unsigned portNumber, const TextLookup& texts);

} // namespace kvt
