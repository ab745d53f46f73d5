#include "options/options_general_form.h"

#include "common/code_page.h"
#include "common/data_directory.h"
#include "common/number_format.h"
#include "common/number_lists.h"
#include "common/units.h"

namespace kvt {

namespace {

template<std::size_t N> int indexOf(const std::array<ChoiceEntry, N>& choices, int value)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (choices[i].value == value)
            return static_cast<int>(i);
    }
    return -1;
}

template<std::size_t N> const ChoiceEntry* entryAt(const std::array<ChoiceEntry, N>& choices, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= N)
        return nullptr;
    return &choices[static_cast<std::size_t>(index)];
}

} // namespace

OptionsGeneralForm::OptionsGeneralForm(OptionsDialogContext& context)
    : m_context(context)
{
    // A fresh dialog: the flags tell the windows what changed during this one.
    m_context.options.settings.unitSystemChanged = 0;
    m_context.options.settings.volumeUnitChanged = 0;
}

std::vector<std::string> OptionsGeneralForm::entries(std::span<const ChoiceEntry> choices) const
{
    std::vector<std::string> texts;
    texts.reserve(choices.size());
    for (const ChoiceEntry& choice : choices)
        texts.push_back(text(choice.textId, choice.builtin));
    return texts;
}

int OptionsGeneralForm::startPageIndex() const
{
    if (m_context.options.settings.startPageIsLastUsed == 1)
        return static_cast<int>(kStartPageChoices.size()) - 1;
    // 0 and unknown pages open the cutting data window, and so the combo shows it.
    const int index = indexOf(kStartPageChoices, m_context.state.startPage);
    return index < 0 || kStartPageChoices[static_cast<std::size_t>(index)].value == kLastUsedStartPage ? 0 : index;
}

int OptionsGeneralForm::languageIndex() const
{
    return indexOf(kLanguageChoices, m_context.state.languageCode);
}

int OptionsGeneralForm::unitSystemIndex() const
{
    return indexOf(kUnitSystemChoices, m_context.options.settings.unitSystem);
}

int OptionsGeneralForm::volumeUnitIndex() const
{
    return indexOf(kVolumeUnitChoices, m_context.options.settings.volumeUnit);
}

int OptionsGeneralForm::calculationLevelIndex() const
{
    // Level 0 (a record that never went through this page) loads no library at all;
    // the combo shows no entry rather than pretend "Standard".
    return indexOf(kCalculationLevelChoices, m_context.options.settings.calculationLevel);
}

std::string OptionsGeneralForm::safetyValueText() const
{
    const int unitSystem = m_context.options.settings.unitSystem;
    const float shown = toDisplay(unitSystem, 1, m_context.options.settings.safetyValue);
    return formatFixed(shown, unitSystem == kUnitSystemInch ? 4 : 2);
}

std::string OptionsGeneralForm::safetyValueLabel() const
{
    const std::string unit = unitText(m_context.texts, m_context.options.settings.unitSystem, 1);
    const std::string label = text(72004, "*Sicherheitswert für Berechnungen:");
    return unit.empty() ? label : label + " " + unit;
}

void OptionsGeneralForm::chooseStartPage(int index)
{
    const ChoiceEntry* entry = entryAt(kStartPageChoices, index);
    if (!entry)
        return;
    if (entry->value == kLastUsedStartPage) {
        m_context.options.settings.startPageIsLastUsed = 1;
    } else {
        m_context.state.startPage = entry->value;
        m_context.options.settings.startPageIsLastUsed = 0;
    }
    markChanged();
}

void OptionsGeneralForm::chooseLanguage(int index)
{
    const ChoiceEntry* entry = entryAt(kLanguageChoices, index);
    if (!entry)
        return;
    if (m_context.state.languageCode != entry->value) {
        m_context.state.languageCode = entry->value;
        m_context.state.languageChanged = 1;
    }
    markChanged();
}

