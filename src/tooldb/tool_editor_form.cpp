#include "tooldb/tool_editor_form.h"

#include "common/code_page.h"
#include "common/field_validation.h"
#include "common/language_codes.h"
#include "common/number_format.h"
#include "common/report_writer.h"
#include "common/stamps.h"
#include "common/units.h"
#include "state/open_dialog_data.h"
#include "tooldb/tool_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace kvt {

namespace {

struct NumericField {
    ToolField field;
    ConversionKind conversion;
    UnitText unit;
    ValueKind kind;
    InputClass inputClass;
    const char* format; // the editor's and the report's format
};

constexpr std::array<NumericField, 13> kNumericFields = {{
    {ToolField::Length, ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned, "%.3f"},
    {ToolField::Radius, ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned, "%.3f"},
    {ToolField::LengthTolerance, ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Signed,
        "%.3f"},
    {ToolField::RadiusTolerance, ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Signed,
        "%.3f"},
    {ToolField::AngleOrRadius, ConversionKind::Plain, UnitText::None, ValueKind::Float, InputClass::Unsigned, "%.3f"},
    {ToolField::Teeth, ConversionKind::Plain, UnitText::None, ValueKind::Integer, InputClass::Unsigned, "%.0f"},
    {ToolField::CuttingSpeed, ConversionKind::MetresFeet, UnitText::CuttingSpeed, ValueKind::Float,
        InputClass::Unsigned, "%.1f"},
    {ToolField::FeedPerRevolution, ConversionKind::Feed, UnitText::FeedPerRevolution, ValueKind::Float,
        InputClass::Unsigned, "%.3f"},
    {ToolField::AxialFeedPerRevolution, ConversionKind::Feed, UnitText::FeedPerRevolution, ValueKind::Float,
        InputClass::Unsigned, "%.3f"},
    {ToolField::FeedPerTooth, ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned,
        "%.3f"},
    {ToolField::AxialFeedRate, ConversionKind::Feed, UnitText::FeedRate, ValueKind::Float, InputClass::Unsigned,
        "%.1f"},
    {ToolField::FeedRate, ConversionKind::Feed, UnitText::FeedRate, ValueKind::Float, InputClass::Unsigned, "%.1f"},
    {ToolField::SpindleSpeed, ConversionKind::Plain, UnitText::SpindleSpeed, ValueKind::Float, InputClass::Unsigned,
        "%.0f"},
}};

const NumericField* numericField(ToolField field)
{
    for (const NumericField& numeric : kNumericFields) {
        if (numeric.field == field)
            return &numeric;
    }
    return nullptr;
}

const std::array<FieldDescription, kToolFieldCount>& descriptions()
{
    static const std::array<FieldDescription, kToolFieldCount> table = [] {
        std::array<FieldDescription, kToolFieldCount> all {};
        for (const ToolFieldInfo& info : toolFields()) {
            FieldDescription& description = all[static_cast<std::size_t>(info.field)];
            description.textId = info.labelId;
            description.builtin = info.label.data(); // the labels are string literals
            description.inputClass = InputClass::Text;
            if (const NumericField* numeric = numericField(info.field)) {
                description.conversion = numeric->conversion;
                description.unit = numeric->unit;
                description.valueKind = numeric->kind;
                description.inputClass = numeric->inputClass;
            }
        }
        return all;
    }();
    return table;
}

constexpr FieldDescription kDiameter
    = {76300, "*Durchmesser", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned};

float* floatMember(ToolRecord& record, ToolField field)
{
    switch (field) {
    case ToolField::Length:
        return &record.length;
    case ToolField::Radius:
        return &record.radius;
    case ToolField::LengthTolerance:
        return &record.lengthTolerance;
    case ToolField::RadiusTolerance:
        return &record.radiusTolerance;
    case ToolField::AngleOrRadius:
        return &record.angleOrRadius;
    case ToolField::CuttingSpeed:
        return &record.cuttingSpeed;
    case ToolField::FeedPerRevolution:
        return &record.feedPerRevolution;
    case ToolField::AxialFeedPerRevolution:
        return &record.axialFeedPerRevolution;
    case ToolField::FeedPerTooth:
        return &record.feedPerTooth;
    case ToolField::AxialFeedRate:
        return &record.axialFeedRate;
    case ToolField::FeedRate:
        return &record.feedRate;
    case ToolField::SpindleSpeed:
        return &record.spindleSpeed;
    default:
        return nullptr;
    }
}

float metricValue(const ToolRecord& record, ToolField field)
{
    if (field == ToolField::Teeth)
        return static_cast<float>(record.teeth);
    float* member = floatMember(const_cast<ToolRecord&>(record), field);
    return member && std::isfinite(*member) ? *member : 0.0f;
}

// A handed-back value that is no number counts as 0.
float finiteOrZero(float value)
{
    return std::isfinite(value) ? value : 0.0f;
}

} // namespace

