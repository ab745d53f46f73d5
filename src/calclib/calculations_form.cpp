#include "calclib/calculations_form.h"

#include "calclib/calculators.h"
#include "common/field_validation.h"
#include "common/number_format.h"
#include "common/report_writer.h"
#include "state/state_blocks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace kvt {

static_assert(sizeof(CalcListLayout) <= sizeof(CalcList), "the calculator list must fit its state block");

namespace {

constexpr CalcText kNone {};

// Labels shared by several calculators.
constexpr CalcText kDecimalDegrees {67640, "*Winkel in Dezimalgrad:"};
constexpr CalcText kDegrees {67641, "*Grad:"};
constexpr CalcText kMinutes {67642, "*Minuten:"};
constexpr CalcText kSeconds {67643, "*Sekunden:"};
constexpr CalcText kMillimetres {67644, "*Millimeter:"};
constexpr CalcText kInches {67645, "*Inches:"};
constexpr CalcText kNumerator {67646, "*Zähler:"};
constexpr CalcText kDenominator {67647, "*Nenner:"};
constexpr CalcText kFractionBack {67648, "*Fraktal berechnet:"};
constexpr CalcText kEstimateLabel {67686, "*Abweichung:"};
constexpr CalcText kTorque {67652, "*Soll Drehmoment Ma [Nm]:"};
constexpr CalcText kTorqueSetting {67655, "*Einstellwert Drehm. [Nm]:"};
constexpr CalcText kNewtonMetres {67667, "*Newtonmeter:"};
constexpr CalcText kFootPounds {67668, "*Footpounds:"};
constexpr CalcText kDrillNumber {67674, "*Drillbit Nummer:"};

// Units behind the values in the report and the copied results.
constexpr CalcText kDegreeSign {0, "°"};
constexpr CalcText kMinuteUnit {0, "m"};
constexpr CalcText kSecondUnit {0, "s"};
constexpr CalcText kMm {0, "mm"};
constexpr CalcText kMs {0, "ms"};
constexpr CalcText kNm {0, "Nm"};
constexpr CalcText kFtLbs {0, "Ft.Lbs."};
constexpr CalcText kInchUnit {67612, "*inches"};

constexpr CalcText kEstimate {67611, "*Est."};
constexpr CalcText kMicrometre {0, "µm"};
constexpr CalcText kRoughnessTip {67705,
    "*Theoretischer Wert aus Vorschub und Eckenradius. Gemessene Ra-Werte liegen meist 1,5- bis 3-mal höher "
    "(Schwingungen, Verschleiß, Aufbauschneide)."};

// clang-format off
constexpr std::array<CalculatorDescription, kCalculatorCount> kCalculators = {{
    {{67620, "*Dezimal Winkelgrad zu Grad Min Sek"},
     1, {kDecimalDegrees}, {1},
     3, {kDegrees, kMinutes, kSeconds}, {kDegreeSign, kMinuteUnit, kSecondUnit}, 910},
    {{67621, "*Grad Min Sek zu Dezimal Winkelgrad"},
     3, {kDegrees, kMinutes, kSeconds}, {},
     1, {kDecimalDegrees}, {kDegreeSign}, 911},
    {{67622, "*mm zu Fraktal-Inch"},
     1, {kMillimetres}, {},
     5, {kInches, kNumerator, kDenominator, kFractionBack, kEstimateLabel}, {kNone, kNone, kNone, kMm}, 0},
    {{67623, "*Fraktal-Inch zu mm"},
     3, {kInches, kNumerator, kDenominator}, {},
     1, {kMillimetres}, {kMm}, 0},
    {{67624, "*Dezimal-Inch zu Fraktal-Inch"},
     1, {kInches}, {1},
     5, {kInches, kNumerator, kDenominator, kFractionBack, kEstimateLabel}, {kNone, kNone, kNone, kInchUnit}, 0},
    {{67625, "*Fraktal-Inch zu Dezimal-Inch"},
     3, {kInches, kNumerator, kDenominator}, {},
     1, {kInches}, {kInchUnit}, 908},
    {{67626, "*mm zu Inch"},
     1, {kMillimetres}, {},
     1, {kInches}, {kInchUnit}, 0},
    {{67627, "*Inch zu mm"},
     1, {kInches}, {},
     1, {kMillimetres}, {kMm}, 0},
    {{67628, "*Verweilzeit"},
     2, {{{67649, "*Umdrehungen pro Minute:"}, {67650, "*Gewünschte Umdrehungen:"}}}, {},
     1, {{{67651, "*Zeit für Umdrehungen [ms]"}}}, {kMs}, 909},
    {{67629, "*Drehmomentoffset bei ER / OZ V1"},
     3, {kTorque, {67653, "*Funktionslaenge L1 [mm]:"}, {67654, "*Sonder-Stichm. Wz L [mm]:"}}, {},
     1, {kTorqueSetting}, {kNm}, 0},
    {{67630, "*Drehmomentoffset bei ER / OZ V2"},
     5, {kTorque, {67656, "*Funktionslaenge LF [mm]:"}, {67657, "*Standard Stichmass SF [mm]:"},
         {67658, "*Sonder-Stichm. Wz S [mm]:"}, {67659, "*Stichm. Adap. S [mm] (optional)"}}, {},
     1, {kTorqueSetting}, {kNm}, 0},
    {{67631, "*Temperaturabhängige Längenausdehnunen"},
     4, {{{67660, "*Anfanglänge [mm]:"}, {67661, "*Anfangstemperatur [Grad C]:"}, {67662, "*Endtemperatur [Grad C]:"},
         {67663, "*Ausdehnungskoeffizient [1/K]:"}}}, {},
     3, {{{67664, "*Längenänderung [mm]"}, {67665, "*Neue Gesamtlänge [mm]"}, {67666, "*Längenverhältnis:"}}},
     {kMm, kMm}, 0},
    {{67632, "*Nm zu Footpounds"},
     1, {kNewtonMetres}, {},
     1, {kFootPounds}, {kFtLbs}, 0},
    {{67633, "*Footpounds zu Nm"},
     1, {kFootPounds}, {},
     1, {kNewtonMetres}, {kNm}, 0},
    {{67634, "*Stichmaß"},
     4, {{{67669, "*Durchmesser 1 [LE]:"}, {67670, "*Durchmesser 2 [LE]:"}, {67671, "*Abstand innen [LE]:"},
         {67672, "*Abstand außen [LE]:"}}}, {},
     1, {{{67673, "*Stichmaß [LE]:"}}}, {}, 0},
    {{67635, "*US Drill Bit Size zu mm"},
     1, {kDrillNumber}, {},
     1, {{{67675, "*Durchmesser [mm]:"}}}, {kMm}, 0},
    {{67636, "*US Drill Bit Size zu Inches"},
     1, {kDrillNumber}, {},
     1, {{{67676, "*Durchmesser [inches]:"}}}, {kInchUnit}, 0},
    {{67637, "*Bohrungsmittelpunkt ermitteln"},
     4, {{{67677, "*Punkt auf Umfang X1:"}, {67678, "*Punkt auf Umfang X2:"}, {67679, "*Punkt auf Umfang Y1:"},
         {67680, "*Punkt auf Umfang Y2:"}}}, {},
     5, {{{67681, "*Mittelpunkt X:"}, {67682, "*Mittelpunkt Y:"}, {67683, "*\"Durchmesser\" X:"},
         {67684, "*\"Durchmesser\" Y:"}, {67685, "*\"Durchmesser\" gemittelt"}}}, {}, 0},
    {{67700, "*Rauheit beim Drehen (theoretisch)"},
     2, {{{67701, "*Vorschub f [mm/U]:"}, {67702, "*Eckenradius r [mm]:"}}}, {},
     2, {{{67703, "*Rz [µm]:"}, {67704, "*Ra [µm]:"}}}, {kMicrometre, kMicrometre}, 0,
     {kRoughnessTip, kRoughnessTip}},
    {{67710, "*Endmaßkombination"},
     1, {{{67711, "*Höhe:"}}}, {},
     4, {{{67712, "*Anzahl Endmaße:"}, {67713, "*Endmaße:"}, {67714, "*Summe:"}, {67715, "*Endmaßsatz:"}}}, {}, 0},
}};
// clang-format on

constexpr int kErrorCaptionId = 67557;
constexpr std::string_view kErrorCaption = "*ERROR";

// Lower case for ASCII and the Latin-1 capitals (UTF-8 C3 80 to C3 9E, but not the
// multiplication sign), enough for the calculator names in German and English.
std::string foldCase(std::string_view text)
{
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        } else if (c == 0xC3 && i + 1 < out.size()) {
            const auto next = static_cast<unsigned char>(out[i + 1]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97)
                out[i + 1] = static_cast<char>(next + 0x20);
            ++i;
        }
    }
    return out;
}

