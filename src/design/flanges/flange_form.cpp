#include "design/flanges/flange_form.h"

#include "common/code_page.h"
#include "common/field_description.h"
#include "common/number_format.h"
#include "common/report_writer.h"
#include "common/stamps.h"
#include "common/units.h"
#include "design/dxf/dxf_writer.h"
#include "design/flanges/flange_dxf.h"
#include "state/app_message.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kvt {

namespace {

constexpr int kWindowTitleId = 70126;
constexpr const char* kWindowTitle = "*Flansche";

// The inputs in the order of FlangeForm's input index: LK1, LK2, the flange. Counts and
// sizes take digits and one point; the offset angle and the zero point may be negative.
constexpr FieldDescription circleField(int id, const char* builtin, bool length, int tipId, const char* tip,
    ValueKind kind = ValueKind::Float, InputClass inputClass = InputClass::Unsigned)
{
    return {id, builtin, length ? ConversionKind::Length : ConversionKind::Plain,
        length ? UnitText::Millimetre : UnitText::None, kind, inputClass, tipId, tip};
}

constexpr std::array<FieldDescription, kFlangeInputCount> kInputs = {{
    circleField(72601, "*Anzahl Bohrungen", false, 72701, "*Anzahl der Bohrungen auf dem Lochkreis (höchstens 100)",
        ValueKind::Integer),
    circleField(72602, "*Lochkreis-Durchmesser", true, 72702,
        "*Durchmesser des Kreises durch die Bohrungsmitten; zwei von Lochkreis-Durchmesser, Bohrungs-Stich und "
        "Winkel angeben"),
    circleField(72603, "*Bohrungs-Durchmesser", true, 72703, "*Durchmesser der Bohrungen"),
    circleField(72604, "*Bohrungs-Stich", true, 72704, "*Abstand der Mitten zweier benachbarter Bohrungen"),
    circleField(72605, "*Winkel Bohrungen [ ° ]", false, 72705, "*Winkel zwischen zwei benachbarten Bohrungen"),
    circleField(72606, "*Winkeloffset A [ ° ]", false, 72706,
        "*Winkel der ersten Bohrung, im Uhrzeigersinn von oben gemessen", ValueKind::Float, InputClass::Signed),
    circleField(72608, "*Senk-Durchmesser", true, 72707, "*Durchmesser der Senkung; leer ohne Senkung"),
    circleField(72601, "*Anzahl Bohrungen", false, 72701, "*Anzahl der Bohrungen auf dem Lochkreis (höchstens 100)",
        ValueKind::Integer),
    circleField(72602, "*Lochkreis-Durchmesser", true, 72702,
        "*Durchmesser des Kreises durch die Bohrungsmitten; zwei von Lochkreis-Durchmesser, Bohrungs-Stich und "
        "Winkel angeben"),
    circleField(72603, "*Bohrungs-Durchmesser", true, 72703, "*Durchmesser der Bohrungen"),
    circleField(72604, "*Bohrungs-Stich", true, 72704, "*Abstand der Mitten zweier benachbarter Bohrungen"),
    circleField(72605, "*Winkel Bohrungen [ ° ]", false, 72705, "*Winkel zwischen zwei benachbarten Bohrungen"),
    circleField(72607, "*Winkeloffset B [ ° ]", false, 72706,
        "*Winkel der ersten Bohrung, im Uhrzeigersinn von oben gemessen", ValueKind::Float, InputClass::Signed),
    circleField(72608, "*Senk-Durchmesser", true, 72707, "*Durchmesser der Senkung; leer ohne Senkung"),
    circleField(72609, "*Außendurchmesser", true, 72708,
        "*Außendurchmesser des Flansches, bei quadratischen Flanschen die Kantenlänge; leer für einen Vorschlag"),
    circleField(72610, "*Innendurchmesser", true, 72709, "*Durchmesser der Bohrung in der Flanschmitte"),
    circleField(72611, "*Zentrier-Durchmesser", true, 72710, "*Durchmesser des Zentrierbunds"),
    {72612, "*Nullpunkt X", ConversionKind::Length, UnitText::None, ValueKind::Float, InputClass::Signed, 72711,
        "*X-Lage der Flanschmitte vom Nullpunkt aus"},
    {72613, "*Nullpunkt Y", ConversionKind::Length, UnitText::None, ValueKind::Float, InputClass::Signed, 72712,
        "*Y-Lage der Flanschmitte vom Nullpunkt aus"},
}};

constexpr std::array<const char*, kFlangeKindCount> kKindNames = {
    "*Flansch, rund, 1 Lochkreis",
    "*Flansch, rund, 1 Lochkreis, Zentrierbund",
    "*Flansch, rund, 2 Lochkreise",
    "*Flansch, rund, 2 Lochkreise, Zentrierbund",
    "*Flansch, quadratisch, 1 Lochkreis",
    "*Flansch, quadratisch, 1 Lochkreis, Zentrierbund",
    "*Flansch, quadratisch, 2 Lochkreise",
    "*Flansch, quadratisch, 2 Lochkreise, Zentrierbund",
    "*Flansch, beliebige Form, 1 Lochkreis, Sektion",
};
constexpr int kKindNameIdBase = 72620;

constexpr std::array<const char*, kZeroChoiceCount> kZeroChoiceNames = {
    "*Mitte",
    "*Ecke oben links",
    "*Ecke oben rechts",
    "*Ecke unten links",
    "*Ecke unten rechts",
    "*Nullpunkt X/Y",
};
constexpr int kZeroChoiceIdBase = 72642;

constexpr int kDiameterNeedsMessageId = 72650;
constexpr const char* kDiameterNeedsMessage = "*Für die Ermittlung des Lochkreis-Durchmessers muss die Anzahl der "
                                              "Bohrungen und der Bohrungs-Stich angeben werden";
constexpr int kDxfNotWrittenId = 72651;
constexpr const char* kDxfNotWritten = "*Die DXF-Datei konnte nicht geschrieben werden:";

const FieldDescription& descriptionOf(int input)
{
    return kInputs[static_cast<std::size_t>(input)];
}

bool isCount(int input)
{
    return descriptionOf(input).valueKind == ValueKind::Integer;
}

bool isLength(int input)
{
    return descriptionOf(input).conversion == ConversionKind::Length;
}

// A stored value that a damaged file may have made absurd counts as 0; the sign rule
// follows the field's input class.
float sane(float value, bool signedField)
{
    if (!std::isfinite(value))
        return 0.0f;
    return signedField || value > 0.0f ? value : 0.0f;
}

std::int32_t countOf(float value)
{
    if (!std::isfinite(value) || value <= 0.0f)
        return 0;
    return static_cast<std::int32_t>(std::min(value, 1.0e6f));
}

std::int32_t floatBits(float value)
{
    std::int32_t bits = 0;
    std::memcpy(&bits, &value, sizeof value);
    return bits;
}

float bitsFloat(std::int32_t bits)
{
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

MessageBoxRequest errorBox(std::string text, const TextLookup& texts)
{
    return {std::move(text), texts.text(kErrorCaptionFehlerId, kErrorCaptionFehler), MessageIcon::Error,
        MessageButtons::Ok};
}

} // namespace

FlangeForm::FlangeForm(int unitSystem)
    : m_unitSystem(unitSystem == kUnitSystemInch ? kUnitSystemInch : kUnitSystemMetric)
{
}

std::string FlangeForm::format(const char* pattern, float displayValue) const
{
    return formatNumber(pattern, static_cast<double>(displayValue));
}

const FieldDescription& FlangeForm::description(int input)
{
    return descriptionOf(std::clamp(input, 0, kFlangeInputCount - 1));
}

std::string FlangeForm::inputCaption(int input, const TextLookup& texts) const
{
    return fieldCaption(description(input), texts, m_unitSystem);
}

std::string FlangeForm::kindName(int comboIndex, const TextLookup& texts)
{
    if (comboIndex < 0 || comboIndex >= kFlangeKindCount)
        return {};
    return texts.text(kKindNameIdBase + comboIndex, kKindNames[static_cast<std::size_t>(comboIndex)]);
}

std::string FlangeForm::zeroChoiceName(ZeroChoice choice, const TextLookup& texts)
{
    const int i = static_cast<int>(choice);
    return texts.text(kZeroChoiceIdBase + i, kZeroChoiceNames[static_cast<std::size_t>(i)]);
}

bool FlangeForm::setInputText(int input, std::string& text)
{
    if (input < 0 || input >= kFlangeInputCount)
        return false;
    std::string working = text;
    ParseResult parsed;
    const FieldDescription& field = descriptionOf(input);
    if (!validateField(working, field.inputClass, field.valueKind, parsed)) {
        text = working;
        m_texts[index(input)] = text;
        return false;
    }
    m_texts[index(input)] = text;
    m_values[index(input)]
        = field.valueKind == ValueKind::Integer ? static_cast<float>(parsed.intValue) : parsed.floatValue;
    return true;
}

void FlangeForm::setNumber(int input, float displayValue, const char* pattern)
{
    std::string text = format(pattern, displayValue);
    setInputText(input, text);
}

void FlangeForm::clearInput(int input)
{
    m_texts[index(input)].clear();
    m_values[index(input)] = 0.0f;
}

float FlangeForm::metric(int input) const
{
    const float value = inputValue(input);
    return isLength(input) ? toMetric(m_unitSystem, ConversionKind::Length, value) : value;
}

bool FlangeForm::isCorresponding(int input)
{
    if (input < 0 || input >= 2 * kCircleFieldCount)
        return false;
    const auto field = static_cast<CircleField>(input % kCircleFieldCount);
    return field == CircleField::Diameter || field == CircleField::Pitch || field == CircleField::HoleAngle;
}

void FlangeForm::clearCorresponding(int input)
{
    if (!isCorresponding(input))
        return;
    const int circle = input / kCircleFieldCount;
    for (CircleField field : {CircleField::Diameter, CircleField::Pitch, CircleField::HoleAngle})
        clearInput(circleInput(circle, field));
    m_derived[static_cast<std::size_t>(circle)] = Derived::None;
}

void FlangeForm::setComboIndex(int comboIndex)
{
    m_comboIndex = std::clamp(comboIndex, 0, kFlangeKindCount - 1);
    if (!hasSecondCircle(kindCode()))
        m_selectedCircle = 0;
    if (!zeroChoiceEnabled(m_zeroChoice))
        m_zeroChoice = kindCode() == kKindFreeForm ? ZeroChoice::Entered : ZeroChoice::Centre;
}

bool FlangeForm::inputEnabled(int input) const
{
    if (input >= kCircleFieldCount && input < 2 * kCircleFieldCount)
        return hasSecondCircle(kindCode());
    if (input == flangeInput(FlangeField::CentringDiameter))
        return hasCentringCollar(m_comboIndex);
    if (input == flangeInput(FlangeField::OuterDiameter))
        return kindCode() != kKindFreeForm;
    if (input == flangeInput(FlangeField::ZeroPointX) || input == flangeInput(FlangeField::ZeroPointY))
        return m_zeroChoice == ZeroChoice::Entered;
    return true;
}

bool FlangeForm::zeroChoiceEnabled(ZeroChoice choice) const
{
    const std::uint8_t kind = kindCode();
    if (kind == kKindFreeForm)
        return choice == ZeroChoice::Entered;
    if (isRoundKind(kind))
        return choice == ZeroChoice::Centre || choice == ZeroChoice::Entered;
    return true;
}

std::uint8_t FlangeForm::zeroPointMode() const
{
    const std::uint8_t kind = kindCode();
    if (kind == kKindFreeForm)
        return kZeroSquareEntered;
    if (isRoundKind(kind))
        return m_zeroChoice == ZeroChoice::Entered ? kZeroRoundEntered : kZeroRoundCentre;
    // A corner mode moves the flange so that the chosen corner lies at (0, 0): the
    // origin is the opposite corner's mirror.
    switch (m_zeroChoice) {
    case ZeroChoice::BottomLeft:
        return 3;
    case ZeroChoice::BottomRight:
        return 4;
    case ZeroChoice::TopLeft:
        return 5;
    case ZeroChoice::TopRight:
        return 6;
    case ZeroChoice::Entered:
        return kZeroSquareEntered;
    case ZeroChoice::Centre:
        break;
    }
    return kZeroSquareCentre;
}

void FlangeForm::decideDerived(int circle)
{
    const int diameter = circleInput(circle, CircleField::Diameter);
    const int pitch = circleInput(circle, CircleField::Pitch);
    const int angle = circleInput(circle, CircleField::HoleAngle);
    const bool hasDiameter = inputValue(diameter) != 0.0f;
    const bool hasPitch = inputValue(pitch) != 0.0f;
    const bool hasAngle = inputValue(angle) != 0.0f;
    const int filled = int(hasDiameter) + int(hasPitch) + int(hasAngle);
    Derived& derived = m_derived[static_cast<std::size_t>(circle)];
    if (filled == 2) {
        derived = !hasPitch ? Derived::Pitch : !hasAngle ? Derived::Angle : Derived::Diameter;
        return;
    }
    // The results of the last calculation fill the third field; emptying the one that
    // was derived lets the user's two values speak again.
    switch (derived) {
    case Derived::Diameter:
        clearInput(diameter);
        break;
    case Derived::Angle:
        clearInput(angle);
        break;
    case Derived::Pitch:
        clearInput(pitch);
        break;
    case Derived::None:
        break;
    }
}

void FlangeForm::readInputs()
{
    m_data.comboIndex = static_cast<std::uint8_t>(m_comboIndex);
    m_data.kindCode = kindCode();
    for (int c = 0; c < 2; ++c) {
        HoleCircle& circle = c == 0 ? m_data.geometry.circle1 : m_data.geometry.circle2;
        circle.holeCount = countOf(inputValue(circleInput(c, CircleField::HoleCount)));
        circle.radius = metric(circleInput(c, CircleField::Diameter)) / 2.0f;
        circle.holeRadius = metric(circleInput(c, CircleField::HoleDiameter)) / 2.0f;
        circle.pitch = metric(circleInput(c, CircleField::Pitch));
        circle.holeAngle = inputValue(circleInput(c, CircleField::HoleAngle));
        circle.offsetAngle = inputValue(circleInput(c, CircleField::OffsetAngle));
        circle.counterboreRadius = metric(circleInput(c, CircleField::CounterboreDiameter)) / 2.0f;
        circle.diameter = 2.0f * circle.radius;
    }
    FlangeGeometry& g = m_data.geometry;
    g.outerSize = metric(flangeInput(FlangeField::OuterDiameter));
    g.outerRadius = g.outerSize / 2.0f;
    g.innerRadius = metric(flangeInput(FlangeField::InnerDiameter)) / 2.0f;
    // A centring diameter left in the field from a kind with a collar is not drawn.
    g.centringRadius
        = hasCentringCollar(m_comboIndex) ? metric(flangeInput(FlangeField::CentringDiameter)) / 2.0f : 0.0f;
    m_data.zeroPointMode = zeroPointMode();
    // Only the entered zero point moves the holes; a corner or the centre never adds a
    // zero point the user typed for another choice.
    const bool entered = m_data.zeroPointMode == kZeroRoundEntered || m_data.zeroPointMode == kZeroSquareEntered;
    m_data.zeroPointX = entered ? metric(flangeInput(FlangeField::ZeroPointX)) : 0.0f;
    m_data.zeroPointY = entered ? metric(flangeInput(FlangeField::ZeroPointY)) : 0.0f;
}

void FlangeForm::writeResults(int circle, Derived derivedField, bool pitchTyped)
{
    const HoleCircle& c = circle == 0 ? m_data.geometry.circle1 : m_data.geometry.circle2;
    auto length = [this](float mm) { return toDisplay(m_unitSystem, ConversionKind::Length, mm); };
    // The user's own pitch and angle stay as typed, so that pressing "*Berechnen" again
    // gives the same points; the diameter is a pure result whenever the pitch was typed.
    if (derivedField == Derived::Diameter || pitchTyped)
        setNumber(circleInput(circle, CircleField::Diameter), length(c.diameter));
    if (derivedField == Derived::Pitch)
        setNumber(circleInput(circle, CircleField::Pitch), length(c.pitch));
    if (derivedField == Derived::Angle)
        setNumber(circleInput(circle, CircleField::HoleAngle), c.stepAngle);
}

std::optional<MessageBoxRequest> FlangeForm::calculate(const TextLookup& texts, bool languageLoaded)
{
    const std::uint8_t kind = kindCode();
    const bool second = hasSecondCircle(kind);
    const int circles = second ? 2 : 1;

    // 1. Which of diameter, pitch and angle is the derived one.
    std::array<bool, 2> pitchTyped {};
    for (int c = 0; c < circles; ++c) {
        decideDerived(c);
        pitchTyped[static_cast<std::size_t>(c)] = inputValue(circleInput(c, CircleField::Pitch)) != 0.0f;
    }
    // "*Auto" puts the first hole half a step off the axis.
    for (int c = 0; c < circles; ++c) {
        const std::int32_t count = countOf(inputValue(circleInput(c, CircleField::HoleCount)));
        if (m_autoOffset[static_cast<std::size_t>(c)] && count > 0)
            setNumber(circleInput(c, CircleField::OffsetAngle), autoOffsetAngle(count));
    }
    readInputs();
    // A counterbore typed for LK2 of another kind must not decide how LK1 is drawn.
    m_data.counterboreDrawing
        = counterboreDrawingFor(m_data.geometry.circle1, second ? m_data.geometry.circle2 : HoleCircle {});

    // 4. The outer diameter the holes need.
    FlangeGeometry& g = m_data.geometry;
    const OuterSuggestion suggestion = suggestOuterDiameter(g.circle1, second ? g.circle2 : HoleCircle {}, kind);
    m_data.suggestedOuter1 = suggestion.outer1;
    m_data.suggestedOuter2 = suggestion.outer2;
    m_data.suggestedOuter = suggestion.larger;
    if (isRoundKind(kind)) {
        const float wanted = second ? suggestion.larger : suggestion.outer1;
        if (wanted > 0.0f && (g.outerSize == 0.0f || g.outerSize < wanted)) {
            setNumber(flangeInput(FlangeField::OuterDiameter), toDisplay(m_unitSystem, ConversionKind::Length, wanted));
            g.outerSize = wanted;
            g.outerRadius = wanted / 2.0f;
        }
    } else if (kind == kKindFreeForm) {
        clearInput(flangeInput(FlangeField::OuterDiameter));
        g.outerSize = 0.0f;
        g.outerRadius = 0.0f;
    }

    // 5. The checks; the first that fails ends the calculation.
    if (const int failed = validateFlange(m_data)) {
        return MessageBoxRequest {texts.text(failed, flangeCheckText(failed)),
            texts.text(flange_message::kCaption, kErrorCaptionFehler), MessageIcon::Error, MessageButtons::Ok};
    }

    // 3. A pitch from the diameter and the angle between holes.
    if (kind != kKindFreeForm) {
        for (HoleCircle* circle : {&g.circle1, &g.circle2}) {
            if (circle == &g.circle2 && !second)
                break;
            if (circle->pitch == 0.0f && circle->holeAngle != 0.0f)
                circle->pitch = angleToPitch(circle->holeAngle, circle->radius);
        }
    }

    // 6. The point list (it derives each circle from its pitch first).
    if (const int tooMany = computeHoleCentres(m_data)) {
        const bool first = tooMany == 1;
        const int id = first ? flange_message::kTooManyHoles1 : flange_message::kTooManyHoles2;
        const char* builtin = first ? "Anzahl der Bohrungen LK1 zu gro0 für Punkteliste"
                                    : "Anzahl der Bohrungen LK2 zu gro0 für Punkteliste";
        return MessageBoxRequest {texts.text(id, builtin), texts.text(flange_message::kTooManyHolesCaption, "Error"),
            languageLoaded ? MessageIcon::Information : MessageIcon::Error, MessageButtons::Ok};
    }
    if (kind == kKindFreeForm && g.circle1.pitch == 0.0f)
        g.circle1.pitch = angleToPitch(g.circle1.holeAngle, g.circle1.radius);

    for (int c = 0; c < circles; ++c)
        writeResults(c, m_derived[static_cast<std::size_t>(c)], pitchTyped[static_cast<std::size_t>(c)]);
    m_calculated = true;
    return std::nullopt;
}

std::optional<MessageBoxRequest> FlangeForm::determineDiameter(const TextLookup& texts)
{
    const int c = m_selectedCircle;
    HoleCircle circle;
    circle.holeCount = countOf(inputValue(circleInput(c, CircleField::HoleCount)));
    circle.pitch = metric(circleInput(c, CircleField::Pitch));
    circle.holeRadius = metric(circleInput(c, CircleField::HoleDiameter)) / 2.0f;
    if (circle.holeCount == 0 || circle.pitch == 0.0f)
        return errorBox(texts.text(kDiameterNeedsMessageId, kDiameterNeedsMessage), texts);
    if (!pitchToCircle(circle, kKindRoundOne))
        return std::nullopt;
    setNumber(circleInput(c, CircleField::Diameter), toDisplay(m_unitSystem, ConversionKind::Length, circle.diameter));
    setNumber(circleInput(c, CircleField::HoleAngle), circle.stepAngle);
    // Both now come from the pitch: the next "*Berechnen" derives the diameter again
    // instead of finding three values given.
    m_derived[static_cast<std::size_t>(c)] = Derived::Diameter;
    return std::nullopt;
}

void FlangeForm::fillPitchRequest(OpenRequest& request) const
{
    request.returnDataWanted = 1;
    request.calcValue1 = kPitchCalculator;
    request.calcValue2 = floatBits(metric(circleInput(m_selectedCircle, CircleField::HoleDiameter)));
    request.calcValue3 = m_selectedCircle + 1;
}

bool FlangeForm::takeOverPitch(std::int32_t pitchBits, std::int32_t circle)
{
    const float pitch = bitsFloat(pitchBits);
    if (!std::isfinite(pitch) || pitch <= 0.0f || (circle != 1 && circle != 2))
        return false;
    const int c = circle - 1;
    if (c == 1 && !hasSecondCircle(kindCode()))
        return false;
    m_selectedCircle = c;
    setNumber(circleInput(c, CircleField::Pitch), toDisplay(m_unitSystem, ConversionKind::Length, pitch),
        m_unitSystem == kUnitSystemInch ? "%6.4f" : "%6.3f");
    return true;
}

bool FlangeForm::fill(const FlangeBlock& block)
{
    for (int i = 0; i < kFlangeInputCount; ++i) {
        const float stored = sane(block.inputs[i], descriptionOf(i).inputClass == InputClass::Signed);
        if (stored == 0.0f) {
            clearInput(i);
        } else if (isCount(i)) {
            std::string text = cformat("%i", countOf(stored));
            setInputText(i, text);
        } else {
            const float shown = isLength(i) ? toDisplay(m_unitSystem, ConversionKind::Length, stored) : stored;
            setNumber(i, shown, m_unitSystem == kUnitSystemInch && isLength(i) ? "%6.4f" : "%6.3f");
        }
    }
    setComboIndex(block.comboIndex < kFlangeKindCount ? block.comboIndex : 0);
    m_selectedCircle = block.selectedCircle == 1 && hasSecondCircle(kindCode()) ? 1 : 0;
    m_autoOffset = {block.autoOffset[0] == 1, block.autoOffset[1] == 1};
    const auto choice = static_cast<ZeroChoice>(block.zeroChoice < kZeroChoiceCount ? block.zeroChoice : 0);
    m_zeroChoice = zeroChoiceEnabled(choice) ? choice : m_zeroChoice;
    setComboIndex(m_comboIndex); // a choice the kind does not know falls back
    for (std::size_t c = 0; c < 2; ++c)
        m_derived[c] = block.derived[c] <= 3 ? static_cast<Derived>(block.derived[c]) : Derived::None;
    const std::u16string_view path = fixedText(block.lastDxfPath);
    m_lastDxfPath.assign(path.begin(), path.end());
    return block.calculated == 1;
}

FlangeBlock FlangeForm::store(bool openReportAutomatically) const
{
    FlangeBlock block {};
    for (int i = 0; i < kFlangeInputCount; ++i)
        block.inputs[i] = metric(i);
    block.comboIndex = static_cast<std::uint8_t>(m_comboIndex);
    block.selectedCircle = static_cast<std::uint8_t>(m_selectedCircle);
    block.autoOffset[0] = m_autoOffset[0] ? 1 : 0;
    block.autoOffset[1] = m_autoOffset[1] ? 1 : 0;
    block.zeroChoice = static_cast<std::uint8_t>(m_zeroChoice);
    block.openReportAutomatically = openReportAutomatically ? 1 : 0;
    block.calculated = m_calculated ? 1 : 0;
    block.derived[0] = static_cast<std::uint8_t>(m_derived[0]);
    block.derived[1] = static_cast<std::uint8_t>(m_derived[1]);
    setFixedText(block.lastDxfPath, m_lastDxfPath);
    return block;
}

std::string FlangeForm::reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const
{
    const bool inch = m_unitSystem == kUnitSystemInch;
    const char* lengthFormat = inch ? "%6.3f" : "%6.1f";
    auto length = [&](float mm) { return format(lengthFormat, toDisplay(m_unitSystem, ConversionKind::Length, mm)); };
    auto label = [&](int input) {
        std::string caption = inputCaption(input, texts);
        if (!caption.empty() && caption.back() == ':')
            caption.pop_back();
        return caption;
    };

    std::string report = dateTimeStamp(languageCode, time);
    report += kReportLineEnd;
    report += reportSeparator(44);
    report += reportSeparator(69);
    report += texts.text(kWindowTitleId, kWindowTitle);
    report += kReportLineEnd;
    report += kindName(m_comboIndex, texts);
    report += kReportLineEnd;

    const FlangeGeometry& g = m_data.geometry;
    const std::uint8_t kind = m_data.kindCode;
    if (kind != kKindFreeForm)
        report += reportLine(label(flangeInput(FlangeField::OuterDiameter)), length(g.outerSize));
    report += reportLine(label(flangeInput(FlangeField::InnerDiameter)), length(2.0f * g.innerRadius));
    if (hasCentringCollar(m_data.comboIndex))
        report += reportLine(label(flangeInput(FlangeField::CentringDiameter)), length(2.0f * g.centringRadius));
    report += reportLine(label(flangeInput(FlangeField::ZeroPointX)), length(m_data.zeroPointX));
    report += reportLine(label(flangeInput(FlangeField::ZeroPointY)), length(m_data.zeroPointY));
    report += reportLine(texts.text(72660, "*Nullpunkt"), zeroChoiceName(m_zeroChoice, texts));

    // The holes are listed in the coordinates of the chosen zero point, as the drawing
    // has them: a corner zero point moves every hole by the corner's origin.
    const FlangePoint shift = cornerOrigin(m_data.zeroPointMode, g.outerSize);
    const int circles = hasSecondCircle(kind) ? 2 : 1;
    for (int c = 0; c < circles; ++c) {
        const HoleCircle& circle = c == 0 ? g.circle1 : g.circle2;
        report += reportSeparator(44);
        report += texts.text(c == 0 ? 72661 : 72662, c == 0 ? "*Lochkreis LK1" : "*Lochkreis LK2");
        report += kReportLineEnd;
        report += reportLine(label(circleInput(c, CircleField::HoleCount)), cformat("%i", circle.holeCount));
        report += reportLine(label(circleInput(c, CircleField::Diameter)), length(circle.diameter));
        report += reportLine(label(circleInput(c, CircleField::HoleDiameter)), length(2.0f * circle.holeRadius));
        report += reportLine(label(circleInput(c, CircleField::Pitch)), length(circle.pitch));
        report += reportLine(label(circleInput(c, CircleField::HoleAngle)), format("%6.2f", circle.stepAngle));
        report += reportLine(label(circleInput(c, CircleField::OffsetAngle)), format("%6.2f", circle.offsetAngle));
        if (circle.counterboreRadius != 0.0f) {
            report += reportLine(
                label(circleInput(c, CircleField::CounterboreDiameter)), length(2.0f * circle.counterboreRadius));
        }
        report += reportSeparator(44);
        report += texts.text(72663, "*Punkteliste");
        report += kReportLineEnd;
        const int count = std::clamp(circle.holeCount, 0, kMaxHolesPerCircle);
        for (int i = 0; i < count; ++i) {
            const FlangePoint& p = circle.points[static_cast<std::size_t>(i)];
            const float x = toDisplay(m_unitSystem, ConversionKind::Length, p.x + shift.x);
            const float y = toDisplay(m_unitSystem, ConversionKind::Length, p.y + shift.y);
            report += cformat("%04i", i + 1);
            report += " X: ";
            report += format("%8.3f", x);
            report += " Y: ";
            report += format("%8.3f", y);
            report += kReportLineEnd;
        }
    }
    report += reportSeparator(69);
    return report;
}

std::optional<MessageBoxRequest> FlangeForm::exportDxf(
    const std::filesystem::path& path, int unitFlag, const TextLookup& texts)
{
    if (!m_calculated || path.empty())
        return std::nullopt;
    const std::u16string wide = utf8ToUtf16(pathToUtf8(path));
    // A path the saved block cannot hold is written all the same; only the start of
    // the next dialog stays where it was.
    if (wide.size() < kWideTextLength)
        m_lastDxfPath = wide;
    makeExportCopy(m_data, unitFlag);
    const DxfSaveResult saved = SaveDxfFile(path, WriteDxf(m_data, 1, unitFlag));
    if (saved.written)
        return std::nullopt;
    std::string text = texts.text(kDxfNotWrittenId, kDxfNotWritten);
    text += "\n";
    text += pathToUtf8(path);
    if (!saved.error.empty()) {
        text += "\n";
        text += saved.error;
    }
    return errorBox(std::move(text), texts);
}

void FlangeForm::zoomIn()
{
    m_zoomTenths = std::min(m_zoomTenths + 1, 100);
}

void FlangeForm::zoomOut()
{
    m_zoomTenths = m_zoomTenths > 2 ? m_zoomTenths - 1 : 1;
}

} // namespace kvt
