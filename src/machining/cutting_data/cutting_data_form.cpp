#include "machining/cutting_data/cutting_data_form.h"

#include "common/field_description.h"
#include "common/field_validation.h"
#include "common/int_conversion.h"
#include "common/number_format.h"
#include "common/report_writer.h"
#include "common/stamps.h"
#include "common/units.h"
#include "state/open_dialog_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kvt {

namespace {

constexpr int kWindowTitleId = 70120;
constexpr const char* kWindowTitle = "*Schnittdaten Calculator";

// The feed per tooth is a length per tooth, so its unit is a length (mm or inch), not a
// feed rate. Every input takes digits and one point, no sign.
constexpr std::array<FieldDescription, kCuttingInputCount> kInputs = {{
    {71001, "*Durchmesser D", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned,
        71101, "*Durchmesser des Werkzeugs oder des Werkstücks"},
    {71002, "*Schnittgeschwindigkeit Vc", ConversionKind::MetresFeet, UnitText::CuttingSpeed, ValueKind::Float,
        InputClass::Unsigned, 71102, "*Schnittgeschwindigkeit laut Hersteller des Werkzeugs"},
    {71003, "*Vorschub pro Umdrehung fn", ConversionKind::Feed, UnitText::FeedPerRevolution, ValueKind::Float,
        InputClass::Unsigned, 71103, "*Vorschub je Umdrehung der Spindel"},
    {71004, "*Zahnvorschub fz", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned,
        71104, "*Vorschub je Zahn (Schneide) des Werkzeugs"},
    {71005, "*Zähne Anzahl n", ConversionKind::Plain, UnitText::None, ValueKind::Integer, InputClass::Unsigned, 71105,
        "*Anzahl der Zähne (Schneiden) des Werkzeugs"},
    {71006, "*Tauchvorschub % von vf", ConversionKind::Plain, UnitText::None, ValueKind::Integer, InputClass::Unsigned,
        71106, "*Tauchvorschub in Prozent der Vorschubsgeschwindigkeit vf"},
    {71007, "*Umdrehungen während Verweilzeit", ConversionKind::Plain, UnitText::None, ValueKind::Float,
        InputClass::Unsigned, 71107, "*Umdrehungen der Spindel während der Verweilzeit"},
    {71008, "*Radius für rot. Vorschub", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float,
        InputClass::Unsigned, 71108, "*Radius für die Umrechnung in einen Rundachsenvorschub [Grad/min]"},
}};

// Results are read-only; only caption and unit of their descriptions matter.
constexpr FieldDescription result(int id, const char* builtin, UnitText unit)
{
    return {id, builtin, ConversionKind::Plain, unit};
}

constexpr std::array<FieldDescription, kCuttingResultCount> kResultCaptions = {{
    result(71011, "*Vorschubsgeschwindigkeit vf", UnitText::FeedRate),
    result(71012, "*Tauchvorschub vf", UnitText::FeedRate),
    result(71013, "*Drehzahl", UnitText::SpindleSpeed),
    result(71011, "*Vorschubsgeschwindigkeit vf", UnitText::FeedRate),
    result(71012, "*Tauchvorschub vf", UnitText::FeedRate),
    result(71014, "*Drehzahlstufe", UnitText::SpindleSpeed),
    result(71002, "*Schnittgeschwindigkeit Vc", UnitText::CuttingSpeed),
    result(71017, "*Theoretisch", UnitText::None),
    result(71018, "*Drehzahlstufenkorrigiert", UnitText::None),
    result(71017, "*Theoretisch", UnitText::None),
    result(71018, "*Drehzahlstufenkorrigiert", UnitText::None),
}};

// The report names theoretical and corrected values apart.
constexpr std::array<FieldDescription, kCuttingResultCount> kResultReportLabels = {{
    result(71070, "*Vorschubsgeschwindigkeit vf theoretisch", UnitText::FeedRate),
    result(71071, "*Tauchvorschub vf theoretisch", UnitText::FeedRate),
    result(71072, "*Drehzahl theoretisch", UnitText::SpindleSpeed),
    result(71075, "*Vorschubsgeschwindigkeit vf korrigiert", UnitText::FeedRate),
    result(71076, "*Tauchvorschub vf korrigiert", UnitText::FeedRate),
    result(71014, "*Drehzahlstufe", UnitText::SpindleSpeed),
    result(71078, "*Schnittgeschwindigkeit Vc bei Drehzahlstufe", UnitText::CuttingSpeed),
    result(71073, "*Verweilzeit theoretisch", UnitText::Millisecond),
    result(71079, "*Verweilzeit korrigiert", UnitText::Millisecond),
    result(71074, "*Rot. Vorschub theoretisch [Grad/min]", UnitText::None),
    result(71080, "*Rot. Vorschub korrigiert [Grad/min]", UnitText::None),
}};

constexpr FieldDescription kAxialFeedReportLabel
    = result(71081, "*Vorschub pro Umdrehung axial fn", UnitText::FeedPerRevolution);

constexpr std::array<FieldDescription, kPowerInputCount> kPowerInputs = {{
    {71610, "*Schnittbreite ae", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned,
        71630, "*Radiale Eingriffsbreite des Fräsers"},
    {71611, "*Schnitttiefe ap", ConversionKind::Length, UnitText::Millimetre, ValueKind::Float, InputClass::Unsigned,
        71631, "*Axiale Schnitttiefe"},
    {71612, "*Einstellwinkel κr", ConversionKind::Plain, UnitText::Degree, ValueKind::Float, InputClass::Unsigned,
        71632, "*Einstellwinkel der Schneide: 90° beim Schaftfräser, 45° bei vielen Planfräsern"},
    {71613, "*Wirkungsgrad η", ConversionKind::Plain, UnitText::None, ValueKind::Float, InputClass::Unsigned, 71633,
        "*Wirkungsgrad der Maschine zwischen Motor und Schneide, 0 bis 1"},
}};

struct PowerCaption {
    int id;
    const char* builtin;
    int inchId; // 0: the same caption, with the unit of the unit system
    const char* inchBuiltin;
    UnitText unit;
};
constexpr std::array<PowerCaption, kPowerResultCount> kPowerCaptions = {{
    {71614, "*Ausdünnungsfaktor", 0, "", UnitText::None},
    {71615, "*Korrigierter Zahnvorschub fz", 0, "", UnitText::Millimetre},
    {71616, "*Max. Spanungsdicke hex", 0, "", UnitText::Millimetre},
    {71617, "*Mittlere Spanungsdicke hm", 0, "", UnitText::Millimetre},
    {71618, "*Spezifische Schnittkraft kc [N/mm²]", 0, "", UnitText::None},
    {71619, "*Schnittleistung Pc [kW]", 71639, "*Schnittleistung Pc [HP]", UnitText::None},
    {71620, "*Leistung an der Spindel [kW]", 71640, "*Leistung an der Spindel [HP]", UnitText::None},
    {71621, "*Drehmoment Mc [N·m]", 71641, "*Drehmoment Mc [lbf·ft]", UnitText::None},
}};

// A stored value that a damaged file may have made absurd counts as 0.
float sane(float value)
{
    return std::isfinite(value) && value > 0.0f ? value : 0.0f;
}

} // namespace

