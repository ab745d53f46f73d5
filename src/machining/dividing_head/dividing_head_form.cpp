#include "machining/dividing_head/dividing_head_form.h"

#include "common/field_validation.h"
#include "common/number_format.h"
#include "common/report_writer.h"
#include "common/stamps.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>

namespace kvt {

namespace {

constexpr int kWindowTitleId = 70123;
constexpr const char* kWindowTitle = "*Teilapparat Berechnungen";

constexpr std::array<FieldDescription, kDividingInputCount> kInputs = {{
    {71301, "*Gewuenschte Teilung", ConversionKind::Plain, UnitText::None, ValueKind::Integer, InputClass::Unsigned,
        71321, "*Anzahl der gleichen Teilungen auf dem Umfang; 0, wenn mit dem Drehwinkel gerechnet wird"},
    {71302, "*Gewuenschte Drehung", ConversionKind::Plain, UnitText::None, ValueKind::Float, InputClass::Unsigned,
        71322, "*Drehwinkel der Teilapparatspindel in Grad; 0, wenn mit der Teilung gerechnet wird"},
    {71303, "*Kurbelumd./360 Grad", ConversionKind::Plain, UnitText::None, ValueKind::Integer, InputClass::Unsigned,
        71323, "*Übersetzung des Teilapparats: Kurbelumdrehungen für eine volle Umdrehung der Spindel (0 bis 255)"},
}};

constexpr FieldDescription result(int id, const char* builtin)
{
    return {id, builtin, ConversionKind::Plain, UnitText::None};
}

constexpr std::array<FieldDescription, kDividingResultCount> kResults = {{
    result(71311, "*Volle Umdrehungen"),
    result(71312, "*Bohrungen"),
    result(71313, "*Auf Lochkreis"),
    result(71314, "*Benoetigter Lochkreis"),
    result(71315, "*Winkel zw Teilungen"),
}};

constexpr const char* kCountFormat = "%3.0i";
constexpr const char* kNothingToSet = " --- ";
constexpr const char* kNoFit = "X";

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// A stored angle written back without trailing zeros, so that its decimals are the ones
// the scale of the angle calculation counts.
std::string angleText(float angle)
{
    std::string text = formatNumber("%.3f", static_cast<double>(angle));
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

// %1, %2, ... of a language text replaced by the numbers.
std::string withNumbers(std::string text, std::initializer_list<std::int64_t> numbers)
{
    int place = 1;
    for (std::int64_t number : numbers) {
        const std::string marker = cformat("%%%i", place++);
        if (const auto at = text.find(marker); at != std::string::npos)
            text.replace(at, marker.size(), cformat("%i", number));
    }
    return text;
}

} // namespace

std::string fullTurnsText(std::int64_t fullTurns)
{
    if (fullTurns == kNoSolution)
        return kNoFit;
    if (fullTurns == 0)
        return "0";
    return cformat(kCountFormat, fullTurns);
}

std::string holesText(std::int64_t holes)
{
    if (holes == kNoSolution)
        return kNoFit;
    if (holes == 0)
        return kNothingToSet;
    return cformat(kCountFormat, holes);
}

std::string circleText(std::int64_t circle, std::int64_t holes)
{
    if (circle == kNoSolution)
        return kNoFit;
    if (circle == 0)
        return holes == 0 ? kNothingToSet : kNoFit;
    return cformat(kCountFormat, circle);
}

const FieldDescription& DividingHeadForm::inputDescription(DividingInput input)
{
    return kInputs[index(input)];
}

const FieldDescription& DividingHeadForm::resultDescription(DividingResult result)
{
    return kResults[index(result)];
}

std::string DividingHeadForm::windowTitle(const TextLookup& texts)
{
    return texts.text(kWindowTitleId, kWindowTitle);
}

MessageBoxRequest DividingHeadForm::bothGivenMessage(const TextLookup& texts)
{
    return {texts.text(71340,
                "*Es kann entweder mit der Teilung oder dem Drehwinkel gerechnet werden. Bitte ein Eingabefeld "
                "löschen oder auf 0 setzen."),
        texts.text(71341, "*Fehler"), MessageIcon::Error, MessageButtons::Ok};
}

MessageBoxRequest DividingHeadForm::noRatioMessage(const TextLookup& texts)
{
    return {texts.text(71342, "*Bitte die Übersetzung des Teilapparats eingeben (Kurbelumdrehungen für 360 Grad)."),
        texts.text(71341, "*Fehler"), MessageIcon::Error, MessageButtons::Ok};
}

bool DividingHeadForm::setInputText(DividingInput input, std::string& text)
{
    const FieldDescription& info = kInputs[index(input)];
    std::string working = text;
    ParseResult parsed;
    if (!validateField(working, info.inputClass, info.valueKind, parsed)) {
        text = working;
        m_inputTexts[index(input)] = text;
        return false;
    }
    m_inputTexts[index(input)] = text;
    switch (input) {
    case DividingInput::Divisions:
        m_divisions = std::max(parsed.intValue, 0);
        break;
    case DividingInput::Angle:
        m_angle = std::isfinite(parsed.floatValue) ? std::max(parsed.floatValue, 0.0f) : 0.0f;
        break;
    case DividingInput::Ratio:
        m_ratio = std::max(parsed.intValue, 0);
        break;
    }
    return true;
}

void DividingHeadForm::setInteger(DividingInput input, std::int64_t value)
{
    std::string text = cformat("%i", value);
    setInputText(input, text);
}

void DividingHeadForm::takeMachine(std::uint8_t ratio, std::span<const std::uint16_t, kIndexPlateListSize> holes)
{
    m_table = makeIndexPlateTable(ratio, holes);
    setInteger(DividingInput::Ratio, ratio);
}

DividingOutcome DividingHeadForm::calculate()
{
    if (m_divisions != 0 && m_angle != 0.0f)
        return DividingOutcome::BothGiven;
    if (m_divisions == 0 && m_angle == 0.0f)
        return DividingOutcome::Nothing;
    // Without a ratio every division would come out as "0 turns" on some circle; a new
    // machine has none until the options dialog gives it one.
    if (m_ratio == 0)
        return DividingOutcome::NoRatio;

    // The ratio is a byte in the table; a larger one typed is taken as 255 and shown so.
    if (m_ratio > std::numeric_limits<std::uint8_t>::max())
        setInteger(DividingInput::Ratio, std::numeric_limits<std::uint8_t>::max());
    m_table.ratio = static_cast<std::uint8_t>(m_ratio);

    m_byAngle = m_divisions == 0;
    if (m_byAngle)
        m_result = IndexForAngle(m_angle, angleScale(inputText(DividingInput::Angle)), m_table);
    else
        m_result = IndexForDivisions(m_divisions, m_table);
    m_calculated = true;
    showResults();
    return DividingOutcome::Calculated;
}

void DividingHeadForm::showResults()
{
    const IndexResult& r = m_result;
    m_resultTexts[index(DividingResult::FullTurns)] = fullTurnsText(r.fullTurns);
    m_resultTexts[index(DividingResult::Holes)] = holesText(r.holes);
    m_resultTexts[index(DividingResult::MachineCircle)] = circleText(r.machineCircle, r.holes);
    m_resultTexts[index(DividingResult::NeededCircle)]
        = r.neededCircle != 0 ? cformat(kCountFormat, r.neededCircle) : circleText(r.standardCircle, r.holes);
    // An angle has no divisions; the angle of an earlier division must not stay there.
    m_resultTexts[index(DividingResult::DivisionAngle)]
        = m_byAngle ? kNothingToSet : formatNumber("%.3f", static_cast<double>(m_table.divisionAngle));
}

std::int64_t DividingHeadForm::usedCircle() const
{
    if (!m_calculated || !m_result.solved())
        return 0;
    return m_result.machineCircle != 0 ? m_result.machineCircle : m_result.standardCircle;
}

std::string DividingHeadForm::plateCaption(const TextLookup& texts) const
{
    if (!m_calculated)
        return texts.text(71360, "*Teilung oder Drehwinkel eingeben und berechnen");
    if (!m_result.solved()) {
        return withNumbers(texts.text(71361, "*Kein passender Lochkreis: benötigt wird ein Lochkreis mit %1 Löchern"),
            {m_result.neededCircle});
    }
    if (usedCircle() == 0 || m_result.holes == 0)
        return withNumbers(texts.text(71362, "*Volle Kurbelumdrehungen: %1, keine Löcher"), {m_result.fullTurns});
    return withNumbers(
        texts.text(71363, "*Volle Kurbelumdrehungen: %1, dann %2 Löcher auf dem Lochkreis mit %3 Löchern"),
        {m_result.fullTurns, m_result.holes, usedCircle()});
}

std::optional<bool> DividingHeadForm::fill(const DividingHeadBlock& block)
{
    if (block.stored != 1)
        return std::nullopt;
    setInteger(DividingInput::Divisions, std::max(block.divisions, 0));
    const float angle = std::isfinite(block.angle) && block.angle > 0.0f ? block.angle : 0.0f;
    std::string text = angleText(angle);
    setInputText(DividingInput::Angle, text);
    setInteger(DividingInput::Ratio, block.ratio);
    m_table.ratio = block.ratio;
    return block.openReportAutomatically != 0;
}

DividingHeadBlock DividingHeadForm::store(bool openReportAutomatically) const
{
    DividingHeadBlock block {};
    block.divisions = m_divisions;
    block.angle = m_angle;
    block.ratio = static_cast<std::uint8_t>(std::clamp(m_ratio, 0, 255));
    block.openReportAutomatically = openReportAutomatically ? 1 : 0;
    block.stored = 1;
    return block;
}

std::string DividingHeadForm::reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const
{
    std::string report = dateTimeStamp(languageCode, time);
    report += kReportLineEnd;
    report += reportSeparator(44);
    report += reportSeparator(69);
    report += windowTitle(texts);
    report += kReportLineEnd;

    auto input = [&](DividingInput which) {
        report += reportLine(fieldLabel(kInputs[index(which)], texts, kUnitSystemMetric), trimmed(inputText(which)));
    };
    auto output = [&](DividingResult which) {
        report += reportLine(fieldLabel(kResults[index(which)], texts, kUnitSystemMetric), trimmed(resultText(which)));
    };
    input(DividingInput::Ratio);
    input(m_byAngle ? DividingInput::Angle : DividingInput::Divisions);
    output(DividingResult::FullTurns);
    output(DividingResult::Holes);
    output(DividingResult::MachineCircle);
    output(DividingResult::NeededCircle);
    if (!m_byAngle)
        output(DividingResult::DivisionAngle);
    return report;
}

} // namespace kvt
