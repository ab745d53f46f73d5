#pragma once
// The Qt and operating-system side of the controller's interfaces.

#include "app/platform.h"
#include "common/message_boxes.h"
#include "common/qt_message_boxes.h"

#include <QLibrary>
#include <QLockFile>
#include <QObject>

#include <functional>
#include <memory>
#include <thread>

class QSettings;
class QWidget;

namespace kvt {

class AppController;
class FunctionWindow;

// Start-up settings through QSettings: the registry key
// HKCU\SOFTWARE\Venmark\Kalvoratools\2025\Startup on Windows, an INI file in the
// user's configuration folder elsewhere.
class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore();
    ~QtSettingsStore() override;
    std::optional<std::uint32_t> readNumber(const std::string& name) override;
    void writeNumber(const std::string& name, std::uint32_t value) override;
    std::optional<std::string> readText(const std::string& name) override;
    void writeText(const std::string& name, const std::string& value) override;
    void remove(const std::string& name) override;
    std::optional<std::string> installerValue(const std::string& name) override;
    void sync() override;

private:
    // One object for the whole run: it writes its changes in one go once the event loop
    // runs (and at exit), not the whole file again after every value at start-up.
    std::unique_ptr<QSettings> m_settings;
};

class QtSystemServices final : public QObject, public SystemServices {
public:
    // Fetches a file of the vendor's server; the program supplies it (src/support).
    using Downloader = std::function<bool(const std::string& remotePath, const std::filesystem::path& target)>;

    ~QtSystemServices() override;
    void setDownloader(Downloader downloader) { m_downloader = std::move(downloader); }
    std::filesystem::path executablePath() override;
    std::filesystem::path commonDataFolder() override;
    // The same folder, known before the application object exists.
    static std::filesystem::path systemCommonDataFolder();
    bool openPath(const std::filesystem::path& path) override;
    bool startProgram(const std::filesystem::path& program) override;
    bool lockSingleInstance(const std::filesystem::path& folder, int waitMs) override;
    void unlockSingleInstance() override;
    CalculationsEntry loadCalculationsLibrary(const std::filesystem::path& library, const char* symbol) override;
    void unloadCalculationsLibrary() override;
    bool downloadFile(const std::string& remotePath, const std::filesystem::path& target) override;
    void postToMainThread(std::function<void()> function) override;

private:
#ifdef _WIN32
    std::unique_ptr<QLockFile> m_lock;
#else
    // A lock the kernel holds for this process: it ends with the process however that
    // ends, so a crash leaves no stale lock, and taking it writes nothing to the disk.
    int m_lockHandle = -1;
#endif
    std::unique_ptr<QLibrary> m_library;
    Downloader m_downloader;
};

// Connects to the desktop's session bus on a thread of its own. The accessibility bridge
// connects the first time a window sets an accessible name, and where no bus runs yet
// that means starting one: begun here, it runs while the first window is being built
// instead of holding it up. Does nothing where Qt has no D-Bus.
class SessionBusConnector {
public:
    explicit SessionBusConnector(bool connect = true);
    ~SessionBusConnector();
    SessionBusConnector(const SessionBusConnector&) = delete;
    SessionBusConnector& operator=(const SessionBusConnector&) = delete;

private:
    std::thread m_thread;
};

// Creates the function windows of the pages and closes them for the controller.
class QtWindowHost final : public WindowHost {
public:
    using WindowFactory = std::function<FunctionWindow*(int page, AppController& controller)>;
    using OptionsRunner = std::function<void(AppController& controller, QWidget* sender)>;
    // The about dialog and the support mail composer live above the shell; the program
    // hands them in.
    using DialogRunner = std::function<void(AppController& controller)>;

    void setController(AppController* controller) { m_controller = controller; }
    void setWindowFactory(WindowFactory factory) { m_factory = std::move(factory); }
    void setOptionsRunner(OptionsRunner runner) { m_optionsRunner = std::move(runner); }
    void setAboutRunner(DialogRunner runner) { m_aboutRunner = std::move(runner); }
    void setSupportMailRunner(DialogRunner runner) { m_supportMailRunner = std::move(runner); }
    WindowHandle createWindow(int page) override;
    void closeWindow(WindowHandle window) override;
    void setWindowEnabled(WindowHandle window, bool enabled) override;
    void refreshWindow(WindowHandle window) override;
    void runOptionsDialog(WindowHandle sender) override;
    void showAbout() override;
    void showSupportMail() override;
    void quitApplication() override;

private:
    AppController* m_controller = nullptr;
    WindowFactory m_factory;
    OptionsRunner m_optionsRunner;
    DialogRunner m_aboutRunner;
    DialogRunner m_supportMailRunner;
};

QString toQString(const std::filesystem::path& path);
std::filesystem::path toPath(const QString& text);

} // namespace kvt