CuttingDataForm::CuttingDataForm(int unitSystem)
    : m_unitSystem(unitSystem == kUnitSystemInch ? kUnitSystemInch : kUnitSystemMetric)
    , m_materials(defaultMaterialGroups())
{
    applyDefaults();
}

const char* CuttingDataForm::floatFormat() const
{
    return m_unitSystem == kUnitSystemInch ? "%6.4f" : "%6.3f";
}

std::string CuttingDataForm::format(float value) const
{
    return formatNumber(floatFormat(), static_cast<double>(value));
}

std::string CuttingDataForm::inputCaption(CuttingInput input, const TextLookup& texts) const
{
    return fieldCaption(kInputs[index(input)], texts, m_unitSystem);
}

std::string CuttingDataForm::resultCaption(CuttingResult result, const TextLookup& texts) const
{
    return fieldCaption(kResultCaptions[index(result)], texts, m_unitSystem);
}

std::string CuttingDataForm::feedModeName(FeedMode mode, const TextLookup& texts)
{
    switch (mode) {
    case FeedMode::PerRevolution:
        return texts.text(71031, "*Vorschub pro Umdrehung");
    case FeedMode::PerTooth:
        return texts.text(71032, "*Vorschub pro Zahn");
    case FeedMode::PerRevolutionAxial:
        return texts.text(71033, "*Vorschub pro Umdrehung axial");
    case FeedMode::SpeedOnly:
        break;
    }
    return texts.text(71034, "*Nur Drehzahl über Vc");
}

const FieldDescription& CuttingDataForm::inputDescription(CuttingInput input)
{
    return kInputs[index(input)];
}

ValueKind CuttingDataForm::inputKind(CuttingInput input)
{
    return kInputs[index(input)].valueKind;
}

