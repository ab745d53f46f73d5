#include "options/options_machine2_form.h"

#include "common/code_page.h"
#include "common/number_lists.h"
#include "common/units.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <span>

namespace kvt {

namespace {

struct VolumeUnit {
    const char* text;
    double millilitres;
};

constexpr std::array<VolumeUnit, 10> kVolumeUnits = {{
    {"[Liter]", 1000.0},
    {"[Milliliter]", 1.0},
    {"[Gallon US]", 3785.41},
    {"[Gallon Imp]", 4546.09},
    {"[Pint US]", 473.176},
    {"[Pint Imp]", 568.261},
    {"[Quart US]", 946.353},
    {"[Quart Imp]", 1136.52},
    {"[Fluid Ounce US]", 29.5735},
    {"[Fluid Ounce Imp]", 28.4131},
}};

// Add 0.0005, scale by 1000, truncate, scale back: the rounding every volume field uses.
double roundVolume(double value)
{
    return std::trunc((value + 0.0005) * 1000.0) / 1000.0;
}

std::u16string_view arrayText(std::span<const char16_t> array)
{
    return fixedText(array);
}

std::vector<std::u16string> splitWords(std::u16string_view list)
{
    std::vector<std::u16string> words;
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && list[i] == u' ')
            ++i;
        const std::size_t start = i;
        while (i < list.size() && list[i] != u' ')
            ++i;
        if (i > start)
            words.emplace_back(list.substr(start, i - start));
    }
    return words;
}

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

} // namespace

double volumeToMillilitres(int volumeUnit, double volume)
{
    if (volumeUnit < 0 || volumeUnit >= static_cast<int>(kVolumeUnits.size()) || volumeUnit == 1)
        return volume;
    return roundVolume(volume * kVolumeUnits[volumeUnit].millilitres);
}

double millilitresToVolume(int volumeUnit, double millilitres)
{
    if (volumeUnit < 0 || volumeUnit >= static_cast<int>(kVolumeUnits.size()) || volumeUnit == 1)
        return millilitres;
    return roundVolume(millilitres / kVolumeUnits[volumeUnit].millilitres);
}

std::string volumeUnitText(int volumeUnit)
{
    if (volumeUnit < 0 || volumeUnit >= static_cast<int>(kVolumeUnits.size()))
        return kVolumeUnits[1].text;
    return kVolumeUnits[volumeUnit].text;
}

OptionsMachine2Form::OptionsMachine2Form(OptionsDialogContext& context)
    : m_context(context)
{
}

void OptionsMachine2Form::showError(int id, std::string_view builtin)
{
    m_context.boxes.show({text(id, builtin), text(65470, "Error"), MessageIcon::Error, MessageButtons::Ok});
}

std::string OptionsMachine2Form::lineNumberFormatText() const
{
    return utf16ToUtf8(arrayText(std::span<const char16_t>(machine().ncLineNumberFormat)));
}

std::string OptionsMachine2Form::toolLengthFormatText() const
{
    return utf16ToUtf8(arrayText(std::span<const char16_t>(machine().ncToolLengthFormat)));
}

bool OptionsMachine2Form::setLineNumberFormat(std::string& fieldText)
{
    const std::string format = trimmed(fieldText);
    // Renumbering takes the first character as the address letter and the digits
    // behind it as the field width; anything else would renumber into garbage.
    const bool valid = format.empty()
        || (format.size() >= 2 && format.size() <= 10 && isLetter(format[0])
            && format.find_first_not_of("0123456789", 1) == std::string::npos);
    if (!valid) {
        showError(72200, "*NC Zeilennummerierungs-Format: Adressbuchstabe und Ziffern eingeben, z.B. N0010.");
        return false;
    }
    fieldText = format;
    if (format != lineNumberFormatText()) {
        setFixedText(std::span<char16_t>(machine().ncLineNumberFormat), utf8ToUtf16(format));
        markChanged();
    }
    return true;
}

bool OptionsMachine2Form::setToolLengthFormat(std::string& fieldText)
{
    const std::string format = trimmed(fieldText);
    if (utf8Length(format) >= kWideTextLength) {
        showError(72201, "*Der Text ist zu lang.");
        return false;
    }
    fieldText = format;
    if (format != toolLengthFormatText()) {
        setFixedText(std::span<char16_t>(machine().ncToolLengthFormat), utf8ToUtf16(format));
        markChanged();
    }
    return true;
}

EditorChoice OptionsMachine2Form::editorChoice() const
{
    switch (machine().editorMode) {
    case kEditorInternal:
        return EditorChoice::Internal;
    case kEditorTextEditor:
        return EditorChoice::TextEditor;
    default:
        // A program without a path cannot be started; the transfer window then keeps
        // the text in its own editor, and so does the page say.
        return editorPath().empty() ? EditorChoice::Internal : EditorChoice::Program;
    }
}

