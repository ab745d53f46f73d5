#include "machining/eccentric_turning/eccentric_turning_form.h"

#include "common/field_validation.h"
#include "common/number_format.h"
#include "common/report_writer.h"
#include "common/stamps.h"
#include "common/units.h"
#include "machining/eccentric_turning/eccentric_turning.h"

#include <cmath>

namespace kvt {

namespace {

constexpr int kWindowTitleId = 70130;
constexpr const char* kWindowTitle = "*Außer Mitte Drehen";

constexpr std::array<FieldDescription, kEccentricFieldCount> kFields = {{
    {71701, "*Offset", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned, 71711,
        "*Gewünschter Versatz e der Drehachse gegenüber der Werkstückmitte"},
    {71702, "*Durchmesser", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned, 71712,
        "*Durchmesser D des Werkstücks an den Spannbacken"},
    {71703, "*Dicke Unterlegstück", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float,
        InputClass::Unsigned, 71713, "*Dicke t des Unterlegstücks unter einer Spannbacke"},
    {71704, "*Max D erstellbar", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned,
        71714, "*Größter Durchmesser, der auf der versetzten Achse noch gedreht werden kann (D - 2e)"},
}};

constexpr FieldDescription kError {71705, "*Vor. Fehler", ConversionKind::Length, UnitText::Millimetre,
    ValueKind::Float, InputClass::Unsigned, 71715, "*Zu erwartender Fehler des Versatzes (0,00125 x e)"};

constexpr int kResultsHeadingId = 71730;
constexpr const char* kResultsHeading = "*Ergebnisse:";

float sane(float value)
{
    return std::isfinite(value) && value > 0.0f ? value : 0.0f;
}

} // namespace

EccentricTurningForm::EccentricTurningForm(int unitSystem)
    : m_unitSystem(unitSystem == kUnitSystemInch ? kUnitSystemInch : kUnitSystemMetric)
{
}

const char* EccentricTurningForm::lengthFormat() const
{
    return m_unitSystem == kUnitSystemInch ? "%7.4f" : "%6.3f";
}

const FieldDescription& EccentricTurningForm::description(EccentricField field)
{
    return kFields[index(field)];
}

const FieldDescription& EccentricTurningForm::errorDescription()
{
    return kError;
}

std::string EccentricTurningForm::caption(EccentricField field, const TextLookup& texts) const
{
    return fieldCaption(kFields[index(field)], texts, m_unitSystem);
}

std::string EccentricTurningForm::errorCaption(const TextLookup& texts) const
{
    return fieldCaption(kError, texts, m_unitSystem);
}

std::string EccentricTurningForm::format(float displayValue) const
{
    return formatNumber(lengthFormat(), static_cast<double>(displayValue));
}

bool EccentricTurningForm::setText(EccentricField field, std::string& text)
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
    m_values[index(field)] = parsed.floatValue;
    return true;
}

void EccentricTurningForm::setMetric(EccentricField field, double millimetres)
{
    std::string text
        = format(toDisplay(m_unitSystem, kFields[index(field)].conversion, static_cast<float>(millimetres)));
    setText(field, text);
}

float EccentricTurningForm::metric(EccentricField field) const
{
    return toMetric(m_unitSystem, kFields[index(field)].conversion, value(field));
}

void EccentricTurningForm::writeError(double offsetMillimetres)
{
    const float error = ExpectedError(static_cast<float>(offsetMillimetres));
    m_errorText = formatNumber("%.4f", static_cast<double>(toDisplay(m_unitSystem, ConversionKind::Length, error)));
}

EccentricOutcome EccentricTurningForm::calculate()
{
    return m_largestIsInput ? calculateFromLargest() : calculateInfo(false);
}

EccentricOutcome EccentricTurningForm::offsetTooLarge(bool keepLargestDiameter)
{
    // Only what the calculation would have produced turns to 0; what the user typed
    // stays, so that a mistyped diameter is corrected without typing the rest again.
    const std::string zero = format(0.0f);
    m_errorText = zero;
    if (!keepLargestDiameter)
        setMetric(EccentricField::LargestDiameter, 0.0);
    m_report.reset();
    return EccentricOutcome::OffsetTooLarge;
}

EccentricOutcome EccentricTurningForm::calculateInfo(bool again)
{
    const bool offset = value(EccentricField::Offset) != 0.0f;
    const bool diameter = value(EccentricField::Diameter) != 0.0f;
    const bool thickness = value(EccentricField::Thickness) != 0.0f;
    const double d = metric(EccentricField::Diameter);
    const double r = d / 2.0;

    if (offset && diameter && !thickness) {
        const double e = metric(EccentricField::Offset);
        if (e >= r) {
            setMetric(EccentricField::Thickness, 0.0);
            return offsetTooLarge(false);
        }
        setMetric(EccentricField::Thickness, ShimThickness(e, r).value_or(0.0));
        writeError(e);
        setMetric(EccentricField::LargestDiameter, d - 2.0 * e);
        m_lastComputed = EccentricComputed::Thickness;
        m_report = Report {ReportKind::Thickness, m_texts};
        return EccentricOutcome::Calculated;
    }
    if (!offset && diameter && thickness) {
        const double e = OffsetFromShim(metric(EccentricField::Thickness), r);
        // No root means a piece as thick as the radius or thicker: its offset would not
        // be smaller than the radius either, and an offset of 0 would be a lie.
        if (e >= r || e == 0.0) {
            setMetric(EccentricField::Offset, 0.0);
            return offsetTooLarge(false);
        }
        setMetric(EccentricField::Offset, e);
        writeError(e);
        setMetric(EccentricField::LargestDiameter, std::fabs(d - 2.0 * e));
        m_lastComputed = EccentricComputed::Offset;
        m_report = Report {ReportKind::Offset, m_texts};
        return EccentricOutcome::Calculated;
    }
    if (offset && diameter && thickness && !again) {
        // A value changed after a calculation: the value that calculation produced is
        // the one to work out again.
        if (m_lastComputed == EccentricComputed::Thickness) {
            setMetric(EccentricField::Thickness, 0.0);
            return calculateInfo(true);
        }
        if (m_lastComputed == EccentricComputed::Offset) {
            setMetric(EccentricField::Offset, 0.0);
            return calculateInfo(true);
        }
    }
    return EccentricOutcome::Nothing;
}