std::u16string storedToolDate(const LocalDateTime& now)
{
    std::string stamp = dateStamp(kLanguageGerman, now);
    stamp.resize(std::min(stamp.size(), kToolDateCharacters));
    return utf8ToUtf16(stamp);
}

std::string displayedToolDate(std::u16string_view stored, int languageCode)
{
    std::string date = utf16ToUtf8(stored);
    const bool dayFirst = date.size() == kToolDateCharacters && date[2] == '.' && date[5] == '.';
    if (languageCode != kLanguageEnglish || !dayFirst)
        return date;
    return date.substr(6, 4) + "." + date.substr(3, 2) + "." + date.substr(0, 2);
}

ToolEditorForm::ToolEditorForm(const TextLookup& texts, int unitSystem, int languageCode)
    : m_texts(texts)
    , m_unitSystem(unitSystem)
    , m_languageCode(languageCode)
{
}

void ToolEditorForm::load(const ToolRecord& record)
{
    m_record = record;
}

bool ToolEditorForm::isNumeric(ToolField field)
{
    return numericField(field) != nullptr;
}

bool ToolEditorForm::isDate(ToolField field)
{
    return field == ToolField::ReplacementDate || field == ToolField::LastChangeDate;
}

const FieldDescription& ToolEditorForm::description(ToolField field)
{
    return descriptions()[static_cast<std::size_t>(field)];
}

const FieldDescription& ToolEditorForm::diameterDescription()
{
    return kDiameter;
}

std::string ToolEditorForm::formatValue(ToolField field, float metric) const
{
    const NumericField* numeric = numericField(field);
    if (!numeric || metric == 0.0f || !std::isfinite(metric))
        return "---";
    return formatNumber(numeric->format, toDisplay(m_unitSystem, numeric->conversion, static_cast<double>(metric)));
}

std::string ToolEditorForm::fieldText(ToolField field) const
{
    if (isNumeric(field))
        return formatValue(field, metricValue(m_record, field));
    if (isDate(field))
        return displayedToolDate(toolText(m_record, field), m_languageCode);
    return utf16ToUtf8(toolText(m_record, field));
}

std::string ToolEditorForm::diameterText() const
{
    return formatValue(ToolField::Radius, 2.0f * metricValue(m_record, ToolField::Radius));
}

std::string ToolEditorForm::caption(ToolField field) const
{
    return fieldCaption(description(field), m_texts, m_unitSystem);
}

std::string ToolEditorForm::diameterCaption() const
{
    return fieldCaption(kDiameter, m_texts, m_unitSystem);
}

std::optional<std::string> ToolEditorForm::setFieldText(ToolField field, std::string_view text)
{
    const NumericField* numeric = numericField(field);
    if (!numeric) {
        if (isDate(field))
            return std::string(); // set by "*Wechsel" and "*Speichern" only
        const std::u16string typed = utf8ToUtf16(text);
        if (const ToolTextProblem problem = toolTextProblem(typed); problem != ToolTextProblem::None)
            return toolTextProblemMessage(m_texts, field, problem);
        setToolText(m_record, field, typed);
        return std::nullopt;
    }
    std::string number(text);
    ParseResult parsed;
    if (number.empty() || number == "---") {
        parsed = {};
    } else if (!validateField(number, numeric->inputClass, numeric->kind, parsed)) {
        return std::string();
    }
    if (field == ToolField::Teeth) {
        m_record.teeth = static_cast<std::uint16_t>(
            std::clamp<std::int32_t>(parsed.intValue, 0, std::numeric_limits<std::uint16_t>::max()));
        return std::nullopt;
    }
    *floatMember(m_record, field) = toMetric(m_unitSystem, numeric->conversion, parsed.floatValue);
    return std::nullopt;
}

void ToolEditorForm::setCategory(std::string_view text)
{
    setToolText(m_record, ToolField::Category, utf8ToUtf16(text));
}

void ToolEditorForm::setPicturePath(std::u16string_view path)
{
    setToolText(m_record, ToolField::PicturePath, path);
}

int ToolEditorForm::pictureRotation() const
{
    const std::int32_t rotation = m_record.pictureRotation;
    return rotation >= 0 && rotation <= 3 ? rotation : 0;
}

