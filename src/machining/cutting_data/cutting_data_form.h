#pragma once
// The cutting data window without its widgets: the eight inputs as texts and their
// parsed values (display units), the feed mode with the fields it enables, the speed
// step choice, the calculation with its unit conversions, the result texts, the saved
// block in the options record, the report text and the hand-over with the tool
// management window. The Qt dialog only shows what this class says.

#include "common/field_description.h"
#include "common/field_validation.h"
#include "common/text_lookup.h"
#include "machining/cutting_data/cutting_data.h"
#include "machining/cutting_data/cutting_power.h"
#include "options/options_record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

namespace kvt {

struct OpenDialogData;
struct ToolHandOver;
struct LocalDateTime;

// Mode numbers 1 to 4 are the ones the picture and the report use.
enum class FeedMode : int { PerRevolution = 1, PerTooth = 2, PerRevolutionAxial = 3, SpeedOnly = 4 };
enum class SpeedStepChoice : int { Nearest = 0, OneStepLower = 1, OneStepHigher = 2 };

// In the order of the window and of the field context menu.
enum class CuttingInput : int {
    Diameter,
    CuttingSpeed,
    FeedPerRevolution,
    FeedPerTooth,
    Teeth,
    PlungePercent,
    DwellRevolutions,
    Radius,
};
inline constexpr int kCuttingInputCount = 8;

enum class CuttingResult : int {
    FeedRate,
    PlungeFeed,
    SpindleSpeed,
    CorrectedFeedRate,
    CorrectedPlungeFeed,
    StepSpeed,
    CorrectedCuttingSpeed,
    Dwell,
    CorrectedDwell,
    RotaryFeed,
    CorrectedRotaryFeed,
};
inline constexpr int kCuttingResultCount = 11;

// The optional group "*Leistung und Spanungsdicke": chip thinning, power and torque of
// a milling pass in the per-tooth feed mode.
enum class PowerInput : int { WidthOfCut, DepthOfCut, LeadAngle, Efficiency };
inline constexpr int kPowerInputCount = 4;
enum class PowerResult : int {
    ThinningFactor,
    CompensatedFeed,
    ChipThickness,
    MeanChipThickness,
    SpecificForce,
    NetPower,
    SpindlePower,
    Torque,
};
inline constexpr int kPowerResultCount = 8;
// Power results for the theoretical speed and for the machine's speed step.
enum class PowerColumn : int { Theoretical, Corrected };
// Why the group shows no results.
enum class PowerStatus {
    Ok,
    NotCalculated,
    NotPerTooth,
    MissingInput,
    WidthAboveDiameter,
    LeadAngleOutOfRange,
    EfficiencyOutOfRange,
};

// How the window goes back to the tool management window.
enum class ToolReturnCode : int { TheoreticalValue = 1, StepValue = 2, WithoutData = 3 };

// The window's block of the options record. Values are metric; the layout is what
// earlier runs saved, so fields are only ever appended.
struct CuttingDataBlock {
    float diameter; // mm
    float cuttingSpeed; // m/min
    float feedPerRevolution; // mm
    float feedPerTooth; // mm
    float teeth; // a count, kept as a float
    float dwellRevolutions;
    std::int32_t plungePercent;
    float radius; // mm
    std::uint8_t feedModeFlags[4]; // exactly one set, in FeedMode order
    std::uint8_t speedStepFlags[3]; // exactly one set, in SpeedStepChoice order
    std::uint8_t resultsValid;
    // A copy of the program-wide "open reports automatically" option at the last store;
    // the option itself is the one the window follows.
    std::uint8_t openReportAutomatically;
    // Added with the power group. Older files hold zeros here: the group is collapsed,
    // and zero lead angle and efficiency stand for their defaults (90°, 0.8).
    std::uint8_t padding0[3]; // alignment bytes of the older layout; written as 0, never read
    std::uint8_t powerGroupOpen; // 0 collapsed, 1 open
    std::uint8_t padding1[3];
    float widthOfCut; // ae, mm
    float depthOfCut; // ap, mm
    float leadAngle; // kr, degrees
    float efficiency; // eta, 0 to 1
    std::int32_t materialGroup; // index into built-in then user groups
};
static_assert(offsetof(CuttingDataBlock, padding0) == 41);
static_assert(offsetof(CuttingDataBlock, powerGroupOpen) == 44);
static_assert(offsetof(CuttingDataBlock, widthOfCut) == 48);
static_assert(offsetof(CuttingDataBlock, materialGroup) == 64);
static_assert(sizeof(CuttingDataBlock) <= kWindowBlockSize);
static_assert(std::is_trivially_copyable_v<CuttingDataBlock>);

class CuttingDataForm {
public:
    explicit CuttingDataForm(int unitSystem);

