#include "options/options_machine_form.h"

#include "common/code_page.h"
#include "common/field_validation.h"
#include "common/int_conversion.h"
#include "common/number_format.h"
#include "common/number_lists.h"
#include "common/units.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <span>

namespace kvt {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isListSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';';
}

// Whole numbers only: a point, a minus or a letter would make the extraction read
// something else than the user meant ("1500.5" as 1500 and 5), so the list is refused.
template<typename T> ParsedList<T> parseWholeNumbers(std::string_view text, std::size_t maxCount, std::int32_t maxValue)
{
    ParsedList<T> list;
    if (containsUmlaut(text)) {
        list.problem = ListProblem::Umlaut;
        return list;
    }
    for (char c : text) {
        if (!isDigit(c) && !isListSeparator(c)) {
            list.problem = ListProblem::BadEntry;
            return list;
        }
    }
    const std::vector<std::int32_t> numbers = scanNumbers(text);
    if (numbers.size() > maxCount) {
        list.problem = ListProblem::TooMany;
        return list;
    }
    for (std::int32_t number : numbers) {
        // 0 marks an empty entry in the stored table and cannot be a value.
        if (number < 1 || number > maxValue) {
            list.problem = ListProblem::BadEntry;
            list.values.clear();
            return list;
        }
        list.values.push_back(static_cast<T>(number));
    }
    return list;
}

// Decimal numbers of the parallels list; nullopt when a character does not belong.
std::optional<std::vector<double>> scanDecimals(std::string_view text)
{
    std::vector<double> numbers;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (isListSeparator(c) || c == 'x' || c == 'X' || c == '*') {
            ++i;
            continue;
        }
        if (!isDigit(c))
            return std::nullopt;
        std::string number;
        bool point = false;
        while (i < text.size()) {
            const char d = text[i];
            const bool nextIsDigit = i + 1 < text.size() && isDigit(text[i + 1]);
            if (isDigit(d)) {
                number += d;
            } else if ((d == '.' || d == ',') && nextIsDigit && !point) {
                // A comma between two digits is a decimal comma, as in every field.
                number += '.';
                point = true;
            } else if (d == '.') {
                return std::nullopt;
            } else {
                break;
            }
            ++i;
        }
        numbers.push_back(leadingDouble(number));
    }
    return numbers;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty())
            text += '\n';
        text += line;
    }
    return text;
}

} // namespace

ParsedList<float> parseSpeedSteps(std::string_view text)
{
    ParsedList<float> list = parseWholeNumbers<float>(text, kSpeedStepCount, kMaxSpindleSpeed);
    // The cutting data window takes the table neighbours of the nearest speed as one step
    // lower and one step higher, so the table must rise from its start.
    std::sort(list.values.begin(), list.values.end());
    list.values.erase(std::unique(list.values.begin(), list.values.end()), list.values.end());
    return list;
}

