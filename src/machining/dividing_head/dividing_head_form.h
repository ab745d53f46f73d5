#pragma once
// The dividing head window without its widgets: the three inputs as texts and values,
// the index plate table of the current machine, the calculation by divisions or by
// angle, the result texts with their markers, the saved block and the report text.

#include "common/field_description.h"
#include "common/message_boxes.h"
#include "common/text_lookup.h"
#include "machining/dividing_head/dividing_head.h"
#include "options/options_record.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

namespace kvt {

struct LocalDateTime;

enum class DividingInput : int { Divisions, Angle, Ratio };
inline constexpr int kDividingInputCount = 3;

enum class DividingResult : int { FullTurns, Holes, MachineCircle, NeededCircle, DivisionAngle };
inline constexpr int kDividingResultCount = 5;

// The window's block of the options record; fields are only ever appended.
struct DividingHeadBlock {
    std::int32_t divisions;
    float angle; // degrees
    std::uint8_t ratio; // the ratio in use when the window closed
    std::uint8_t openReportAutomatically;
    std::uint8_t stored; // 1 once the window has stored its inputs
    std::uint8_t reserved;
};
static_assert(sizeof(DividingHeadBlock) <= kWindowBlockSize);
static_assert(std::is_trivially_copyable_v<DividingHeadBlock>);

// What "*Berechnen" did.
enum class DividingOutcome {
    Nothing, // neither a division nor an angle
    BothGiven, // the message of bothGivenMessage(); nothing calculated
    NoRatio, // the message of noRatioMessage(); nothing calculated
    Calculated,
};

// How a hole count, a turn count and a hole circle are shown: "X" where no hole circle
// fits, " --- " where there is nothing to set, the count otherwise ("%3.0i").
std::string fullTurnsText(std::int64_t fullTurns);
std::string holesText(std::int64_t holes);
std::string circleText(std::int64_t circle, std::int64_t holes);

class DividingHeadForm {
public:
    static const FieldDescription& inputDescription(DividingInput input);
    static const FieldDescription& resultDescription(DividingResult result);
    static std::string windowTitle(const TextLookup& texts);
    static MessageBoxRequest bothGivenMessage(const TextLookup& texts);
    static MessageBoxRequest noRatioMessage(const TextLookup& texts);

    // A changed field text, parsed by the shared field validation; an invalid text is cut
    // back (the caller shows the cut text) and the value stays. False when cut.
    bool setInputText(DividingInput input, std::string& text);
    const std::string& inputText(DividingInput input) const { return m_inputTexts[index(input)]; }
    const std::string& resultText(DividingResult result) const { return m_resultTexts[index(result)]; }

    // The current machine's dividing head: its ratio goes into the ratio field, its hole
    // circles into the table.
    void takeMachine(std::uint8_t ratio, std::span<const std::uint16_t, kIndexPlateListSize> holes);

    // "*Berechnen" with the ratio of the ratio field.
    DividingOutcome calculate();
    bool calculated() const { return m_calculated; }
    bool byAngle() const { return m_byAngle; }
    const IndexResult& result() const { return m_result; }
    const IndexPlateTable& table() const { return m_table; }
    // The hole circle the crank is set on (machine or standard), 0 when none.
    std::int64_t usedCircle() const;
    // The line under the index plate drawing: what to set, or which circle is missing.
    std::string plateCaption(const TextLookup& texts) const;

    // The block holds the inputs once the window stored them; the automatic-open flag it
    // held is returned then.
    std::optional<bool> fill(const DividingHeadBlock& block);
    DividingHeadBlock store(bool openReportAutomatically) const;

    std::string reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const;

private:
    static std::size_t index(DividingInput input) { return static_cast<std::size_t>(input); }
    static std::size_t index(DividingResult result) { return static_cast<std::size_t>(result); }
    std::int64_t integer(DividingInput input) const;
    void setInteger(DividingInput input, std::int64_t value);
    void showResults();

    std::array<std::string, kDividingInputCount> m_inputTexts {};
    std::array<std::string, kDividingResultCount> m_resultTexts {};
    float m_angle = 0.0f;
    std::int32_t m_divisions = 0;
    std::int32_t m_ratio = 0;
    IndexPlateTable m_table = makeIndexPlateTable(0, std::array<std::uint16_t, kIndexPlateListSize> {});
    IndexResult m_result;
    bool m_calculated = false;
    bool m_byAngle = false;
};

} // namespace kvt