    int unitSystem() const { return m_unitSystem; }
    // "%6.3f" metric, "%6.4f" inch.
    const char* floatFormat() const;

    // Field captions ("*Durchmesser D [mm]:") in the current language and unit system.
    std::string inputCaption(CuttingInput input, const TextLookup& texts) const;
    std::string resultCaption(CuttingResult result, const TextLookup& texts) const;
    static std::string feedModeName(FeedMode mode, const TextLookup& texts);
    // Caption, unit, conversion, parsing and tooltip of an input.
    static const FieldDescription& inputDescription(CuttingInput input);
    // Counts (teeth, plunge percentage) are whole numbers, the rest floats.
    static ValueKind inputKind(CuttingInput input);

    // A changed field text. The text is parsed at once by the shared field validation;
    // an invalid text is cut back (the caller shows the cut text) and the value stays
    // the last valid one. Returns false when the text was cut.
    bool setInputText(CuttingInput input, std::string& text);
    const std::string& inputText(CuttingInput input) const { return m_inputTexts[index(input)]; }
    // The parsed value in display units (the count fields as whole numbers).
    float inputValue(CuttingInput input) const { return m_inputValues[index(input)]; }
    const std::string& resultText(CuttingResult result) const { return m_resultTexts[index(result)]; }

    FeedMode feedMode() const { return m_feedMode; }
    // Sets the mode and goes back to the nearest speed step; results stay as they are.
    void setFeedMode(FeedMode mode);
    SpeedStepChoice speedStepChoice() const { return m_stepChoice; }
    static bool inputEnabled(FeedMode mode, CuttingInput input);
    static bool resultEnabled(FeedMode mode, CuttingResult result);

    // The texts every opening starts from: speed only, nearest step, the default
    // diameter and cutting speed of the unit system and 50 % plunge feed.
    void applyDefaults();

    // The "*Berechnen" command: back to the nearest step, then calculate.
    bool calculateCommand(std::span<const float, kSpeedStepTableSize> steps);
    // A speed step radio button: that step, then calculate.
    bool chooseSpeedStep(SpeedStepChoice choice, std::span<const float, kSpeedStepTableSize> steps);
    // Calculates with the current choice. False, and nothing changed, when the diameter
    // or the cutting speed is 0.
    bool calculate(std::span<const float, kSpeedStepTableSize> steps);
    bool resultsValid() const { return m_resultsValid; }

    // Writes the saved block into the fields; returns whether results were valid when
    // it was saved (the window then calculates again). Damaged values (not a number,
    // infinite, negative) count as 0, damaged flags leave the defaults.
    bool fill(const CuttingDataBlock& block);
    CuttingDataBlock store(bool openReportAutomatically) const;

    // The report text: stamp, separators, title, mode, inputs and results of the mode.
    std::string reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const;

