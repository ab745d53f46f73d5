#pragma once
// The coolant emulsion window without its widgets: the inputs as texts and values in
// display units, the operation list, the calculate and tank estimate commands with their
// messages, the refractometer readings, the result texts, the saved block in the options
// record with the machine's current coolant tank, and the report text. The Qt dialog
// only shows what this class says.

#include "common/field_description.h"
#include "common/field_validation.h"
#include "common/message_boxes.h"
#include "common/text_lookup.h"
#include "machining/coolant/coolant.h"
#include "options/options_record.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvt {

struct CoolantTank;
struct LocalDateTime;

// In the order of the window.
enum class CoolantInput : int {
    ActualVolume,
    ActualConcentration,
    TargetVolume,
    TargetConcentration,
    TankWidth,
    TankLength,
    FillHeight,
    CornerRadius,
    HeightUnit,
    VolumePerHeightUnit,
    RefractometerFactor,
};
inline constexpr int kCoolantInputCount = 11;

enum class CoolantResult : int {
    EmulsionToRemove,
    OnePercentToAdd,
    WaterToAdd,
    ConcentrateToAdd,
    MixerSetting,
    RefillVolume,
    TotalVolume,
};
inline constexpr int kCoolantResultCount = 7;

enum class TankMethod : int { Dimensions = 0, HeightUnits = 1 };

inline constexpr double kDefaultRefractometerFactor = 1.43;

// The window's block of the options record: volumes in millilitres, lengths in
// millimetres, concentrations in percent (never readings). Fields are only ever
// appended, so blocks saved by earlier runs stay readable.
struct CoolantBlock {
    std::uint8_t saved; // 1 once the window stored; a block of zeros takes the defaults
    std::uint8_t operationRow; // 0 to 9, rows 1 and 5 are separators
    std::uint8_t tankMethod; // TankMethod
    std::uint8_t refractometerInUse;
    // A copy of the program-wide "open reports automatically" option at the last store;
    // the option itself is the one the window follows.
    std::uint8_t openReportAutomatically;
    std::uint8_t reserved[3];
    double actualVolume;
    double actualConcentration;
    double targetVolume;
    double targetConcentration;
    double tankWidth;
    double tankLength;
    double fillHeight;
    double cornerRadius;
    double heightUnit;
    double volumePerHeightUnit;
    double refractometerFactor;
};
static_assert(sizeof(CoolantBlock) <= kWindowBlockSize);

// What a command asks the window to do after it ran.
struct CoolantCommandResult {
    bool changed = false; // fields were rewritten
    std::optional<MessageBoxRequest> message;
    bool reportReady = false; // a result stands: write the report (and open it when automatic)
};

class CoolantForm {
public:
    // A unit system or volume unit out of range counts as millimetres and litres.
    CoolantForm(int unitSystem, int volumeUnit, bool languageLoaded);

    int unitSystem() const { return m_unitSystem; }
    VolumeUnit volumeUnit() const { return m_volumeUnit; }

    // "Eingaben in [mm], [Liter]".
    std::string unitLine(const TextLookup& texts) const;
    std::string inputCaption(CoolantInput input, const TextLookup& texts) const;
    std::string resultCaption(CoolantResult result, const TextLookup& texts) const;
    // Caption, conversion, parsing and tooltip of an input.
    static const FieldDescription& inputDescription(CoolantInput input);

    // The operation list: eight rows of the program's own texts without a language
    // module, ten with one. Separators are rows of 41 minus signs.
    int operationRowCount() const { return m_languageLoaded ? kOperationRowCount : 8; }
    std::vector<std::string> operationRows(const TextLookup& texts) const;
    int operationRow() const { return m_operationRow; }
    // A row outside the list is ignored.
    void setOperationRow(int row);

    TankMethod tankMethod() const { return m_tankMethod; }
    void setTankMethod(TankMethod method) { m_tankMethod = method; }
    // The tank fields the chosen method does not read are switched off.
    static bool inputEnabled(TankMethod method, CoolantInput input);

    // A changed field text, parsed at once by the shared field validation; an invalid text
    // is cut back (the caller shows the cut text) and the value stays the last valid one.
    // Returns false when the text was cut.
    bool setInputText(CoolantInput input, std::string& text);
    const std::string& inputText(CoolantInput input) const { return m_inputTexts[index(input)]; }
    // The value in display units; a concentration field holds a reading while the
    // refractometer is in use.
    double inputValue(CoolantInput input) const { return m_inputValues[index(input)]; }
    const std::string& resultText(CoolantResult result) const { return m_resultTexts[index(result)]; }

    // The concentration in percent behind a concentration field.
    double concentration(CoolantInput input) const;

    bool refractometerInUse() const { return m_refractometerInUse; }
    // Switching rewrites both concentration fields in their new meaning; without a usable
    // factor the fields keep their numbers.
    void setRefractometerInUse(bool inUse);

    // "*Berechnen".
    CoolantCommandResult calculate(const TextLookup& texts);
    // "*Ermitteln": the tank estimate into the actual volume.
    CoolantCommandResult estimateTank(const TextLookup& texts);
    bool resultStands() const { return m_report.has_value(); }

    // Writes the saved block into the fields, then the tank data of the machine's
    // current coolant tank when that entry is in use. Damaged values (not a number,
    // infinite, negative) count as 0; a block never saved takes the defaults.
    void fill(const CoolantBlock& block, const CoolantTank* tank);
    CoolantBlock store(bool openReportAutomatically) const;

    // The report of the result that stands; empty when there is none.
    std::string reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const;

private:
    static std::size_t index(CoolantInput input) { return static_cast<std::size_t>(input); }
    static std::size_t index(CoolantResult result) { return static_cast<std::size_t>(result); }
    void setInputNumber(CoolantInput input, double displayValue);
    void setConcentrationField(CoolantInput input, double fieldValue);
    double metric(CoolantInput input) const;
    double factor() const { return inputValue(CoolantInput::RefractometerFactor); }
    bool factorUsable() const;
    void clearResults(bool showZeros);
    MessageBoxRequest message(const TextLookup& texts, MixingMessage which) const;

    int m_unitSystem;
    VolumeUnit m_volumeUnit;
    bool m_languageLoaded;
    int m_operationRow = 0;
    TankMethod m_tankMethod = TankMethod::Dimensions;
    bool m_refractometerInUse = false;
    std::array<std::string, kCoolantInputCount> m_inputTexts;
    std::array<double, kCoolantInputCount> m_inputValues {};
    std::array<std::string, kCoolantResultCount> m_resultTexts;

    // The calculation a report describes, as it was when it was calculated.
    struct Calculated {
        int row = 0;
        MixingInputs inputs; // ml and percent
        MixingResults results;
        double factor = 0;
    };
    std::optional<Calculated> m_report;
};

} // namespace kvt
