#pragma once
// The drill-depth window without its widgets: the mode (drilling, reaming, tapped hole),
// the inputs, the thread list of the unit system, the reaming allowance proposals or the
// inch fits, the results with their messages, the block and the report.

#include "common/field_description.h"
#include "common/message_boxes.h"
#include "common/text_lookup.h"
#include "design/drill_depths/drill_depths.h"
#include "options/options_record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace kvt {

struct LocalDateTime;
struct OpenRequest;

enum class DrillMode : int { Drill, Ream, Tap };

enum class DrillField : int {
    Diameter, // drill or reamer diameter
    Depth, // wanted depth of the full diameter (thread depth when tapping)
    PointAngle,
    Chamfer, // reamer chamfer height
    TapLead, // a length, or a multiple of the pitch
    Allowance, // metric reaming allowance
    DrillDiameter, // the pre-drill (reaming) or core drill (tapping); typed for an own inch fit
    DrillStep,
    ReamStep,
    Safety,
    Thickness, // of the workpiece, for a through hole
    RunIn, // la: the approach of the drill before it cuts; kept and reported, no part of the depths
};
inline constexpr int kDrillFieldCount = 12;
// The fields the block held from the start; the ones after them have places of their own.
inline constexpr int kDrillBlockValueCount = 11;

enum class DrillResult : int { DrillingDepth, ReamingDepth, PointLength, CoreHoleDepth, Surplus };
inline constexpr int kDrillResultCount = 5;

// The inch reamer fits: the table's tight or loose pair, or an own pre-drill.
enum class InchFit : int { Tight, Loose, Custom };

// The window's block of the options record, metric; fields are only ever appended.
struct DrillDepthsBlock {
    float values[kDrillBlockValueCount]; // mm (lengths), degrees, or the multiple of the pitch
    std::int32_t thread; // index into the thread list of the unit system
    std::uint8_t mode;
    std::uint8_t leadAsPitchMultiple;
    std::uint8_t throughHole;
    std::uint8_t inchFit;
    std::uint8_t openReportAutomatically;
    std::uint8_t stored; // 1 once the window has stored its inputs
    std::uint8_t reserved[2];
    float runIn; // mm; 0 in a block stored before the field existed
};
static_assert(sizeof(DrillDepthsBlock) <= kWindowBlockSize);
static_assert(offsetof(DrillDepthsBlock, runIn) == 56, "stored blocks keep their layout");
static_assert(std::is_trivially_copyable_v<DrillDepthsBlock>);

class DrillDepthsForm {
public:
    explicit DrillDepthsForm(int unitSystem);

    int unitSystem() const { return m_unitSystem; }
    static const FieldDescription& fieldDescription(DrillField field);
    static const FieldDescription& resultDescription(DrillResult result);
    std::string caption(DrillField field, const TextLookup& texts) const;
    std::string caption(DrillResult result, const TextLookup& texts) const;
    static std::string windowTitle(const TextLookup& texts);

    void setMode(DrillMode mode) { m_mode = mode; }
    DrillMode mode() const { return m_mode; }
    void setLeadAsPitchMultiple(bool on) { m_leadAsPitch = on; }
    bool leadAsPitchMultiple() const { return m_leadAsPitch; }
    void setThroughHole(bool on) { m_throughHole = on; }
    bool throughHole() const { return m_throughHole; }
    const std::vector<ThreadSize>& threads() const { return m_threads; }
    void setThread(int index);
    int thread() const { return m_thread; }
    void setInchFit(InchFit fit) { m_inchFit = fit; }
    InchFit inchFit() const { return m_inchFit; }

    bool setText(DrillField field, std::string& text);
    const std::string& text(DrillField field) const { return m_texts[index(field)]; }
    float value(DrillField field) const { return m_values[index(field)]; }
    // A value in the display unit put into a field, as a hand-over from another window does.
    void setNumber(DrillField field, float displayValue);

    // The allowance proposals for the reamer diameter as list texts (metric); with inches
    // the fit choices "*Fester Sitz", "*Lock. Sitz" (only when the reamer has a fit in the
    // table) and "*Custom".
    std::vector<std::string> allowanceChoices(const TextLookup& texts) const;
    std::vector<double> allowanceProposals() const; // display unit, metric only

    // "*Berechnen": messages in the order they are shown; true when results were written.
    bool calculate(const TextLookup& texts, std::vector<MessageBoxRequest>& messages);
    const std::string& result(DrillResult which) const { return m_results[static_cast<std::size_t>(which)]; }

    // The dowel pin window's "*Erm.": its pin diameter (the bits of a float in the display
    // unit) becomes the reamer diameter. False, and nothing changed, for a diameter that
    // is no length.
    bool takeOverPin(std::int32_t diameterBits);
    // "*Zurück" to the dowel pin window: value1 = the bits of the drill point length (mm)
    // of the last calculation, value2 = the bits of the reamer chamfer (mm) when it was a
    // reaming, else 0; value3 = 1 when these values are meant, 0 without a calculation.
    void fillReturnRequest(OpenRequest& request) const;

    std::optional<bool> fill(const DrillDepthsBlock& block);
    DrillDepthsBlock store(bool openReportAutomatically) const;

    std::string reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const;

private:
    static std::size_t index(DrillField field) { return static_cast<std::size_t>(field); }
    float metric(DrillField field) const;
    std::string length(double millimetres) const;
    bool drill(double length, double diameter, const TextLookup& texts, std::vector<MessageBoxRequest>& messages);

    int m_unitSystem;
    DrillMode m_mode = DrillMode::Drill;
    bool m_leadAsPitch = true;
    bool m_throughHole = false;
    InchFit m_inchFit = InchFit::Tight;
    std::vector<ThreadSize> m_threads;
    int m_thread = 0;
    std::array<std::string, kDrillFieldCount> m_texts {};
    std::array<float, kDrillFieldCount> m_values {};
    std::array<std::string, kDrillResultCount> m_results {};
    // What the last successful calculation hands back to the dowel pin window (mm).
    bool m_calculated = false;
    float m_lastPoint = 0.0f;
    float m_lastChamfer = 0.0f;
};

} // namespace kvt
