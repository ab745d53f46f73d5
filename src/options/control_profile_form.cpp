#include "options/control_profile_form.h"

#include "common/code_page.h"
#include "common/number_format.h"

#include <charconv>
#include <utility>

namespace kvt {

namespace {

std::string count(std::uint32_t value)
{
    return cformat("%u", value);
}

std::optional<std::uint32_t> parseCount(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::uint32_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

ControlProfileTexts profileTexts(const ControlProfile& p)
{
    ControlProfileTexts t;
    t.name = p.name;
    t.lineEnd = static_cast<int>(p.lineEnd);
    t.leader = escapedBytesText(p.leader);
    t.trailer = escapedBytesText(p.trailer);
    t.beforeSend = escapedBytesText(p.beforeSend);
    t.afterSend = escapedBytesText(p.afterSend);
    t.dropBeforePercent = p.dropBeforePercent;
    t.nameLine = static_cast<int>(p.nameLine);
    t.start = static_cast<int>(p.start);
    t.flow = static_cast<int>(p.flow);
    t.linePauseMs = count(p.linePauseMs);
    t.stopAllowance = count(p.stopAllowance);
    t.linkTimeoutMs = count(p.linkTimeoutMs);
    t.receiveEndPattern = p.receiveEndPattern;
    t.requestPattern = p.requestPattern;
    t.fileNamePattern = p.fileNamePattern;
    t.folders = p.folders;
    t.requestDelayMs = count(p.requestDelayMs);
    t.requestDripFeed = p.requestDripFeed;
    return t;
}

ControlProfileForm::ControlProfileForm(OptionsDialogContext& context)
    : m_context(context)
{
    const std::filesystem::path folder = dataDirectory();
    ProfileFileError error;
    if (!folder.empty() && !m_profiles.load(folder, error)) {
        m_damagedFile = true;
        m_loadMessage = damagedProfileFileMessage(m_context.texts, error, folder);
    }
}

std::filesystem::path ControlProfileForm::dataDirectory() const
{
    return std::filesystem::path(fixedText(m_context.state.dataDirectory));
}

std::string ControlProfileForm::takeLoadMessage()
{
    return std::exchange(m_loadMessage, std::string());
}

std::vector<std::string_view> ControlProfileForm::lineEndEntries()
{
    return {"CR LF", "LF", "CR"};
}

std::vector<std::string> ControlProfileForm::entries() const
{
    std::vector<std::string> names;
    for (const ControlProfile& p : m_profiles.all())
        names.push_back(p.name);
    return names;
}

int ControlProfileForm::currentIndex() const
{
    const std::string name = MachineProfileName(m_context.options.machines[currentMachineIndex(m_context.options)]);
    const ControlProfile& chosen = m_profiles.resolve(name);
    const auto& all = m_profiles.all();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (&all[i] == &chosen)
            return static_cast<int>(i);
    return -1;
}

void ControlProfileForm::choose(int index)
{
    const auto& all = m_profiles.all();
    if (index < 0 || index >= static_cast<int>(all.size()))
        return;
    StoreMachineProfileName(
        m_context.options.machines[currentMachineIndex(m_context.options)], all[static_cast<std::size_t>(index)].name);
    m_context.options.settings.dialogChanged[kMachinePage1] = 1;
}

void ControlProfileForm::showError(int id, std::string_view builtin, const std::string& detail)
{
    m_context.boxes.show({m_context.texts.text(id, builtin) + detail, m_context.texts.text(65470, "Error"),
        MessageIcon::Error, MessageButtons::Ok});
}

bool ControlProfileForm::save(const ControlProfileTexts& t)
{
    ControlProfile p;
    p.name = t.name;
    if (t.lineEnd < 0 || t.lineEnd > 2 || t.nameLine < 0 || t.nameLine > 3 || t.start < 0 || t.start > 2 || t.flow < 0
        || t.flow > 1)
        return false; // the editor offers nothing else
    p.lineEnd = static_cast<LineEnd>(t.lineEnd);
    p.nameLine = static_cast<NameLine>(t.nameLine);
    p.start = static_cast<StartCondition>(t.start);
    p.flow = static_cast<FlowMode>(t.flow);
    const std::pair<const std::string*, std::string*> byteFields[] = {
        {&t.leader, &p.leader}, {&t.trailer, &p.trailer}, {&t.beforeSend, &p.beforeSend}, {&t.afterSend, &p.afterSend}};
    for (const auto& [text, field] : byteFields) {
        const auto bytes = parseEscapedBytes(*text);
        if (!bytes) {
            showError(94743, "*Fehlerhafte Steuerzeichen (\\xHH, \\\\) in: ", *text);
            return false;
        }
        *field = *bytes;
    }
    const std::pair<const std::string*, std::uint32_t*> counts[]
        = {{&t.linePauseMs, &p.linePauseMs}, {&t.stopAllowance, &p.stopAllowance}, {&t.linkTimeoutMs, &p.linkTimeoutMs},
            {&t.requestDelayMs, &p.requestDelayMs}};
    for (const auto& [text, field] : counts) {
        const auto value = parseCount(*text);
        if (!value) {
            showError(94744, "*Eine ganze Zahl ab 0 eingeben: ", *text);
            return false;
        }
        *field = *value;
    }
    p.dropBeforePercent = t.dropBeforePercent;
    p.receiveEndPattern = t.receiveEndPattern;
    p.requestPattern = t.requestPattern;
    p.fileNamePattern = t.fileNamePattern;
    p.folders = t.folders;
    p.requestDripFeed = t.requestDripFeed;
    switch (profileProblem(p)) {
    case ProfileProblem::None:
        break;
    case ProfileProblem::BadName:
        showError(94737, "*Das Profil braucht einen Namen ohne eckige Klammern.");
        return false;
    case ProfileProblem::BadReceiveEndPattern:
        showError(94738, "*Das Empfangsende-Muster ist kein gültiger regulärer Ausdruck.");
        return false;
    case ProfileProblem::BadRequestPattern:
        showError(94739, "*Das Anforderungs-Muster ist kein gültiger regulärer Ausdruck.");
        return false;
    case ProfileProblem::FileNameWithoutNumber:
        showError(94740, "*Das Dateinamen-Muster braucht {n} für die Programmnummer.");
        return false;
    case ProfileProblem::NoStopAllowance:
        showError(94741, "*Zeichen nach Stopp muss mindestens 1 sein.");
        return false;
    }
    const ControlProfiles before = m_profiles;
    m_profiles.put(std::move(p));
    if (!writeFile()) {
        m_profiles = before;
        return false;
    }
    return true;
}

bool ControlProfileForm::remove(const std::string& name)
{
    const ControlProfiles before = m_profiles;
    if (!m_profiles.remove(name))
        return false;
    if (!writeFile()) {
        m_profiles = before;
        return false;
    }
    return true;
}

bool ControlProfileForm::writeFile()
{
    const std::filesystem::path folder = dataDirectory();
    bool written = !folder.empty();
    if (written && m_damagedFile) {
        // The user's damaged file may still hold profiles worth typing in again; without
        // a copy of it nothing is written.
        written = keepDamagedCopy(ControlProfiles::filePath(folder), ControlProfiles::damagedCopyNames()).has_value();
    }
    written = written && m_profiles.save(folder);
    if (!written) {
        showError(94742, "*Die Datei der Steuerungsprofile konnte nicht geschrieben werden.");
        return false;
    }
    m_damagedFile = false;
    return true;
}

} // namespace kvt
