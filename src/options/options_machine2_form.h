#pragma once
// The second machine page of the options dialog: the NC formats, the editor the
// transfer window hands NC programs to, the dwell revolutions and control memory, the
// four keyword colour groups of the NC editor, and the machine's coolant tanks.
// Lengths are typed in the program's length unit and volumes in its volume unit; the
// machine record holds millimetres and millilitres.

#include "options/keyword_table.h"
#include "options/machine_data.h"
#include "options/options_dialog_context.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

// MachineRecord::editorMode.
inline constexpr std::uint8_t kEditorInternal = 1;
inline constexpr std::uint8_t kEditorProgram = 2; // any value but 1 and 3
inline constexpr std::uint8_t kEditorTextEditor = 3;

enum class EditorChoice { Internal, TextEditor, Program };

inline constexpr int kKeywordGroupCount = 4;

// Volumes in the unit of the general page (0 litre ... 9 fluid ounce imperial) and
// millilitres, each rounded to 3 decimals; an unknown unit counts as millilitres.
double volumeToMillilitres(int volumeUnit, double volume);
double millilitresToVolume(int volumeUnit, double millilitres);
std::string volumeUnitText(int volumeUnit); // "[Liter]", "[Gallon US]", ...

// The texts of the tank fields, in the display units.
struct TankFields {
    std::string name;
    std::string length;
    std::string width;
    std::string cornerRadius;
    std::string maxFill;
    std::string volumePerHeightUnit;
    std::string heightUnit;
    std::string targetConcentration;
    std::string productName;
    std::string refractometerFactor;
};

class OptionsMachine2Form {
public:
    explicit OptionsMachine2Form(OptionsDialogContext& context);

    std::string lineNumberFormatText() const;
    std::string toolLengthFormatText() const;
    // A line-number format is an address letter and digits ("N0010"), or empty. False
    // after a message; the stored format then stays.
    bool setLineNumberFormat(std::string& text);
    bool setToolLengthFormat(std::string& text);

    EditorChoice editorChoice() const;
    std::string editorPath() const;
    // Internal or text editor; a program needs its path first (setEditorProgram).
    void chooseEditor(EditorChoice choice);
    bool setEditorProgram(std::string_view path);

    std::string dwellText() const;
    bool setDwell(std::string& text);
    std::string memoryText() const; // bytes
    bool setMemory(std::string& text); // truncated to a whole number

    struct Colour {
        std::uint8_t red, green, blue;
        friend bool operator==(const Colour&, const Colour&) = default;
    };
    Colour colour(int group) const;
    void setColour(int group, Colour colour);
    std::string wordsText(int group) const;
    // Words separated by single blanks; false with a message when the list is too long
    // or a word is longer than the editor looks for. Rebuilds the keyword table.
    bool setWords(int group, std::string_view text);

    // Coolant tanks: the names of the used entries in their order; the current one.
    std::vector<std::string> tankNames() const;
    int currentTank() const; // -1 without tanks
    void selectTank(int index);
    TankFields tankFields(int index) const; // empty fields for an index out of range
    // Captions with the unit, for the fields in TankFields order.
    std::vector<std::string> tankCaptions() const;
    // "*Neu speichern": a new entry from the fields; "*Übernehmen": into the entry.
    // False after a message (no name, bad number, list full); nothing stored then.
    bool saveNewTank(const TankFields& fields);
    bool applyTank(int index, const TankFields& fields);
    // "*Eintrag löschen" after its question; the entries behind it move up.
    bool deleteTank(int index);

    bool changed() const { return m_context.options.settings.dialogChanged[kMachinePage2] == 1; }

private:
    MachineRecord& machine() const { return m_context.options.machines[currentMachineIndex(m_context.options)]; }
    MachineData& data() const { return machineData(machine()); }
    int unitSystem() const { return m_context.options.settings.unitSystem; }
    int volumeUnit() const { return m_context.options.settings.volumeUnit; }
    void markChanged() { m_context.options.settings.dialogChanged[kMachinePage2] = 1; }
    std::string text(int id, std::string_view builtin) const { return m_context.texts.text(id, builtin); }
    void showError(int id, std::string_view builtin);
    std::vector<int> usedTankSlots() const;
    bool readTank(const TankFields& fields, CoolantTank& tank);
    bool readNumber(std::string text, bool length, float& value);

    OptionsDialogContext& m_context;
};

} // namespace kvt