std::string digits(std::int64_t value)
{
    return cformat("%i", value);
}

// Decimal places shown in a typed number ("12.50" has two).
int decimalPlaces(std::string_view text)
{
    const auto point = text.find_first_of(".,");
    if (point == std::string_view::npos)
        return 0;
    int count = 0;
    for (std::size_t i = point + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        ++count;
    return count;
}

MessageBoxRequest decimalsMessage(int places, const TextLookup& texts)
{
    static constexpr std::array<std::string_view, 5> kTexts = {
        "*Es ist mindestens 1 Nachkommastelle erforderlich!",
        "*Es sind mindestens 2 Nachkommastellen erforderlich!",
        "*Es sind mindestens 3 Nachkommastellen erforderlich!",
        "*Es sind mindestens 4 Nachkommastellen erforderlich!",
        "*Es sind mindestens 5 Nachkommastellen erforderlich!",
    };
    const int index = std::clamp(places, 1, 5) - 1;
    return {texts.text(67566 + index, kTexts[static_cast<std::size_t>(index)]),
        texts.text(kErrorCaptionId, kErrorCaption), MessageIcon::Error, MessageButtons::Ok};
}

std::string floatText(float value)
{
    if (!std::isfinite(value))
        return "0";
    // Six digits read best; a seventh or more only where six would not give the stored
    // value back: a gauge height of 100.0005 typed in must not come back as 100.001.
    for (const char* format : {"%.6g", "%.7g", "%.8g"}) {
        std::string text = formatNumber(format, value);
        float back = 0.0f;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), back);
        if (error == std::errc() && end == text.data() + text.size() && back == value)
            return text;
    }
    return formatNumber("%.9g", value); // always enough for a float
}