std::string OptionsMachine2Form::editorPath() const
{
    return utf16ToUtf8(arrayText(std::span<const char16_t>(machine().externalEditorPath)));
}

void OptionsMachine2Form::chooseEditor(EditorChoice choice)
{
    std::uint8_t mode = kEditorInternal;
    if (choice == EditorChoice::TextEditor)
        mode = kEditorTextEditor;
    else if (choice == EditorChoice::Program) {
        if (editorPath().empty())
            return;
        mode = kEditorProgram;
    }
    if (machine().editorMode != mode) {
        machine().editorMode = mode;
        markChanged();
    }
}

bool OptionsMachine2Form::setEditorProgram(std::string_view path)
{
    const std::u16string wide = utf8ToUtf16(path);
    if (wide.empty())
        return false;
    if (wide.size() >= std::size(machine().externalEditorPath)) {
        showError(72202, "*Der Pfad des Editors ist zu lang.");
        return false;
    }
    if (arrayText(std::span<const char16_t>(machine().externalEditorPath)) != wide) {
        setFixedText(std::span<char16_t>(machine().externalEditorPath), wide);
        markChanged();
    }
    chooseEditor(EditorChoice::Program);
    return true;
}

std::string OptionsMachine2Form::dwellText() const
{
    const float revolutions = data().dwellRevolutions;
    return formatFixed(std::isfinite(revolutions) ? revolutions : 0.0f, 2);
}

bool OptionsMachine2Form::readNumber(std::string fieldText, bool length, float& value)
{
    const bool inch = length && unitSystem() == kUnitSystemInch;
    FractionInput fraction;
    return validateFieldWithMessage(fraction, fieldText, inch, inch ? 9 : 1, value, m_context.texts, m_context.boxes);
}

bool OptionsMachine2Form::setDwell(std::string& fieldText)
{
    if (fieldText == dwellText())
        return true;
    float value = 0.0f;
    const bool valid = readNumber(fieldText, false, value);
    if (!valid)
        return false;
    if (value != data().dwellRevolutions) {
        data().dwellRevolutions = value;
        markChanged();
    }
    fieldText = dwellText();
    return true;
}

std::string OptionsMachine2Form::memoryText() const
{
    return cformat("%u", machine().controlMemorySize);
}

bool OptionsMachine2Form::setMemory(std::string& fieldText)
{
    float value = 0.0f;
    if (!readNumber(fieldText, false, value))
        return false;
    // Clamped before the conversion: a float beyond the 32-bit range has no integer value.
    const double whole = std::isfinite(value) ? std::trunc(static_cast<double>(value)) : 0.0;
    const auto bytes = static_cast<std::uint32_t>(
        std::clamp(whole, 0.0, static_cast<double>(std::numeric_limits<std::uint32_t>::max())));
    if (bytes != machine().controlMemorySize) {
        machine().controlMemorySize = bytes;
        markChanged();
    }
    fieldText = memoryText();
    return true;
}

OptionsMachine2Form::Colour OptionsMachine2Form::colour(int group) const
{
    if (group < 0 || group >= kKeywordGroupCount)
        return {0, 0, 0};
    const std::uint8_t* rgb = machine().colours[group];
    return {rgb[0], rgb[1], rgb[2]};
}

void OptionsMachine2Form::setColour(int group, Colour colour)
{
    if (group < 0 || group >= kKeywordGroupCount || this->colour(group) == colour)
        return;
    std::uint8_t* rgb = machine().colours[group];
    rgb[0] = colour.red;
    rgb[1] = colour.green;
    rgb[2] = colour.blue;
    buildKeywordTable(machine());
    markChanged();
}

std::string OptionsMachine2Form::wordsText(int group) const
{
    if (group < 0 || group >= kKeywordGroupCount)
        return {};
    return utf16ToUtf8(arrayText(std::span<const char16_t>(machine().keywordWordLists[group])));
}

bool OptionsMachine2Form::setWords(int group, std::string_view fieldText)
{
    if (group < 0 || group >= kKeywordGroupCount)
        return false;
    // Line breaks and tabs are blanks too; the editor splits at single blanks.
    std::u16string wide = utf8ToUtf16(fieldText);
    for (char16_t& c : wide) {
        if (c == u'\n' || c == u'\r' || c == u'\t')
            c = u' ';
    }
    const std::vector<std::u16string> words = splitWords(wide);
    std::u16string list;
    for (const std::u16string& word : words) {
        if (word.size() > kKeywordWordLength) {
            showError(72203, "*Ein Wort ist länger als 127 Zeichen.");
            return false;
        }
        if (!list.empty())
            list += u' ';
        list += word;
    }
    if (words.size() > kKeywordWordsPerGroup || list.size() >= std::size(machine().keywordWordLists[group])) {
        showError(72204, "*Zu viele Wörter: höchstens 50 Wörter und 511 Zeichen je Farbe.");
        return false;
    }
    if (arrayText(std::span<const char16_t>(machine().keywordWordLists[group])) == list)
        return true;
    std::memset(machine().keywordWordLists[group], 0, sizeof machine().keywordWordLists[group]);
    setFixedText(std::span<char16_t>(machine().keywordWordLists[group]), list);
    buildKeywordTable(machine());
    markChanged();
    return true;
}

