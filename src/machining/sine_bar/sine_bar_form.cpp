#include "machining/sine_bar/sine_bar_form.h"

#include "common/field_validation.h"
#include "common/number_format.h"
#include "common/report_writer.h"
#include "common/stamps.h"
#include "common/units.h"
#include "machining/sine_bar/sine_bar.h"

#include <cmath>

namespace kvt {

namespace {

constexpr int kWindowTitleId = 70128;
constexpr const char* kWindowTitle = "*Sinuslineal";
constexpr float kRightAngle = 90.0f;

constexpr std::array<FieldDescription, kSineBarFieldCount> kFields = {{
    {71401, "*Länge", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned, 71411,
        "*Abstand der Rollenmitten des Sinuslineals"},
    {71402, "*Winkel [Grad]", ConversionKind::Plain, UnitText::None, ValueKind::Float, InputClass::Unsigned, 71412,
        "*Einzustellender Winkel; leer oder 0 lassen, um ihn aus der Unterleghöhe zu berechnen"},
    {71403, "*Unterleghöhe", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned,
        71413, "*Höhe der Endmaße unter der Rolle; leer oder 0 lassen, um sie aus dem Winkel zu berechnen"},
}};

constexpr const char* kFieldFormat = "%.3f";
constexpr const char* kReportFormat = "%.2f";

MessageBoxRequest error(const TextLookup& texts, int id, const char* builtin)
{
    return {texts.text(id, builtin), texts.text(71423, "*ERROR"), MessageIcon::Error, MessageButtons::Ok};
}

float sane(float value)
{
    return std::isfinite(value) && value > 0.0f ? value : 0.0f;
}

} // namespace

SineBarForm::SineBarForm(int unitSystem)
    : m_unitSystem(unitSystem == kUnitSystemInch ? kUnitSystemInch : kUnitSystemMetric)
{
}

const FieldDescription& SineBarForm::fieldDescription(SineBarField field)
{
    return kFields[index(field)];
}

std::string SineBarForm::caption(SineBarField field, const TextLookup& texts) const
{
    return fieldCaption(kFields[index(field)], texts, m_unitSystem);
}

std::string SineBarForm::windowTitle(const TextLookup& texts)
{
    return texts.text(kWindowTitleId, kWindowTitle);
}

bool SineBarForm::setText(SineBarField field, std::string& text)
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
    return true;
}

void SineBarForm::setNumber(SineBarField field, float displayValue)
{
    std::string text = formatNumber(kFieldFormat, static_cast<double>(displayValue));
    setText(field, text);
}

float SineBarForm::metric(SineBarField field) const
{
    return toMetric(m_unitSystem, kFields[index(field)].conversion, value(field));
}

SineBarOutcome SineBarForm::calculate(const TextLookup& texts)
{
    const bool all = value(SineBarField::Length) != 0.0f && value(SineBarField::Angle) != 0.0f
        && value(SineBarField::Height) != 0.0f;
    if (all) {
        // The value produced last is the one the user wants again from changed inputs.
        if (m_lastComputed == SineBarComputed::None)
            return {};
        setNumber(m_lastComputed == SineBarComputed::Height ? SineBarField::Height : SineBarField::Angle, 0.0f);
    }
    return calculateOnce(texts);
}

SineBarOutcome SineBarForm::calculateOnce(const TextLookup& texts)
{
    const float angle = value(SineBarField::Angle);
    const bool haveAngle = angle != 0.0f;
    const bool haveHeight = value(SineBarField::Height) != 0.0f;

    if (value(SineBarField::Length) == 0.0f) {
        if (haveAngle && haveHeight)
            return {false, error(texts, 71420, "*Es kann entweder die Unterleghöhe\noder der Winkel berechnet werden")};
        return {};
    }
    if (haveAngle && !haveHeight) {
        m_lastComputed = SineBarComputed::Height;
        if (angle > kRightAngle) {
            setNumber(SineBarField::Height, 0.0f);
            return {false, error(texts, 71421, "*Eingabewerte überprüfen, wahrscheinlich ist der Winkel zu groß")};
        }
        const float height = SineBarHeight(metric(SineBarField::Length), angle);
        setNumber(SineBarField::Height, toDisplay(m_unitSystem, ConversionKind::Length, height));
        return {true, std::nullopt};
    }
    if (!haveAngle && haveHeight) {
        m_lastComputed = SineBarComputed::Angle;
        const double result = SineBarAngle(metric(SineBarField::Length), metric(SineBarField::Height));
        if (std::isnan(result)) {
            setNumber(SineBarField::Angle, 0.0f);
            return {
                false, error(texts, 71422, "*Eingabewerte überprüfen, wahrscheinlich ist die Unterleghöhe zu groß")};
        }
        setNumber(SineBarField::Angle, static_cast<float>(result));
        return {true, std::nullopt};
    }
    return {};
}

std::optional<bool> SineBarForm::fill(const SineBarBlock& block)
{
    if (block.stored != 1)
        return std::nullopt;
    setNumber(SineBarField::Length, toDisplay(m_unitSystem, ConversionKind::Length, sane(block.length)));
    setNumber(SineBarField::Angle, sane(block.angle));
    setNumber(SineBarField::Height, toDisplay(m_unitSystem, ConversionKind::Length, sane(block.height)));
    return block.openReportAutomatically != 0;
}

SineBarBlock SineBarForm::store(bool openReportAutomatically) const
{
    SineBarBlock block {};
    block.length = metric(SineBarField::Length);
    block.angle = value(SineBarField::Angle);
    block.height = metric(SineBarField::Height);
    block.openReportAutomatically = openReportAutomatically ? 1 : 0;
    block.stored = 1;
    return block;
}

std::string SineBarForm::reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const
{
    std::string report = dateTimeStamp(languageCode, time);
    report += kReportLineEnd;
    report += reportSeparator(44);
    report += reportSeparator(69);
    report += windowTitle(texts);
    report += kReportLineEnd;
    auto line = [&](SineBarField field) {
        report += reportLine(fieldLabel(kFields[index(field)], texts, m_unitSystem),
            formatNumber(kReportFormat, static_cast<double>(value(field))));
    };
    line(SineBarField::Length);
    line(SineBarField::Height);
    report += texts.text(71430, "*Einstellwinkel des Sinuslineals");
    report += kReportLineEnd;
    line(SineBarField::Angle);
    return report;
}

} // namespace kvt