void copyName(char16_t (&target)[256], const std::string& utf8)
{
    // The names are Latin-1 at most; anything beyond is left out rather than mangled.
    std::size_t out = 0;
    for (std::size_t i = 0; i < utf8.size() && out + 1 < std::size(target); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            target[out++] = c;
        } else if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
            target[out++] = static_cast<char16_t>(((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
            ++i;
        } else if ((c & 0xF0) == 0xE0 && i + 2 < utf8.size()) {
            target[out++]
                = static_cast<char16_t>(((c & 0x0F) << 12) | ((static_cast<unsigned char>(utf8[i + 1]) & 0x3F) << 6)
                    | (static_cast<unsigned char>(utf8[i + 2]) & 0x3F));
            i += 2;
        }
    }
    target[out] = 0;
}

} // namespace

const std::array<CalculatorDescription, kCalculatorCount>& calculatorDescriptions()
{
    return kCalculators;
}

std::vector<int> filterCalculators(std::string_view search, const TextLookup& texts)
{
    const std::string needle = foldCase(search);
    std::vector<int> shown;
    for (int i = 0; i < kCalculatorCount; ++i) {
        if (needle.empty()
            || foldCase(kCalculators[static_cast<std::size_t>(i)].name.text(texts)).find(needle) != std::string::npos)
            shown.push_back(i);
    }
    return shown;
}