bool CuttingDataForm::setInputText(CuttingInput input, std::string& text)
{
    const FieldDescription& info = kInputs[index(input)];
    std::string working = text;
    ParseResult parsed;
    const bool valid = validateField(working, info.inputClass, info.valueKind, parsed);
    if (!valid) {
        // The cut text is what the field shows from now on; the value stays.
        text = working;
        m_inputTexts[index(input)] = text;
        return false;
    }
    m_inputTexts[index(input)] = text;
    m_inputValues[index(input)]
        = info.valueKind == ValueKind::Integer ? static_cast<float>(parsed.intValue) : parsed.floatValue;
    return true;
}

void CuttingDataForm::setInputNumber(CuttingInput input, float displayValue)
{
    std::string text = format(displayValue);
    setInputText(input, text);
}

void CuttingDataForm::setInputInteger(CuttingInput input, std::int32_t value)
{
    std::string text = cformat("%d", value);
    setInputText(input, text);
}

void CuttingDataForm::setResultFloat(CuttingResult result, float displayValue)
{
    m_resultTexts[index(result)] = format(displayValue);
}

void CuttingDataForm::setResultInteger(CuttingResult result, std::int32_t value)
{
    m_resultTexts[index(result)] = cformat("%d", value);
}

float CuttingDataForm::metric(CuttingInput input) const
{
    return toMetric(m_unitSystem, kInputs[index(input)].conversion, inputValue(input));
}

void CuttingDataForm::setFeedMode(FeedMode mode)
{
    m_feedMode = mode;
    m_stepChoice = SpeedStepChoice::Nearest;
}

bool CuttingDataForm::inputEnabled(FeedMode mode, CuttingInput input)
{
    switch (input) {
    case CuttingInput::Diameter:
    case CuttingInput::CuttingSpeed:
    case CuttingInput::DwellRevolutions:
        return true;
    case CuttingInput::FeedPerRevolution:
        return mode == FeedMode::PerRevolution || mode == FeedMode::PerRevolutionAxial;
    case CuttingInput::FeedPerTooth:
    case CuttingInput::Teeth:
        return mode == FeedMode::PerTooth;
    case CuttingInput::PlungePercent:
    case CuttingInput::Radius:
        return mode == FeedMode::PerRevolution || mode == FeedMode::PerTooth;
    }
    return false;
}

bool CuttingDataForm::resultEnabled(FeedMode mode, CuttingResult result)
{
    const bool feedModes = mode == FeedMode::PerRevolution || mode == FeedMode::PerTooth;
    switch (result) {
    case CuttingResult::FeedRate:
    case CuttingResult::CorrectedFeedRate:
    case CuttingResult::RotaryFeed:
    case CuttingResult::CorrectedRotaryFeed:
        return feedModes;
    case CuttingResult::PlungeFeed:
    case CuttingResult::CorrectedPlungeFeed:
        return feedModes || mode == FeedMode::PerRevolutionAxial;
    case CuttingResult::SpindleSpeed:
    case CuttingResult::StepSpeed:
    case CuttingResult::CorrectedCuttingSpeed:
    case CuttingResult::Dwell:
    case CuttingResult::CorrectedDwell:
        return true;
    }
    return false;
}

void CuttingDataForm::applyDefaults()
{
    m_feedMode = FeedMode::SpeedOnly;
    m_stepChoice = SpeedStepChoice::Nearest;
    const bool inch = m_unitSystem == kUnitSystemInch;
    std::string diameter = inch ? "0.3125" : "20.0";
    std::string speed = inch ? "100" : "24";
    std::string percent = "50";
    setInputText(CuttingInput::Diameter, diameter);
    setInputText(CuttingInput::CuttingSpeed, speed);
    setInputText(CuttingInput::PlungePercent, percent);
    std::string leadAngle = "90";
    std::string efficiency = "0.8";
    setPowerInputText(PowerInput::LeadAngle, leadAngle);
    setPowerInputText(PowerInput::Efficiency, efficiency);
    m_powerOpen = false;
}

bool CuttingDataForm::calculateCommand(std::span<const float, kSpeedStepTableSize> steps)
{
    m_stepChoice = SpeedStepChoice::Nearest;
    return calculate(steps);
}

bool CuttingDataForm::chooseSpeedStep(SpeedStepChoice choice, std::span<const float, kSpeedStepTableSize> steps)
{
    m_stepChoice = choice;
    return calculate(steps);
}