    // The power group. Its inputs are parsed like the others (display units); results
    // follow every calculation in the per-tooth mode.
    bool powerGroupOpen() const { return m_powerOpen; }
    void setPowerGroupOpen(bool open) { m_powerOpen = open; }
    std::string powerInputCaption(PowerInput input, const TextLookup& texts) const;
    static const FieldDescription& powerInputDescription(PowerInput input);
    bool setPowerInputText(PowerInput input, std::string& text);
    const std::string& powerInputText(PowerInput input) const { return m_powerTexts[index(input)]; }
    float powerInputValue(PowerInput input) const { return m_powerValues[index(input)]; }
    std::string powerResultCaption(PowerResult result, const TextLookup& texts) const;
    const std::string& powerResultText(PowerColumn column, PowerResult result) const
    {
        return m_powerResults[static_cast<std::size_t>(column)][index(result)];
    }
    PowerStatus powerStatus() const { return m_powerStatus; }
    // Empty when the results are shown, else why not.
    static std::string powerStatusText(PowerStatus status, const TextLookup& texts);

    // Built-in groups first, then the user's own.
    const std::vector<MaterialGroup>& materialGroups() const { return m_materials; }
    std::string materialName(std::size_t group, const TextLookup& texts) const;
    int materialGroup() const { return m_material; }
    void setMaterialGroup(int group);
    std::vector<MaterialGroup> userMaterialGroups() const;
    // Replaces the user's groups; the chosen group stays chosen when it is still there.
    void setUserMaterialGroups(std::vector<MaterialGroup> groups);

    // Takes over a tool handed over by the tool management window (metric values) and
    // picks the feed mode from what it has.
    void takeOverTool(const ToolHandOver& tool);
    // Whether the way back has a result of that kind to hand over: the theoretical value
    // needs a calculated spindle speed, the step value a speed step of the machine (a
    // machine without steps has none). Going back without data is always possible.
    bool canHandBack(ToolReturnCode code) const;
    // Fills the way back into the central state. A kind without a result goes back
    // without data, so that the tool never takes 0 rpm and zero feeds as a result.
    void handBack(ToolReturnCode code, OpenDialogData& state) const;

private:
    static std::size_t index(CuttingInput input) { return static_cast<std::size_t>(input); }
    static std::size_t index(CuttingResult result) { return static_cast<std::size_t>(result); }
    static std::size_t index(PowerInput input) { return static_cast<std::size_t>(input); }
    static std::size_t index(PowerResult result) { return static_cast<std::size_t>(result); }
    void calculatePower(std::int32_t spindleSpeed, std::int32_t stepSpeed, float feedRate, float correctedFeedRate);
    void clearPowerResults();
    std::string powerLength(double millimetres) const;
    void setInputNumber(CuttingInput input, float displayValue);
    void setInputInteger(CuttingInput input, std::int32_t value);
    void setResultFloat(CuttingResult result, float displayValue);
    void setResultInteger(CuttingResult result, std::int32_t value);
    std::string format(float value) const;
    float metric(CuttingInput input) const;

    int m_unitSystem;
    FeedMode m_feedMode = FeedMode::SpeedOnly;
    SpeedStepChoice m_stepChoice = SpeedStepChoice::Nearest;
    bool m_resultsValid = false;
    std::array<std::string, kCuttingInputCount> m_inputTexts;
    std::array<float, kCuttingInputCount> m_inputValues {};
    std::array<std::string, kCuttingResultCount> m_resultTexts;

    bool m_powerOpen = false;
    std::array<std::string, kPowerInputCount> m_powerTexts;
    std::array<float, kPowerInputCount> m_powerValues {};
    std::array<std::array<std::string, kPowerResultCount>, 2> m_powerResults;
    PowerStatus m_powerStatus = PowerStatus::NotCalculated;
    std::vector<MaterialGroup> m_materials;
    int m_material = 0;

    // What the last calculation gave, metric, for the way back to the tool window.
    struct Calculated {
        float diameter = 0; // mm
        float cuttingSpeed = 0; // m/min
        std::int32_t spindleSpeed = 0;
        std::int32_t stepSpeed = 0;
        float correctedCuttingSpeed = 0;
        float feedRate = 0;
        float plungeFeed = 0;
        float correctedFeedRate = 0;
        float correctedPlungeFeed = 0;
    } m_calculated;
};

} // namespace kvt
