#pragma once
// What the controller needs from the operating system and the window toolkit, as
// small interfaces so that the start-up, switching and quit logic runs in tests
// without a display.

#include "options/options_file.h"
#include "options/options_record.h"
#include "state/open_dialog_data.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace kvt {

// The start-up settings: the registry key on Windows, an INI file elsewhere.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::uint32_t> readNumber(const std::string& name) = 0;
    virtual void writeNumber(const std::string& name, std::uint32_t value) = 0;
    virtual std::optional<std::string> readText(const std::string& name) = 0;
    virtual void writeText(const std::string& name, const std::string& value) = 0;
    virtual void remove(const std::string& name) = 0;
    // A value the installer writes under the company key (SetupDirKVT32).
    virtual std::optional<std::string> installerValue(const std::string& name) = 0;
    // Writes what was changed now instead of at some later moment, for a point where
    // another process reads the settings next (a restart) or the program may end.
    virtual void sync() { }
};

// Creates, closes and talks to the function windows.
class WindowHost {
public:
    virtual ~WindowHost() = default;
    // Creates and shows the window of a page; nullptr when the page has none.
    virtual WindowHandle createWindow(int page) = 0;
    // Hides the window at once and destroys it; it has stored its inputs before.
    virtual void closeWindow(WindowHandle window) = 0;
    virtual void setWindowEnabled(WindowHandle window, bool enabled) = 0;
    // Reload texts and units after the options dialog.
    virtual void refreshWindow(WindowHandle window) = 0;
    // Runs the options dialog modally; true when it changed anything.
    virtual void runOptionsDialog(WindowHandle sender) = 0;
    virtual void showAbout() = 0;
    virtual void showSupportMail() = 0;
    // Ends the event loop.
    virtual void quitApplication() = 0;
};

using CalculationsEntry = void (*)(void* mainWindow, OpenDialogData* state);

class SystemServices {
public:
    virtual ~SystemServices() = default;
    virtual std::filesystem::path executablePath() = 0;
    // The per-user application-data folder the data directory lives under.
    virtual std::filesystem::path commonDataFolder() = 0;
    // Opens a file or folder with the desktop's handler.
    virtual bool openPath(const std::filesystem::path& path) = 0;
    // Starts the program anew, detached from this process.
    virtual bool startProgram(const std::filesystem::path& program) = 0;
    // Takes the single-instance lock in the folder; false when another instance holds
    // it. waitMs lets a restarted instance wait for its predecessor to end.
    virtual bool lockSingleInstance(const std::filesystem::path& folder, int waitMs) = 0;
    virtual void unlockSingleInstance() = 0;
    // Loads a library and resolves an export; nullptr when either fails. The
    // previous library is unloaded first.
    virtual CalculationsEntry loadCalculationsLibrary(const std::filesystem::path& library, const char* symbol) = 0;
    virtual void unloadCalculationsLibrary() = 0;
    // Downloads a file of the vendor's download server; false without a connection.
    virtual bool downloadFile(const std::string& remotePath, const std::filesystem::path& target) = 0;
    // Runs the function on the main thread soon, in order (the background thread uses it).
    virtual void postToMainThread(std::function<void()> function) = 0;
};

// How a read of the options file ended: what it means for the file, and the text to
// show when it failed (never empty then).
struct OptionsReadOutcome {
    OptionsReadFailure failure = OptionsReadFailure::None;
    std::string message;
};

// The options file; the implementation decides when nothing needs writing.
class OptionsStorage {
public:
    virtual ~OptionsStorage() = default;
    // The record is unchanged on failure.
    virtual OptionsReadOutcome read(const std::filesystem::path& file, OptionsRecord& record) = 0;
    // Writes when record.settings.changed is 1; nullopt on success or when nothing was due.
    virtual std::optional<std::string> write(const std::filesystem::path& file, OptionsRecord& record) = 0;
};

} // namespace kvt