bool CuttingDataForm::calculate(std::span<const float, kSpeedStepTableSize> steps)
{
    if (inputValue(CuttingInput::Diameter) == 0.0f || inputValue(CuttingInput::CuttingSpeed) == 0.0f)
        return false;

    const float diameter = metric(CuttingInput::Diameter);
    const float cuttingSpeed = metric(CuttingInput::CuttingSpeed);
    const float revolutions = inputValue(CuttingInput::DwellRevolutions);
    const std::int32_t n = SpindleSpeed(cuttingSpeed, diameter);
    setResultInteger(CuttingResult::SpindleSpeed, n);
    setResultInteger(CuttingResult::Dwell, truncateToInt(DwellTime(n, revolutions).value_or(0.0f)));

    const SpeedSteps choices = SelectSpeedSteps(n, steps);
    std::int32_t s = choices.nearest;
    if (m_stepChoice == SpeedStepChoice::OneStepLower)
        s = choices.lower;
    else if (m_stepChoice == SpeedStepChoice::OneStepHigher)
        s = choices.higher;
    setResultInteger(CuttingResult::StepSpeed, s);
    setResultInteger(CuttingResult::CorrectedDwell, truncateToInt(DwellTime(s, revolutions).value_or(0.0f)));

    const float correctedSpeed = CuttingSpeed(s, diameter);
    float shownSpeed = toDisplay(m_unitSystem, ConversionKind::MetresFeet, correctedSpeed);
    if (m_stepChoice == SpeedStepChoice::OneStepHigher)
        shownSpeed = std::trunc(shownSpeed);
    setResultFloat(CuttingResult::CorrectedCuttingSpeed, shownSpeed);

    m_calculated = {};
    m_calculated.diameter = diameter;
    m_calculated.cuttingSpeed = cuttingSpeed;
    m_calculated.spindleSpeed = n;
    m_calculated.stepSpeed = s;
    m_calculated.correctedCuttingSpeed = correctedSpeed;

    const std::int32_t percent = clampToInt32(inputValue(CuttingInput::PlungePercent));
    auto feeds = [&](float feedRate, float correctedFeedRate, bool rotary) {
        m_calculated.feedRate = feedRate;
        m_calculated.correctedFeedRate = correctedFeedRate;
        m_calculated.plungeFeed = PlungeFeed(feedRate, percent);
        m_calculated.correctedPlungeFeed = PlungeFeed(correctedFeedRate, percent);
        setResultFloat(
            CuttingResult::PlungeFeed, toDisplay(m_unitSystem, ConversionKind::Feed, m_calculated.plungeFeed));
        setResultFloat(CuttingResult::CorrectedPlungeFeed,
            toDisplay(m_unitSystem, ConversionKind::Feed, m_calculated.correctedPlungeFeed));
        if (!rotary)
            return;
        const float radius = metric(CuttingInput::Radius);
        setResultFloat(CuttingResult::FeedRate, toDisplay(m_unitSystem, ConversionKind::Feed, feedRate));
        setResultFloat(
            CuttingResult::CorrectedFeedRate, toDisplay(m_unitSystem, ConversionKind::Feed, correctedFeedRate));
        setResultFloat(CuttingResult::RotaryFeed, RotaryFeed(feedRate, radius));
        setResultFloat(CuttingResult::CorrectedRotaryFeed, RotaryFeed(correctedFeedRate, radius));
    };

    switch (m_feedMode) {
    case FeedMode::PerRevolution: {
        const float fn = metric(CuttingInput::FeedPerRevolution);
        feeds(FeedRatePerRevolution(n, fn), FeedRatePerRevolution(s, fn), true);
        break;
    }
    case FeedMode::PerTooth: {
        const float fz = metric(CuttingInput::FeedPerTooth);
        const std::int32_t z = clampToInt32(inputValue(CuttingInput::Teeth));
        feeds(FeedRatePerTooth(n, z, fz), FeedRatePerTooth(s, z, fz), true);
        break;
    }
    case FeedMode::PerRevolutionAxial: {
        // Only the plunge feed is shown; the feed-rate and rotary fields keep what the
        // other modes wrote there.
        const float fn = metric(CuttingInput::FeedPerRevolution);
        feeds(FeedRatePerRevolution(n, fn), FeedRatePerRevolution(s, fn), false);
        break;
    }
    case FeedMode::SpeedOnly:
        break;
    }
    if (m_feedMode == FeedMode::PerTooth) {
        calculatePower(n, s, m_calculated.feedRate, m_calculated.correctedFeedRate);
    } else {
        clearPowerResults();
        m_powerStatus = PowerStatus::NotPerTooth;
    }
    m_resultsValid = true;
    return true;
}

void CuttingDataForm::clearPowerResults()
{
    for (auto& column : m_powerResults) {
        for (std::string& text : column)
            text.clear();
    }
}

std::string CuttingDataForm::powerLength(double millimetres) const
{
    return format(toDisplay(m_unitSystem, ConversionKind::Length, static_cast<float>(millimetres)));
}

