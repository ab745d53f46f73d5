#pragma once
// The cut-to-length window without its widgets: the five inputs as texts and values
// (display units), the operation and the two choices, the checks with their messages,
// the results, the saved block and the report text.

#include "common/field_description.h"
#include "common/text_lookup.h"
#include "machining/cut_to_length/cut_to_length.h"
#include "options/options_record.h"

#include <array>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

namespace kvt {

struct LocalDateTime;

// In the order of the window.
enum class CutInput : int { Wanted, Raw, Start, Tool, Allowance };
inline constexpr int kCutInputCount = 5;
enum class CutResult : int { Coordinate, Infeed };
inline constexpr int kCutResultCount = 2;

// What the calculation tells the user, in the order it is told.
enum class CutMessage : int {
    WantedZero, // stops the calculation
    ToolZero, // stops the calculation
    RawNotLonger, // milling; the calculation still runs
    RawZero, // milling; the calculation still runs
};

// The window's block of the options record; lengths in millimetres. Appended to only.
struct CutToLengthBlock {
    float wanted; // A
    float raw; // C
    float start; // B, may be negative
    float tool; // W
    float allowance; // U
    float coordinate; // X
    float roughingCoordinate; // X'
    float infeed;
    std::uint8_t operation; // 1 to 3
    std::uint8_t origin; // 1 left, 2 right
    std::uint8_t side; // 1 raw, 2 usable
    std::uint8_t resultsValid;
    std::uint8_t hasRoughingCoordinate;
    std::uint8_t openReportAutomatically; // a copy of the program-wide option
};
static_assert(sizeof(CutToLengthBlock) <= kWindowBlockSize);
static_assert(std::is_trivially_copyable_v<CutToLengthBlock>);

struct CutCalculation {
    bool calculated = false;
    std::vector<CutMessage> messages;
};

class CutToLengthForm {
public:
    explicit CutToLengthForm(int unitSystem);

    int unitSystem() const { return m_unitSystem; }
    // "%6.3f" metric, "%7.4f" inch.
    const char* lengthFormat() const;

    static const FieldDescription& inputDescription(CutInput input);
    std::string inputCaption(CutInput input, const TextLookup& texts) const;
    std::string resultCaption(CutResult result, const TextLookup& texts) const;
    static std::string operationName(CutOperation operation, const TextLookup& texts);
    static std::string originName(AxisOrigin origin, const TextLookup& texts);
    static std::string sideName(SideB side, const TextLookup& texts);
    static std::string messageText(CutMessage message, const TextLookup& texts);
    static std::string messageCaption(const TextLookup& texts);

    bool setInputText(CutInput input, std::string& text);
    const std::string& inputText(CutInput input) const { return m_inputTexts[index(input)]; }
    float inputValue(CutInput input) const { return m_inputValues[index(input)]; }
    const std::string& resultText(CutResult result) const { return m_resultTexts[static_cast<std::size_t>(result)]; }

    CutOperation operation() const { return m_operation; }
    void setOperation(CutOperation operation) { m_operation = operation; }
    AxisOrigin origin() const { return m_origin; }
    void setOrigin(AxisOrigin origin) { m_origin = origin; }
    SideB side() const { return m_side; }
    void setSide(SideB side) { m_side = side; }
    // Raw length, side B and allowance matter for milling only.
    static bool millingOnly(CutInput input);
    bool milling() const { return m_operation != CutOperation::LatheParting; }

    // "*Berechnen".
    CutCalculation calculate();
    bool resultsValid() const { return m_resultsValid; }

    // Damaged stored values count as 0 (lengths) or the default (choices).
    void fill(const CutToLengthBlock& block);
    CutToLengthBlock store(bool openReportAutomatically) const;

    std::string reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const;

private:
    static std::size_t index(CutInput input) { return static_cast<std::size_t>(input); }
    std::string format(float displayValue) const;
    float metric(CutInput input) const;
    std::string display(float millimetres) const;
    void showResults();

    int m_unitSystem;
    CutOperation m_operation = CutOperation::LatheParting;
    AxisOrigin m_origin = AxisOrigin::Left;
    SideB m_side = SideB::Raw;
    std::array<std::string, kCutInputCount> m_inputTexts;
    std::array<float, kCutInputCount> m_inputValues {};
    std::array<std::string, kCutResultCount> m_resultTexts;
    bool m_resultsValid = false;
    CutOffResult m_result; // millimetres
    // The inputs and choices the results were calculated from, for the report.
    std::array<float, kCutInputCount> m_calculatedFrom {}; // millimetres
    CutOperation m_calculatedOperation = CutOperation::LatheParting;
    AxisOrigin m_calculatedOrigin = AxisOrigin::Left;
    SideB m_calculatedSide = SideB::Raw;
};

} // namespace kvt