ParsedList<std::uint16_t> parseIndexPlates(std::string_view text)
{
    return parseWholeNumbers<std::uint16_t>(text, kIndexPlateHoleCount, 65'535);
}

ParsedList<ParallelSize> parseParallels(std::string_view text, int unitSystem)
{
    ParsedList<ParallelSize> list;
    if (containsUmlaut(text)) {
        list.problem = ListProblem::Umlaut;
        return list;
    }
    const auto numbers = scanDecimals(text);
    if (!numbers || numbers->size() % 2 != 0) {
        list.problem = ListProblem::BadEntry;
        return list;
    }
    if (numbers->size() / 2 > kMaxParallels) {
        list.problem = ListProblem::TooMany;
        return list;
    }
    for (std::size_t i = 0; i < numbers->size(); i += 2) {
        const double height = (*numbers)[i];
        const double depth = (*numbers)[i + 1];
        if (height <= 0.0 || height > 1.0e6) {
            list.problem = ListProblem::BadEntry;
            list.values.clear();
            return list;
        }
        if (depth > height) {
            list.problem = ListProblem::DepthGreaterThanHeight;
            list.values.clear();
            return list;
        }
        list.values.push_back(
            {toMetric(unitSystem, 1, static_cast<float>(height)), toMetric(unitSystem, 1, static_cast<float>(depth))});
    }
    std::stable_sort(list.values.begin(), list.values.end(),
        [](const ParallelSize& a, const ParallelSize& b) { return a.height < b.height; });
    return list;
}

OptionsMachineForm::OptionsMachineForm(OptionsDialogContext& context)
    : m_context(context)
{
}

std::string OptionsMachineForm::nameText() const
{
    return utf16ToUtf8(fixedText(std::span<const char16_t>(machine().name)));
}

void OptionsMachineForm::setName(std::string_view utf8)
{
    const std::u16string name = utf8ToUtf16(utf8);
    if (fixedText(std::span<const char16_t>(machine().name)) == name)
        return;
    setFixedText(std::span<char16_t>(machine().name), name);
    markChanged();
}

std::string OptionsMachineForm::speedStepsText() const
{
    std::vector<std::string> lines;
    for (float step : machine().speedSteps) {
        // A stored step out of range comes from a damaged file and counts as empty.
        if (const std::int32_t value = storedToInt32(step); value > 0)
            lines.push_back(cformat("%i", value));
    }
    return joinLines(lines);
}

std::string OptionsMachineForm::indexPlatesText() const
{
    std::vector<std::string> lines;
    for (std::uint16_t holes : data().indexPlateHoles) {
        if (holes == 0)
            break;
        lines.push_back(cformat("%d", holes));
    }
    return joinLines(lines);
}

std::string OptionsMachineForm::lengthText(float millimetres) const
{
    const int unitSystem = m_context.options.settings.unitSystem;
    return formatFixed(toDisplay(unitSystem, 1, millimetres), unitSystem == kUnitSystemInch ? 4 : 2);
}

std::string OptionsMachineForm::parallelsText() const
{
    std::vector<std::string> lines;
    for (std::size_t i = 1; i < kParallelSlotCount; ++i) {
        const ParallelSlot& slot = data().parallels[i];
        if (slot.height <= 0.0f)
            break;
        lines.push_back(lengthText(slot.height) + " x " + lengthText(slot.depth));
    }
    return joinLines(lines);
}

void OptionsMachineForm::showListError(int textId, std::string_view builtin, std::string_view detail)
{
    MessageBoxRequest request;
    request.text = text(textId, builtin);
    if (!detail.empty()) {
        request.text += '\n';
        request.text += detail;
    }
    request.caption = text(kListErrorCaptionId, kListErrorCaption);
    request.icon = MessageIcon::Error;
    m_context.boxes.show(request);
}

bool OptionsMachineForm::setSpeedSteps(std::string_view fieldText)
{
    const ParsedList<float> list = parseSpeedSteps(fieldText);
    switch (list.problem) {
    case ListProblem::None:
        break;
    case ListProblem::Umlaut: {
        // The extraction refuses the text with its own message.
        std::int32_t ignored[1];
        extractNumbers(fieldText, std::span<std::int32_t>(ignored), NumberListVariant::SpindleSpeeds, m_context.texts,
            m_context.boxes);
        return false;
    }
    case ListProblem::TooMany:
        showListError(72107, "*Eingabe der Drehzahlen überprüfen! ",
            text(72111, "*Höchstens so viele Einträge: ") + cformat("%d", kSpeedStepCount));
        return false;
    case ListProblem::BadEntry:
    case ListProblem::DepthGreaterThanHeight:
        showListError(72107, "*Eingabe der Drehzahlen überprüfen! ");
        return false;
    }
    float steps[kSpeedStepCount] = {};
    std::copy(list.values.begin(), list.values.end(), steps);
    if (std::memcmp(steps, machine().speedSteps, sizeof steps) != 0) {
        std::memcpy(machine().speedSteps, steps, sizeof steps);
        markChanged();
    }
    return true;
}

bool OptionsMachineForm::setIndexPlates(std::string_view fieldText)
{
    const ParsedList<std::uint16_t> list = parseIndexPlates(fieldText);
    switch (list.problem) {
    case ListProblem::None:
        break;
    case ListProblem::Umlaut: {
        float ignored[1];
        extractNumbers(
            fieldText, std::span<float>(ignored), NumberListVariant::DividingPlates, m_context.texts, m_context.boxes);
        return false;
    }
    case ListProblem::TooMany:
        showListError(72110, "*Eingabe der Teilkopflochscheiben überprüfen! ",
            text(72111, "*Höchstens so viele Einträge: ") + cformat("%d", kIndexPlateHoleCount));
        return false;
    case ListProblem::BadEntry:
    case ListProblem::DepthGreaterThanHeight:
        showListError(72110, "*Eingabe der Teilkopflochscheiben überprüfen! ");
        return false;
    }
    std::uint16_t holes[kIndexPlateHoleCount] = {};
    std::copy(list.values.begin(), list.values.end(), holes);
    if (std::memcmp(holes, data().indexPlateHoles, sizeof holes) != 0) {
        std::memcpy(data().indexPlateHoles, holes, sizeof holes);
        markChanged();
    }
    return true;
}

void OptionsMachineForm::setNoParallelsSlot()
{
    ParallelSlot& none = data().parallels[0];
    setFixedText(std::span<char16_t>(none.label), utf8ToUtf16(text(72113, "*Ohne Parallelstücke ")));
    none.height = 0.0f;
    none.depth = 0.0f;
}

bool OptionsMachineForm::setParallels(std::string_view fieldText)
{
    // Unchanged text: the rounded display read back would move the stored sizes.
    if (fieldText == parallelsText())
        return true;
    const int unitSystem = m_context.options.settings.unitSystem;
    const ParsedList<ParallelSize> list = parseParallels(fieldText, unitSystem);
    switch (list.problem) {
    case ListProblem::None:
        break;
    case ListProblem::Umlaut: {
        std::int32_t ignored[1];
        extractNumbers(fieldText, std::span<std::int32_t>(ignored), NumberListVariant::Parallels, m_context.texts,
            m_context.boxes);
        return false;
    }
    case ListProblem::DepthGreaterThanHeight:
        // The list the machine had stays; the user corrects the one entry.
        showListError(
            72108, "*Eingabe der Parallelstücke überprüfen!\nBei einem Eintrag ist die Tiefe größer, als die Höhe! ");
        return false;
    case ListProblem::TooMany:
        showListError(72109, "*Eingabe der Parallelstücke überprüfen! ",
            text(72111, "*Höchstens so viele Einträge: ") + cformat("%d", kMaxParallels));
        return false;
    case ListProblem::BadEntry:
        showListError(72109, "*Eingabe der Parallelstücke überprüfen! ");
        return false;
    }

    bool same = true;
    for (std::size_t i = 0; i + 1 < kParallelSlotCount; ++i) {
        const ParallelSlot& slot = data().parallels[i + 1];
        const ParallelSize wanted = i < list.values.size() ? list.values[i] : ParallelSize {0.0f, 0.0f};
        if (slot.height != wanted.height || slot.depth != wanted.depth)
            same = false;
    }
    if (same)
        return true;

    std::memset(data().parallels, 0, sizeof data().parallels);
    setNoParallelsSlot();
    const std::string height = text(72114, "*Höhe ");
    const std::string depth = text(72115, "*Tiefe ");
    for (std::size_t i = 0; i < list.values.size(); ++i) {
        ParallelSlot& slot = data().parallels[i + 1];
        slot.height = list.values[i].height;
        slot.depth = list.values[i].depth;
        const std::string label = height + lengthText(slot.height) + "  " + depth + lengthText(slot.depth);
        setFixedText(std::span<char16_t>(slot.label), utf8ToUtf16(label));
    }
    markChanged();
    return true;
}

std::string OptionsMachineForm::crankTurnsText() const
{
    return cformat("%d", data().dividingHeadRatio);
}

std::string OptionsMachineForm::jawHeightText() const
{
    return lengthText(data().viseJawHeight);
}

std::string OptionsMachineForm::jawHeightLabel() const
{
    const std::string unit = unitText(m_context.texts, m_context.options.settings.unitSystem, 1);
    const std::string label = text(72105, "*Backenhöhe Schraubstock:");
    return unit.empty() ? label : label + " " + unit;
}

std::string OptionsMachineForm::parallelsLabel() const
{
    const std::string unit = unitText(m_context.texts, m_context.options.settings.unitSystem, 1);
    const std::string label = text(72102, "*Verfügbare Parallelstücke:");
    return unit.empty() ? label : label + " " + unit;
}

bool OptionsMachineForm::setCrankTurns(std::string& fieldText)
{
    FractionInput fraction;
    float value = 0.0f;
    if (!validateFieldWithMessage(fraction, fieldText, false, 1, value, m_context.texts, m_context.boxes))
        return false;
    if (value < 0.0f || value > 255.0f || value != std::trunc(value)) {
        showListError(72112, "*Kurbelumdrehungen: ganze Zahl von 0 bis 255 eingeben.");
        return false;
    }
    const auto ratio = static_cast<std::uint8_t>(value);
    if (ratio != data().dividingHeadRatio) {
        data().dividingHeadRatio = ratio;
        markChanged();
    }
    return true;
}

bool OptionsMachineForm::setJawHeight(std::string& fieldText)
{
    if (fieldText == jawHeightText())
        return true;
    const int unitSystem = m_context.options.settings.unitSystem;
    const bool inch = unitSystem == kUnitSystemInch;
    FractionInput fraction;
    float value = 0.0f;
    if (!validateFieldWithMessage(fraction, fieldText, inch, inch ? 9 : 1, value, m_context.texts, m_context.boxes))
        return false;
    const float stored = toMetric(unitSystem, 1, value);
    if (stored != data().viseJawHeight) {
        data().viseJawHeight = stored;
        markChanged();
    }
    return true;
}

bool OptionsMachineForm::deleteMachine()
{
    const std::string name = nameText();
    const MessageAnswer answer = m_context.boxes.show({text(72116,
                                                           "*Alle Daten dieser Maschine löschen?\nName, Drehzahlen, "
                                                           "Teilkopf, Schraubstock, Parallelstücke, RS232 "
                                                           "Einstellungen, NC-Formate, Editor, Farben und "
                                                           "Kühlschmiermittel-Tanks werden geleert.\nDie "
                                                           "Werkzeug-Datenbank der Maschine bleibt erhalten.")
            + (name.empty() ? std::string() : "\n\n" + name),
        text(64961, "*Frage"), MessageIcon::Question, MessageButtons::YesNo});
    if (answer != MessageAnswer::Yes)
        return false;

    // Everything but the tool table, the work of hours with its own export and delete.
    MachineRecord& m = machine();
    std::memset(m.speedSteps, 0, sizeof m.speedSteps);
    std::memset(m.name, 0, sizeof m.name);
    std::memset(m.serialReceive, 0, sizeof m.serialReceive);
    std::memset(m.serialSend, 0, sizeof m.serialSend);
    m.idleLimit = 0;
    // An all-zero set would name "COM0" with 0 data bits, which no port opens.
    if (m_serialReset)
        m_serialReset(m);
    std::memset(m.ncLineNumberFormat, 0, sizeof m.ncLineNumberFormat);
    std::memset(m.ncToolLengthFormat, 0, sizeof m.ncToolLengthFormat);
    m.editorMode = 1; // the internal editor: 0 would name an external program without a path
    std::memset(m.externalEditorPath, 0, sizeof m.externalEditorPath);
    std::memset(m.colours, 0, sizeof m.colours);
    std::memset(m.keywords, 0, sizeof m.keywords);
    m.keywordPairStart = 0;
    std::memset(m.keywordWordLists, 0, sizeof m.keywordWordLists);
    m.controlMemorySize = 0;
    std::memset(m.machineData, 0, sizeof m.machineData);
    setNoParallelsSlot();
    markChanged();
    return true;
}

} // namespace kvt
