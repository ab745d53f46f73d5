#pragma once
// The hidden controller: owns the state blocks, the language module, the start-up
// settings and the options file, opens and closes the function windows and ends or
// restarts the program. Windows talk to it only through AppMessage requests, which it
// handles synchronously.

#include "app/background_thread.h"
#include "app/language_module.h"
#include "app/pages.h"
#include "app/platform.h"
#include "app/state_block_set.h"
#include "common/message_boxes.h"
#include "state/app_message.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>

namespace kvt {

inline constexpr int kStartupWriteDelayTicks = 1; // seconds after start
inline constexpr int kOptionsWriteDelayTicks = 45; // seconds after start

// The program's data folder below the system's common data folder; the options file and
// the single-instance lock live there.
std::filesystem::path dataFolderIn(const std::filesystem::path& commonDataFolder);

struct ControllerServices {
    WindowHost& windows;
    SystemServices& system;
    SettingsStore& settings;
    MessageBoxes& boxes;
    OptionsStorage& optionsStorage;
};

class AppController {
public:
    explicit AppController(ControllerServices services, StateBlockSet::Allocator allocator = {});
    ~AppController();
    AppController(const AppController&) = delete;
    AppController& operator=(const AppController&) = delete;

    // The start-up sequence up to the start page. False when start-up stopped: a
    // block could not be allocated or another instance is running.
    bool startUp();

    std::intptr_t send(AppMessage message, std::intptr_t lParam = 0);
    std::intptr_t send(AppMessage message, OpenRequest& request)
    {
        return send(message, reinterpret_cast<std::intptr_t>(&request));
    }

    // A function window was moved: the next window opens at the same place.
    void windowMoved(int left, int top, int right, int bottom);
    // Makes a machine the current one (the windows' "*Maschine wählen..." menu).
    void chooseMachine(int machine);

    OpenDialogData* state() const { return m_blocks.state(); }
    OptionsRecord* options() const { return m_blocks.options(); }
    const LanguageModule& language() const { return m_language; }
    const TextLookup& texts() const { return m_language; }
    // The start-up settings (the port device map of the serial link lives there).
    SettingsStore& settings() const { return m_services.settings; }
    MainWindowPort* mainWindowPort() { return &m_port; }
    std::filesystem::path dataDirectory() const;
    std::filesystem::path programDirectory() const;
    bool optionsReadFailed() const { return m_optionsReadFailed; }
    // True while the options file on disk must not be replaced: it could not be read
    // and no complete copy of it exists.
    bool optionsFileProtected() const { return m_keepOptionsFile; }

    // Called from the background thread's tick (public for tests).
    void backgroundTick(int tickNumber);

private:
    bool allocate(StateBlock block);
    void loadLanguage(bool reportFailure);
    void readStartupSettings();
    void saveStartupSettings();
    void backupOrSeedAfterInstallation(const std::filesystem::path& dataDir, const std::filesystem::path& programDir);
    void readOptionsFile();
    void writeOptionsFile();
    bool checkSingleInstance();
    std::filesystem::path standardDataDirectory();
    bool restartUnderWay(const std::filesystem::path& dataDir);
    void pointStateAtBlocks();
    bool anyFunctionWindowOpen() const;
    void keepAFunctionWindowOpen();
    void finishStartUp();
    void openFunctionWindow(const PageInfo& info, OpenRequest* request);
    void openCalculations(OpenRequest* request);
    void runCalculationsLibrary();
    void closeWindow(WindowHandle window);
    void fillSharedHeader();
    void quitRequest(WindowHandle sender);
    void openOptions(WindowHandle sender);
    void restart();
    void openManual();
    bool downloadManual();
    void releaseState();
    void exitProgram();
    MessageAnswer showMessage(MessageBoxRequest request);
    std::string text(int id, std::string_view builtin) const { return m_language.text(id, builtin); }

    static std::intptr_t portSend(void* context, std::uint32_t message, std::intptr_t lParam);

    ControllerServices m_services;
    StateBlockSet m_blocks;
    LanguageModule m_language;
    std::int32_t m_loadedLanguageCode = 0; // the code of the module in m_language
    BackgroundThread m_background;
    MainWindowPort m_port {};
    bool m_optionsReadFailed = false;
    bool m_keepOptionsFile = false;
    bool m_startupWritePending = false;
    bool m_backupOrSeedChecked = false;
    bool m_startupSettingsRead = false;
};

} // namespace kvt