std::vector<int> fillCalcList(CalcList& list, std::string_view search, const TextLookup& texts)
{
    CalcListLayout layout {};
    const std::vector<int> shown = filterCalculators(search, texts);
    for (int i = 0; i < kCalculatorCount; ++i) {
        copyName(layout.all[i].name, kCalculators[static_cast<std::size_t>(i)].name.text(texts));
        layout.all[i].number = i;
    }
    for (std::size_t k = 0; k < shown.size(); ++k) {
        layout.shown[k] = layout.all[shown[k]];
        layout.match[shown[k]] = 1;
    }
    layout.shownCount = static_cast<std::int32_t>(shown.size());
    std::memcpy(list.bytes, &layout, sizeof layout);
    return shown;
}

CalculationsForm::CalculationsForm(const TextLookup& texts)
    : m_texts(texts)
    , m_gaugeSets(calc::defaultGaugeBlockSets())
{
}

CalculationsForm::~CalculationsForm() = default;

std::string CalculationsForm::resultTip(int row) const
{
    if (row < 0 || row >= description().resultCount)
        return {};
    return description().resultTips[static_cast<std::size_t>(row)].text(m_texts);
}

void CalculationsForm::setGaugeSet(int set)
{
    m_gaugeSet = set >= 0 && static_cast<std::size_t>(set) < m_gaugeSets.size() ? set : 0;
}

void CalculationsForm::setGaugeSets(std::vector<calc::GaugeBlockSet> sets)
{
    if (sets.empty())
        return;
    m_gaugeSets = std::move(sets);
    m_solver.reset();
    m_solverSet = -1;
    setGaugeSet(m_gaugeSet);
}

std::optional<MessageBoxRequest> CalculationsForm::loadGaugeSets(const std::filesystem::path& dataDirectory)
{
    calc::GaugeSetsLoad load = calc::loadGaugeBlockSets(dataDirectory);
    if (!load.damaged) {
        setGaugeSets(std::move(load.sets));
        return std::nullopt;
    }
    std::string text = m_texts.text(
        67720, "*Die Datei der Endmaßsätze ist beschädigt und wird nicht verwendet; es gelten die eingebauten Sätze.");
    text += "\n" + std::string(calc::kGaugeSetFileName);
    if (load.errorLine > 0)
        text += ", " + m_texts.text(67721, "*Zeile") + " " + digits(load.errorLine);
    return MessageBoxRequest {text, m_texts.text(67722, "*Endmaßsätze"), MessageIcon::Warning, MessageButtons::Ok};
}

std::optional<MessageBoxRequest> CalculationsForm::saveGaugeSets(
    const std::filesystem::path& dataDirectory, std::vector<calc::GaugeBlockSet> sets)
{
    std::string error;
    if (sets.empty() || !calc::saveGaugeBlockSets(dataDirectory, sets, &error)) {
        return MessageBoxRequest {m_texts.text(67723, "*Die Endmaßsätze konnten nicht gespeichert werden:") + "\n"
                + std::string(calc::kGaugeSetFileName) + ": " + error,
            m_texts.text(67722, "*Endmaßsätze"), MessageIcon::Error, MessageButtons::Ok};
    }
    setGaugeSets(std::move(sets));
    return std::nullopt;
}

const calc::GaugeStackSolver& CalculationsForm::solver() const
{
    if (!m_solver || m_solverSet != m_gaugeSet) {
        m_solver = std::make_unique<calc::GaugeStackSolver>(m_gaugeSets[static_cast<std::size_t>(m_gaugeSet)].sizes);
        m_solverSet = m_gaugeSet;
    }
    return *m_solver;
}

