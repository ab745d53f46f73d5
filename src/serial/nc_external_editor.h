#pragma once
// Handing the NC file to an external editor. The machine's editor mode is 1 for the
// window's own editor, 3 for the desktop's text editor ("Notepad") and any other value
// for the program whose path the machine holds. The window launches what the plan
// says, waits until the editor ends and reloads the file.

#include "common/message_boxes.h"
#include "common/text_lookup.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

enum class NcEditorMode { Internal, DesktopEditor, ExternalProgram };

inline constexpr std::uint8_t kEditorModeInternal = 1;
inline constexpr std::uint8_t kEditorModeNotepad = 3;

NcEditorMode ncEditorMode(std::uint8_t stored);

struct ExternalEditorPlan {
    enum class Action { None, Refuse, Launch };
    Action action = Action::None;
    MessageBoxRequest refusal; // Refuse: what to tell the user
    bool desktopEditor = false; // Launch: the desktop's text editor rather than `program`
    std::filesystem::path program; // Launch, external program
    std::filesystem::path file; // Launch: handed to the editor as its one argument
};

// What "*Editieren" (or a keystroke in the read-only editor) does. Nothing in the
// window's own editor; a refusal without a saved file, for an external program without
// a path, and for an external program when the file path holds a space after its first
// character (a program started with a command line would split the path there);
// otherwise the launch.
ExternalEditorPlan planExternalEditor(std::uint8_t mode, std::u16string_view programPath,
    const std::filesystem::path& currentFile, bool fileSaved, const TextLookup& texts);

// The desktop's text editor on Linux is the application its desktop entry names for
// text files. The command of an entry's Exec line with the file put in for its field
// code (%f, %F, %u, %U; appended when there is none), other field codes dropped,
// quoting and escapes undone. Empty when the line holds no program.
std::vector<std::string> desktopEntryCommand(std::string_view execLine, const std::string& file);

// The Exec line of the "[Desktop Entry]" group of a desktop file's text; empty when
// there is none.
std::string desktopEntryExec(std::string_view desktopFile);

} // namespace kvt
