#pragma once
// The sine bar window without its widgets: length, angle and gauge-block height as
// texts and values (display units), which of angle and height the calculation produces,
// the three messages, the saved block and the report text.

#include "common/field_description.h"
#include "common/message_boxes.h"
#include "common/text_lookup.h"
#include "options/options_record.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

namespace kvt {

struct LocalDateTime;

enum class SineBarField : int { Length, Angle, Height };
inline constexpr int kSineBarFieldCount = 3;

// Which value the last calculation produced; lives only while the window is open.
enum class SineBarComputed { None, Height, Angle };

// The window's block of the options record, metric; fields are only ever appended.
struct SineBarBlock {
    float length; // mm
    float angle; // degrees
    float height; // mm
    std::uint8_t openReportAutomatically;
    std::uint8_t stored; // 1 once the window has stored its inputs
    std::uint8_t reserved[2];
};
static_assert(sizeof(SineBarBlock) <= kWindowBlockSize);
static_assert(std::is_trivially_copyable_v<SineBarBlock>);

struct SineBarOutcome {
    bool calculated = false; // a value was computed and written: the report step follows
    std::optional<MessageBoxRequest> message;
};

class SineBarForm {
public:
    explicit SineBarForm(int unitSystem);

    int unitSystem() const { return m_unitSystem; }
    static const FieldDescription& fieldDescription(SineBarField field);
    std::string caption(SineBarField field, const TextLookup& texts) const;
    static std::string windowTitle(const TextLookup& texts);

    // A changed field text, parsed by the shared field validation; an invalid text is cut
    // back (the caller shows the cut text) and the value stays. False when cut.
    bool setText(SineBarField field, std::string& text);
    const std::string& text(SineBarField field) const { return m_texts[index(field)]; }
    // The parsed value in display units.
    float value(SineBarField field) const { return m_values[index(field)]; }

    // "*Berechnen": the field left 0 is computed from the other two; with all three given
    // the one computed last is computed again from the changed inputs.
    SineBarOutcome calculate(const TextLookup& texts);
    SineBarComputed lastComputed() const { return m_lastComputed; }

    // The block holds values once the window stored them; the automatic-open flag it held
    // is returned then. Damaged values (not a number, infinite, negative) count as 0.
    std::optional<bool> fill(const SineBarBlock& block);
    SineBarBlock store(bool openReportAutomatically) const;

    std::string reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const;

private:
    static std::size_t index(SineBarField field) { return static_cast<std::size_t>(field); }
    void setNumber(SineBarField field, float displayValue);
    float metric(SineBarField field) const;
    SineBarOutcome calculateOnce(const TextLookup& texts);

    int m_unitSystem;
    std::array<std::string, kSineBarFieldCount> m_texts {};
    std::array<float, kSineBarFieldCount> m_values {};
    SineBarComputed m_lastComputed = SineBarComputed::None;
};

} // namespace kvt
