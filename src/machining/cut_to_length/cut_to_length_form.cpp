#include "machining/cut_to_length/cut_to_length_form.h"

#include "common/field_validation.h"
#include "common/number_format.h"
#include "common/report_writer.h"
#include "common/stamps.h"
#include "common/units.h"

#include <cmath>

namespace kvt {

namespace {

constexpr int kWindowTitleId = 70140;
constexpr const char* kWindowTitle = "*Material Genau-ablängen / abstechen";

// The start point is an axis coordinate and may lie on the minus side.
constexpr std::array<FieldDescription, kCutInputCount> kInputs = {{
    {71801, "*Soll-Länge A", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned,
        71811, "*Länge A, die das fertige Teil haben soll"},
    {71802, "*Rohteil-Länge C", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned,
        71812, "*Länge C des Rohteils vor dem Ablängen"},
    {71803, "*Achs-Koordinate von Startpunkt B", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float,
        InputClass::Signed, 71813, "*Achs-Koordinate der Kante von Seite B, von der aus gemessen wird"},
    {71804, "*Werkzeugdurchmesser", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float,
        InputClass::Unsigned, 71814, "*Durchmesser des Fräsers oder Breite des Abstechstahls W"},
    {71805, "*Schlicht-Untermaß", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned,
        71815, "*Aufmaß U, das nach dem Schruppschnitt zum Schlichten stehen bleibt"},
}};

constexpr std::array<FieldDescription, kCutResultCount> kResults = {{
    {71806, "*Abläng-Koordinate", ConversionKind::Length, UnitText::Millimetre},
    {71807, "*Zustellung", ConversionKind::Length, UnitText::Millimetre},
}};

constexpr FieldDescription kRoughingLabel {
    71808, "*Koordinate Schruppschnitt", ConversionKind::Length, UnitText::Millimetre};
constexpr FieldDescription kAfterRoughingLabel {
    71809, "*Abläng-Koordinate nach dem Schruppen", ConversionKind::Length, UnitText::Millimetre};

constexpr int kResultsHeadingId = 71830;
constexpr const char* kResultsHeading = "*Ergebnisse:";

float saneLength(float value)
{
    return std::isfinite(value) && value > 0.0f ? value : 0.0f;
}

float saneCoordinate(float value)
{
    return std::isfinite(value) ? value : 0.0f;
}

} // namespace

CutToLengthForm::CutToLengthForm(int unitSystem)
    : m_unitSystem(unitSystem == kUnitSystemInch ? kUnitSystemInch : kUnitSystemMetric)
{
}

const char* CutToLengthForm::lengthFormat() const
{
    return m_unitSystem == kUnitSystemInch ? "%7.4f" : "%6.3f";
}

const FieldDescription& CutToLengthForm::inputDescription(CutInput input)
{
    return kInputs[index(input)];
}

std::string CutToLengthForm::inputCaption(CutInput input, const TextLookup& texts) const
{
    return fieldCaption(kInputs[index(input)], texts, m_unitSystem);
}

std::string CutToLengthForm::resultCaption(CutResult result, const TextLookup& texts) const
{
    return fieldCaption(kResults[static_cast<std::size_t>(result)], texts, m_unitSystem);
}

std::string CutToLengthForm::operationName(CutOperation operation, const TextLookup& texts)
{
    switch (operation) {
    case CutOperation::LatheParting:
        break;
    case CutOperation::MillFromLeft:
        return texts.text(71822, "*Ablängen auf der Fräsmaschine Startpunkt links");
    case CutOperation::MillFromRight:
        return texts.text(71823, "*Ablängen auf der Fräsmaschine Startpunkt rechts");
    }
    return texts.text(71821, "*Abstechen auf der Drehmaschine");
}

std::string CutToLengthForm::originName(AxisOrigin origin, const TextLookup& texts)
{
    return origin == AxisOrigin::Right ? texts.text(71825, "*Achskoordinaten-Ursprung rechts")
                                       : texts.text(71824, "*Achskoordinaten-Ursprung links");
}

std::string CutToLengthForm::sideName(SideB side, const TextLookup& texts)
{
    return side == SideB::Usable ? texts.text(71827, "*Seite B: Fläche nutzbar, Nullpunkt auf Kante")
                                 : texts.text(71826, "*Seite B: Rohfläche, muß noch gefräst werden");
}

std::string CutToLengthForm::messageText(CutMessage message, const TextLookup& texts)
{
    switch (message) {
    case CutMessage::WantedZero:
        break;
    case CutMessage::ToolZero:
        return texts.text(71842, "*Die Werkzeugbreite oder der Werkzeugdurchmesser darf nicht 0 sein.");
    case CutMessage::RawNotLonger:
        return texts.text(71843, "*Die Rohteil-Laenge muß größer als die Soll - Laenge sein.");
    case CutMessage::RawZero:
        return texts.text(71844, "*Die Rohteil-Laenge darf nicht 0 sein.");
    }
    return texts.text(71841, "*Soll-Laenge darf nicht 0 sein.");
}

std::string CutToLengthForm::messageCaption(const TextLookup& texts)
{
    return texts.text(71840, "*Fehler");
}

bool CutToLengthForm::millingOnly(CutInput input)
{
    return input == CutInput::Raw || input == CutInput::Allowance;
}

std::string CutToLengthForm::format(float displayValue) const
{
    return formatNumber(lengthFormat(), static_cast<double>(displayValue));
}

std::string CutToLengthForm::display(float millimetres) const
{
    return format(toDisplay(m_unitSystem, ConversionKind::Length, millimetres));
}

bool CutToLengthForm::setInputText(CutInput input, std::string& text)
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
    m_inputValues[index(input)] = parsed.floatValue;
    return true;
}