UnitSystemChoice OptionsGeneralForm::chooseUnitSystem(int index)
{
    const ChoiceEntry* entry = entryAt(kUnitSystemChoices, index);
    GlobalSettings& settings = m_context.options.settings;
    if (!entry || entry->value == settings.unitSystem || m_askingUnitSystem)
        return UnitSystemChoice::Unchanged;

    m_askingUnitSystem = true;
    const MessageAnswer answer = m_context.boxes.show({text(kUnitQuestionId, kUnitQuestion),
        text(kQuestionCaptionId, kQuestionCaption), MessageIcon::Question, MessageButtons::YesNo});
    m_askingUnitSystem = false;
    if (answer != MessageAnswer::Yes)
        return UnitSystemChoice::Declined;

    settings.unitSystem = static_cast<std::uint8_t>(entry->value);
    settings.unitSystemChanged = 1;
    settings.restartMarker = 1;
    markChanged();
    return UnitSystemChoice::Restart;
}

void OptionsGeneralForm::chooseVolumeUnit(int index)
{
    const ChoiceEntry* entry = entryAt(kVolumeUnitChoices, index);
    if (!entry)
        return;
    GlobalSettings& settings = m_context.options.settings;
    if (settings.volumeUnit != entry->value) {
        settings.volumeUnit = static_cast<std::uint8_t>(entry->value);
        settings.volumeUnitChanged = 1;
    }
    markChanged();
}

void OptionsGeneralForm::chooseCalculationLevel(int index)
{
    if (const ChoiceEntry* entry = entryAt(kCalculationLevelChoices, index)) {
        m_context.options.settings.calculationLevel = static_cast<std::uint8_t>(entry->value);
        markChanged();
    }
}

bool OptionsGeneralForm::setSafetyValue(std::string& fieldText)
{
    // The field as it was filled: reading the rounded display back would move the stored
    // value by a rounding step each time the field is left.
    if (fieldText == safetyValueText())
        return true;
    GlobalSettings& settings = m_context.options.settings;
    const bool inch = settings.unitSystem == kUnitSystemInch;
    // Inch users may type fractions such as "1/16".
    const int inputClass = inch ? 9 : 1;
    FractionInput fraction;
    float value = 0.0f;
    bool valid
        = validateFieldWithMessage(fraction, fieldText, inch, inputClass, value, m_context.texts, m_context.boxes);
    if (!valid) {
        // The text was cut back at the bad character and the user told so; what is
        // left is valid and is what the field now shows.
        validateFieldWithMessage(fraction, fieldText, inch, inputClass, value, m_context.texts, m_context.boxes);
    }
    const float stored = toMetric(settings.unitSystem, 1, value);
    if (stored != settings.safetyValue) {
        settings.safetyValue = stored;
        markChanged();
    }
    return valid;
}

void OptionsGeneralForm::setOpenReportsAutomatically(bool on)
{
    m_context.options.settings.openReportsAutomatically = on ? 1 : 0;
    markChanged();
}

void OptionsGeneralForm::setCopyUnitsToClipboard(bool on)
{
    m_context.options.settings.copyUnitsToClipboard = on ? 1 : 0;
    markChanged();
}

int OptionsGeneralForm::deleteOldReports(int ageIndex)
{
    const ChoiceEntry* entry = entryAt(kReportAgeChoiceEntries, ageIndex);
    if (!entry)
        return -1;
    const std::filesystem::path dataDirectory = std::filesystem::path(fixedText(m_context.state.dataDirectory));
    const int deleted = dataDirectory.empty() ? 0 : kvt::deleteOldReports(dataDirectory, entry->value, m_context.clock);
    m_context.boxes.show({text(72065, "*Gelöschte Reports: ") + cformat("%d", deleted), text(72066, "*Reports löschen"),
        MessageIcon::Information, MessageButtons::Ok});
    return deleted;
}

} // namespace kvt
