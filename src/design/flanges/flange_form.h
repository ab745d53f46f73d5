#pragma once
// The flange window without its widgets: the nineteen inputs as texts and their parsed
// values (display units), the kind, the circle the shared "*Erm." commands act on, the
// "*Auto" offsets, the zero-point choice, the calculation in its order with the message
// it wants shown, the saved block, the report text, the DXF export and the zoom of the
// preview. The Qt dialog only shows what this class says.

#include "common/field_description.h"
#include "common/field_validation.h"
#include "common/message_boxes.h"
#include "common/text_lookup.h"
#include "design/flanges/flange.h"
#include "options/options_record.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace kvt {

struct LocalDateTime;
struct OpenRequest;

// The fields of one hole circle, in the order of the window.
enum class CircleField : int {
    HoleCount,
    Diameter,
    HoleDiameter,
    Pitch,
    HoleAngle,
    OffsetAngle,
    CounterboreDiameter,
};
inline constexpr int kCircleFieldCount = 7;

// The fields of the flange itself.
enum class FlangeField : int { OuterDiameter, InnerDiameter, CentringDiameter, ZeroPointX, ZeroPointY };
inline constexpr int kFlangeFieldCount = 5;

// Every input as one index: LK1's seven fields, LK2's seven, then the flange's five.
inline constexpr int kFlangeInputCount = 2 * kCircleFieldCount + kFlangeFieldCount;
constexpr int circleInput(int circle, CircleField field)
{
    return circle * kCircleFieldCount + static_cast<int>(field);
}
constexpr int flangeInput(FlangeField field)
{
    return 2 * kCircleFieldCount + static_cast<int>(field);
}

// The six radio buttons round the preview. The round kinds know only the centre and the
// entered zero point, the free form only the entered zero point.
enum class ZeroChoice : int { Centre, TopLeft, TopRight, BottomLeft, BottomRight, Entered };
inline constexpr int kZeroChoiceCount = 6;

// What the last "*Berechnen" derived in a circle: nothing yet, the diameter, the angle
// or the pitch.
enum class Derived : std::uint8_t { None = 0, Diameter = 1, Angle = 2, Pitch = 3 };

// The window's block of the options record. Lengths are millimetres; the layout is
// what earlier runs saved, so fields are only ever appended.
struct FlangeBlock {
    float inputs[kFlangeInputCount]; // metric; hole counts kept as floats
    std::uint8_t comboIndex;
    std::uint8_t selectedCircle; // 0 LK1 ("*Lochkreis innen"), 1 LK2
    std::uint8_t autoOffset[2];
    std::uint8_t zeroChoice; // ZeroChoice
    std::uint8_t openReportAutomatically;
    std::uint8_t calculated;
    std::uint8_t derived[2]; // Derived, per circle
    std::uint8_t reserved[3];
    char16_t lastDxfPath[kWideTextLength]; // start of the next DXF save dialog
};
static_assert(sizeof(FlangeBlock) <= kWindowBlockSize);

class FlangeForm {
public:
    explicit FlangeForm(int unitSystem);

    int unitSystem() const { return m_unitSystem; }

    // Captions in the current language and unit system ("*Bohrungs-Stich [mm]:").
    std::string inputCaption(int input, const TextLookup& texts) const;
    static std::string kindName(int comboIndex, const TextLookup& texts);
    static std::string zeroChoiceName(ZeroChoice choice, const TextLookup& texts);
    // Caption, conversion, unit, value kind, input class and tooltip of an input.
    static const FieldDescription& description(int input);

    // A changed field text; as in every window an invalid text is cut back and the value
    // stays the last valid one. Returns false when the text was cut.
    bool setInputText(int input, std::string& text);
    const std::string& inputText(int input) const { return m_texts[index(input)]; }
    float inputValue(int input) const { return m_values[index(input)]; }

    // Diameter, pitch and angle of a circle are worked out from one another: they are the
    // window's corresponding fields.
    static bool isCorresponding(int input);
    // "*Korrespondierende Felder löschen" on one of them empties all three of its circle
    // and forgets which was derived.
    void clearCorresponding(int input);