void ToolEditorForm::rotatePicture()
{
    m_record.pictureRotation = (pictureRotation() + 1) % 4;
}

void ToolEditorForm::setReplacementDate(const LocalDateTime& now)
{
    setToolText(m_record, ToolField::ReplacementDate, storedToolDate(now));
}

const ToolRecord& ToolEditorForm::save(const LocalDateTime& now)
{
    setToolText(m_record, ToolField::LastChangeDate, storedToolDate(now));
    return m_record;
}

void ToolEditorForm::clear()
{
    m_record = ToolRecord {};
}

void ToolEditorForm::handOver(ToolHandOver& handOver) const
{
    handOver = ToolHandOver {};
    handOver.diameter = 2.0f * metricValue(m_record, ToolField::Radius);
    handOver.cuttingSpeed = metricValue(m_record, ToolField::CuttingSpeed);
    handOver.feedPerTooth = metricValue(m_record, ToolField::FeedPerTooth);
    handOver.feedPerRevolution = metricValue(m_record, ToolField::FeedPerRevolution);
    handOver.axialFeedPerRevolution = metricValue(m_record, ToolField::AxialFeedPerRevolution);
    handOver.teeth = m_record.teeth;
}

void ToolEditorForm::takeReturn(const ToolHandOver& returned)
{
    const float spindleSpeed = finiteOrZero(returned.returnSpindleSpeed);
    const float feedRate = finiteOrZero(returned.returnFeedRate);
    m_record.cuttingSpeed = finiteOrZero(returned.returnCuttingSpeed);
    // A tool handed over without a feed per tooth gets the one the returned feed rate
    // and speed give it.
    float perTooth = finiteOrZero(returned.feedPerTooth);
    const float teeth = static_cast<float>(m_record.teeth);
    if (m_record.teeth != 0 && perTooth == 0.0f && spindleSpeed * teeth != 0.0f)
        perTooth = feedRate / (spindleSpeed * teeth);
    m_record.feedPerRevolution = finiteOrZero(returned.feedPerRevolution);
    m_record.feedPerTooth = perTooth;
    m_record.axialFeedRate = finiteOrZero(returned.returnPlungeFeed);
    m_record.feedRate = feedRate;
    m_record.spindleSpeed = spindleSpeed;
}

std::string ToolEditorForm::reportText(int toolNumber, const LocalDateTime& time) const
{
    std::string report = dateTimeStamp(m_languageCode, time);
    report += kReportLineEnd;
    report += reportSeparator(69);
    report += m_texts.text(76301, "*Werkzeugdaten");
    report += ' ';
    report += toolNumberText(toolNumber);
    report += kReportLineEnd;
    report += reportSeparator(69);

    auto fixed = [this](ToolField field, const char* format) {
        const NumericField& numeric = *numericField(field);
        return formatNumber(
            format, toDisplay(m_unitSystem, numeric.conversion, static_cast<double>(metricValue(m_record, field))));
    };
    for (ToolField field : kEditorFields) {
        const std::string label = fieldLabel(description(field), m_texts, m_unitSystem);
        if (!isNumeric(field)) {
            report += reportLine(label, fieldText(field));
        } else if (field == ToolField::Teeth) {
            report += reportLine(label, cformat("%i", static_cast<int>(m_record.teeth)));
        } else {
            report += reportLine(label, fixed(field, "%6.3f"));
        }
        if (field == ToolField::Length) {
            const double diameter = toDisplay(m_unitSystem, ConversionKind::Length,
                2.0 * static_cast<double>(metricValue(m_record, ToolField::Radius)));
            report += reportLine(fieldLabel(kDiameter, m_texts, m_unitSystem), formatNumber("%6.3f", diameter));
        }
    }
    report += reportLine(m_texts.text(76017, "*Bild"), utf16ToUtf8(toolText(m_record, ToolField::PicturePath)));
    report += reportSeparator(69);
    report += "Vc " + fixed(ToolField::CuttingSpeed, "%6.1f");
    report += " | fn " + fixed(ToolField::FeedPerRevolution, "%6.3f");
    report += " | fnax " + fixed(ToolField::AxialFeedPerRevolution, "%6.3f");
    report += " | fz " + fixed(ToolField::FeedPerTooth, "%6.3f");
    report += " | Vf " + fixed(ToolField::FeedRate, "%6.2f");
    report += " | Vfax " + fixed(ToolField::AxialFeedRate, "%6.2f");
    report += " | n " + fixed(ToolField::SpindleSpeed, "%6.1f");
    report += kReportLineEnd;
    return report;
}

} // namespace kvt
