#include "design/dowel_pins/dowel_pins_form.h"

#include "common/field_validation.h"
#include "common/float_bits.h"
#include "common/inch_fraction.h"
#include "common/number_format.h"
#include "common/report_writer.h"
#include "common/stamps.h"
#include "common/units.h"
#include "state/app_message.h"
#include "state/page_ids.h"

#include <algorithm>

namespace kvt {

namespace {

constexpr int kWindowTitleId = 70127;
constexpr const char* kWindowTitle = "*Verstiftungen";

constexpr auto kLength = ConversionKind::Length;
constexpr auto kMm = UnitText::Millimetre;
constexpr auto kFloat = ValueKind::Float;
constexpr auto kUnsigned = InputClass::Unsigned;

constexpr std::array<FieldDescription, kPinFieldCount> kFields = {{
    {75602, "*Länge", kLength, kMm, kFloat, kUnsigned, 75622,
        "*Länge des Zylinderstifts; aus der Liste der Normlängen"},
    {75603, "*D/L Faktor der 1. Bohrung", ConversionKind::Plain, UnitText::None, kFloat, kUnsigned, 75623,
        "*Wie viele Durchmesser tief der Stift in Werkstück 1 steckt"},
    {75604, "*Tiefenzugabe WS1", kLength, kMm, kFloat, kUnsigned, 75624,
        "*Zugabe zur Tiefe der Bohrung in Werkstück 1"},
    {75605, "*Tiefenzugabe WS2", kLength, kMm, kFloat, kUnsigned, 75625,
        "*Zugabe zur Tiefe der Bohrung in Werkstück 2"},
    {75606, "*Dicke Werkstück 1", kLength, kMm, kFloat, kUnsigned, 75626, "*Für die Darstellung"},
    {75607, "*Dicke Werkstück 2", kLength, kMm, kFloat, kUnsigned, 75627, "*Für die Darstellung"},
    {75608, "*Bohrtiefe", kLength, kMm, kFloat, kUnsigned, 75628,
        "*Zugabe zu den Bohrtiefen, z. B. die Bohrerspitze; mit \"Erm.\" im Fenster Bohrtiefen ermitteln. Erst mit "
        "diesem Wert werden Bohr- und Reibtiefen berechnet"},
    {75609, "*Reibzugabe", kLength, kMm, kFloat, kUnsigned, 75629,
        "*Zugabe zu den Reibtiefen, z. B. der Anschnitt der Reibahle"},
}};

constexpr std::array<FieldDescription, kPinResultCount> kResults = {{
    {75611, "*Stift-Tiefe Werkstück 1", kLength, kMm},
    {75612, "*Stift-Tiefe Werkstück 2", kLength, kMm},
    {75613, "*Bohrtiefe WS 1", kLength, kMm},
    {75614, "*Bohrtiefe WS 2", kLength, kMm},
    {75615, "*Reibtiefe WS 1", kLength, kMm},
    {75616, "*Reibtiefe WS 2", kLength, kMm},
}};

constexpr FieldDescription kDiameterLabel {75601, "*Durchmesser Zylinderstift", kLength, kMm};

constexpr const char* kFieldFormat = "%.3f";
constexpr const char* kResultFormat = "%6.3f";

float sane(float value)
{
    return std::isfinite(value) && value > 0.0f ? value : 0.0f;
}

} // namespace

DowelPinsForm::DowelPinsForm(int unitSystem)
    : m_unitSystem(unitSystem == kUnitSystemInch ? kUnitSystemInch : kUnitSystemMetric)
{
    const bool inch = m_unitSystem == kUnitSystemInch;
    m_diameter = inch ? 8 : 4; // 1/4 inch or 5 mm
    setNumber(PinField::Length, inch ? 0.5f : 15.0f);
    setNumber(PinField::Factor, 1.5f);
    setNumber(PinField::Extra1, inch ? 0.02f : 0.5f);
    setNumber(PinField::Extra2, inch ? 0.02f : 0.5f);
    setNumber(PinField::Thickness1, inch ? 1.0f : 15.0f);
    setNumber(PinField::Thickness2, inch ? 1.0f : 20.0f);
    setNumber(PinField::DrillAllowance, 0.0f);
    setNumber(PinField::ReamAllowance, 0.0f);
}

const FieldDescription& DowelPinsForm::fieldDescription(PinField field)
{
    return kFields[index(field)];
}

std::string DowelPinsForm::caption(PinField field, const TextLookup& texts) const
{
    return fieldCaption(kFields[index(field)], texts, m_unitSystem);
}

std::string DowelPinsForm::caption(PinResult result, const TextLookup& texts) const
{
    return fieldCaption(kResults[static_cast<std::size_t>(result)], texts, m_unitSystem);
}

std::string DowelPinsForm::windowTitle(const TextLookup& texts)
{
    return texts.text(kWindowTitleId, kWindowTitle);
}

std::vector<std::string> DowelPinsForm::diameterTexts() const
{
    std::vector<std::string> texts;
    if (m_unitSystem == kUnitSystemInch) {
        for (const InchPinRow& row : inchPinRows())
            texts.push_back(inchFraction(row.inches * kMillimetresPerInch));
    } else {
        for (const MetricPinRow& row : metricPinRows())
            texts.push_back(formatNumber("%g", row.diameter));
    }
    return texts;
}

std::string DowelPinsForm::diameterCaption(const TextLookup& texts) const
{
    return fieldCaption(kDiameterLabel, texts, m_unitSystem);
}

void DowelPinsForm::setDiameter(int index)
{
    const int count = static_cast<int>(m_unitSystem == kUnitSystemInch ? inchPinRows().size() : metricPinRows().size());
    if (index >= 0 && index < count && index != m_diameter) {
        m_diameter = index;
        m_optimum.reset();
    }
}

double DowelPinsForm::diameterMillimetres() const
{
    const auto i = static_cast<std::size_t>(m_diameter);
    return m_unitSystem == kUnitSystemInch ? inchPinRows()[i].inches * kMillimetresPerInch
                                           : metricPinRows()[i].diameter;
}

double DowelPinsForm::diameterDisplay() const
{
    const auto i = static_cast<std::size_t>(m_diameter);
    return m_unitSystem == kUnitSystemInch ? inchPinRows()[i].inches : metricPinRows()[i].diameter;
}

std::span<const int> DowelPinsForm::standardLengths() const
{
    if (m_unitSystem == kUnitSystemInch)
        return {}; // no inch lengths are given; the length is typed
    const auto& lengths = metricPinRows()[static_cast<std::size_t>(m_diameter)].lengths;
    const auto end = std::find(lengths.begin(), lengths.end(), 0);
    return {lengths.begin(), end};
}

std::vector<std::string> DowelPinsForm::lengthTexts(const TextLookup& texts) const
{
    std::vector<std::string> list;
    const std::span<const int> lengths = standardLengths();
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        std::string text = cformat("%i", lengths[i]);
        if (m_optimum && *m_optimum == i)
            text += texts.text(75630, "* D/L Opt.");
        list.push_back(text);
    }
    return list;
}