float CutToLengthForm::metric(CutInput input) const
{
    return toMetric(m_unitSystem, kInputs[index(input)].conversion, inputValue(input));
}

CutCalculation CutToLengthForm::calculate()
{
    CutCalculation outcome;
    if (inputValue(CutInput::Wanted) == 0.0f) {
        outcome.messages.push_back(CutMessage::WantedZero);
        return outcome;
    }
    if (inputValue(CutInput::Tool) == 0.0f) {
        outcome.messages.push_back(CutMessage::ToolZero);
        return outcome;
    }
    if (milling()) {
        if (inputValue(CutInput::Wanted) >= inputValue(CutInput::Raw))
            outcome.messages.push_back(CutMessage::RawNotLonger);
        if (inputValue(CutInput::Raw) == 0.0f)
            outcome.messages.push_back(CutMessage::RawZero);
    }
    for (int i = 0; i < kCutInputCount; ++i)
        m_calculatedFrom[static_cast<std::size_t>(i)] = metric(static_cast<CutInput>(i));
    const auto result = CutOffCoordinate(m_operation, m_origin, m_side, metric(CutInput::Wanted), metric(CutInput::Raw),
        metric(CutInput::Start), metric(CutInput::Tool), metric(CutInput::Allowance));
    if (!result)
        return outcome; // the tool was checked above; a stored 0 cannot reach here
    m_result = *result;
    m_calculatedOperation = m_operation;
    m_calculatedOrigin = m_origin;
    m_calculatedSide = m_side;
    m_resultsValid = true;
    showResults();
    outcome.calculated = true;
    return outcome;
}

void CutToLengthForm::showResults()
{
    m_resultTexts[static_cast<std::size_t>(CutResult::Coordinate)] = display(m_result.coordinate);
    m_resultTexts[static_cast<std::size_t>(CutResult::Infeed)] = display(m_result.infeed);
}