std::optional<MessageBoxRequest> CalculationsForm::calculateGaugeStack()
{
    const auto height = calc::parseGaugeLength(m_inputs[0]);
    if (!height) {
        return MessageBoxRequest {
            m_texts.text(67724, "*Bitte die Höhe als Zahl mit höchstens 4 Nachkommastellen eingeben."),
            m_texts.text(kErrorCaptionId, kErrorCaption), MessageIcon::Error, MessageButtons::Ok};
    }
    const calc::GaugeBlockSet& set = m_gaugeSets[static_cast<std::size_t>(m_gaugeSet)];
    const auto stack = solver().solve(*height);
    if (!stack) {
        setResult(0, std::string());
        setResult(1, m_texts.text(67725, "*Mit diesem Satz nicht möglich"));
        setResult(2, std::string());
    } else {
        std::string blocks;
        std::int64_t sum = 0;
        for (std::int64_t block : *stack) {
            if (!blocks.empty())
                blocks += " + ";
            blocks += calc::formatGaugeLength(block, set.unit);
            sum += block;
        }
        setResult(0, digits(static_cast<std::int64_t>(stack->size())));
        setResult(1, blocks);
        setResult(2, calc::formatGaugeLength(sum, set.unit));
    }
    setResult(3, set.name);
    appendReport();
    return std::nullopt;
}

void CalculationsForm::selectCalculator(int calculator)
{
    m_calculator = std::clamp(calculator, 0, kCalculatorCount - 1);
    for (std::string& result : m_results)
        result.clear();
}

const CalculatorDescription& CalculationsForm::description() const
{
    return kCalculators[static_cast<std::size_t>(m_calculator)];
}

void CalculationsForm::setInputText(int row, std::string text)
{
    m_inputs.at(static_cast<std::size_t>(row)) = std::move(text);
}

std::string CalculationsForm::inputLabel(int row) const
{
    return row < description().inputCount ? description().inputs[static_cast<std::size_t>(row)].text(m_texts)
                                          : std::string();
}

std::string CalculationsForm::resultLabel(int row) const
{
    return row < description().resultCount ? description().results[static_cast<std::size_t>(row)].text(m_texts)
                                           : std::string();
}

void CalculationsForm::setResult(int row, std::string text)
{
    m_results[static_cast<std::size_t>(row)] = std::move(text);
}

std::optional<MessageBoxRequest> CalculationsForm::readInputs(std::array<double, kCalcRows>& values)
{
    const CalculatorDescription& d = description();
    for (int row = 0; row < d.inputCount; ++row) {
        std::string& text = m_inputs[static_cast<std::size_t>(row)];
        const int places = d.minimumDecimals[static_cast<std::size_t>(row)];
        if (places > 0 && decimalPlaces(text) < places)
            return decimalsMessage(places, m_texts);
        std::string checked = text;
        ParseResult parsed;
        if (!validateField(checked, InputClass::Signed, ValueKind::Double, parsed)) {
            text = checked; // cut at the character that is not allowed
            return MessageBoxRequest {};
        }
        values[static_cast<std::size_t>(row)] = std::isfinite(parsed.doubleValue) ? parsed.doubleValue : 0.0;
    }
    return std::nullopt;
}