void CuttingDataForm::calculatePower(
    std::int32_t spindleSpeed, std::int32_t stepSpeed, float feedRate, float correctedFeedRate)
{
    clearPowerResults();
    const double diameter = metric(CuttingInput::Diameter);
    const double fz = metric(CuttingInput::FeedPerTooth);
    const double ae = toMetric(m_unitSystem, ConversionKind::Length, powerInputValue(PowerInput::WidthOfCut));
    const double ap = toMetric(m_unitSystem, ConversionKind::Length, powerInputValue(PowerInput::DepthOfCut));
    const double leadAngle = powerInputValue(PowerInput::LeadAngle);
    const double efficiency = powerInputValue(PowerInput::Efficiency);
    switch (checkPowerInputs(diameter, fz, ae, ap, leadAngle, efficiency)) {
    case PowerProblem::None:
        break;
    case PowerProblem::MissingInput:
        m_powerStatus = PowerStatus::MissingInput;
        return;
    case PowerProblem::WidthAboveDiameter:
        m_powerStatus = PowerStatus::WidthAboveDiameter;
        return;
    case PowerProblem::LeadAngleOutOfRange:
        m_powerStatus = PowerStatus::LeadAngleOutOfRange;
        return;
    case PowerProblem::EfficiencyOutOfRange:
        m_powerStatus = PowerStatus::EfficiencyOutOfRange;
        return;
    }
    m_powerStatus = PowerStatus::Ok;
    const MaterialGroup& material = m_materials[static_cast<std::size_t>(m_material)];
    const ChipThinning thinning = chipThinning(fz, ae, diameter, leadAngle);
    const double hm = meanChipThickness(fz, ae, diameter, leadAngle);
    const double kc = specificCuttingForce(material.kc1, material.mc, hm);
    const bool inch = m_unitSystem == kUnitSystemInch;
    const double powerFactor = inch ? kHorsepowerPerKilowatt : 1.0;
    const double torqueFactor = inch ? kPoundFeetPerNewtonMetre : 1.0;

    const std::array<std::pair<std::int32_t, float>, 2> columns
        = {{{spindleSpeed, feedRate}, {stepSpeed, correctedFeedRate}}};
    for (std::size_t c = 0; c < columns.size(); ++c) {
        // Without a speed step (an empty speed table) there is no pass to speak of.
        if (columns[c].first <= 0)
            continue;
        auto& texts = m_powerResults[c];
        const double power = cuttingPower(ap, ae, columns[c].second, kc);
        texts[index(PowerResult::ThinningFactor)] = formatNumber("%.3f", thinning.factor);
        texts[index(PowerResult::CompensatedFeed)] = powerLength(thinning.compensatedFeedPerTooth);
        texts[index(PowerResult::ChipThickness)] = powerLength(thinning.hex);
        texts[index(PowerResult::MeanChipThickness)] = powerLength(hm);
        texts[index(PowerResult::SpecificForce)] = formatNumber("%.0f", kc);
        texts[index(PowerResult::NetPower)] = formatNumber("%.2f", power * powerFactor);
        texts[index(PowerResult::SpindlePower)] = formatNumber("%.2f", power / efficiency * powerFactor);
        texts[index(PowerResult::Torque)] = formatNumber("%.1f", cuttingTorque(power, columns[c].first) * torqueFactor);
    }
}

std::string CuttingDataForm::powerInputCaption(PowerInput input, const TextLookup& texts) const
{
    return fieldCaption(kPowerInputs[index(input)], texts, m_unitSystem);
}

const FieldDescription& CuttingDataForm::powerInputDescription(PowerInput input)
{
    return kPowerInputs[index(input)];
}

bool CuttingDataForm::setPowerInputText(PowerInput input, std::string& text)
{
    const FieldDescription& info = kPowerInputs[index(input)];
    std::string working = text;
    ParseResult parsed;
    if (!validateField(working, info.inputClass, info.valueKind, parsed)) {
        text = working;
        m_powerTexts[index(input)] = text;
        return false;
    }
    m_powerTexts[index(input)] = text;
    m_powerValues[index(input)] = std::isfinite(parsed.floatValue) ? parsed.floatValue : 0.0f;
    return true;
}

std::string CuttingDataForm::powerResultCaption(PowerResult result, const TextLookup& texts) const
{
    const PowerCaption& caption = kPowerCaptions[index(result)];
    if (caption.inchId != 0 && m_unitSystem == kUnitSystemInch)
        return texts.text(caption.inchId, caption.inchBuiltin) + ":";
    return fieldCaption({caption.id, caption.builtin, ConversionKind::Plain, caption.unit}, texts, m_unitSystem);
}