void DowelPinsForm::chooseLength(int index)
{
    const std::span<const int> lengths = standardLengths();
    if (index >= 0 && index < static_cast<int>(lengths.size()))
        setNumber(PinField::Length, static_cast<float>(lengths[static_cast<std::size_t>(index)]));
}

bool DowelPinsForm::setText(PinField field, std::string& text)
{
    const FieldDescription& info = kFields[index(field)];
    std::string working = text;
    ParseResult parsed;
    if (!validateField(working, info.inputClass, info.valueKind, parsed)) {
        text = working;
        m_texts[index(field)] = text;
        return false;
    }
    m_texts[index(field)] = text;
    m_values[index(field)] = sane(parsed.floatValue);
    if (field == PinField::Factor)
        m_optimum.reset();
    return true;
}

void DowelPinsForm::setNumber(PinField field, float displayValue)
{
    std::string text = formatNumber(kFieldFormat, static_cast<double>(sane(displayValue)));
    setText(field, text);
}

float DowelPinsForm::metric(PinField field) const
{
    return toMetric(m_unitSystem, kFields[index(field)].conversion, value(field));
}

bool DowelPinsForm::calculate(const TextLookup& texts, std::vector<MessageBoxRequest>& messages)
{
    PinInput input;
    input.diameter = diameterMillimetres();
    input.length = metric(PinField::Length);
    input.factor = value(PinField::Factor);
    input.extra1 = metric(PinField::Extra1);
    input.extra2 = metric(PinField::Extra2);
    input.drillAllowance = metric(PinField::DrillAllowance);
    input.reamAllowance = metric(PinField::ReamAllowance);
    input.safety = m_safety;
    const std::optional<PinDepths> depths = pinDepths(input);
    if (!depths) {
        messages.push_back({texts.text(66330, "*D / L Faktor darf nicht 0 sein"),
            texts.text(kErrorCaptionFehlerId, "*ERROR"), MessageIcon::Error, MessageButtons::Ok});
        return false;
    }
    m_depths = *depths;
    auto show = [&](PinResult which, double millimetres) {
        m_results[static_cast<std::size_t>(which)]
            = formatNumber(kResultFormat, toDisplay(m_unitSystem, kLength, millimetres));
    };
    show(PinResult::Pin1, depths->pin1);
    show(PinResult::Pin2, depths->pin2);
    if (depths->bores) {
        show(PinResult::Drill1, depths->drill1);
        show(PinResult::Drill2, depths->drill2);
        show(PinResult::Ream1, depths->ream1);
        show(PinResult::Ream2, depths->ream2);
    }
    return true;
}

