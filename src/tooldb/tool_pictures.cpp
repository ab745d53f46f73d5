#include "tooldb/tool_pictures.h"

#include "common/atomic_file.h"
#include "common/code_page.h"
#include "common/message_boxes.h"
#include "common/number_format.h"
#include "common/text_lookup.h"
#include "options/options_record.h"
#include "tooldb/tool_record.h"
#include "tooldb/tool_table.h"

#include <cstring>
#include <map>
#include <system_error>

namespace kvt {

namespace {

constexpr std::size_t kStoredPathScan = 256; // the width of the stored path

int validMachine(int machine)
{
    return machine >= 0 && machine < static_cast<int>(kMachineCount) ? machine : 0;
}

std::filesystem::path pathOf(std::u16string_view text)
{
    return pathFromUtf8(utf16ToUtf8(text));
}

bool isRegularFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

// A picture that already is the target (a machine's own folder imported again) stays as
// it is; any other is copied whole or not at all.
bool copyPicture(const std::filesystem::path& source, const std::filesystem::path& target, std::string* reason)
{
    return isSameFile(source, target) || copyFileAtomically(source, target, reason);
}

} // namespace

std::string machineFolderName(int machine)
{
    return cformat("Machine%02i", validMachine(machine));
}

std::filesystem::path pictureFolder(const std::filesystem::path& dataDirectory, int machine)
{
    // Appending an empty part leaves the trailing separator.
    return dataDirectory / kToolsDatabaseFolder / machineFolderName(machine) / "";
}

std::u16string_view fileNameOfPath(std::u16string_view path)
{
    path = path.substr(0, kStoredPathScan);
    const std::size_t separator = path.find_last_of(u"\\/");
    return separator == std::u16string_view::npos ? path : path.substr(separator + 1);
}

std::optional<std::u16string> pictureFileName(std::u16string_view path)
{
    const std::u16string_view name = fileNameOfPath(path);
    if (name.empty() || name == u"." || name == u".." || name.find(u':') != std::u16string_view::npos
        || name.find(u'\0') != std::u16string_view::npos)
        return std::nullopt;
    return std::u16string(name);
}

bool setPictureMachineDigit(std::u16string& path, int machine)
{
    static constexpr std::u16string_view kMachine = u"Machine";
    auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    for (std::size_t at = path.find(kMachine); at != std::u16string::npos; at = path.find(kMachine, at + 1)) {
        const std::size_t digits = at + kMachine.size();
        if (digits + 2 < path.size() && isDigit(path[digits]) && isDigit(path[digits + 1])
            && (path[digits + 2] == u'\\' || path[digits + 2] == u'/')) {
            path[digits + 1] = static_cast<char16_t>(u'0' + validMachine(machine));
            return true;
        }
    }
    return false;
}

std::optional<std::filesystem::path> resolvePicturePath(
    std::u16string_view storedPath, const std::filesystem::path& dataDirectory, int machine)
{
    if (storedPath.empty())
        return std::nullopt;
    const std::filesystem::path stored = pathOf(storedPath);
    if (isRegularFile(stored))
        return stored;
    const std::optional<std::u16string> name = pictureFileName(storedPath);
    if (!name)
        return std::nullopt;
    const std::filesystem::path inDatabase = pictureFolder(dataDirectory, machine) / pathOf(*name);
    if (isRegularFile(inDatabase))
        return inDatabase;
    return std::nullopt;
}

PictureCopyResult copyPicturesToExportFolder(const MachineRecord& machine, int machineIndex,
    const std::filesystem::path& exportFile, const std::filesystem::path& dataDirectory, MessageBoxes& boxes,
    const TextLookup& texts)
{
    PictureCopyResult result;
    const std::filesystem::path folder = exportFile.parent_path();
    std::map<std::u16string, std::filesystem::path> copiedFrom; // file name -> source
    for (std::size_t slot = 0; slot < kToolTableSlotCount; ++slot) {
        const ToolRecord record = loadTool(machine, slot);
        const std::u16string_view stored = toolText(record, ToolField::PicturePath);
        if (stored.empty())
            continue;
        const std::string storedUtf8 = utf16ToUtf8(stored);
        const std::optional<std::u16string> name = pictureFileName(stored);
        if (!name) {
            result.problems.push_back({PictureProblemKind::NameRefused, storedUtf8});
            continue;
        }
        const std::optional<std::filesystem::path> source = resolvePicturePath(stored, dataDirectory, machineIndex);
        if (!source) {
            const MessageBoxRequest question {missingPictureQuestion(texts, storedUtf8), questionCaption(texts),
                MessageIcon::Question, MessageButtons::YesNo};
            if (boxes.show(question) != MessageAnswer::Yes) {
                result.aborted = true;
                return result;
            }
            ++result.missing;
            continue;
        }
        const auto earlier = copiedFrom.find(*name);
        if (earlier != copiedFrom.end()) {
            if (!isSameFile(earlier->second, *source))
                result.problems.push_back({PictureProblemKind::NameClash, storedUtf8});
            continue;
        }
        if (copyPicture(*source, folder / pathOf(*name), nullptr)) {
            copiedFrom.emplace(*name, *source);
            ++result.copied;
        } else {
            result.problems.push_back({PictureProblemKind::CopyFailed, storedUtf8});
        }
    }
    return result;
}

PictureCopyResult importPictures(MachineRecord& machine, int machineIndex, const std::filesystem::path& importFile,
    const std::filesystem::path& dataDirectory)
{
    PictureCopyResult result;
    const std::filesystem::path from = importFile.parent_path();
    const std::filesystem::path to = pictureFolder(dataDirectory, machineIndex);
    std::error_code ignored;
    std::filesystem::create_directories(to, ignored);
    std::map<std::u16string, bool> copied; // file name -> copied
    for (std::size_t slot = 0; slot < kToolTableStoredSlots; ++slot) {
        ToolRecord record = loadTool(machine, slot);
        const std::u16string_view stored = toolText(record, ToolField::PicturePath);
        if (stored.empty())
            continue;
        const std::optional<std::u16string> name = pictureFileName(stored);
        if (!name) {
            result.problems.push_back({PictureProblemKind::NameRefused, utf16ToUtf8(stored)});
            continue;
        }
        auto done = copied.find(*name);
        if (done == copied.end()) {
            const std::filesystem::path source = from / pathOf(*name);
            if (!isRegularFile(source)) {
                ++result.missing;
                continue;
            }
            const bool ok = copyPicture(source, to / pathOf(*name), nullptr);
            if (ok)
                ++result.copied;
            else
                result.problems.push_back({PictureProblemKind::CopyFailed, utf16ToUtf8(stored)});
            done = copied.emplace(*name, ok).first;
        }
        if (!done->second)
            continue;
        std::u16string path(stored);
        if (setPictureMachineDigit(path, machineIndex)) {
            setToolText(record, ToolField::PicturePath, path);
            storeTool(machine, slot, record);
        }
    }
    return result;
}

std::optional<std::u16string> copyPictureIntoDatabase(
    const std::filesystem::path& picture, const std::filesystem::path& dataDirectory, int machine, std::string* reason)
{
    const std::u16string pictureText = utf8ToUtf16(pathToUtf8(picture));
    const std::optional<std::u16string> name = pictureFileName(pictureText);
    if (!name) {
        if (reason)
            *reason = std::strerror(EINVAL);
        return std::nullopt;
    }
    const std::filesystem::path folder = pictureFolder(dataDirectory, machine);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::filesystem::path target = folder / pathOf(*name);
    if (!copyPicture(picture, target, reason))
        return std::nullopt;
    const std::u16string stored = utf8ToUtf16(pathToUtf8(target));
    // A path longer than the field could not be stored whole; it would point nowhere.
    if (stored.size() >= kToolPicturePathLength) {
        if (reason)
            *reason = std::strerror(ENAMETOOLONG);
        return std::nullopt;
    }
    return stored;
}

std::string pictureCopyMessage(const TextLookup& texts, const PictureCopyResult& result)
{
    std::string message;
    if (result.missing > 0)
        message += cformat(texts.text(76151, "*%i Bilder wurden nicht gefunden."), result.missing) + "\n";
    for (const PictureProblem& problem : result.problems) {
        switch (problem.kind) {
        case PictureProblemKind::NameRefused:
            message += texts.text(76152, "*Unzulässiger Dateiname, nicht kopiert:");
            break;
        case PictureProblemKind::CopyFailed:
            message += texts.text(76153, "*Kopieren fehlgeschlagen:");
            break;
        case PictureProblemKind::NameClash:
            message += texts.text(76154, "*Ein anderes Bild mit gleichem Dateinamen wurde schon kopiert:");
            break;
        }
        message += " " + problem.path + "\n";
    }
    if (!message.empty())
        message.pop_back();
    return message;
}

std::string missingPictureQuestion(const TextLookup& texts, std::string_view missingPath)
{
    return std::string(missingPath) + "\n\n"
        + texts.text(
            76150, "*Bild Datei nicht vórhanden.\n >Ja< für Fortfahren, oder >Nein< um den Export abzubrechen");
}

std::string questionCaption(const TextLookup& texts)
{
    return texts.text(64961, "*Frage");
}

} // namespace kvt
