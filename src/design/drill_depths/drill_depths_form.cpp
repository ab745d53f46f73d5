#include "design/drill_depths/drill_depths_form.h"

#include "common/field_validation.h"
#include "common/float_bits.h"
#include "common/number_format.h"
#include "common/report_writer.h"
#include "common/stamps.h"
#include "common/units.h"
#include "state/app_message.h"
#include "state/page_ids.h"

#include <algorithm>
#include <cmath>

namespace kvt {

namespace {

constexpr int kWindowTitleId = 70129;
constexpr const char* kWindowTitle = "*Bohrtiefen / Reibtiefen Berechnung metrisch";

constexpr auto kLength = ConversionKind::Length;
constexpr auto kMm = UnitText::Millimetre;
constexpr auto kFloat = ValueKind::Float;
constexpr auto kUnsigned = InputClass::Unsigned;

constexpr std::array<FieldDescription, kDrillFieldCount> kFields = {{
    {75401, "*Durchmesser", kLength, kMm, kFloat, kUnsigned, 75421, "*Durchmesser des Bohrers oder der Reibahle"},
    {75402, "*Tiefe", kLength, kMm, kFloat, kUnsigned, 75422,
        "*Tiefe, bis zu der die Bohrung den vollen Durchmesser haben soll (Sacklochbohrung)"},
    {75403, "*Spitzenwinkel Bohrer", ConversionKind::Plain, UnitText::Degree, kFloat, kUnsigned, 75423,
        "*Spitzenwinkel des Bohrers, 90 bis 180 Grad"},
    {75404, "*Fasenhöhe Reibahle", kLength, kMm, kFloat, kUnsigned, 75424, "*Höhe der Anschnittfase der Reibahle"},
    {75405, "*Anschnitt Gewindebohrer", ConversionKind::Plain, UnitText::None, kFloat, kUnsigned, 75425,
        "*Länge des Anschnitts, oder wie viele Steigungen er lang ist"},
    {75406, "*Untermaß D", kLength, kMm, kFloat, kUnsigned, 75426,
        "*Um so viel ist das Vorbohrmaß kleiner als die Reibahle"},
    {75407, "*Bohrer D", kLength, kMm, kFloat, kUnsigned, 75427, "*Durchmesser des Vorbohrers oder Kernlochbohrers"},
    {75408, "*Aufrunden Bohren auf nächste", kLength, kMm, kFloat, kUnsigned, 75428,
        "*Die Bohrtiefe wird auf das nächste Vielfache dieses Werts aufgerundet; 0 rundet nicht"},
    {75409, "*Aufrunden Reiben auf nä.", kLength, kMm, kFloat, kUnsigned, 75429,
        "*Die Reibtiefe wird auf das nächste Vielfache dieses Werts aufgerundet; 0 rundet nicht"},
    {75410, "*Sicherheitswert", kLength, kMm, kFloat, kUnsigned, 75430, "*Wird zur Bohrtiefe zugegeben"},
    {75411, "*Werkstückhöhe", kLength, kMm, kFloat, kUnsigned, 75431,
        "*Dicke des Werkstücks, für eine Durchgangsbohrung"},
    {75412, "*Anlauf la", kLength, kMm, kFloat, kUnsigned, 75432,
        "*Weg, auf dem der Bohrer vor dem Werkstück anläuft; er geht nicht in die Bohrtiefe ein"},
}};

constexpr std::array<FieldDescription, kDrillResultCount> kResults = {{
    {75441, "*Bohrtiefe", kLength, kMm},
    {75442, "*Reibtiefe", kLength, kMm},
    {75443, "*Anschnitt Bohrer", kLength, kMm},
    {75444, "*Kernlochtiefe", kLength, kMm},
    {75445, "*Zugabe durch Aufrunden", kLength, kMm},
}};

constexpr const char* kFieldFormat = "%.3f";
constexpr const char* kResultFormat = "%.3f";

MessageBoxRequest failure(const TextLookup& texts, int id, const char* builtin)
{
    return {texts.text(id, builtin), texts.text(kErrorCaptionFehlerId, kErrorCaptionFehler), MessageIcon::Error,
        MessageButtons::Ok};
}

float sane(float value)
{
    return std::isfinite(value) && value > 0.0f ? value : 0.0f;
}

} // namespace

DrillDepthsForm::DrillDepthsForm(int unitSystem)
    : m_unitSystem(unitSystem == kUnitSystemInch ? kUnitSystemInch : kUnitSystemMetric)
    , m_threads(threadSizes(m_unitSystem))
{
    setNumber(DrillField::PointAngle, 118.0f);
    setNumber(DrillField::TapLead, 3.0f);
}

const FieldDescription& DrillDepthsForm::fieldDescription(DrillField field)
{
    return kFields[index(field)];
}

const FieldDescription& DrillDepthsForm::resultDescription(DrillResult result)
{
    return kResults[static_cast<std::size_t>(result)];
}

std::string DrillDepthsForm::caption(DrillField field, const TextLookup& texts) const
{
    return fieldCaption(kFields[index(field)], texts, m_unitSystem);
}

std::string DrillDepthsForm::caption(DrillResult result, const TextLookup& texts) const
{
    return fieldCaption(kResults[static_cast<std::size_t>(result)], texts, m_unitSystem);
}

std::string DrillDepthsForm::windowTitle(const TextLookup& texts)
{
    return texts.text(kWindowTitleId, kWindowTitle);
}

void DrillDepthsForm::setThread(int index)
{
    if (index >= 0 && index < static_cast<int>(m_threads.size()))
        m_thread = index;
}

bool DrillDepthsForm::setText(DrillField field, std::string& text)
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

void DrillDepthsForm::setNumber(DrillField field, float displayValue)
{
    std::string text = formatNumber(kFieldFormat, static_cast<double>(sane(displayValue)));
    setText(field, text);
}

float DrillDepthsForm::metric(DrillField field) const
{
    return toMetric(m_unitSystem, kFields[index(field)].conversion, value(field));
}

std::string DrillDepthsForm::length(double millimetres) const
{
    return formatNumber(kResultFormat, toDisplay(m_unitSystem, kLength, millimetres));
}

std::vector<double> DrillDepthsForm::allowanceProposals() const
{
    if (m_unitSystem == kUnitSystemInch)
        return {};
    return reamingAllowances(metric(DrillField::Diameter));
}

std::vector<std::string> DrillDepthsForm::allowanceChoices(const TextLookup& texts) const
{
    std::vector<std::string> choices;
    if (m_unitSystem == kUnitSystemInch) {
        if (inchReamerFit(value(DrillField::Diameter))) {
            choices.push_back(texts.text(75451, "*Fester Sitz"));
            choices.push_back(texts.text(75452, "*Lock. Sitz"));
        }
        choices.push_back(texts.text(75453, "*Custom"));
        return choices;
    }
    for (double proposal : allowanceProposals())
        choices.push_back(formatNumber("%.2f", proposal));
    return choices;
}

bool DrillDepthsForm::drill(
    double length, double diameter, const TextLookup& texts, std::vector<MessageBoxRequest>& messages)
{
    const std::optional<DrillingDepth> depth = drillingDepth(length, metric(DrillField::Safety), diameter,
        value(DrillField::PointAngle), value(DrillField::DrillStep), m_unitSystem);
    if (!depth)
        return false; // an angle outside 90 to 180 degrees or no diameter: no result
    if (length < depth->point)
        messages.push_back({texts.text(75454, "*Bohrungstiefe kleiner als Kegelspitzentiefe des Bohrers"), "Info",
            MessageIcon::Information, MessageButtons::Ok});
    m_results[static_cast<std::size_t>(DrillResult::DrillingDepth)] = this->length(depth->depth);
    m_results[static_cast<std::size_t>(DrillResult::PointLength)] = this->length(depth->point);
    m_calculated = true;
    m_lastPoint = static_cast<float>(depth->point);
    m_lastChamfer = m_mode == DrillMode::Ream ? metric(DrillField::Chamfer) : 0.0f;
    return true;
}

bool DrillDepthsForm::calculate(const TextLookup& texts, std::vector<MessageBoxRequest>& messages)
{
    double length = metric(DrillField::Depth);
    if (m_throughHole) {
        length = metric(DrillField::Thickness);
        if (length == 0.0) {
            messages.push_back(failure(texts, 65140, "*Die Werkstückdicke darf nicht 0 sein."));
            return false;
        }
    }

    if (m_mode == DrillMode::Drill) {
        if (!drillPointLength(metric(DrillField::Diameter), value(DrillField::PointAngle)))
            return false;
        m_results = {};
        return drill(length, metric(DrillField::Diameter), texts, messages);
    }

    if (m_mode == DrillMode::Ream) {
        if (value(DrillField::Chamfer) == 0.0f) {
            messages.push_back(failure(texts, 65138, "*Fasenhöhe / Anschnitt der Reibahle darf nicht 0 sein."));
            return false;
        }
        double preDrill = 0.0;
        if (m_unitSystem == kUnitSystemInch) {
            const std::optional<InchReamerFit> fit = inchReamerFit(value(DrillField::Diameter));
            if (fit && m_inchFit != InchFit::Custom) {
                const double inches = fit->drill[m_inchFit == InchFit::Tight ? 0 : 1];
                preDrill = toMetric(m_unitSystem, kLength, inches);
                setNumber(DrillField::DrillDiameter, static_cast<float>(inches));
            } else {
                preDrill = metric(DrillField::DrillDiameter);
            }
        } else {
            preDrill = preDrillDiameter(metric(DrillField::Diameter), metric(DrillField::Allowance));
            setNumber(DrillField::DrillDiameter, static_cast<float>(preDrill));
        }
        if (!drillPointLength(preDrill, value(DrillField::PointAngle)))
            return false;
        m_results = {};
        const double reaming
            = roundUpDepth(length + metric(DrillField::Chamfer), value(DrillField::ReamStep), m_unitSystem);
        m_results[static_cast<std::size_t>(DrillResult::ReamingDepth)] = this->length(reaming);
        return drill(length, preDrill, texts, messages);
    }

    if (value(DrillField::TapLead) == 0.0f) {
        messages.push_back(failure(texts, 65139, "*Anschnitt des Gewindebohrers darf nicht 0 sein."));
        return false;
    }
    if (m_threads.empty())
        return false;
    const ThreadSize& size = m_threads[static_cast<std::size_t>(m_thread)];
    const double lead = m_leadAsPitch ? value(DrillField::TapLead) * size.pitch
                                      : toMetric(m_unitSystem, kLength, value(DrillField::TapLead));
    if (!drillPointLength(size.coreDrill, value(DrillField::PointAngle)))
        return false;
    const TappedDepth hole = tappedHoleDepth(length, lead, metric(DrillField::DrillStep));
    m_results = {};
    m_results[static_cast<std::size_t>(DrillResult::CoreHoleDepth)] = this->length(hole.depth);
    m_results[static_cast<std::size_t>(DrillResult::Surplus)] = this->length(hole.surplus);
    setNumber(DrillField::DrillDiameter, static_cast<float>(toDisplay(m_unitSystem, kLength, size.coreDrill)));
    return drill(hole.depth, size.coreDrill, texts, messages);
}

bool DrillDepthsForm::takeOverPin(std::int32_t diameterBits)
{
    const float diameter = bitsFloat(diameterBits);
    if (!std::isfinite(diameter) || diameter <= 0.0f)
        return false;
    // A pin bore is reamed: the reamer has the pin's diameter.
    m_mode = DrillMode::Ream;
    setNumber(DrillField::Diameter, diameter);
    return true;
}

void DrillDepthsForm::fillReturnRequest(OpenRequest& request) const
{
    request.originPage = page::DrillDepths;
    request.value1 = m_calculated ? floatBits(m_lastPoint) : 0;
    request.value2 = m_calculated ? floatBits(m_lastChamfer) : 0;
    request.value3 = m_calculated ? 1 : 0;
}

std::optional<bool> DrillDepthsForm::fill(const DrillDepthsBlock& block)
{
    if (block.stored != 1)
        return std::nullopt;
    auto put = [this](DrillField field, float stored) {
        setNumber(field, toDisplay(m_unitSystem, kFields[index(field)].conversion, sane(stored)));
    };
    for (int i = 0; i < kDrillBlockValueCount; ++i)
        put(static_cast<DrillField>(i), block.values[i]);
    put(DrillField::RunIn, block.runIn);
    m_mode = block.mode <= static_cast<std::uint8_t>(DrillMode::Tap) ? static_cast<DrillMode>(block.mode)
                                                                     : DrillMode::Drill;
    m_leadAsPitch = block.leadAsPitchMultiple != 0;
    m_throughHole = block.throughHole != 0;
    m_inchFit = block.inchFit <= static_cast<std::uint8_t>(InchFit::Custom) ? static_cast<InchFit>(block.inchFit)
                                                                            : InchFit::Tight;
    m_thread = 0;
    setThread(block.thread);
    return block.openReportAutomatically != 0;
}

DrillDepthsBlock DrillDepthsForm::store(bool openReportAutomatically) const
{
    DrillDepthsBlock block {};
    for (int i = 0; i < kDrillBlockValueCount; ++i)
        block.values[i] = metric(static_cast<DrillField>(i));
    block.runIn = metric(DrillField::RunIn);
    block.thread = m_thread;
    block.mode = static_cast<std::uint8_t>(m_mode);
    block.leadAsPitchMultiple = m_leadAsPitch ? 1 : 0;
    block.throughHole = m_throughHole ? 1 : 0;
    block.inchFit = static_cast<std::uint8_t>(m_inchFit);
    block.openReportAutomatically = openReportAutomatically ? 1 : 0;
    block.stored = 1;
    return block;
}

std::string DrillDepthsForm::reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const
{
    std::string report = dateTimeStamp(languageCode, time);
    report += kReportLineEnd;
    report += reportSeparator(44);
    report += reportSeparator(69);
    report += windowTitle(texts);
    report += kReportLineEnd;
    auto input = [&](DrillField field) {
        report += reportLine(fieldLabel(kFields[index(field)], texts, m_unitSystem),
            formatNumber("%.2f", static_cast<double>(value(field))));
    };
    auto output = [&](DrillResult which) {
        const std::string& shown = result(which);
        if (!shown.empty())
            report += reportLine(fieldLabel(kResults[static_cast<std::size_t>(which)], texts, m_unitSystem),
                formatNumber("%.4f", leadingDouble(shown)));
    };
    switch (m_mode) {
    case DrillMode::Drill:
        report += texts.text(75461, "*Bohren") + std::string(kReportLineEnd);
        input(DrillField::Diameter);
        break;
    case DrillMode::Ream:
        report += texts.text(75462, "*Reiben") + std::string(kReportLineEnd);
        input(DrillField::Diameter);
        input(DrillField::Chamfer);
        if (m_unitSystem != kUnitSystemInch)
            input(DrillField::Allowance);
        input(DrillField::DrillDiameter);
        input(DrillField::ReamStep);
        break;
    case DrillMode::Tap:
        report += texts.text(75463, "*Gewinde Kernloch") + std::string(kReportLineEnd);
        if (!m_threads.empty()) {
            const ThreadSize& size = m_threads[static_cast<std::size_t>(m_thread)];
            report += reportLine(texts.text(75464, "*Gewinde"), std::string(size.name));
        }
        input(DrillField::DrillDiameter);
        report += reportLine(texts.text(m_leadAsPitch ? 75466 : 75465,
                                 m_leadAsPitch ? "*Anschnitt Gewindebohrer P x " : "*Anschnitt Gewindebohrer [mm] "),
            formatNumber("%.2f", static_cast<double>(value(DrillField::TapLead))));
        break;
    }
    input(m_throughHole ? DrillField::Thickness : DrillField::Depth);
    input(DrillField::PointAngle);
    input(DrillField::Safety);
    input(DrillField::RunIn);
    input(DrillField::DrillStep);
    report += reportSeparator(44);
    for (int i = 0; i < kDrillResultCount; ++i)
        output(static_cast<DrillResult>(i));
    report += reportSeparator(44);
    return report;
}

} // namespace kvt