    int comboIndex() const { return m_comboIndex; }
    void setComboIndex(int comboIndex);
    std::uint8_t kindCode() const { return kindCodeForIndex(m_comboIndex); }
    // LK2's fields are used by the two-circle kinds only, the centring diameter by the
    // kinds with a collar; the zero-point fields by the entered zero point.
    bool inputEnabled(int input) const;

    int selectedCircle() const { return m_selectedCircle; }
    void selectCircle(int circle) { m_selectedCircle = circle == 1 ? 1 : 0; }
    bool autoOffset(int circle) const { return m_autoOffset[circle == 1 ? 1 : 0]; }
    void setAutoOffset(int circle, bool on) { m_autoOffset[circle == 1 ? 1 : 0] = on; }
    ZeroChoice zeroChoice() const { return m_zeroChoice; }
    void setZeroChoice(ZeroChoice choice) { m_zeroChoice = choice; }
    bool zeroChoiceEnabled(ZeroChoice choice) const;
    // The zero-point mode the choice stands for with the current kind.
    std::uint8_t zeroPointMode() const;
    Derived derived(int circle) const { return m_derived[circle == 1 ? 1 : 0]; }

    // "*Berechnen": the whole calculation. Returns the message to show when it stops; no
    // message means the fields show the results and the point list is ready.
    std::optional<MessageBoxRequest> calculate(const TextLookup& texts, bool languageLoaded);
    bool calculated() const { return m_calculated; }
    const FlangeData& data() const { return m_data; }

    // "*Erm." beside the hole-circle diameter, for the selected circle.
    std::optional<MessageBoxRequest> determineDiameter(const TextLookup& texts);

    // "*Erm." beside the pitch asks the calculations dialog for its hole-pitch calculator
    // and the way back. Out: calcValue1 = the calculator (14), calcValue2 = the bits of the
    // selected circle's hole diameter as a float in millimetres, calcValue3 = the circle
    // (1 LK1, 2 LK2). Back: value1 = the bits of the pitch as a float in millimetres,
    // value3 = the circle.
    static constexpr std::int32_t kPitchCalculator = 14;
    void fillPitchRequest(OpenRequest& request) const;
    // Takes over a pitch the calculations dialog hands back; false when there is none.
    bool takeOverPitch(std::int32_t pitchBits, std::int32_t circle);

    // Saved block: the fields in the display unit, damaged values counted as 0. Returns
    // whether the results were valid when it was stored (the window calculates again).
    bool fill(const FlangeBlock& block);
    FlangeBlock store(bool openReportAutomatically) const;

    // The report of kind "FLA": stamp, separators, title, kind, the flange, each circle
    // and its point list.
    std::string reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const;

    // The DXF export after a successful calculation: the export copy in the chosen unit,
    // the drawing, the file. The path is kept for the next dialog when it fits; the
    // message names the path when the file could not be written.
    std::optional<MessageBoxRequest> exportDxf(
        const std::filesystem::path& path, int unitFlag, const TextLookup& texts);
    const std::u16string& lastDxfPath() const { return m_lastDxfPath; }

    // Preview zoom in tenths (1.0 = 10): "*Zoom+" up to 10.0, "*Zoom-" down to 0.1.
    int zoomTenths() const { return m_zoomTenths; }
    double zoom() const { return m_zoomTenths / 10.0; }
    void zoomIn();
    void zoomOut();
    void zoomReset() { m_zoomTenths = 10; }

private:
    static std::size_t index(int input) { return static_cast<std::size_t>(input); }
    std::string format(const char* pattern, float displayValue) const;
    void setNumber(int input, float displayValue, const char* pattern = "%6.2f");
    void clearInput(int input);
    float metric(int input) const;
    void decideDerived(int circle);
    void readInputs();
    void writeResults(int circle, Derived derivedField, bool pitchTyped);

    int m_unitSystem;
    int m_comboIndex = 0;
    int m_selectedCircle = 0;
    std::array<bool, 2> m_autoOffset {};
    ZeroChoice m_zeroChoice = ZeroChoice::Centre;
    std::array<Derived, 2> m_derived {Derived::None, Derived::None};
    bool m_calculated = false;
    std::array<std::string, kFlangeInputCount> m_texts;
    std::array<float, kFlangeInputCount> m_values {};
    FlangeData m_data;
    std::u16string m_lastDxfPath;
    int m_zoomTenths = 10;
};

} // namespace kvt