std::optional<MessageBoxRequest> CalculationsForm::calculate()
{
    using namespace calc;
    const int index = m_calculator;
    std::array<double, kCalcRows> v {};
    if (index == kGaugeStackCalculator)
        return calculateGaugeStack();
    const bool drill = index == kDrillToMmCalculator || index == kDrillToInchCalculator;
    if (!drill) {
        if (auto stop = readInputs(v)) {
            if (stop->text.empty())
                return std::nullopt;
            return stop;
        }
    }
    auto fixed = [](std::string_view format, double value) { return formatNumber(format, value); };
    auto showFraction = [&](const FractionResult& r, std::string back) {
        setResult(0, digits(r.fraction.whole));
        setResult(1, digits(r.fraction.numerator));
        setResult(2, digits(r.fraction.denominator));
        setResult(3, std::move(back));
        setResult(4, r.estimated ? kEstimate.text(m_texts) : std::string());
    };

    switch (index) {
    case 0: {
        const DegreesMinutesSeconds dms = decimalToDms(v[0]);
        setResult(0, digits(dms.degrees));
        setResult(1, digits(dms.minutes));
        setResult(2, digits(dms.seconds));
        break;
    }
    case 1:
        setResult(0, fixed("%6.2f", dmsToDecimal(v[0], v[1], v[2])));
        break;
    case 2: {
        const FractionResult r = mmToFraction(v[0]);
        showFraction(r, fixed("%7.4f", r.back));
        break;
    }
    case 3: {
        const auto mm = fractionToMm(v[0], v[1], v[2]);
        if (!mm)
            return std::nullopt;
        setResult(0, fixed("%6.2f", *mm));
        break;
    }
    case 4: {
        const FractionResult r = decimalInchToFraction(v[0]);
        showFraction(r, fixed("%7.4f", r.back));
        break;
    }
    case 5: {
        const auto inches = fractionToInch(v[0], v[1], v[2]);
        if (!inches)
            return std::nullopt;
        setResult(0, fixed("%7.4f", *inches));
        break;
    }
    case 6:
        setResult(0, fixed("%6.2f", mmToInch(v[0])));
        break;
    case 7:
        setResult(0, fixed("%6.2f", inchToMm(v[0])));
        break;
    case 8: {
        const auto ms = dwellMilliseconds(v[0], v[1]);
        if (!ms)
            return std::nullopt;
        setResult(0, digits(*ms));
        break;
    }
    case 9: {
        const auto torque = torqueOffsetV1(v[0], v[1], v[2]);
        if (!torque)
            return std::nullopt;
        setResult(0, fixed("%6.2f", *torque));
        break;
    }
    case 10: {
        const auto torque = torqueOffsetV2(v[0], v[1], v[2], v[3], v[4]);
        if (!torque)
            return std::nullopt;
        setResult(0, fixed("%6.2f", *torque));
        break;
    }
    case 11: {
        const ThermalResult r = thermalExpansion(v[0], v[1], v[2], v[3]);
        if (r.error == ThermalError::RiseTooLarge)
            return MessageBoxRequest {
                m_texts.text(67580, "*Bei Erwärmung nur Temperaturdifferenzen bis 100 K zulässig!"),
                m_texts.text(67581, "*Warnung"), MessageIcon::Warning, MessageButtons::Ok};
        setResult(0, fixed("%6.3f", r.value.change));
        setResult(1, fixed("%6.3f", r.value.newLength));
        setResult(2, r.value.ratio ? fixed("%6.6f", *r.value.ratio) : std::string());
        break;
    }
    case 12:
        setResult(0, fixed("%6.2f", nmToFootPounds(v[0])));
        break;
    case 13:
        setResult(0, fixed("%6.2f", footPoundsToNm(v[0])));
        break;
    case 14: {
        const PitchResult r = holePitch(v[0], v[1], v[2], v[3]);
        if (r.error == PitchError::NothingGiven)
            return std::nullopt;
        if (r.error == PitchError::Contradiction)
            return MessageBoxRequest {m_texts.text(67564, "*Eingabewerte überprüfen!"),
                m_texts.text(kErrorCaptionId, kErrorCaption), MessageIcon::Error, MessageButtons::Ok};
        setResult(0, fixed("%6.2f", r.pitch));
        m_lastPitch = r.pitch;
        break;
    }
    case kDrillToMmCalculator:
    case kDrillToInchCalculator: {
        const auto size = usDrillSize(m_inputs[0]);
        if (!size)
            return std::nullopt;
        if (size->clampedNumber)
            m_inputs[0] = digits(*size->clampedNumber);
        setResult(0, fixed("%7.4f", index == kDrillToMmCalculator ? drillInchesToMm(size->inches) : size->inches));
        break;
    }
    case 17: {
        const HoleCentre c = holeCentre(v[0], v[1], v[2], v[3]);
        setResult(0, fixed("%6.3f", c.centreX));
        setResult(1, fixed("%6.3f", c.centreY));
        setResult(2, fixed("%6.3f", c.diameterX));
        setResult(3, fixed("%6.3f", c.diameterY));
        setResult(4, fixed("%6.3f", c.meanDiameter));
        break;
    }
    case kRoughnessCalculator: {
        const auto r = turningRoughness(v[0], v[1]);
        if (!r)
            return std::nullopt;
        setResult(0, fixed("%.2f", r->rz));
        setResult(1, fixed("%.2f", r->ra));
        break;
    }
    default:
        return std::nullopt;
    }
    appendReport();
    return std::nullopt;
}

