#pragma once
// The eccentric turning window without its widgets: the four length fields as texts
// and values (display units), the role of the largest diameter, the calculation with
// its recompute rule, the expected error, the saved block and the report text.

#include "common/field_description.h"
#include "common/text_lookup.h"
#include "options/options_record.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

namespace kvt {

struct LocalDateTime;

// In the order of the window.
enum class EccentricField : int { Offset, Diameter, Thickness, LargestDiameter };
inline constexpr int kEccentricFieldCount = 4;

// What the last calculation produced; lives only while the window is open.
enum class EccentricComputed : int { None, Thickness, Offset };

// The window's block of the options record; lengths in millimetres. Appended to only.
struct EccentricTurningBlock {
    float offset;
    float diameter;
    float thickness;
    float largestDiameter;
    std::uint8_t largestDiameterIsInput; // 1: "*Erstellbarer Durchmesser als Eingabe"
    std::uint8_t openReportAutomatically; // a copy of the program-wide option
};
static_assert(sizeof(EccentricTurningBlock) <= kWindowBlockSize);
static_assert(std::is_trivially_copyable_v<EccentricTurningBlock>);

// What a calculation command ended in.
enum class EccentricOutcome {
    Nothing, // the combination of filled fields asks for nothing
    Calculated, // results written; a report is due
    OffsetTooLarge, // e >= r: results show 0, the user is told
};

class EccentricTurningForm {
public:
    explicit EccentricTurningForm(int unitSystem);

    int unitSystem() const { return m_unitSystem; }
    // "%6.3f" metric, "%7.4f" inch.
    const char* lengthFormat() const;

    static const FieldDescription& description(EccentricField field);
    static const FieldDescription& errorDescription();
    std::string caption(EccentricField field, const TextLookup& texts) const;
    std::string errorCaption(const TextLookup& texts) const;

    // A changed field text, parsed at once; an invalid text is cut back (the caller
    // shows the cut text) and the value stays the last valid one.
    bool setText(EccentricField field, std::string& text);
    const std::string& text(EccentricField field) const { return m_texts[index(field)]; }
    float value(EccentricField field) const { return m_values[index(field)]; }
    const std::string& errorText() const { return m_errorText; }

    bool largestDiameterIsInput() const { return m_largestIsInput; }
    void setLargestDiameterIsInput(bool on) { m_largestIsInput = on; }
    EccentricComputed lastComputed() const { return m_lastComputed; }

    // "*Berechnen".
    EccentricOutcome calculate();
    // "*Korrespondierende Felder löschen": offset, thickness, largest diameter and the
    // expected error are calculated from each other; the diameter stays.
    void clearCorresponding();

    // Damaged stored lengths (not a number, infinite, negative) count as 0.
    void fill(const EccentricTurningBlock& block);
    EccentricTurningBlock store(bool openReportAutomatically) const;

    // The report of the last successful calculation.
    std::string reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const;

private:
    static std::size_t index(EccentricField field) { return static_cast<std::size_t>(field); }
    std::string format(float displayValue) const;
    void setMetric(EccentricField field, double millimetres);
    float metric(EccentricField field) const;
    EccentricOutcome calculateInfo(bool again);
    EccentricOutcome calculateFromLargest();
    EccentricOutcome offsetTooLarge(bool keepLargestDiameter);
    void writeError(double offsetMillimetres);

    int m_unitSystem;
    bool m_largestIsInput = false;
    EccentricComputed m_lastComputed = EccentricComputed::None;
    std::array<std::string, kEccentricFieldCount> m_texts;
    std::array<float, kEccentricFieldCount> m_values {};
    std::string m_errorText;

    // What the report tells: which value was computed and the field texts then.
    enum class ReportKind { Thickness, Offset, FromLargest };
    struct Report {
        ReportKind kind = ReportKind::Thickness;
        std::array<std::string, kEccentricFieldCount> texts;
    };
    std::optional<Report> m_report;
};

} // namespace kvt
