#include "machining/coolant/coolant_form.h"

#include "common/field_description.h"
#include "common/number_format.h"
#include "common/report_writer.h"
#include "common/stamps.h"
#include "common/units.h"
#include "options/machine_data.h"

#include <cmath>

namespace kvt {

namespace {

constexpr const char* kValueFormat = "%6.2f";
constexpr int kSeparatorLength = 41;

enum class FieldKind { Volume, Length, Concentration, Plain };

struct InputInfo {
    FieldDescription description;
    FieldKind kind;
};

// Every input takes digits and one point, no sign, and is read in double precision so
// that a reading times the factor loses nothing. Captions are the texts as they stand:
// the unit line names the units.
constexpr InputInfo input(int id, const char* builtin, FieldKind kind, int tooltipId, const char* tooltip)
{
    return {{id, builtin, kind == FieldKind::Length ? ConversionKind::Length : ConversionKind::Plain, UnitText::None,
                ValueKind::Double, InputClass::Unsigned, tooltipId, tooltip},
        kind};
}

constexpr std::array<InputInfo, kCoolantInputCount> kInputs = {{
    input(71200, "*Istmenge Mischung:", FieldKind::Volume, 71500, "*Menge der Emulsion, die jetzt im Tank ist"),
    input(71201, "*Istkonzentration:", FieldKind::Concentration, 71501,
        "*Konzentration der Emulsion im Tank; mit Refraktometer der Ablesewert"),
    input(
        71202, "*Sollmenge Mischung:", FieldKind::Volume, 71502, "*Menge der Emulsion, die der Tank danach haben soll"),
    input(71203, "*Sollkonzentration:", FieldKind::Concentration, 71503,
        "*Konzentration, die die Emulsion haben soll; mit Refraktometer der Ablesewert"),
    input(71204, "*Breite Tank", FieldKind::Length, 71504, "*Innere Breite des Tanks"),
    input(71205, "*Länge Tank", FieldKind::Length, 71505, "*Innere Länge des Tanks"),
    input(71206, "*Füllhöhe", FieldKind::Length, 71506, "*Höhe der Emulsion im Tank"),
    input(71207, "*Eckenradius", FieldKind::Length, 71507, "*Radius der vier inneren Ecken des Tanks"),
    input(71208, "*Höheneinheit", FieldKind::Length, 71508, "*Höhe, für die das Volumen pro Höheneinheit gilt"),
    input(71209, "*Vol pro Höheneinheit", FieldKind::Volume, 71509,
        "*Volumen, das eine Höheneinheit Füllhöhe im Tank ausmacht"),
    input(71210, "*Faktor:", FieldKind::Plain, 71510,
        "*Refraktometerfaktor des Konzentrats: Konzentration = Ablesewert x Faktor"),
}};

struct Text {
    int id;
    const char* builtin;
};

constexpr std::array<Text, kCoolantResultCount> kResultCaptions = {{
    {71211, "*Emulsion entfernen:"},
    {71212, "*1% Emulsion hinzufügen:"},
    {71213, "*Wasser hinzufügen:"},
    {71214, "*Konzentrat hinzufügen:"},
    {71215, "*Mischerstellung [%] :"},
    {71216, "*Nachfüll-Volumen:"},
    {71217, "*Gesamt-Volumen:"},
}};

// Rows 8 and 9 are offered only with a language module.
constexpr std::array<Text, kOperationRowCount> kOperationRows = {{
    {71220, "*Neue Emulsion ansetzen"},
    {0, nullptr},
    {71222, "*Konzentration erhöhen"},
    {71223, "*Konzentration erhöhen gleiches Vol."},
    {71224, "*Konz. und Volumen erhöhen"},
    {0, nullptr},
    {71226, "*Konz. verringern mit Wasser"},
    {71227, "*Konz. verr. m. Wasser gleiches Vol."},
    {71228, "*Konz. verringern mit 1% Emulsion"},
    {71229, "*Konz. verr. m. 1% Emulsion gleiches Vol."},
}};

constexpr int kVolumeUnitTextIdBase = 71280; // + volume unit

constexpr Text kWindowTitle {70122, "*Kühlschmiermittel Berechnung"};
constexpr Text kErrorCaption {65470, "Fehler"};
constexpr Text kHardErrorCaption {71269, "*ERROR"};
constexpr Text kCheckInputs {71268, "*Eingabewerte überprüfen!"};

// Report labels; a volume label is followed by the volume unit.
enum class ReportLine {
    ActualVolume,
    ActualConcentration,
    ActualReading,
    TargetVolume,
    TargetConcentration,
    TargetReading,
    Factor,
    EmulsionToRemove,
    OnePercentToAdd,
    Water,
    Concentrate,
    MixerSetting,
    RefillVolume,
    TotalVolume,
};

struct ReportLabel {
    Text text;
    bool volume;
};

constexpr std::array<ReportLabel, 14> kReportLabels = {{
    {{71240, "*Istmenge Mischung"}, true},
    {{71241, "*Istkonzentration [%]"}, false},
    {{71242, "*Istkonzentration Refraktometer-Ablesewert"}, false},
    {{71243, "*Sollmenge Mischung"}, true},
    {{71244, "*Sollkonzentration [%]"}, false},
    {{71245, "*Sollkonzentration Refraktometer-Ablesewert"}, false},
    {{71246, "*Refraktometerfaktor"}, false},
    {{71247, "*Emulsion entfernen"}, true},
    {{71248, "*1% Emulsion hinzufügen"}, true},
    {{71249, "*Wasser hinzufügen"}, true},
    {{71250, "*Konzentrat hinzufügen"}, true},
    {{71251, "*Mischerstellung [%]"}, false},
    {{71252, "*Nachfüll-Volumen"}, true},
    {{71253, "*Gesamt-Volumen"}, true},
}};

std::string lookup(const TextLookup& texts, const Text& text)
{
    return texts.text(text.id, text.builtin);
}

// A stored value that a damaged file may have made absurd counts as 0.
double sane(double value)
{
    return std::isfinite(value) && value > 0.0 ? value : 0.0;
}

std::string volumeUnitLabel(const TextLookup& texts, VolumeUnit unit)
{
    return texts.text(kVolumeUnitTextIdBase + static_cast<int>(unit), volumeUnitText(unit));
}

Text messageText(MixingMessage which)
{
    switch (which) {
    case MixingMessage::TargetNotAboveActual:
        return {71260, "*Eingabefehler: Sollkonzentration ist kleiner oder gleich Istkonzentration!"};
    case MixingMessage::TargetNotBelowActual:
        return {71261, "*Eingabefehler: Sollkonzentration ist grösser oder gleich Istkonzentration!"};
    case MixingMessage::TargetEqualsActual:
        return {71262, "*Eingabefehler: Sollkonzentration ist gleich Istkonzentration!"};
    case MixingMessage::RaiseNeedsOtherOperation:
        return {71263, "*Zum Erhöhen der Konzentration andere Funktion auswählen!"};
    case MixingMessage::TargetBelowTwoPercent:
        return {71264, "*Zielkonzentration kann nicht kleiner als 2% sein"};
    case MixingMessage::TargetBelowOnePercent:
        return {71265, "*Konzentration kann nicht kleiner als 1% sein, da mit einer 1%igen Emulsion aufgefüllt wird!"};
    case MixingMessage::BalanceFailed:
        return {71266, "*Für Verdünnungsberechnung andere Rechenoperation auswählen!"};
    case MixingMessage::RaiseTooLargeForVolume:
        return {71267, "*Konzentrationserhöhung für neues Volumen zu groß!"};
    case MixingMessage::None:
        break;
    }
    return {0, ""};
}

// An entry of the machine's tank list counts once it has a name or dimensions; an
// empty entry must not wipe what the user typed.
bool tankInUse(const CoolantTank& tank)
{
    return tank.name[0] != 0 || sane(tank.length) > 0.0 || sane(tank.width) > 0.0;
}

} // namespace

CoolantForm::CoolantForm(int unitSystem, int volumeUnit, bool languageLoaded)
    : m_unitSystem(unitSystem == kUnitSystemInch ? kUnitSystemInch : kUnitSystemMetric)
    , m_volumeUnit(volumeUnitFromOption(volumeUnit))
    , m_languageLoaded(languageLoaded)
{
    for (int i = 0; i < kCoolantInputCount; ++i)
        setInputNumber(static_cast<CoolantInput>(i), 0.0);
    setInputNumber(CoolantInput::RefractometerFactor, kDefaultRefractometerFactor);
}

std::string CoolantForm::unitLine(const TextLookup& texts) const
{
    std::string line = texts.text(71270, "Eingaben in ");
    line += m_unitSystem == kUnitSystemInch ? texts.text(71272, "[Inch US], ") : texts.text(71271, "[mm], ");
    line += volumeUnitLabel(texts, m_volumeUnit);
    return line;
}

std::string CoolantForm::inputCaption(CoolantInput input, const TextLookup& texts) const
{
    return fieldLabel(inputDescription(input), texts, m_unitSystem);
}

const FieldDescription& CoolantForm::inputDescription(CoolantInput input)
{
    return kInputs[index(input)].description;
}

std::string CoolantForm::resultCaption(CoolantResult result, const TextLookup& texts) const
{
    return lookup(texts, kResultCaptions[index(result)]);
}

std::vector<std::string> CoolantForm::operationRows(const TextLookup& texts) const
{
    std::vector<std::string> rows;
    for (int row = 0; row < operationRowCount(); ++row) {
        const Text& text = kOperationRows[static_cast<std::size_t>(row)];
        rows.push_back(text.builtin ? lookup(texts, text) : std::string(kSeparatorLength, '-'));
    }
    return rows;
}

void CoolantForm::setOperationRow(int row)
{
    if (row >= 0 && row < operationRowCount())
        m_operationRow = row;
}

bool CoolantForm::inputEnabled(TankMethod method, CoolantInput input)
{
    switch (input) {
    case CoolantInput::TankWidth:
    case CoolantInput::TankLength:
    case CoolantInput::CornerRadius:
        return method == TankMethod::Dimensions;
    case CoolantInput::HeightUnit:
    case CoolantInput::VolumePerHeightUnit:
        return method == TankMethod::HeightUnits;
    default:
        return true;
    }
}

bool CoolantForm::setInputText(CoolantInput input, std::string& text)
{
    std::string working = text;
    ParseResult parsed;
    const FieldDescription& description = inputDescription(input);
    if (!validateField(working, description.inputClass, description.valueKind, parsed)) {
        // The cut text is what the field shows from now on; the value stays.
        text = working;
        m_inputTexts[index(input)] = text;
        return false;
    }
    m_inputTexts[index(input)] = text;
    m_inputValues[index(input)] = parsed.doubleValue;
    return true;
}

void CoolantForm::setInputNumber(CoolantInput input, double displayValue)
{
    // Lengths keep the window's length precision, everything else two decimals.
    const bool length = kInputs[index(input)].kind == FieldKind::Length;
    std::string text
        = formatNumber(length ? (m_unitSystem == kUnitSystemInch ? "%6.4f" : "%6.3f") : kValueFormat, displayValue);
    setInputText(input, text);
}

void CoolantForm::setConcentrationField(CoolantInput input, double fieldValue)
{
    // The field shows two decimals but keeps the exact value, so that switching between
    // readings and concentrations and back gives the number the user typed.
    m_inputTexts[index(input)] = formatNumber(kValueFormat, fieldValue);
    m_inputValues[index(input)] = fieldValue;
}

bool CoolantForm::factorUsable() const
{
    return std::isfinite(factor()) && factor() > 0.0;
}

double CoolantForm::concentration(CoolantInput input) const
{
    const double value = inputValue(input);
    return m_refractometerInUse ? value * factor() : value;
}

double CoolantForm::metric(CoolantInput input) const
{
    const double value = inputValue(input);
    switch (kInputs[index(input)].kind) {
    case FieldKind::Volume:
        return volumeToMillilitres(m_volumeUnit, value);
    case FieldKind::Length:
        return toMetric(m_unitSystem, ConversionKind::Length, value);
    case FieldKind::Concentration:
        return concentration(input);
    case FieldKind::Plain:
        break;
    }
    return value;
}

void CoolantForm::setRefractometerInUse(bool inUse)
{
    if (inUse == m_refractometerInUse)
        return;
    m_refractometerInUse = inUse;
    if (!factorUsable())
        return;
    for (CoolantInput input : {CoolantInput::ActualConcentration, CoolantInput::TargetConcentration}) {
        const double value = inputValue(input);
        setConcentrationField(input, inUse ? value / factor() : value * factor());
    }
}

void CoolantForm::clearResults(bool showZeros)
{
    for (std::string& text : m_resultTexts)
        text = showZeros ? formatNumber(kValueFormat, 0.0) : std::string();
    m_report.reset();
}

MessageBoxRequest CoolantForm::message(const TextLookup& texts, MixingMessage which) const
{
    MessageBoxRequest request;
    request.text = lookup(texts, messageText(which));
    request.caption = lookup(texts, which == MixingMessage::RaiseTooLargeForVolume ? kHardErrorCaption : kErrorCaption);
    request.icon = MessageIcon::Information;
    return request;
}

CoolantCommandResult CoolantForm::calculate(const TextLookup& texts)
{
    CoolantCommandResult command;
    // Readings without a factor would be read as 0 %, and nothing would happen.
    if (m_refractometerInUse && !factorUsable()) {
        clearResults(false);
        command.changed = true;
        command.message = MessageBoxRequest {lookup(texts, kCheckInputs), lookup(texts, kErrorCaption)};
        return command;
    }
    MixingInputs in;
    in.actualVolume = metric(CoolantInput::ActualVolume);
    in.actualConcentration = metric(CoolantInput::ActualConcentration);
    in.targetVolume = metric(CoolantInput::TargetVolume);
    in.targetConcentration = metric(CoolantInput::TargetConcentration);

    const MixingCalculation calculation = calculateMixing(m_operationRow, in);
    if (!calculation.ran)
        return command;
    command.changed = true;
    clearResults(calculation.showZeros);
    if (calculation.message != MixingMessage::None) {
        command.message = message(texts, calculation.message);
        return command;
    }

    const MixingResults& r = calculation.results;
    auto volume = [this](CoolantResult result, double millilitres) {
        m_resultTexts[index(result)] = formatNumber(kValueFormat, volumeToDisplay(m_volumeUnit, millilitres));
    };
    volume(CoolantResult::EmulsionToRemove, r.emulsionToRemove);
    volume(CoolantResult::OnePercentToAdd, r.onePercentToAdd);
    volume(CoolantResult::WaterToAdd, r.waterToAdd);
    volume(CoolantResult::ConcentrateToAdd, r.concentrateToAdd);
    m_resultTexts[index(CoolantResult::MixerSetting)] = formatNumber(kValueFormat, r.mixerSetting);
    volume(CoolantResult::RefillVolume, r.refillVolume);
    volume(CoolantResult::TotalVolume, r.totalVolume);
    for (CoolantInput input : {CoolantInput::ActualConcentration, CoolantInput::TargetConcentration})
        setConcentrationField(input, inputValue(input));

    if (calculation.stands) {
        m_report = Calculated {m_operationRow, in, r, factor()};
        command.reportReady = true;
    }
    return command;
}

CoolantCommandResult CoolantForm::estimateTank(const TextLookup& texts)
{
    CoolantCommandResult command;
    const bool byDimensions = m_tankMethod == TankMethod::Dimensions;
    const double fillHeight = inputValue(CoolantInput::FillHeight);
    // A height unit of 0 would give an empty tank, not an error the user could see.
    const bool complete = byDimensions
        ? fillHeight != 0.0 && inputValue(CoolantInput::TankWidth) != 0.0 && inputValue(CoolantInput::TankLength) != 0.0
        : fillHeight != 0.0 && inputValue(CoolantInput::VolumePerHeightUnit) != 0.0
            && inputValue(CoolantInput::HeightUnit) != 0.0;
    if (!complete) {
        command.message = MessageBoxRequest {lookup(texts, kCheckInputs), lookup(texts, kErrorCaption)};
        return command;
    }
    const double millilitres = byDimensions
        ? TankVolumeFromDimensions(metric(CoolantInput::TankLength), metric(CoolantInput::TankWidth),
            metric(CoolantInput::FillHeight), metric(CoolantInput::CornerRadius))
        : TankVolumeFromHeightUnits(metric(CoolantInput::FillHeight), metric(CoolantInput::HeightUnit),
            metric(CoolantInput::VolumePerHeightUnit));
    setInputNumber(CoolantInput::ActualVolume, volumeToDisplay(m_volumeUnit, millilitres));
    command.changed = true;
    return command;
}

void CoolantForm::fill(const CoolantBlock& block, const CoolantTank* tank)
{
    const bool saved = block.saved != 0;
    m_refractometerInUse = saved && block.refractometerInUse != 0;
    m_tankMethod = saved && block.tankMethod == 1 ? TankMethod::HeightUnits : TankMethod::Dimensions;
    m_operationRow = 0;
    if (saved)
        setOperationRow(block.operationRow);

    auto volume = [this](CoolantInput input, double millilitres) {
        setInputNumber(input, volumeToDisplay(m_volumeUnit, sane(millilitres)));
    };
    auto length = [this](CoolantInput input, double millimetres) {
        setInputNumber(input, toDisplay(m_unitSystem, ConversionKind::Length, sane(millimetres)));
    };
    const double storedFactor = sane(block.refractometerFactor);
    volume(CoolantInput::ActualVolume, block.actualVolume);
    volume(CoolantInput::TargetVolume, block.targetVolume);
    setInputNumber(CoolantInput::RefractometerFactor, storedFactor > 0.0 ? storedFactor : kDefaultRefractometerFactor);
    // The block holds concentrations; a refractometer shows them as readings.
    for (auto [input, stored] : {std::pair {CoolantInput::ActualConcentration, block.actualConcentration},
             std::pair {CoolantInput::TargetConcentration, block.targetConcentration}})
        setConcentrationField(input, m_refractometerInUse ? sane(stored) / factor() : sane(stored));
    length(CoolantInput::TankWidth, block.tankWidth);
    length(CoolantInput::TankLength, block.tankLength);
    length(CoolantInput::FillHeight, block.fillHeight);
    volume(CoolantInput::VolumePerHeightUnit, block.volumePerHeightUnit);
    length(CoolantInput::CornerRadius, block.cornerRadius);
    length(CoolantInput::HeightUnit, block.heightUnit);

    if (tank && tankInUse(*tank)) {
        length(CoolantInput::TankWidth, tank->width);
        length(CoolantInput::TankLength, tank->length);
        length(CoolantInput::CornerRadius, tank->cornerRadius);
        length(CoolantInput::HeightUnit, tank->heightUnit);
        volume(CoolantInput::VolumePerHeightUnit, tank->volumePerHeightUnit);
        if (const double tankFactor = sane(tank->refractometerFactor); tankFactor > 0.0) {
            // The concentrations stay what they are; readings follow the tank's factor.
            const double actual = concentration(CoolantInput::ActualConcentration);
            const double target = concentration(CoolantInput::TargetConcentration);
            setInputNumber(CoolantInput::RefractometerFactor, tankFactor);
            if (m_refractometerInUse) {
                setConcentrationField(CoolantInput::ActualConcentration, actual / factor());
                setConcentrationField(CoolantInput::TargetConcentration, target / factor());
            }
        }
    }
    clearResults(false);
}

CoolantBlock CoolantForm::store(bool openReportAutomatically) const
{
    CoolantBlock block {};
    block.saved = 1;
    block.operationRow = static_cast<std::uint8_t>(m_operationRow);
    block.tankMethod = static_cast<std::uint8_t>(m_tankMethod);
    block.refractometerInUse = m_refractometerInUse ? 1 : 0;
    block.openReportAutomatically = openReportAutomatically ? 1 : 0;
    block.actualVolume = metric(CoolantInput::ActualVolume);
    block.actualConcentration = metric(CoolantInput::ActualConcentration);
    block.targetVolume = metric(CoolantInput::TargetVolume);
    block.targetConcentration = metric(CoolantInput::TargetConcentration);
    block.tankWidth = metric(CoolantInput::TankWidth);
    block.tankLength = metric(CoolantInput::TankLength);
    block.fillHeight = metric(CoolantInput::FillHeight);
    block.cornerRadius = metric(CoolantInput::CornerRadius);
    block.heightUnit = metric(CoolantInput::HeightUnit);
    block.volumePerHeightUnit = metric(CoolantInput::VolumePerHeightUnit);
    block.refractometerFactor = factor();
    return block;
}

std::string CoolantForm::reportText(const TextLookup& texts, int languageCode, const LocalDateTime& time) const
{
    if (!m_report)
        return {};
    const Calculated& c = *m_report;
    const MixingInputs& in = c.inputs;
    const MixingResults& r = c.results;
    auto reading = [&c](double concentration) { return c.factor > 0.0 ? concentration / c.factor : 0.0; };

    std::string report = dateTimeStamp(languageCode, time);
    report += kReportLineEnd;
    report += reportSeparator(kSeparatorLength);
    report += lookup(texts, kWindowTitle);
    report += kReportLineEnd;
    report += lookup(texts, kOperationRows[static_cast<std::size_t>(c.row)]);
    report += kReportLineEnd;
    report += reportSeparator(kSeparatorLength);

    const std::string unit = volumeUnitLabel(texts, m_volumeUnit);
    auto line = [&](ReportLine which, double value) {
        const ReportLabel& label = kReportLabels[static_cast<std::size_t>(which)];
        std::string text = lookup(texts, label.text);
        if (label.volume) {
            text += ' ';
            text += unit;
            value = volumeToDisplay(m_volumeUnit, value);
        }
        report += reportLine(text, formatNumber(kValueFormat, value));
    };
    auto actualAndTarget = [&](bool targetVolume) {
        line(ReportLine::ActualVolume, in.actualVolume);
        line(ReportLine::ActualConcentration, in.actualConcentration);
        line(ReportLine::ActualReading, reading(in.actualConcentration));
        if (targetVolume)
            line(ReportLine::TargetVolume, in.targetVolume);
        line(ReportLine::TargetConcentration, in.targetConcentration);
        line(ReportLine::TargetReading, reading(in.targetConcentration));
        line(ReportLine::Factor, c.factor);
    };

    switch (static_cast<MixingOperation>(c.row)) {
    case MixingOperation::NewEmulsion:
        line(ReportLine::TargetVolume, in.targetVolume);
        line(ReportLine::TargetConcentration, in.targetConcentration);
        line(ReportLine::TargetReading, reading(in.targetConcentration));
        line(ReportLine::Factor, c.factor);
        line(ReportLine::Water, r.waterToAdd);
        line(ReportLine::Concentrate, r.concentrateToAdd);
        line(ReportLine::MixerSetting, r.mixerSetting);
        line(ReportLine::RefillVolume, r.refillVolume);
        line(ReportLine::TotalVolume, r.totalVolume);
        break;
    case MixingOperation::RaiseByConcentrate:
        actualAndTarget(false);
        line(ReportLine::Concentrate, r.concentrateToAdd);
        line(ReportLine::RefillVolume, r.refillVolume);
        line(ReportLine::TotalVolume, r.totalVolume);
        break;
    case MixingOperation::RaiseSameVolume:
        actualAndTarget(false);
        line(ReportLine::EmulsionToRemove, r.emulsionToRemove);
        line(ReportLine::Concentrate, r.concentrateToAdd);
        break;
    case MixingOperation::RaiseToTargetVolume:
        actualAndTarget(true);
        line(ReportLine::Concentrate, r.concentrateToAdd);
        line(ReportLine::Water, r.waterToAdd);
        line(ReportLine::RefillVolume, r.refillVolume);
        line(ReportLine::TotalVolume, r.totalVolume);
        break;
    case MixingOperation::LowerWithWater:
        actualAndTarget(false);
        line(ReportLine::Water, r.waterToAdd);
        line(ReportLine::RefillVolume, r.refillVolume);
        line(ReportLine::TotalVolume, r.totalVolume);
        break;
    case MixingOperation::LowerWithWaterSameVolume:
        actualAndTarget(false);
        line(ReportLine::EmulsionToRemove, r.emulsionToRemove);
        line(ReportLine::Water, r.waterToAdd);
        break;
    case MixingOperation::LowerWithOnePercentEmulsion:
        actualAndTarget(false);
        line(ReportLine::OnePercentToAdd, r.onePercentToAdd);
        line(ReportLine::RefillVolume, r.refillVolume);
        line(ReportLine::TotalVolume, r.totalVolume);
        break;
    case MixingOperation::LowerWithOnePercentSameVolume:
        actualAndTarget(false);
        line(ReportLine::EmulsionToRemove, r.emulsionToRemove);
        line(ReportLine::OnePercentToAdd, r.onePercentToAdd);
        line(ReportLine::RefillVolume, r.refillVolume);
        line(ReportLine::TotalVolume, r.totalVolume);
        break;
    }
    return report;
}

} // namespace kvt