std::string CuttingDataForm::powerStatusText(PowerStatus status, const TextLookup& texts)
{
    switch (status) {
    case PowerStatus::Ok:
        return {};
    case PowerStatus::NotCalculated:
        return texts.text(71650, "*Noch nicht berechnet");
    case PowerStatus::NotPerTooth:
        return texts.text(71651, "*Nur mit Vorschub pro Zahn");
    case PowerStatus::MissingInput:
        return texts.text(71652, "*ae, ap, fz und Zähne angeben");
    case PowerStatus::WidthAboveDiameter:
        return texts.text(71653, "*ae darf nicht größer als D sein");
    case PowerStatus::LeadAngleOutOfRange:
        return texts.text(71654, "*κr muss über 0 und höchstens 90° sein");
    case PowerStatus::EfficiencyOutOfRange:
        return texts.text(71655, "*η muss über 0 und höchstens 1 sein");
    }
    return {};
}

std::string CuttingDataForm::materialName(std::size_t group, const TextLookup& texts) const
{
    if (group >= m_materials.size())
        return {};
    const MaterialGroup& material = m_materials[group];
    std::string name = material.nameId ? texts.text(material.nameId, material.name) : material.name;
    return name + " (" + formatNumber("%g", material.kc1) + " / " + formatNumber("%g", material.mc) + ")";
}

void CuttingDataForm::setMaterialGroup(int group)
{
    m_material = group >= 0 && static_cast<std::size_t>(group) < m_materials.size() ? group : 0;
}

std::vector<MaterialGroup> CuttingDataForm::userMaterialGroups() const
{
    const std::size_t builtin = defaultMaterialGroups().size();
    return {m_materials.begin() + static_cast<std::ptrdiff_t>(builtin), m_materials.end()};
}

void CuttingDataForm::setUserMaterialGroups(std::vector<MaterialGroup> groups)
{
    m_materials = defaultMaterialGroups();
    for (MaterialGroup& group : groups) {
        group.nameId = 0;
        m_materials.push_back(std::move(group));
    }
    setMaterialGroup(m_material);
}

bool CuttingDataForm::fill(const CuttingDataBlock& block)
{
    auto number = [this](CuttingInput input, float stored) {
        setInputNumber(input, toDisplay(m_unitSystem, kInputs[index(input)].conversion, sane(stored)));
    };
    number(CuttingInput::Diameter, block.diameter);
    number(CuttingInput::CuttingSpeed, block.cuttingSpeed);
    number(CuttingInput::FeedPerRevolution, block.feedPerRevolution);
    number(CuttingInput::FeedPerTooth, block.feedPerTooth);
    number(CuttingInput::DwellRevolutions, block.dwellRevolutions);
    number(CuttingInput::Radius, block.radius);
    setInputInteger(CuttingInput::Teeth, storedToInt32(block.teeth));
    setInputInteger(CuttingInput::PlungePercent, std::max(block.plungePercent, 0));

    const bool inch = m_unitSystem == kUnitSystemInch;
    std::string text;
    if (inputValue(CuttingInput::Diameter) == 0.0f) {
        text = inch ? "0.3125" : "20.0";
        setInputText(CuttingInput::Diameter, text);
    }
    if (inputValue(CuttingInput::CuttingSpeed) == 0.0f) {
        text = inch ? "100" : "24";
        setInputText(CuttingInput::CuttingSpeed, text);
    }
    if (inputValue(CuttingInput::PlungePercent) == 0.0f) {
        text = "50";
        setInputText(CuttingInput::PlungePercent, text);
    }

    // A block never saved (or damaged) has no flag or several: the defaults stay.
    auto single = [](const std::uint8_t* flags, int count) -> int {
        int chosen = -1;
        for (int i = 0; i < count; ++i) {
            if (flags[i] == 0)
                continue;
            if (chosen >= 0)
                return -1;
            chosen = i;
        }
        return chosen;
    };
    if (const int mode = single(block.feedModeFlags, 4); mode >= 0)
        m_feedMode = static_cast<FeedMode>(mode + 1);
    if (const int step = single(block.speedStepFlags, 3); step >= 0)
        m_stepChoice = static_cast<SpeedStepChoice>(step);

    auto power = [this](PowerInput input, float value) {
        std::string text = format(value);
        setPowerInputText(input, text);
    };
    power(PowerInput::WidthOfCut, toDisplay(m_unitSystem, ConversionKind::Length, sane(block.widthOfCut)));
    power(PowerInput::DepthOfCut, toDisplay(m_unitSystem, ConversionKind::Length, sane(block.depthOfCut)));
    // Zero (a file from before the group) or out of range keeps the default.
    if (const float angle = sane(block.leadAngle); angle > 0.0f && angle <= 90.0f)
        power(PowerInput::LeadAngle, angle);
    if (const float eta = sane(block.efficiency); eta > 0.0f && eta <= 1.0f)
        power(PowerInput::Efficiency, eta);
    m_powerOpen = block.powerGroupOpen == 1;
    setMaterialGroup(block.materialGroup);
    return block.resultsValid != 0;
}