void CutToLengthForm::fill(const CutToLengthBlock& block)
{
    const std::array<float, kCutInputCount> stored = {saneLength(block.wanted), saneLength(block.raw),
        saneCoordinate(block.start), saneLength(block.tool), saneLength(block.allowance)};
    for (int i = 0; i < kCutInputCount; ++i) {
        std::string text = display(stored[static_cast<std::size_t>(i)]);
        setInputText(static_cast<CutInput>(i), text);
    }
    if (block.operation >= 1 && block.operation <= 3)
        m_operation = static_cast<CutOperation>(block.operation);
    if (block.origin == 1 || block.origin == 2)
        m_origin = static_cast<AxisOrigin>(block.origin);
    if (block.side == 1 || block.side == 2)
        m_side = static_cast<SideB>(block.side);
    m_resultsValid = block.resultsValid == 1;
    if (m_resultsValid) {
        m_result.coordinate = saneCoordinate(block.coordinate);
        m_result.infeed = saneCoordinate(block.infeed);
        m_result.roughingCoordinate.reset();
        if (block.hasRoughingCoordinate == 1)
            m_result.roughingCoordinate = saneCoordinate(block.roughingCoordinate);
        m_calculatedFrom = stored;
        m_calculatedOperation = m_operation;
        m_calculatedOrigin = m_origin;
        m_calculatedSide = m_side;
        showResults();
    }
}

CutToLengthBlock CutToLengthForm::store(bool openReportAutomatically) const
{
    CutToLengthBlock block {};
    block.wanted = metric(CutInput::Wanted);
    block.raw = metric(CutInput::Raw);
    block.start = metric(CutInput::Start);
    block.tool = metric(CutInput::Tool);
    block.allowance = metric(CutInput::Allowance);
    block.coordinate = m_result.coordinate;
    block.roughingCoordinate = m_result.roughingCoordinate.value_or(0.0f);
    block.hasRoughingCoordinate = m_result.roughingCoordinate ? 1 : 0;
    block.infeed = m_result.infeed;
    block.operation = static_cast<std::uint8_t>(m_operation);
    block.origin = static_cast<std::uint8_t>(m_origin);
    block.side = static_cast<std::uint8_t>(m_side);
    block.resultsValid = m_resultsValid ? 1 : 0;
    block.openReportAutomatically = openReportAutomatically ? 1 : 0;
    return block;
}

std::string CutToLengthForm::reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const
{
    std::string report = dateTimeStamp(languageCode, time);
    report += kReportLineEnd;
    report += reportSeparator(44);
    report += reportSeparator(69);
    report += texts.text(kWindowTitleId, kWindowTitle);
    report += kReportLineEnd;
    if (!m_resultsValid)
        return report;
    // Which set-up the coordinate belongs to; without it the number means nothing.
    report += operationName(m_calculatedOperation, texts);
    report += kReportLineEnd;
    report += originName(m_calculatedOrigin, texts);
    report += kReportLineEnd;

    const bool milled = m_calculatedOperation != CutOperation::LatheParting;
    if (milled && m_calculatedSide == SideB::Usable) {
        report += sideName(SideB::Usable, texts);
        report += kReportLineEnd;
    }
    auto line = [&](const FieldDescription& label, float millimetres) {
        report += reportLine(fieldLabel(label, texts, m_unitSystem), display(millimetres));
    };
    for (CutInput input : {CutInput::Wanted, CutInput::Raw, CutInput::Start, CutInput::Allowance, CutInput::Tool}) {
        if (!milled && millingOnly(input))
            continue;
        line(kInputs[index(input)], m_calculatedFrom[index(input)]);
    }
    report += reportSeparator(44);
    report += texts.text(kResultsHeadingId, kResultsHeading);
    report += kReportLineEnd;
    if (!milled) {
        line(kResults[0], m_result.coordinate);
    } else {
        if (m_calculatedFrom[index(CutInput::Allowance)] != 0.0f && m_result.roughingCoordinate) {
            line(kRoughingLabel, *m_result.roughingCoordinate);
            line(kAfterRoughingLabel, m_result.coordinate);
        } else {
            line(kResults[0], m_result.coordinate);
        }
        line(kResults[1], m_result.infeed);
    }
    report += reportSeparator(69);
    return report;
}

} // namespace kvt
