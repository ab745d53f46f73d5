#include "design/parallels/parallels_form.h"

#include "common/field_validation.h"
#include "common/inch_fraction.h"
#include "common/number_format.h"
#include "common/report_writer.h"
#include "common/stamps.h"
#include "common/units.h"
#include "options/machine_data.h"

#include <algorithm>
#include <cmath>

namespace kvt {

namespace {

constexpr int kWindowTitleId = 70131;
constexpr const char* kWindowTitle = "*Parallelstücke";

constexpr std::array<FieldDescription, kParallelsFieldCount> kFields = {{
    {75301, "*Höhe Werkstück", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned,
        75311, "*Höhe des Werkstücks von der Auflage bis oben"},
    {75302, "*Bearbeitungstiefe seitlich", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float,
        InputClass::Unsigned, 75312, "*Wie tief seitlich gefräst wird, von der Oberkante des Werkstücks gemessen"},
    {75303, "*Überhangtiefe Werkzeug", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float,
        InputClass::Unsigned, 75313, "*Wie weit das Werkzeug unter die Bearbeitungstiefe reicht"},
    {75304, "*Tiefe Werkstück", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned,
        75314, "*Tiefe des Werkstücks von vorne nach hinten, quer zu den Backen"},
    {75305, "*Backenhöhe", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned, 75315,
        "*Höhe der Schraubstockbacken über dem Grund; kommt aus den Maschinendaten"},
}};

constexpr std::array<FieldDescription, kParallelsResultCount> kResults = {{
    {75321, "*Empf. Parellelst.-Höhe", ConversionKind::Length, UnitText::Millimetre},
    {75322, "*Erf. Mindest-Höhe", ConversionKind::Length, UnitText::Millimetre},
    {75323, "*Höhe über Backe", ConversionKind::Length, UnitText::Millimetre},
    {75324, "*Tiefe unter Backe", ConversionKind::Length, UnitText::Millimetre},
    {75325, "*Prozent im Eingriff", ConversionKind::Plain, UnitText::None},
    {75326, "*Freiraum", ConversionKind::Length, UnitText::Millimetre},
}};

// The report's labels, in the order of its lines.
constexpr std::array<FieldDescription, 10> kReportLabels = {{
    {66026, "*Höhe Werkstück", ConversionKind::Length, UnitText::Millimetre},
    {66027, "*Bearbeitungstiefe seitlich", ConversionKind::Length, UnitText::Millimetre},
    {66028, "*Überhangtiefe Werkzeug", ConversionKind::Length, UnitText::Millimetre},
    {66029, "*Backenhöhe", ConversionKind::Length, UnitText::Millimetre},
    {66030, "*Gewähltes Parallelstück", ConversionKind::Plain, UnitText::None},
    {66031, "*Empfohlene Parallelstück-Höhe", ConversionKind::Length, UnitText::Millimetre},
    {66032, "*Höhe über Backe", ConversionKind::Length, UnitText::Millimetre},
    {66033, "*Tiefe unter Backe", ConversionKind::Length, UnitText::Millimetre},
    {66034, "*Prozent im Eingriff", ConversionKind::Plain, UnitText::None},
    {66035, "*Freiraum", ConversionKind::Length, UnitText::Millimetre},
}};

constexpr const char* kFieldFormat = "%.2f";
constexpr const char* kLengthFormat = "%5.2f";

MessageBoxRequest failure(const TextLookup& texts, int id, const char* builtin)
{
    return {texts.text(id, builtin), texts.text(kErrorCaptionFehlerId, kErrorCaptionFehler), MessageIcon::Error,
        MessageButtons::Ok};
}

MessageBoxRequest tooDeep(const TextLookup& texts)
{
    return failure(texts, 66019, "*Bearbeitungstiefe oder Überhangtiefe zu groß");
}

float sane(float value)
{
    return std::isfinite(value) && value > 0.0f ? value : 0.0f;
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

} // namespace

ParallelsForm::ParallelsForm(int unitSystem)
    : m_unitSystem(unitSystem == kUnitSystemInch ? kUnitSystemInch : kUnitSystemMetric)
{
    m_entries.push_back({ParallelEntryKind::None});
}

const FieldDescription& ParallelsForm::fieldDescription(ParallelsField field)
{
    return kFields[index(field)];
}

const FieldDescription& ParallelsForm::resultDescription(ParallelsResult result)
{
    return kResults[resultIndex(result)];
}

std::string ParallelsForm::caption(ParallelsField field, const TextLookup& texts) const
{
    return fieldCaption(kFields[index(field)], texts, m_unitSystem);
}

std::string ParallelsForm::caption(ParallelsResult result, const TextLookup& texts) const
{
    return fieldCaption(kResults[resultIndex(result)], texts, m_unitSystem);
}

std::string ParallelsForm::windowTitle(const TextLookup& texts)
{
    return texts.text(kWindowTitleId, kWindowTitle);
}

void ParallelsForm::setMachine(std::span<const float> heights, std::span<const float> depths, float jawHeight)
{
    m_heights.assign(heights.begin(), heights.end());
    m_depths.assign(depths.begin(), depths.end());
    for (float& height : m_heights)
        height = sane(height);
    for (float& depth : m_depths)
        depth = sane(depth);
    if (!m_heights.empty())
        m_heights[0] = 0.0f; // slot 0 is always "without parallels"
    m_entries.assign(1, ParallelEntry {ParallelEntryKind::None});
    for (std::size_t i = 1; i < m_heights.size() && m_heights[i] != 0.0f; ++i)
        m_entries.push_back({ParallelEntryKind::Parallel, m_heights[i], i < m_depths.size() ? m_depths[i] : 0.0});
    m_selected = 0;
    if (sane(jawHeight) > 0.0f)
        setNumber(ParallelsField::JawHeight, toDisplay(m_unitSystem, ConversionKind::Length, sane(jawHeight)));
}

void ParallelsForm::setSafety(float millimetres)
{
    m_safety = std::isfinite(millimetres) ? millimetres : 0.0f;
}

bool ParallelsForm::setText(ParallelsField field, std::string& text)
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

void ParallelsForm::setNumber(ParallelsField field, float displayValue)
{
    std::string text = formatNumber(kFieldFormat, static_cast<double>(displayValue));
    setText(field, text);
}

float ParallelsForm::metric(ParallelsField field) const
{
    return toMetric(m_unitSystem, kFields[index(field)].conversion, value(field));
}

std::string ParallelsForm::length(double millimetres) const
{
    return formatNumber(kLengthFormat, toDisplay(m_unitSystem, ConversionKind::Length, millimetres));
}

std::string ParallelsForm::entryLabel(std::size_t entry, const TextLookup& texts) const
{
    if (entry >= m_entries.size())
        return {};
    const ParallelEntry& e = m_entries[entry];
    switch (e.kind) {
    case ParallelEntryKind::None:
        return texts.text(72113, "*Ohne Parallelstücke ");
    case ParallelEntryKind::Combination:
        return texts.text(75344, "*Kombiniert: ") + length(e.first) + " und " + length(e.second);
    case ParallelEntryKind::Missing:
        return texts.text(75343, "*Parallelstück nicht vorhanden");
    case ParallelEntryKind::Parallel:
        break;
    }
    std::string label
        = texts.text(75346, "*Höhe ") + length(e.height) + "  " + texts.text(75347, "*Tiefe ") + length(e.depth);
    if (m_unitSystem == kUnitSystemInch)
        label += "  (" + inchFraction(e.height) + "x" + inchFraction(e.depth) + ")";
    return label;
}

double ParallelsForm::selectedHeight() const
{
    return m_entries[static_cast<std::size_t>(m_selected)].height;
}

double ParallelsForm::selectedDepth() const
{
    return m_entries[static_cast<std::size_t>(m_selected)].depth;
}

void ParallelsForm::dropTemporaryEntry()
{
    while (!m_entries.empty()
        && (m_entries.back().kind == ParallelEntryKind::Combination
            || m_entries.back().kind == ParallelEntryKind::Missing))
        m_entries.pop_back();
    if (m_selected >= static_cast<int>(m_entries.size()))
        m_selected = 0;
}

void ParallelsForm::addTemporaryEntry(const ParallelEntry& entry)
{
    m_entries.push_back(entry);
    m_selected = static_cast<int>(m_entries.size()) - 1;
}

void ParallelsForm::showError(const TextLookup& texts)
{
    for (std::string& result : m_results)
        result = texts.text(75348, "*Error");
    m_position = {};
    m_position.error = true;
}

bool ParallelsForm::calculate(const TextLookup& texts, std::vector<MessageBoxRequest>& messages)
{
    if (value(ParallelsField::Height) <= value(ParallelsField::SideDepth)) {
        messages.push_back(failure(texts, 66009, "*Seitliche Frästiefe ist größer, als die Höhe des Werkstücks"));
        return false;
    }
    dropTemporaryEntry();
    // The material left below the cut is taken in the display unit, then converted once.
    const float material = toMetric(m_unitSystem, ConversionKind::Length,
        value(ParallelsField::Height) - value(ParallelsField::SideDepth) - value(ParallelsField::Overhang));
    const double jaw = metric(ParallelsField::JawHeight);
    const double required = requiredParallelHeight(jaw, material, m_safety);
    const ParallelChoice choice = chooseParallel(required, m_heights, m_depths);
    const double whole = choice.wholeRequired;

    if (whole > 0.0 && whole < jaw - 1.0) {
        if (choice.recommended >= 0.0) {
            m_results[resultIndex(ParallelsResult::Recommended)] = length(choice.recommended);
            m_selected = std::clamp(choice.slot, 0, static_cast<int>(m_entries.size()) - 1);
        } else if (choice.recommended == kParallelPairMarker) {
            const double sum = choice.first + choice.second;
            m_results[resultIndex(ParallelsResult::Recommended)] = length(sum);
            addTemporaryEntry({ParallelEntryKind::Combination, sum, choice.pairDepth, choice.first, choice.second});
        } else {
            messages.push_back({texts.text(75340, "*Ein Parallelstück von mindestens ") + length(whole)
                    + texts.text(
                        75341, "* mm ist erforderlich,\naber unter den verfügbaren Parallelstücken nicht vorhanden."),
                texts.text(75342, "*Parallelstück nicht vorhanden "), MessageIcon::Error, MessageButtons::Ok});
            addTemporaryEntry({ParallelEntryKind::Missing, required, 0.0});
            showError(texts);
            // assign(1, '-') rather than = "-": GCC 12 warns falsely (-Wrestrict) on the
            // assignment of a one-character literal once inlined here.
            m_results[resultIndex(ParallelsResult::Recommended)].assign(1, '-');
            m_results[resultIndex(ParallelsResult::Required)] = length(required);
            return false;
        }
    } else if (whole > jaw - 1.0) {
        messages.push_back(tooDeep(texts));
        showError(texts);
        m_results[resultIndex(ParallelsResult::Required)] = length(required);
        return false;
    } else if (whole <= 0.0) {
        m_selected = 0;
        m_results[resultIndex(ParallelsResult::Recommended)] = length(0.0);
    } else {
        // Exactly one millimetre below the jaw top: no parallel is recommended.
        m_results[resultIndex(ParallelsResult::Recommended)].clear();
    }
    update(texts, messages);
    if (m_position.error)
        return false;
    m_results[resultIndex(ParallelsResult::Required)] = length(whole <= 0.0 ? 0.0 : required);
    return true;
}

void ParallelsForm::select(int entry, const TextLookup& texts, std::vector<MessageBoxRequest>& messages)
{
    if (entry < 0 || entry >= static_cast<int>(m_entries.size()))
        return;
    m_selected = entry;
    update(texts, messages);
}

void ParallelsForm::update(const TextLookup& texts, std::vector<MessageBoxRequest>& messages)
{
    ViseInput input;
    input.height = metric(ParallelsField::Height);
    input.sideDepth = metric(ParallelsField::SideDepth);
    input.overhang = metric(ParallelsField::Overhang);
    input.depth = metric(ParallelsField::Depth);
    input.jaw = metric(ParallelsField::JawHeight);
    input.safety = m_safety;
    m_position = visePosition(input, selectedHeight(), selectedDepth());
    if (m_position.error) {
        showError(texts);
        messages.push_back(tooDeep(texts));
        return;
    }
    if (m_results[resultIndex(ParallelsResult::Recommended)] == texts.text(75348, "*Error"))
        m_results[resultIndex(ParallelsResult::Recommended)].clear();
    if (m_results[resultIndex(ParallelsResult::Required)] == texts.text(75348, "*Error"))
        m_results[resultIndex(ParallelsResult::Required)].clear();
    m_results[resultIndex(ParallelsResult::AboveJaw)] = length(m_position.aboveJaw);
    m_results[resultIndex(ParallelsResult::BelowJaw)] = length(m_position.belowJaw);
    m_results[resultIndex(ParallelsResult::Percent)] = formatNumber(kLengthFormat, m_position.percentClamped);
    m_results[resultIndex(ParallelsResult::Clearance)] = length(m_position.clearance);
}

std::optional<bool> ParallelsForm::fill(const ParallelsBlock& block)
{
    if (block.stored != 1)
        return std::nullopt;
    const bool machineJaw = value(ParallelsField::JawHeight) > 0.0f;
    for (int i = 0; i < kParallelsFieldCount; ++i) {
        const auto field = static_cast<ParallelsField>(i);
        if (field == ParallelsField::JawHeight && machineJaw)
            continue; // the machine's vice wins over what was typed for another one
        setNumber(field, toDisplay(m_unitSystem, ConversionKind::Length, sane(block.inputs[i])));
    }
    const float first = sane(block.combinationFirst);
    const float second = sane(block.combinationSecond);
    if (block.combination == 1 && first > 0.0f && second > 0.0f)
        m_entries.push_back({ParallelEntryKind::Combination, static_cast<double>(first) + second,
            sane(block.combinationDepth), first, second});
    m_selected
        = block.selected >= 0 && block.selected < static_cast<std::int32_t>(m_entries.size()) ? block.selected : 0;
    return block.openReportAutomatically != 0;
}

ParallelsBlock ParallelsForm::store(bool openReportAutomatically) const
{
    ParallelsBlock block {};
    for (int i = 0; i < kParallelsFieldCount; ++i)
        block.inputs[i] = metric(static_cast<ParallelsField>(i));
    block.selected = m_selected;
    const ParallelEntry& last = m_entries.back();
    if (last.kind == ParallelEntryKind::Combination) {
        block.combination = 1;
        block.combinationFirst = static_cast<float>(last.first);
        block.combinationSecond = static_cast<float>(last.second);
        block.combinationDepth = static_cast<float>(last.depth);
    } else if (last.kind == ParallelEntryKind::Missing && m_selected == static_cast<int>(m_entries.size()) - 1) {
        block.selected = 0; // the required-height entry lives only until the window closes
    }
    block.openReportAutomatically = openReportAutomatically ? 1 : 0;
    block.stored = 1;
    return block;
}

std::string ParallelsForm::reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const
{
    std::string report = dateTimeStamp(languageCode, time);
    report += kReportLineEnd;
    report += reportSeparator(44);
    report += reportSeparator(69);
    report += windowTitle(texts);
    report += kReportLineEnd;
    auto line = [&](std::size_t label, const std::string& value) {
        report += reportLine(fieldLabel(kReportLabels[label], texts, m_unitSystem), value);
    };
    for (int i = 0; i < kParallelsFieldCount; ++i) {
        const auto field = static_cast<ParallelsField>(i);
        if (field == ParallelsField::Depth)
            continue;
        const std::size_t label = field == ParallelsField::JawHeight ? 3 : static_cast<std::size_t>(i);
        line(label, formatNumber("%.2f", static_cast<double>(value(field))));
    }
    line(4, entryLabel(static_cast<std::size_t>(m_selected), texts));
    line(5, trimmed(result(ParallelsResult::Recommended)));
    line(6, trimmed(result(ParallelsResult::AboveJaw)));
    line(7, trimmed(result(ParallelsResult::BelowJaw)));
    line(8, trimmed(result(ParallelsResult::Percent)));
    line(9, trimmed(result(ParallelsResult::Clearance)));
    report += reportSeparator(44);
    return report;
}

} // namespace kvt
