#pragma once
// The pictures of the tool database. Each machine has a picture folder under the data
// directory ("ToolsDatabase/Machine00/" ... "Machine09/"); a tool stores the full path
// of its picture. An export copies the pictures beside the export file under their file
// names; an import copies them from beside the import file into the machine's picture
// folder. File names taken from a table or an import file are reduced to their last
// path component and ".." is refused, so that no copy ever lands outside the folder it
// is meant for.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

struct MachineRecord;
class MessageBoxes;
class TextLookup;

inline constexpr std::string_view kToolsDatabaseFolder = "ToolsDatabase";

// "Machine00" ... "Machine09"; an index outside 0 to 9 counts as 0.
std::string machineFolderName(int machine);
// <data directory>/ToolsDatabase/MachineNN/, ending with a separator.
std::filesystem::path pictureFolder(const std::filesystem::path& dataDirectory, int machine);

// The characters after the last backslash or slash within the first 256 characters
// of a stored path.
std::u16string_view fileNameOfPath(std::u16string_view path);
// The name a picture may be copied under: fileNameOfPath, refused (none) when it is
// empty, "." or "..", or holds a colon (a drive on Windows).
std::optional<std::u16string> pictureFileName(std::u16string_view path);

// Sets the second digit of the first "MachineNN" folder in a stored path (a folder of
// the database: two digits and a separator must follow) to the machine's index.
// Returns false, changing nothing, when the path has no such folder.
bool setPictureMachineDigit(std::u16string& path, int machine);

// Where a tool's picture is found: the stored path when that file exists, otherwise a
// file of the same name in the machine's picture folder (a table moved from another
// computer keeps paths that do not exist here); none when neither exists.
std::optional<std::filesystem::path> resolvePicturePath(
    std::u16string_view storedPath, const std::filesystem::path& dataDirectory, int machine);

enum class PictureProblemKind {
    NameRefused, // the stored path yields no usable file name
    CopyFailed, // the file exists but could not be copied
    NameClash, // two different pictures with the same file name; the first was kept
};

struct PictureProblem {
    PictureProblemKind kind;
    std::string path; // the stored picture path, UTF-8
};

struct PictureCopyResult {
    bool aborted = false; // export: the user chose not to go on without a picture
    std::size_t copied = 0; // files copied (a picture shared by several tools counts once)
    std::size_t missing = 0; // pictures not found
    std::vector<PictureProblem> problems;
};

// Copies the picture of every tool (500 slots) beside the export file, replacing files
// of the same name. For a picture that is not found the user is asked (the missing path,
// a blank line and the question; yes/no): no ends the copying with `aborted`.
PictureCopyResult copyPicturesToExportFolder(const MachineRecord& machine, int machineIndex,
    const std::filesystem::path& exportFile, const std::filesystem::path& dataDirectory, MessageBoxes& boxes,
    const TextLookup& texts);

// Copies the picture of every tool from beside the import file into the machine's
// picture folder, replacing files of the same name. After each successful copy the
// tool's stored path gets the machine's digit (setPictureMachineDigit). A picture not
// found beside the import file is counted in `missing` and skipped.
PictureCopyResult importPictures(MachineRecord& machine, int machineIndex, const std::filesystem::path& importFile,
    const std::filesystem::path& dataDirectory);

// Copies a picture the user chose into the machine's picture folder and gives the path
// to store in the tool; none (with a reason) when the name is refused or the copy fails.
std::optional<std::u16string> copyPictureIntoDatabase(const std::filesystem::path& picture,
    const std::filesystem::path& dataDirectory, int machine, std::string* reason = nullptr);

// What the user should know after copying: pictures not found on import and every
// problem, one path a line; empty when all went well.
std::string pictureCopyMessage(const TextLookup& texts, const PictureCopyResult& result);

// The question for a missing picture on export, and its caption.
std::string missingPictureQuestion(const TextLookup& texts, std::string_view missingPath);
std::string questionCaption(const TextLookup& texts);

} // namespace kvt