bool DowelPinsForm::chooseOptimumLength()
{
    const std::span<const int> lengths = standardLengths();
    m_optimum = optimumPinLength(lengths, diameterMillimetres(), value(PinField::Factor));
    if (!m_optimum)
        return false;
    setNumber(PinField::Length, static_cast<float>(lengths[*m_optimum]));
    m_optimum = optimumPinLength(lengths, diameterMillimetres(), value(PinField::Factor));
    return true;
}

void DowelPinsForm::fillDrillDepthsRequest(OpenRequest& request) const
{
    request.originPage = page::DowelPins;
    request.value1 = floatBits(static_cast<float>(diameterDisplay()));
}

bool DowelPinsForm::takeBackAllowances(std::int32_t pointBits, std::int32_t chamferBits, std::int32_t valid)
{
    const float point = bitsFloat(pointBits);
    const float chamfer = bitsFloat(chamferBits);
    if (valid != 1 || !std::isfinite(point) || point < 0.0f || !std::isfinite(chamfer) || chamfer < 0.0f)
        return false;
    setNumber(PinField::DrillAllowance, toDisplay(m_unitSystem, kLength, point));
    // Only a reaming brings a chamfer; after drilling or tapping r stays as it was.
    if (chamfer > 0.0f)
        setNumber(PinField::ReamAllowance, toDisplay(m_unitSystem, kLength, chamfer));
    return true;
}

std::optional<bool> DowelPinsForm::fill(const DowelPinsBlock& block)
{
    if (block.stored != 1)
        return std::nullopt;
    for (int i = 0; i < kPinFieldCount; ++i) {
        const auto field = static_cast<PinField>(i);
        setNumber(field, toDisplay(m_unitSystem, kFields[index(field)].conversion, sane(block.values[i])));
    }
    setDiameter(block.diameter);
    return block.openReportAutomatically != 0;
}

DowelPinsBlock DowelPinsForm::store(bool openReportAutomatically) const
{
    DowelPinsBlock block {};
    for (int i = 0; i < kPinFieldCount; ++i)
        block.values[i] = metric(static_cast<PinField>(i));
    block.diameter = m_diameter;
    block.openReportAutomatically = openReportAutomatically ? 1 : 0;
    block.stored = 1;
    return block;
}

std::string DowelPinsForm::reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const
{
    std::string report = dateTimeStamp(languageCode, time);
    report += kReportLineEnd;
    report += reportSeparator(44);
    report += reportSeparator(69);
    report += windowTitle(texts);
    report += kReportLineEnd;
    report += reportLine(fieldLabel(kDiameterLabel, texts, m_unitSystem), formatNumber("%6.3f", diameterDisplay()));
    for (PinField field : {PinField::Length, PinField::Factor, PinField::Extra1, PinField::Extra2,
             PinField::DrillAllowance, PinField::ReamAllowance})
        report += reportLine(fieldLabel(kFields[index(field)], texts, m_unitSystem),
            formatNumber("%6.3f", static_cast<double>(value(field))));
    report += reportSeparator(44);
    for (int i = 0; i < kPinResultCount; ++i) {
        const std::string& shown = m_results[static_cast<std::size_t>(i)];
        if (!shown.empty())
            report += reportLine(fieldLabel(kResults[static_cast<std::size_t>(i)], texts, m_unitSystem), shown);
    }
    report += reportSeparator(44);
    return report;
}

} // namespace kvt