std::string CalculationsForm::clipboardText(bool withUnits) const
{
    std::string out;
    const CalculatorDescription& d = description();
    for (int row = 0; row < d.resultCount; ++row) {
        const std::string& value = m_results[static_cast<std::size_t>(row)];
        if (value.empty())
            continue;
        std::string line = resultLabel(row) + " " + value;
        const std::string unit = d.units[static_cast<std::size_t>(row)].text(m_texts);
        if (withUnits && !unit.empty())
            line += " " + unit;
        if (!out.empty())
            out += "\r\n";
        out += line;
    }
    return out;
}

void CalculationsForm::appendReport()
{
    const CalculatorDescription& d = description();
    std::string lines = d.name.text(m_texts);
    lines += kReportLineEnd;
    for (int row = 0; row < d.inputCount; ++row)
        lines += reportLine(inputLabel(row), m_inputs[static_cast<std::size_t>(row)]);
    for (int row = 0; row < d.resultCount; ++row) {
        std::string value = m_results[static_cast<std::size_t>(row)];
        const std::string unit = d.units[static_cast<std::size_t>(row)].text(m_texts);
        if (!unit.empty() && !value.empty())
            value += " " + unit;
        lines += reportLine(resultLabel(row), value);
    }
    m_reportLines.push_back(std::move(lines));
}

std::string CalculationsForm::reportText(int, const std::string& stamp) const
{
    std::string report = stamp;
    report += kReportLineEnd;
    report += reportSeparator(44);
    report += reportSeparator(69);
    report += m_texts.text(67600, "*Berechnungen");
    report += kReportLineEnd;
    for (const std::string& lines : m_reportLines) {
        report += reportSeparator(69);
        report += lines;
    }
    return report;
}

CalculationsBlock CalculationsForm::block() const
{
    CalculationsBlock block {};
    block.calculator = m_calculator;
    block.gaugeSet = m_gaugeSet;
    const bool drill = m_calculator == kDrillToMmCalculator || m_calculator == kDrillToInchCalculator;
    for (int row = 0; row < kCalcRows; ++row) {
        const std::string& text = m_inputs[static_cast<std::size_t>(row)];
        // A drill letter has no number to keep; the field comes back empty.
        const double value = drill && !text.empty() && !(text[0] >= '0' && text[0] <= '9') ? 0.0 : leadingDouble(text);
        block.inputs[row] = std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max()
            ? static_cast<float>(value)
            : 0.0f;
    }
    return block;
}

void CalculationsForm::restore(const CalculationsBlock& block)
{
    const int index = block.calculator >= 0 && block.calculator < kCalculatorCount ? block.calculator : 0;
    selectCalculator(index);
    for (int row = 0; row < kCalcRows; ++row)
        m_inputs[static_cast<std::size_t>(row)] = floatText(block.inputs[row]);
    setGaugeSet(block.gaugeSet);
}

void CalculationsForm::preselectPitch(float holeDiameter)
{
    selectCalculator(kPitchCalculator);
    const std::string diameter = std::isfinite(holeDiameter) && holeDiameter > 0.0f ? floatText(holeDiameter) : "0";
    m_inputs = {diameter, diameter, "0", "0", "0"};
}

} // namespace kvt