std::vector<int> OptionsMachine2Form::usedTankSlots() const
{
    std::vector<int> slots;
    for (std::size_t i = 0; i < kCoolantTankCount; ++i) {
        if (data().coolantTanks[i].name[0] != 0)
            slots.push_back(static_cast<int>(i));
    }
    return slots;
}

std::vector<std::string> OptionsMachine2Form::tankNames() const
{
    std::vector<std::string> names;
    for (int slot : usedTankSlots())
        names.push_back(utf16ToUtf8(arrayText(std::span<const char16_t>(data().coolantTanks[slot].name))));
    return names;
}

int OptionsMachine2Form::currentTank() const
{
    const std::vector<int> slots = usedTankSlots();
    const auto it = std::find(slots.begin(), slots.end(), data().currentCoolantTank);
    if (it != slots.end())
        return static_cast<int>(it - slots.begin());
    return slots.empty() ? -1 : 0;
}

void OptionsMachine2Form::selectTank(int index)
{
    const std::vector<int> slots = usedTankSlots();
    if (index < 0 || index >= static_cast<int>(slots.size()) || data().currentCoolantTank == slots[index])
        return;
    data().currentCoolantTank = static_cast<std::uint8_t>(slots[index]);
    markChanged();
}

std::vector<std::string> OptionsMachine2Form::tankCaptions() const
{
    const std::string length = unitText(m_context.texts, unitSystem(), 1);
    const std::string volume = volumeUnitText(volumeUnit());
    auto withUnit
        = [](std::string caption, const std::string& unit) { return unit.empty() ? caption : caption + " " + unit; };
    return {
        text(72220, "*Maschinen-/Tank-Name:"),
        withUnit(text(72221, "*KSM Tank Länge:"), length),
        withUnit(text(72222, "*KSM Tank Breite:"), length),
        withUnit(text(72223, "*KSM Tank 4x Eckenradius:"), length),
        withUnit(text(72224, "*KSM Tank max. Füllmenge:"), volume),
        withUnit(text(72225, "*Tank Volumen/Höheneinheit:"), volume),
        withUnit(text(72226, "*1 Höheneinheit:"), length),
        withUnit(text(72227, "*KSM Sollkonzentration:"), "[%]"),
        text(72228, "*KSM Produktname:"),
        text(72229, "*KSM Refraktometerfaktor:"),
    };
}

TankFields OptionsMachine2Form::tankFields(int index) const
{
    const std::vector<int> slots = usedTankSlots();
    if (index < 0 || index >= static_cast<int>(slots.size()))
        return {};
    const CoolantTank& tank = data().coolantTanks[slots[index]];
    const bool inch = unitSystem() == kUnitSystemInch;
    auto length = [&](float mm) {
        return formatFixed(toDisplay(unitSystem(), 1, std::isfinite(mm) ? mm : 0.0f), inch ? 4 : 2);
    };
    auto volume
        = [&](float ml) { return formatFixed(millilitresToVolume(volumeUnit(), std::isfinite(ml) ? ml : 0.0f), 3); };
    auto plain = [](float value, int decimals) { return formatFixed(std::isfinite(value) ? value : 0.0f, decimals); };
    TankFields fields;
    fields.name = utf16ToUtf8(arrayText(std::span<const char16_t>(tank.name)));
    fields.length = length(tank.length);
    fields.width = length(tank.width);
    fields.cornerRadius = length(tank.cornerRadius);
    fields.maxFill = volume(tank.maxFill);
    fields.volumePerHeightUnit = volume(tank.volumePerHeightUnit);
    fields.heightUnit = length(tank.heightUnit);
    fields.targetConcentration = plain(tank.targetConcentration, 2);
    fields.productName = utf16ToUtf8(arrayText(std::span<const char16_t>(tank.productName)));
    fields.refractometerFactor = plain(tank.refractometerFactor, 3);
    return fields;
}

