#pragma once
// The general page of the options dialog: start page, language, units, safety value,
// report and clipboard switches, calculation level, clean-up of old reports and the
// buttons that hand over to the controller (manual, support, about, data folder).
// Every change is stored at once and marks the page changed; the dialog form takes the
// changes back on cancel.

#include "options/options_dialog_context.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

struct ChoiceEntry {
    int textId;
    std::string_view builtin;
    int value;
};

// The start page entries in the order of the combo box. The last one leaves the stored
// page alone and lets the start page follow the window used last.
inline constexpr int kLastUsedStartPage = -1;
inline constexpr std::array<ChoiceEntry, 14> kStartPageChoices = {{
    {72020, "*Schnittdaten Berechnung", 120},
    {72021, "*RS232 Datenübertragung", 121},
    {72022, "*KSM Berechnung", 122},
    {72023, "*Teilapparat Berechnungen", 123},
    {72024, "*Flansche", 126},
    {72025, "*Verstiftungen", 127},
    {72026, "*Sinuslineal", 128},
    {72027, "*Bohrtiefen", 129},
    {72028, "*Außer Mitte drehen", 130},
    {72029, "*Parallelstückhöhen ermitteln", 131},
    {72030, "*Umrechnungen / Berechnungen", 133},
    {72031, "*Werkzeug-Datenbank", 134},
    {72032, "*Material ablängen / abstechen", 140},
    {72033, "*Zuletzt benutzes Funktionsfenster", kLastUsedStartPage},
}};

inline constexpr std::array<ChoiceEntry, 2> kLanguageChoices = {{
    {72040, "*Deutsch", 49},
    {72041, "*Englisch", 44},
}};

inline constexpr std::array<ChoiceEntry, 2> kUnitSystemChoices = {{
    {72042, "*Millimeter", 0},
    {72043, "*Inch", 1},
}};

inline constexpr std::array<ChoiceEntry, 10> kVolumeUnitChoices = {{
    {72050, "*Liter", 0},
    {72051, "*Milliliter", 1},
    {72052, "*Gallon US", 2},
    {72053, "*Gallon Imperial", 3},
    {72054, "*Pint US", 4},
    {72055, "*Pint Imperial", 5},
    {72056, "*Quart US", 6},
    {72057, "*Quart Imperial", 7},
    {72058, "*Fluid Ounce US", 8},
    {72059, "*Fluid Ounce Imperial", 9},
}};

inline constexpr std::array<ChoiceEntry, 2> kCalculationLevelChoices = {{
    {72060, "Standard", 1},
    {72061, "Individuell", 2},
}};

inline constexpr std::array<ChoiceEntry, 3> kReportAgeChoiceEntries = {{
    {72062, "*3 Tage", 3},
    {72063, "*7 Tage", 7},
    {72064, "*30 Tage", 30},
}};

inline constexpr int kUnitQuestionId = 67797;
inline constexpr std::string_view kUnitQuestion
    = "*Nach Ändern des Einheitensystems muss das Programm neugestartet werden und alle akutelle eingegebenen "
      "Arbeitswerte in den einzelnen Funktionsfenster gehen verloren. Fortfahren ?";
inline constexpr int kQuestionCaptionId = 64961;
inline constexpr std::string_view kQuestionCaption = "*Frage";

// What choosing a unit system came to.
enum class UnitSystemChoice {
    Unchanged, // the entry was the current one, or the question is already open
    Declined, // the user said no: the combo goes back to the current unit system
    Restart, // stored; the dialog must apply and close so that the program restarts
};

class OptionsGeneralForm {
public:
    explicit OptionsGeneralForm(OptionsDialogContext& context);

    // Entry texts of a combo box in the current language.
    std::vector<std::string> entries(std::span<const ChoiceEntry> choices) const;

    // Selected entries for the current values; -1 when a value has no entry.
    int startPageIndex() const;
    int languageIndex() const;
    int unitSystemIndex() const;
    int volumeUnitIndex() const;
    int calculationLevelIndex() const;
    std::string safetyValueText() const; // in the display unit, "%4.2f"
    std::string safetyValueLabel() const; // caption with the length unit
    bool openReportsAutomatically() const { return m_context.options.settings.openReportsAutomatically == 1; }
    bool copyUnitsToClipboard() const { return m_context.options.settings.copyUnitsToClipboard == 1; }

    void chooseStartPage(int index);
    void chooseLanguage(int index);
    // Asks before a different unit system is stored; see UnitSystemChoice.
    UnitSystemChoice chooseUnitSystem(int index);
    void chooseVolumeUnit(int index);
    void chooseCalculationLevel(int index);
    // The safety value field was left. False when the text held a character that is not
    // allowed (the user was told; `text` is cut back and the value stays as it was).
    bool setSafetyValue(std::string& text);
    void setOpenReportsAutomatically(bool on);
    void setCopyUnitsToClipboard(bool on);

    // Deletes reports older than the chosen age at once and tells the user how many went.
    // Returns the number deleted, -1 for an index without an age.
    int deleteOldReports(int ageIndex);

    void openManual() { m_context.send(AppMessage::OpenManual); }
    void showSupportMail() { m_context.send(AppMessage::ShowSupportMail); }
    void showAbout() { m_context.send(AppMessage::ShowAbout); }
    void openDataFolder() { m_context.send(AppMessage::OpenDataFolder); }

    // The page's dialogChanged byte.
    bool changed() const { return m_context.options.settings.dialogChanged[kGeneralPage] == 1; }

private:
    void markChanged() { m_context.options.settings.dialogChanged[kGeneralPage] = 1; }
    std::string text(int id, std::string_view builtin) const { return m_context.texts.text(id, builtin); }

    OptionsDialogContext& m_context;
    bool m_askingUnitSystem = false;
};

} // namespace kvt