CuttingDataBlock CuttingDataForm::store(bool openReportAutomatically) const
{
    CuttingDataBlock block {};
    block.diameter = metric(CuttingInput::Diameter);
    block.cuttingSpeed = metric(CuttingInput::CuttingSpeed);
    block.feedPerRevolution = metric(CuttingInput::FeedPerRevolution);
    block.feedPerTooth = metric(CuttingInput::FeedPerTooth);
    block.radius = metric(CuttingInput::Radius);
    block.teeth = inputValue(CuttingInput::Teeth);
    block.dwellRevolutions = inputValue(CuttingInput::DwellRevolutions);
    block.plungePercent = clampToInt32(inputValue(CuttingInput::PlungePercent));
    block.feedModeFlags[static_cast<int>(m_feedMode) - 1] = 1;
    block.speedStepFlags[static_cast<int>(m_stepChoice)] = 1;
    block.resultsValid = m_resultsValid ? 1 : 0;
    block.openReportAutomatically = openReportAutomatically ? 1 : 0;
    block.powerGroupOpen = m_powerOpen ? 1 : 0;
    block.widthOfCut = toMetric(m_unitSystem, ConversionKind::Length, powerInputValue(PowerInput::WidthOfCut));
    block.depthOfCut = toMetric(m_unitSystem, ConversionKind::Length, powerInputValue(PowerInput::DepthOfCut));
    block.leadAngle = powerInputValue(PowerInput::LeadAngle);
    block.efficiency = powerInputValue(PowerInput::Efficiency);
    block.materialGroup = m_material;
    return block;
}

std::string CuttingDataForm::reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const
{
    std::string report = dateTimeStamp(languageCode, time);
    report += kReportLineEnd;
    report += reportSeparator(44);
    report += reportSeparator(69);
    report += texts.text(kWindowTitleId, kWindowTitle);
    report += kReportLineEnd;
    report += feedModeName(m_feedMode, texts);
    report += kReportLineEnd;

    auto input = [&](CuttingInput which) {
        const FieldDescription& info = kInputs[index(which)];
        const std::string value = info.valueKind == ValueKind::Integer ? cformat("%i", clampToInt32(inputValue(which)))
                                                                       : format(inputValue(which));
        const FieldDescription& label
            = which == CuttingInput::FeedPerRevolution && m_feedMode == FeedMode::PerRevolutionAxial
            ? kAxialFeedReportLabel
            : info;
        report += reportLine(fieldLabel(label, texts, m_unitSystem), value);
    };
    auto result = [&](CuttingResult which) {
        report += reportLine(fieldLabel(kResultReportLabels[index(which)], texts, m_unitSystem), resultText(which));
    };

    input(CuttingInput::Diameter);
    input(CuttingInput::CuttingSpeed);
    if (m_feedMode == FeedMode::PerTooth) {
        input(CuttingInput::FeedPerTooth);
        input(CuttingInput::Teeth);
    }
    input(CuttingInput::PlungePercent);
    if (m_feedMode == FeedMode::PerRevolution || m_feedMode == FeedMode::PerRevolutionAxial)
        input(CuttingInput::FeedPerRevolution);
    input(CuttingInput::DwellRevolutions);
    if (m_feedMode == FeedMode::PerRevolution || m_feedMode == FeedMode::PerTooth)
        input(CuttingInput::Radius);

    switch (m_feedMode) {
    case FeedMode::SpeedOnly:
        for (CuttingResult which : {CuttingResult::SpindleSpeed, CuttingResult::Dwell, CuttingResult::StepSpeed,
                 CuttingResult::CorrectedCuttingSpeed, CuttingResult::CorrectedDwell})
            result(which);
        break;
    case FeedMode::PerRevolutionAxial:
        for (CuttingResult which : {CuttingResult::SpindleSpeed, CuttingResult::PlungeFeed, CuttingResult::Dwell,
                 CuttingResult::StepSpeed, CuttingResult::CorrectedCuttingSpeed, CuttingResult::CorrectedPlungeFeed,
                 CuttingResult::CorrectedDwell})
            result(which);
        break;
    case FeedMode::PerRevolution:
    case FeedMode::PerTooth:
        for (CuttingResult which : {CuttingResult::FeedRate, CuttingResult::PlungeFeed, CuttingResult::SpindleSpeed,
                 CuttingResult::Dwell, CuttingResult::RotaryFeed, CuttingResult::CorrectedFeedRate,
                 CuttingResult::CorrectedPlungeFeed, CuttingResult::StepSpeed, CuttingResult::CorrectedCuttingSpeed,
                 CuttingResult::CorrectedDwell, CuttingResult::CorrectedRotaryFeed})
            result(which);
        break;
    }

    if (m_powerOpen && m_feedMode == FeedMode::PerTooth) {
        report += texts.text(71600, "*Leistung und Spanungsdicke");
        report += kReportLineEnd;
        for (int i = 0; i < kPowerInputCount; ++i) {
            const auto which = static_cast<PowerInput>(i);
            report += reportLine(fieldLabel(kPowerInputs[index(which)], texts, m_unitSystem), powerInputText(which));
        }
        report += reportLine(texts.text(71622, "*Werkstoffgruppe (kc1 / mc)"),
            materialName(static_cast<std::size_t>(m_material), texts));
        if (m_powerStatus != PowerStatus::Ok) {
            report += reportLine(texts.text(71623, "*Hinweis"), powerStatusText(m_powerStatus, texts));
        } else {
            const std::array<std::string, 2> columns
                = {texts.text(71624, "*theoretisch"), texts.text(71625, "*Drehzahlstufe")};
            for (std::size_t c = 0; c < columns.size(); ++c) {
                for (int i = 0; i < kPowerResultCount; ++i) {
                    std::string label = powerResultCaption(static_cast<PowerResult>(i), texts);
                    if (!label.empty() && label.back() == ':')
                        label.pop_back();
                    report += reportLine(label + ", " + columns[c], m_powerResults[c][static_cast<std::size_t>(i)]);
                }
            }
        }
    }
    return report;
}