EccentricOutcome EccentricTurningForm::calculateFromLargest()
{
    const float d = value(EccentricField::Diameter);
    const float m = value(EccentricField::LargestDiameter);
    if (value(EccentricField::Offset) != 0.0f || d == 0.0f || m == 0.0f || value(EccentricField::Thickness) != 0.0f)
        return EccentricOutcome::Nothing;
    if (d == m) {
        // Turned on centre: no offset, no packing piece.
        setMetric(EccentricField::Offset, 0.0);
        setMetric(EccentricField::Thickness, 0.0);
        return EccentricOutcome::Nothing;
    }
    if (d < m)
        return EccentricOutcome::Nothing;
    const double diameter = metric(EccentricField::Diameter);
    const double e = (diameter - static_cast<double>(metric(EccentricField::LargestDiameter))) / 2.0;
    if (e >= diameter / 2.0) {
        setMetric(EccentricField::Offset, 0.0);
        setMetric(EccentricField::Thickness, 0.0);
        return offsetTooLarge(true);
    }
    setMetric(EccentricField::Thickness, ShimThickness(e, diameter / 2.0).value_or(0.0));
    setMetric(EccentricField::Offset, e);
    writeError(e);
    m_lastComputed = EccentricComputed::Thickness;
    m_report = Report {ReportKind::FromLargest, m_texts};
    return EccentricOutcome::Calculated;
}

void EccentricTurningForm::clearCorresponding()
{
    for (EccentricField field : {EccentricField::Offset, EccentricField::Thickness, EccentricField::LargestDiameter}) {
        std::string empty;
        setText(field, empty);
    }
    m_errorText.clear();
    m_lastComputed = EccentricComputed::None;
}

void EccentricTurningForm::fill(const EccentricTurningBlock& block)
{
    const std::array<float, kEccentricFieldCount> stored
        = {block.offset, block.diameter, block.thickness, block.largestDiameter};
    for (int i = 0; i < kEccentricFieldCount; ++i) {
        const auto field = static_cast<EccentricField>(i);
        const float millimetres = sane(stored[static_cast<std::size_t>(i)]);
        // An empty field says "to be calculated" more plainly than a 0 does.
        std::string empty;
        if (millimetres != 0.0f)
            setMetric(field, millimetres);
        else
            setText(field, empty);
    }
    m_largestIsInput = block.largestDiameterIsInput == 1;
    m_lastComputed = EccentricComputed::None;
    m_errorText.clear();
    m_report.reset();
}

EccentricTurningBlock EccentricTurningForm::store(bool openReportAutomatically) const
{
    EccentricTurningBlock block {};
    block.offset = metric(EccentricField::Offset);
    block.diameter = metric(EccentricField::Diameter);
    block.thickness = metric(EccentricField::Thickness);
    block.largestDiameter = metric(EccentricField::LargestDiameter);
    block.largestDiameterIsInput = m_largestIsInput ? 1 : 0;
    block.openReportAutomatically = openReportAutomatically ? 1 : 0;
    return block;
}

std::string EccentricTurningForm::reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const
{
    std::string report = dateTimeStamp(languageCode, time);
    report += kReportLineEnd;
    report += reportSeparator(44);
    report += reportSeparator(69);
    report += texts.text(kWindowTitleId, kWindowTitle);
    report += kReportLineEnd;
    if (!m_report)
        return report;

    auto line = [&](EccentricField field) {
        report += reportLine(fieldLabel(kFields[index(field)], texts, m_unitSystem), m_report->texts[index(field)]);
    };
    std::array<EccentricField, 2> inputs {};
    std::array<EccentricField, 2> results {};
    switch (m_report->kind) {
    case ReportKind::Thickness:
        inputs = {EccentricField::Diameter, EccentricField::Offset};
        results = {EccentricField::Thickness, EccentricField::LargestDiameter};
        break;
    case ReportKind::Offset:
        inputs = {EccentricField::Diameter, EccentricField::Thickness};
        results = {EccentricField::Offset, EccentricField::LargestDiameter};
        break;
    case ReportKind::FromLargest:
        inputs = {EccentricField::Diameter, EccentricField::LargestDiameter};
        results = {EccentricField::Offset, EccentricField::Thickness};
        break;
    }
    for (EccentricField field : inputs)
        line(field);
    report += reportSeparator(44);
    report += texts.text(kResultsHeadingId, kResultsHeading);
    report += kReportLineEnd;
    for (EccentricField field : results)
        line(field);
    return report;
}

} // namespace kvt