bool OptionsMachine2Form::readTank(const TankFields& fields, CoolantTank& tank)
{
    const std::string name = trimmed(fields.name);
    if (name.empty()) {
        showError(72230, "*Bitte einen Maschinen-/Tank-Namen eingeben.");
        return false;
    }
    if (utf8Length(name) >= kWideTextLength || utf8Length(fields.productName) >= kWideTextLength) {
        showError(72201, "*Der Text ist zu lang.");
        return false;
    }
    std::memset(&tank, 0, sizeof tank);
    setFixedText(std::span<char16_t>(tank.name), utf8ToUtf16(name));
    setFixedText(std::span<char16_t>(tank.productName), utf8ToUtf16(trimmed(fields.productName)));
    struct Number {
        const std::string& text;
        float* target;
        enum { Length, Volume, Plain } kind;
    };
    const Number numbers[] = {
        {fields.length, &tank.length, Number::Length},
        {fields.width, &tank.width, Number::Length},
        {fields.cornerRadius, &tank.cornerRadius, Number::Length},
        {fields.maxFill, &tank.maxFill, Number::Volume},
        {fields.volumePerHeightUnit, &tank.volumePerHeightUnit, Number::Volume},
        {fields.heightUnit, &tank.heightUnit, Number::Length},
        {fields.targetConcentration, &tank.targetConcentration, Number::Plain},
        {fields.refractometerFactor, &tank.refractometerFactor, Number::Plain},
    };
    for (const Number& number : numbers) {
        float value = 0.0f;
        if (!readNumber(number.text, number.kind == Number::Length, value))
            return false;
        if (number.kind == Number::Length)
            value = toMetric(unitSystem(), 1, value);
        else if (number.kind == Number::Volume)
            value = static_cast<float>(volumeToMillilitres(volumeUnit(), value));
        *number.target = value;
    }
    if (tank.targetConcentration > 100.0f) {
        showError(72231, "*Die Sollkonzentration kann nicht über 100 % liegen.");
        return false;
    }
    return true;
}

bool OptionsMachine2Form::saveNewTank(const TankFields& fields)
{
    const std::vector<int> slots = usedTankSlots();
    if (slots.size() >= kCoolantTankCount) {
        showError(72232, "*Die Liste ist voll: höchstens 10 Tanks je Maschine.");
        return false;
    }
    CoolantTank tank;
    if (!readTank(fields, tank))
        return false;
    std::size_t slot = 0;
    while (data().coolantTanks[slot].name[0] != 0)
        ++slot;
    data().coolantTanks[slot] = tank;
    data().currentCoolantTank = static_cast<std::uint8_t>(slot);
    markChanged();
    return true;
}

bool OptionsMachine2Form::applyTank(int index, const TankFields& fields)
{
    const std::vector<int> slots = usedTankSlots();
    if (index < 0 || index >= static_cast<int>(slots.size()))
        return saveNewTank(fields);
    CoolantTank tank;
    if (!readTank(fields, tank))
        return false;
    CoolantTank& stored = data().coolantTanks[slots[index]];
    // Fields left as shown keep their exact stored value, not the rounded display.
    const TankFields shown = tankFields(index);
    if (fields.length == shown.length)
        tank.length = stored.length;
    if (fields.width == shown.width)
        tank.width = stored.width;
    if (fields.cornerRadius == shown.cornerRadius)
        tank.cornerRadius = stored.cornerRadius;
    if (fields.maxFill == shown.maxFill)
        tank.maxFill = stored.maxFill;
    if (fields.volumePerHeightUnit == shown.volumePerHeightUnit)
        tank.volumePerHeightUnit = stored.volumePerHeightUnit;
    if (fields.heightUnit == shown.heightUnit)
        tank.heightUnit = stored.heightUnit;
    if (fields.targetConcentration == shown.targetConcentration)
        tank.targetConcentration = stored.targetConcentration;
    if (fields.refractometerFactor == shown.refractometerFactor)
        tank.refractometerFactor = stored.refractometerFactor;
    if (std::memcmp(&tank, &stored, sizeof tank) != 0) {
        stored = tank;
        markChanged();
    }
    selectTank(index);
    return true;
}

bool OptionsMachine2Form::deleteTank(int index)
{
    std::vector<int> slots = usedTankSlots();
    if (index < 0 || index >= static_cast<int>(slots.size()))
        return false;
    if (m_context.boxes.show({text(72233, "*Eintrag wirklich löschen?"), text(64961, "*Frage"), MessageIcon::Question,
            MessageButtons::YesNo})
        != MessageAnswer::Yes)
        return false;
    slots.erase(slots.begin() + index);
    CoolantTank kept[kCoolantTankCount] = {};
    for (std::size_t i = 0; i < slots.size(); ++i)
        kept[i] = data().coolantTanks[slots[i]];
    std::memcpy(data().coolantTanks, kept, sizeof kept);
    data().currentCoolantTank
        = static_cast<std::uint8_t>(slots.empty() ? 0 : std::min<std::size_t>(index, slots.size() - 1));
    markChanged();
    return true;
}

} // namespace kvt
