#pragma once
// The parallels window without its widgets: the five inputs, the list of the machine's
// parallels with the temporary entry a calculation may add, the choice of a parallel,
// the six result texts, the warning states the drawing shows, the block and the report.

#include "common/field_description.h"
#include "common/message_boxes.h"
#include "common/text_lookup.h"
#include "design/parallels/parallels.h"
#include "options/options_record.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

namespace kvt {

struct LocalDateTime;

enum class ParallelsField : int { Height, SideDepth, Overhang, Depth, JawHeight };
inline constexpr int kParallelsFieldCount = 5;

enum class ParallelsResult : int { Recommended, Required, AboveJaw, BelowJaw, Percent, Clearance };
inline constexpr int kParallelsResultCount = 6;

// The window's block of the options record, metric; fields are only ever appended.
struct ParallelsBlock {
    float inputs[kParallelsFieldCount]; // mm
    std::int32_t selected; // list index
    float combinationFirst; // mm, a pair found by the last calculation
    float combinationSecond;
    float combinationDepth;
    std::uint8_t combination; // 1 while the pair entry is in the list
    std::uint8_t openReportAutomatically;
    std::uint8_t stored; // 1 once the window has stored its inputs
    std::uint8_t reserved;
};
static_assert(sizeof(ParallelsBlock) <= kWindowBlockSize);
static_assert(std::is_trivially_copyable_v<ParallelsBlock>);

enum class ParallelEntryKind { None, Parallel, Combination, Missing };

struct ParallelEntry {
    ParallelEntryKind kind = ParallelEntryKind::Parallel;
    double height = 0.0; // mm; for a combination the sum
    double depth = 0.0; // mm
    double first = 0.0; // a combination's two heights
    double second = 0.0;
};

class ParallelsForm {
public:
    explicit ParallelsForm(int unitSystem);

    int unitSystem() const { return m_unitSystem; }
    static const FieldDescription& fieldDescription(ParallelsField field);
    static const FieldDescription& resultDescription(ParallelsResult result);
    std::string caption(ParallelsField field, const TextLookup& texts) const;
    std::string caption(ParallelsResult result, const TextLookup& texts) const;
    static std::string windowTitle(const TextLookup& texts);

    // The machine's slots (slot 0 "without parallels", then ascending heights, empty
    // slots 0), its jaw height in mm and the safety value in mm. The list restarts.
    void setMachine(std::span<const float> heights, std::span<const float> depths, float jawHeight);
    void setSafety(float millimetres);

    bool setText(ParallelsField field, std::string& text);
    const std::string& text(ParallelsField field) const { return m_texts[index(field)]; }
    float value(ParallelsField field) const { return m_values[index(field)]; }
    float metric(ParallelsField field) const;

    const std::vector<ParallelEntry>& entries() const { return m_entries; }
    std::string entryLabel(std::size_t entry, const TextLookup& texts) const;
    int selected() const { return m_selected; }

    // "*Calc PSHeight": the required height, the choice from the list and the results for
    // it. Messages in the order they are shown; true when a report follows.
    bool calculate(const TextLookup& texts, std::vector<MessageBoxRequest>& messages);
    // "*UpdateScr" and a new list selection: the results for the selected entry.
    void select(int entry, const TextLookup& texts, std::vector<MessageBoxRequest>& messages);
    void update(const TextLookup& texts, std::vector<MessageBoxRequest>& messages);

    const std::string& result(ParallelsResult which) const { return m_results[resultIndex(which)]; }
    const VisePosition& position() const { return m_position; }
    // The selected parallel's height and depth in mm (a combination: the sum).
    double selectedHeight() const;
    double selectedDepth() const;

    std::optional<bool> fill(const ParallelsBlock& block);
    ParallelsBlock store(bool openReportAutomatically) const;

    std::string reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const;

private:
    static std::size_t index(ParallelsField field) { return static_cast<std::size_t>(field); }
    static std::size_t resultIndex(ParallelsResult r) { return static_cast<std::size_t>(r); }
    void setNumber(ParallelsField field, float displayValue);
    std::string length(double millimetres) const; // "%5.2f" in the display unit
    void showError(const TextLookup& texts);
    void dropTemporaryEntry();
    void addTemporaryEntry(const ParallelEntry& entry);

    int m_unitSystem;
    std::array<std::string, kParallelsFieldCount> m_texts {};
    std::array<float, kParallelsFieldCount> m_values {};
    std::array<std::string, kParallelsResultCount> m_results {};
    std::vector<float> m_heights;
    std::vector<float> m_depths;
    std::vector<ParallelEntry> m_entries;
    int m_selected = 0;
    float m_safety = 0.0f;
    VisePosition m_position;
};

} // namespace kvt
