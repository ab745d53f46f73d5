#pragma once
// The dowel pin window without its widgets: the pin diameter from the table of the unit
// system, the standard lengths of that diameter, the inputs, the depths with their
// message, the optimum length, the block and the report.

#include "common/field_description.h"
#include "common/message_boxes.h"
#include "common/text_lookup.h"
#include "design/dowel_pins/dowel_pins.h"
#include "options/options_record.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace kvt {

struct LocalDateTime;
struct OpenRequest;

enum class PinField : int { Length, Factor, Extra1, Extra2, Thickness1, Thickness2, DrillAllowance, ReamAllowance };
inline constexpr int kPinFieldCount = 8;

enum class PinResult : int { Pin1, Pin2, Drill1, Drill2, Ream1, Ream2 };
inline constexpr int kPinResultCount = 6;

// The window's block of the options record, metric; fields are only ever appended.
struct DowelPinsBlock {
    float values[kPinFieldCount]; // mm, the factor as it is
    std::int32_t diameter; // index into the pin table of the unit system
    std::uint8_t openReportAutomatically;
    std::uint8_t stored; // 1 once the window has stored its inputs
    std::uint8_t reserved[2];
};
static_assert(sizeof(DowelPinsBlock) <= kWindowBlockSize);
static_assert(std::is_trivially_copyable_v<DowelPinsBlock>);

class DowelPinsForm {
public:
    explicit DowelPinsForm(int unitSystem);

    int unitSystem() const { return m_unitSystem; }
    static const FieldDescription& fieldDescription(PinField field);
    std::string caption(PinField field, const TextLookup& texts) const;
    std::string caption(PinResult result, const TextLookup& texts) const;
    static std::string windowTitle(const TextLookup& texts);

    // The diameters of the unit system as the list shows them ("5", "1/4").
    std::vector<std::string> diameterTexts() const;
    std::string diameterCaption(const TextLookup& texts) const;
    void setDiameter(int index);
    int diameter() const { return m_diameter; }
    double diameterMillimetres() const;
    // The diameter in the display unit, as handed to the drill-depth window.
    double diameterDisplay() const;
    // The standard lengths of the chosen diameter; the optimum one marked.
    std::vector<std::string> lengthTexts(const TextLookup& texts) const;
    // A standard length chosen from the list goes into the length field.
    void chooseLength(int index);
    std::optional<std::size_t> optimum() const { return m_optimum; }

    bool setText(PinField field, std::string& text);
    const std::string& text(PinField field) const { return m_texts[index(field)]; }
    float value(PinField field) const { return m_values[index(field)]; }
    float metric(PinField field) const;

    // "*Berechnen": false with the message when the factor is 0.
    bool calculate(const TextLookup& texts, std::vector<MessageBoxRequest>& messages);
    // "*D/L Stiftlänge": the longest standard length not above 2 d f; false when none.
    bool chooseOptimumLength();
    const std::string& result(PinResult which) const { return m_results[static_cast<std::size_t>(which)]; }
    const PinDepths& depths() const { return m_depths; }

    // "*Erm.": the request for the drill-depth window, value1 = the bits of the pin
    // diameter as a float in the display unit.
    void fillDrillDepthsRequest(OpenRequest& request) const;
    // The way back from the drill-depth window (its fillReturnRequest): the drill point
    // (mm) becomes t, a reamer chamfer (mm) that is not 0 becomes r. False, and nothing
    // changed, when it came back without a calculation or with values that are no lengths.
    bool takeBackAllowances(std::int32_t pointBits, std::int32_t chamferBits, std::int32_t valid);

    std::optional<bool> fill(const DowelPinsBlock& block);
    DowelPinsBlock store(bool openReportAutomatically) const;
    void setSafety(float millimetres) { m_safety = std::isfinite(millimetres) ? millimetres : 0.0f; }

    std::string reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const;

private:
    static std::size_t index(PinField field) { return static_cast<std::size_t>(field); }
    void setNumber(PinField field, float displayValue);
    std::span<const int> standardLengths() const;

    int m_unitSystem;
    int m_diameter = 0;
    float m_safety = 0.0f;
    std::optional<std::size_t> m_optimum;
    std::array<std::string, kPinFieldCount> m_texts {};
    std::array<float, kPinFieldCount> m_values {};
    std::array<std::string, kPinResultCount> m_results {};
    PinDepths m_depths;
};

} // namespace kvt