void CuttingDataForm::takeOverTool(const ToolHandOver& tool)
{
    const float diameter = sane(tool.diameter);
    const float speed = sane(tool.cuttingSpeed);
    const float perTooth = sane(tool.feedPerTooth);
    const float perRevolution = sane(tool.feedPerRevolution);
    const float axial = sane(tool.axialFeedPerRevolution);
    const std::int32_t teeth = std::max(tool.teeth, 0);

    FeedMode mode = FeedMode::SpeedOnly;
    if (perTooth > 0.0f && teeth > 0)
        mode = FeedMode::PerTooth;
    else if (perRevolution > 0.0f)
        mode = FeedMode::PerRevolution;
    else if (axial > 0.0f)
        mode = FeedMode::PerRevolutionAxial;

    auto number = [this](CuttingInput input, float value) {
        setInputNumber(input, toDisplay(m_unitSystem, kInputs[index(input)].conversion, value));
    };
    number(CuttingInput::Diameter, diameter);
    number(CuttingInput::CuttingSpeed, speed);
    number(CuttingInput::FeedPerTooth, perTooth);
    // The axial mode works with the feed per revolution field.
    number(CuttingInput::FeedPerRevolution, mode == FeedMode::PerRevolutionAxial ? axial : perRevolution);
    setInputInteger(CuttingInput::Teeth, teeth);
    if (mode == FeedMode::PerRevolutionAxial)
        setInputInteger(CuttingInput::PlungePercent, 100);
    setFeedMode(mode);
}

bool CuttingDataForm::canHandBack(ToolReturnCode code) const
{
    switch (code) {
    case ToolReturnCode::TheoreticalValue:
        return m_calculated.spindleSpeed > 0;
    case ToolReturnCode::StepValue:
        return m_calculated.stepSpeed > 0;
    case ToolReturnCode::WithoutData:
        return true;
    }
    return false;
}

void CuttingDataForm::handBack(ToolReturnCode code, OpenDialogData& state) const
{
    if (!canHandBack(code))
        code = ToolReturnCode::WithoutData;
    ToolHandOver& back = state.toolHandOver;
    back.returnCode = static_cast<std::int32_t>(code);
    if (code == ToolReturnCode::WithoutData)
        return;
    const bool theoretical = code == ToolReturnCode::TheoreticalValue;
    back.returnSpindleSpeed = static_cast<float>(theoretical ? m_calculated.spindleSpeed : m_calculated.stepSpeed);
    back.returnCuttingSpeed = theoretical ? m_calculated.cuttingSpeed : m_calculated.correctedCuttingSpeed;
    back.returnDiameter = m_calculated.diameter;
    back.returnFeedRate = theoretical ? m_calculated.feedRate : m_calculated.correctedFeedRate;
    back.returnPlungeFeed = theoretical ? m_calculated.plungeFeed : m_calculated.correctedPlungeFeed;
}

} // namespace kvt
