#include "app/app_controller.h"

#include "common/clock.h"
#include "common/code_page.h"
#include "common/data_directory.h"
#include "common/stamps.h"
#include "common/trusted_folder.h"
#include "options/options_file.h"

#include <atomic>
#include <memory>
#include <new>
#include <system_error>

namespace kvt {

namespace {

constexpr const char* kCompanyFolder = "Venmark";
constexpr const char* kProductFolder = "Kalvora Tools";

// Default start-up settings, written when a value is missing.
struct NumberDefault {
    const char* name;
    std::uint32_t value;
};
constexpr NumberDefault kNumberDefaults[] = {
    {"MainWindow_Width", 1280},
    {"MainWindow_Height", 1024},
    {"MainWindow_Pos_X", 100},
    {"MainWindow_Pos_Y", 100},
    {"Language", 44},
    {"StartupPage", 120},
    {"OptionsSize", 4128},
};

template<typename T> std::uint8_t loadFlag(T& byte)
{
    return std::atomic_ref<T>(byte).load();
}
template<typename T> void storeFlag(T& byte, T value)
{
    std::atomic_ref<T>(byte).store(value);
}

std::filesystem::path fixedPath(std::span<const char16_t> text)
{
    return std::filesystem::path(fixedText(text));
}

bool setFixedPath(std::span<char16_t> target, const std::filesystem::path& path)
{
    return setFixedText(target, path.u16string());
}

} // namespace

AppController::AppController(ControllerServices services, StateBlockSet::Allocator allocator)
    : m_services(services)
    , m_blocks(allocator ? StateBlockSet(std::move(allocator)) : StateBlockSet())
{
    m_port.context = this;
    m_port.send = &AppController::portSend;
}

AppController::~AppController()
{
    m_background.stop();
    m_services.system.unloadCalculationsLibrary();
}

std::intptr_t AppController::portSend(void* context, std::uint32_t message, std::intptr_t lParam)
{
    return static_cast<AppController*>(context)->send(static_cast<AppMessage>(message), lParam);
}

std::filesystem::path AppController::dataDirectory() const
{
    return state() ? fixedPath(state()->dataDirectory) : std::filesystem::path();
}

std::filesystem::path AppController::programDirectory() const
{
    return state() ? fixedPath(state()->programDirectory) : std::filesystem::path();
}

MessageAnswer AppController::showMessage(MessageBoxRequest request)
{
    if (OpenDialogData* s = state())
        storeFlag<std::uint8_t>(s->messageBoxPending, 1);
    return m_services.boxes.show(request);
}

bool AppController::allocate(StateBlock block)
{
    if (m_blocks.allocate(block))
        return true;
    showMessage({text(65485, "*Virtual Alloc nicht erstellt."), stateBlockCaption(block), MessageIcon::Error});
    return false;
}

bool AppController::startUp()
{
    if (send(AppMessage::AllocState) == 0)
        return false;

    // A second start ends here, silently: before anything can show a box that would
    // keep it alive beside the first.
    if (send(AppMessage::CheckSingleInstance) == 0)
        return false;

    if (!m_background.start([this](int tick) { backgroundTick(tick); })) {
        showMessage({"MainThreadStartupFailure", "Kalvora Tools", MessageIcon::Error});
        releaseState();
        m_services.system.unlockSingleInstance();
        return false;
    }

    // English until the stored language is known; its failure is reported once the
    // stored language is loaded below.
    state()->languageCode = kLanguageEnglish;
    loadLanguage(false);
    send(AppMessage::ReadStartupSettings);
    for (AppMessage alloc : {AppMessage::AllocNcTextBuffer, AppMessage::AllocCalcList, AppMessage::AllocUsedWindowData,
             AppMessage::AllocDowelPinData}) {
        if (send(alloc) == 0) {
            releaseState();
            m_services.system.unlockSingleInstance();
            return false;
        }
    }
    // Writes killed half-way by an earlier run; the lock says none is under way now.
    if (const std::filesystem::path dataDir = dataDirectory(); !dataDir.empty())
        removeStaleOptionsTemporaries(dataDir);
    send(AppMessage::ReadOptionsFile);
    send(AppMessage::LoadLanguage);

    const bool restarted = options()->settings.restartMarker == 1;
    options()->settings.restartMarker = 0;
    pointStateAtBlocks();

    // The options are written once at start, so that a seeded file or one of an older
    // layout is brought up to date; that waits until the first window shows. A file that
    // could not be read is not written over at start at all. Only a restart writes at
    // once: its marker must be off the disk before anything else can start.
    m_startupWritePending = !m_optionsReadFailed && !m_keepOptionsFile;
    if (restarted && m_startupWritePending)
        finishStartUp();

    send(AppMessage::OpenStartPage);
    if (!anyFunctionWindowOpen()) {
        // Not even the cutting data window could be made: end rather than run on unseen.
        releaseState();
        m_services.system.unlockSingleInstance();
        return false;
    }
    return true;
}

void AppController::finishStartUp()
{
    if (!m_startupWritePending || !state())
        return;
    m_startupWritePending = false;
    options()->settings.changed = 1;
    send(AppMessage::WriteOptionsFile);
}

void AppController::pointStateAtBlocks()
{
    // Windows and the calculations library reach the blocks only through the state;
    // a block allocated afresh must never leave them pointing at the freed one.
    if (OpenDialogData* s = state()) {
        s->calcList = m_blocks.calcList();
        s->ncTextBuffer = m_blocks.ncTextBuffer();
        s->usedWindowData = m_blocks.usedWindowData();
        s->dowelPinData = m_blocks.dowelPinData();
    }
}

bool AppController::anyFunctionWindowOpen() const
{
    const OpenDialogData* s = state();
    if (!s)
        return false;
    const WindowSlots& slots = s->windows;
    for (WindowHandle window : {slots.cuttingData, slots.rs232, slots.coolant, slots.dividingHead, slots.flanges,
             slots.dowelPins, slots.sineBar, slots.drillDepths, slots.eccentricTurning, slots.parallels,
             slots.toolManagement, slots.cutToLength, slots.calculations}) {
        if (window)
            return true;
    }
    return false;
}

void AppController::keepAFunctionWindowOpen()
{
    // The program has no window of its own: with no function window open it could only
    // be ended from outside, and it would hold the single-instance lock meanwhile.
    if (!state() || anyFunctionWindowOpen())
        return;
    OpenRequest fallback;
    fallback.senderWindow = state()->mainWindow;
    openFunctionWindow(*pageInfo(page::CuttingData), &fallback);
}

void AppController::backgroundTick(int tickNumber)
{
    // Runs on the background thread: touches only the two flags, everything else is
    // posted to the main thread.
    OpenDialogData* s = state();
    if (!s)
        return;
    if (loadFlag(s->messageBoxPending) && !loadFlag(s->mainWindowFocused))
        storeFlag<std::uint8_t>(s->messageBoxPending, 0);
    if (tickNumber == kStartupWriteDelayTicks)
        m_services.system.postToMainThread([this] { finishStartUp(); });
    if (tickNumber == kOptionsWriteDelayTicks) {
        m_services.system.postToMainThread([this] {
            if (!state())
                return;
            send(AppMessage::WriteOptionsFile);
            send(AppMessage::ReadStartupSettings);
        });
    }
}

std::intptr_t AppController::send(AppMessage message, std::intptr_t lParam)
{
    if (message == AppMessage::AllocState) {
        // Every open window and the calculations library hold the state and the options
        // record, and the record holds settings not yet written: a second request must not
        // free them under their users. It is refused and everything stays as it is.
        if (state())
            return 0;
        if (!allocate(StateBlock::OpenDialogData))
            return 0;
        if (!allocate(StateBlock::Options)) {
            m_blocks.release(StateBlock::OpenDialogData);
            return 0;
        }
        state()->mainWindow = &m_port;
        state()->options = options();
        return 1;
    }
    // Every other request needs the state; after release the program is ending.
    if (!state())
        return 0;

    auto* request = reinterpret_cast<OpenRequest*>(lParam);
    auto* window = reinterpret_cast<WindowHandle>(lParam);

    switch (message) {
    case AppMessage::LoadLanguage:
        loadLanguage(true);
        return 1;
    case AppMessage::SetLanguage:
        state()->languageCode = static_cast<std::int32_t>(lParam);
        m_language.unload();
        loadLanguage(true);
        return 1;
    case AppMessage::SaveStartupSettings:
        saveStartupSettings();
        return 1;
    case AppMessage::ReadStartupSettings:
        readStartupSettings();
        return 1;
    case AppMessage::ReadOptionsFile:
        readOptionsFile();
        return 1;
    case AppMessage::WriteOptionsFile:
    case AppMessage::SaveOptions:
        writeOptionsFile();
        return 1;
    case AppMessage::SaveAll:
        options()->settings.changed = 1;
        writeOptionsFile();
        saveStartupSettings();
        return 1;
    case AppMessage::OpenCalculations:
        openCalculations(request);
        keepAFunctionWindowOpen();
        return 0;
    case AppMessage::ShowToolManagement:
        if (WindowHandle* slot = windowSlot(state()->windows, page::ToolManagement); slot && !*slot) {
            fillSharedHeader();
            *slot = m_services.windows.createWindow(page::ToolManagement);
        }
        return 1;
    case AppMessage::OpenStartPage: {
        if (auto open = startPageMessage(state()->startPage)) {
            OpenRequest startRequest;
            startRequest.senderWindow = state()->mainWindow;
            send(*open, startRequest);
        }
        keepAFunctionWindowOpen();
        return 1;
    }
    case AppMessage::OpenOptions:
        openOptions(window);
        return 1;
    case AppMessage::QuitRequest:
        quitRequest(window);
        return 1;
    case AppMessage::Exit:
        exitProgram();
        return 1;
    case AppMessage::ReleaseState:
        releaseState();
        return 1;
    case AppMessage::Restart:
    case AppMessage::SaveAndRestart:
        restart();
        return 1;
    case AppMessage::CheckSingleInstance:
        return checkSingleInstance() ? 1 : 0;
    case AppMessage::RunCalculationsLibrary:
        runCalculationsLibrary();
        return 1;
    case AppMessage::RegisterCalcWindow:
        state()->windows.calculations = window;
        return 1;
    case AppMessage::ShowAbout:
        m_services.windows.showAbout();
        return 1;
    case AppMessage::ShowSupportMail:
        m_services.windows.showSupportMail();
        return 1;
    case AppMessage::OpenManual:
        openManual();
        return 1;
    case AppMessage::DownloadManual:
        return downloadManual() ? 1 : 0;
    case AppMessage::OpenDataFolder:
        m_services.system.openPath(dataDirectory());
        return 1;
    case AppMessage::RestoreMainPosition:
        // The controller has no window of its own to move; the position lives in
        // mainWindowRect and is saved at exit.
        return 1;
    case AppMessage::AllocNcTextBuffer: {
        const bool allocated = allocate(StateBlock::NcTextBuffer);
        pointStateAtBlocks();
        return allocated ? 1 : 0;
    }
    case AppMessage::AllocCalcList: {
        const bool allocated = allocate(StateBlock::CalcList);
        pointStateAtBlocks();
        return allocated ? 1 : 0;
    }
    case AppMessage::AllocUsedWindowData: {
        const bool allocated = allocate(StateBlock::UsedWindowData);
        pointStateAtBlocks();
        return allocated ? 1 : 0;
    }
    case AppMessage::AllocDowelPinData: {
        // The dowel pin window fills its tables when it opens.
        const bool allocated = allocate(StateBlock::DowelPinData);
        pointStateAtBlocks();
        return allocated ? 1 : 0;
    }
    default:
        break;
    }
    if (const PageInfo* info = pageForOpenMessage(message)) {
        openFunctionWindow(*info, request);
        keepAFunctionWindowOpen();
        return 0;
    }
    return 0;
}

void AppController::loadLanguage(bool reportFailure)
{
    OpenDialogData& s = *state();
    // The start loads English before the stored language is known, and that is usually
    // English again: a module already in memory is not read and parsed a second time.
    if (m_language.loaded() && m_loadedLanguageCode == s.languageCode) {
        s.languageLoaded = 1;
        return;
    }
    m_language.unload();
    s.languageLoaded = 0;
    if (s.languageCode == kLanguageGerman || s.languageCode == kLanguageEnglish) {
        const std::filesystem::path folder = m_services.system.executablePath().parent_path();
        if (m_language.load(folder, s.languageCode)) {
            m_loadedLanguageCode = s.languageCode;
            s.languageLoaded = 1;
        } else if (reportFailure) {
            showMessage({languageLoadFailureText(folder, s.languageCode), "Program Error", MessageIcon::Information});
        }
    }
    if (s.languageCode == 0)
        s.languageCode = kLanguageGerman;
    // Without a module the texts are the built-in German ones; the buttons follow them.
    setMessageButtonLanguage(s.languageLoaded ? s.languageCode : kLanguageGerman);
}

void AppController::readStartupSettings()
{
    SettingsStore& settings = m_services.settings;
    OpenDialogData& s = *state();

    for (const auto& value : kNumberDefaults) {
        if (!settings.readNumber(value.name))
            settings.writeNumber(value.name, value.value);
    }
    // Both paths are written afresh at every start; a value that already holds the
    // same text is left alone, so that a usual start does not rewrite the settings.
    const std::string dataFolder = pathToUtf8(standardDataDirectory());
    if (settings.readText("OptionsPath") != dataFolder) {
        settings.remove("OptionsPath");
        settings.writeText("OptionsPath", dataFolder);
    }
    const auto installed = m_services.settings.installerValue("SetupDirKVT32");
    if (settings.readText("SetupDirKVT32") != installed) {
        settings.remove("SetupDirKVT32");
        if (installed)
            settings.writeText("SetupDirKVT32", *installed);
    }

    // The stored position places the first window, and the stored language and start
    // page are taken once: later reads (the tick after 45 seconds) must neither move
    // the shared position back from where the user has put the windows since nor undo
    // a language or start page just chosen in the options dialog, which is saved only
    // at its end or at exit.
    if (!m_startupSettingsRead) {
        m_startupSettingsRead = true;
        s.mainWindowRect[0] = static_cast<std::int32_t>(settings.readNumber("MainWindow_Pos_X").value_or(50));
        s.mainWindowRect[1] = static_cast<std::int32_t>(settings.readNumber("MainWindow_Pos_Y").value_or(50));
        s.languageCode = static_cast<std::int32_t>(settings.readNumber("Language").value_or(49));
        if (s.languageCode == 0)
            s.languageCode = kLanguageGerman;
        s.startPage = static_cast<std::int32_t>(settings.readNumber("StartupPage").value_or(120));
    }

    const auto kvPathFailure = [this] {
        showMessage({text(65486,
                         "*Fehler beim Lesen vom KV_Path Pfad. RegistryEintrag überprüfen, oder Setup neu "
                         "ausführen."),
            text(65470, "*Fehler"), MessageIcon::Information});
    };
    // The program directory is the installer's value; a run without installation
    // (Linux, a build tree) uses the folder of the executable.
    std::error_code error;
    std::filesystem::path programDir = m_services.system.executablePath().parent_path() / "";
    if (auto setupDir = settings.readText("SetupDirKVT32")) {
        const std::filesystem::path installed = pathFromUtf8(*setupDir);
        if (std::filesystem::is_directory(installed, error))
            programDir = installed / "";
        else
            kvPathFailure();
    }
    // A path cut to fit its field would name another folder, and the library and the
    // restart would be taken from there: no program directory is better than that.
    if (!setFixedPath(s.programDirectory, programDir)) {
        setFixedText(s.programDirectory, std::u16string());
        kvPathFailure();
    }

    const auto optionsPath = settings.readText("OptionsPath");
    std::filesystem::path dataDir;
    if (optionsPath) {
        dataDir = pathFromUtf8(*optionsPath);
        std::filesystem::create_directories(dataDir, error);
    }
    if (optionsPath && std::filesystem::is_directory(dataDir, error) && setFixedPath(s.dataDirectory, dataDir)) {
        createDataDirectories(dataDir);
        if (!m_backupOrSeedChecked) {
            m_backupOrSeedChecked = true;
            backupOrSeedAfterInstallation(dataDir, programDir);
        }
    } else {
        showMessage({text(65487,
                         "*Fehler beim Lesen vom Options Pfad. RegistryEintrag überprüfen, oder Setup neu "
                         "ausführen."),
            text(65470, "*Fehler"), MessageIcon::Information});
    }
}

void AppController::backupOrSeedAfterInstallation(
    const std::filesystem::path& dataDir, const std::filesystem::path& programDir)
{
    // The installer records the version it installed; the first start after an
    // installation or update keeps a dated copy of the user's options. Without an
    // installer, a data folder without options still gets the ones shipped beside
    // the program.
    SettingsStore& settings = m_services.settings;
    const auto installed = settings.installerValue("InstalledVersion");
    const bool afterInstallation = installed && settings.readText("OptionsBackupVersion") != installed;
    std::error_code error;
    if (!afterInstallation && std::filesystem::exists(optionsFilePath(dataDir), error))
        return;
    const std::string stamp = compactStamp(dateTimeStamp(kLanguageGerman, SystemClock()));
    if (backupOrSeedOptionsFile(dataDir, programDir, stamp).outcome == BackupOrSeedOutcome::Failed)
        return;
    if (afterInstallation)
        settings.writeText("OptionsBackupVersion", *installed);
}

std::filesystem::path dataFolderIn(const std::filesystem::path& commonDataFolder)
{
    return commonDataFolder / kCompanyFolder / kProductFolder / "";
}

std::filesystem::path AppController::standardDataDirectory()
{
    return dataFolderIn(m_services.system.commonDataFolder());
}

void AppController::saveStartupSettings()
{
    const OpenDialogData& s = *state();
    SettingsStore& settings = m_services.settings;
    settings.writeNumber("MainWindow_Pos_X", static_cast<std::uint32_t>(s.mainWindowRect[0]));
    settings.writeNumber("MainWindow_Pos_Y", static_cast<std::uint32_t>(s.mainWindowRect[1]));
    settings.writeNumber("Language", static_cast<std::uint32_t>(s.languageCode));
    settings.writeNumber("StartupPage", static_cast<std::uint32_t>(s.startPage));
    // Saved at quit, before a restart and after the options dialog: the next reader may
    // be another instance starting at once.
    settings.sync();
}

void AppController::readOptionsFile()
{
    const std::filesystem::path dataDir = dataDirectory();
    if (dataDir.empty())
        return;
    const std::filesystem::path file = optionsFilePath(dataDir);
    const OptionsReadOutcome outcome = m_services.optionsStorage.read(file, *options());
    // The options offer only the common (1) and the customer library (2); a fresh
    // installation and a file from before the choice existed hold 0, which would leave
    // "*Berechnungen" without a window. They get the common library.
    if (options()->settings.calculationLevel == 0)
        options()->settings.calculationLevel = 1;
    state()->options = options();
    m_optionsReadFailed = false;
    m_keepOptionsFile = false;
    switch (outcome.failure) {
    case OptionsReadFailure::None:
    case OptionsReadFailure::Missing:
        // No file yet: the zero record is written as a new one.
        return;
    case OptionsReadFailure::Damaged:
        // The next write would replace the file; it may only do so once a complete copy
        // keeps the machine data and tool tables in it.
        m_keepOptionsFile = !keepDamagedCopy(file).has_value();
        break;
    case OptionsReadFailure::Unreadable:
    case OptionsReadFailure::Transient:
        // Nothing says the file is bad, and it cannot be copied: it stays as it is for
        // the whole run.
        m_keepOptionsFile = true;
        break;
    }
    m_optionsReadFailed = true;
    showMessage({outcome.message.empty() ? std::string("LesenBIN_OPT") : outcome.message, "Program Error_QXZR",
        MessageIcon::Information});
}

void AppController::writeOptionsFile()
{
    const std::filesystem::path dataDir = dataDirectory();
    if (dataDir.empty() || options()->settings.changed != 1 || m_keepOptionsFile)
        return;
    state()->optionsWritten = 1;
    if (auto message = m_services.optionsStorage.write(optionsFilePath(dataDir), *options()))
        showMessage({*message, "Program Error_QXZR", MessageIcon::Information});
}

bool AppController::restartUnderWay(const std::filesystem::path& dataDir)
{
    // The marker lives in the options file, which is read only later; a look at it is
    // needed only when the lock is taken, so the usual start pays nothing for it.
    std::unique_ptr<OptionsRecord> record;
    try {
        record = std::make_unique_for_overwrite<OptionsRecord>();
    } catch (const std::bad_alloc&) {
        return false;
    }
    const OptionsReadOutcome outcome = m_services.optionsStorage.read(optionsFilePath(dataDir), *record);
    return outcome.failure == OptionsReadFailure::None && record->settings.restartMarker == 1;
}

bool AppController::checkSingleInstance()
{
    // The lock lives in the data folder, which is known before any setting is read.
    const std::filesystem::path dataDir = standardDataDirectory();
    std::error_code error;
    std::filesystem::create_directories(dataDir, error);
    if (m_services.system.lockSingleInstance(dataDir, 0))
        return true;
    // A restarted instance waits for its predecessor to let go of the lock.
    if (restartUnderWay(dataDir)) {
        m_services.system.lockSingleInstance(dataDir, 5000);
        return true;
    }
    m_background.stop();
    releaseState();
    return false;
}

void AppController::fillSharedHeader()
{
    OpenDialogData& s = *state();
    s.languageLoaded = m_language.loaded() ? 1 : 0;
    s.mainWindow = &m_port;
    s.options = options();
}

void AppController::closeWindow(WindowHandle window)
{
    if (!window || window == state()->mainWindow)
        return;
    WindowSlots& slots = state()->windows;
    for (WindowHandle* slot : {&slots.cuttingData, &slots.rs232, &slots.coolant, &slots.dividingHead, &slots.flanges,
             &slots.dowelPins, &slots.sineBar, &slots.drillDepths, &slots.eccentricTurning, &slots.parallels,
             &slots.toolManagement, &slots.cutToLength, &slots.calculations, &slots.toolDataEditor}) {
        if (*slot == window)
            *slot = nullptr;
    }
    m_services.windows.closeWindow(window);
}

void AppController::openFunctionWindow(const PageInfo& info, OpenRequest* request)
{
    if (!request)
        return;
    OpenDialogData& s = *state();
    s.handOver[0] = 0;
    s.handOver[2] = 0;
    if (info.page == page::CuttingData) {
        s.handOver[0] = request->value1;
        s.handOver[1] = request->value2;
        s.handOver[2] = request->value3;
        // Only a request from the tool management window makes the cutting data
        // window offer the way back; any other sender clears the mark.
        s.handOverSenderPage = request->originPage == page::ToolManagement ? page::ToolManagement : 0;
    } else if (info.page == page::Flanges) {
        s.handOverSenderPage = 0;
        if (request->originPage == page::Calculations) {
            s.handOver[0] = request->value1;
            s.handOver[2] = request->value3;
            s.handOverSenderPage = page::Calculations;
        }
    } else if (info.page == page::DowelPins) {
        s.handOver[0] = request->value1;
        s.handOver[1] = request->value2;
        s.handOver[2] = request->value3;
        // Only the drill-depth window's "*Zurück" brings allowances back.
        s.handOverSenderPage = request->originPage == page::DrillDepths ? page::DrillDepths : 0;
    } else if (info.page == page::DrillDepths) {
        // The dowel pin window's "*Erm." hands over its pin diameter and wants the
        // drill point back; any other sender leaves the window without a way back.
        s.handOverSenderPage = 0;
        if (request->originPage == page::DowelPins) {
            s.handOver[0] = request->value1;
            s.handOverSenderPage = page::DowelPins;
        }
    }

    closeWindow(request->senderWindow);
    if (info.page == page::CuttingData)
        closeWindow(request->secondWindow);
    // One window per function: a window of the target that is still open (the tool
    // management window opened beside another) is replaced, never doubled.
    WindowHandle* slot = windowSlot(s.windows, info.page);
    if (slot && *slot)
        closeWindow(*slot);

    fillSharedHeader();
    s.currentPage = info.page;
    WindowHandle created = m_services.windows.createWindow(info.page);
    if (slot)
        *slot = created;
}

void AppController::openCalculations(OpenRequest* request)
{
    if (!request)
        return;
    OpenDialogData& s = *state();
    s.handOverSenderPage = request->senderPage;
    if (request->returnDataWanted == 1) {
        s.calcReturnWanted = 1;
        s.calcHandOver1 = request->calcValue1;
        s.calcHandOver2 = request->calcValue2;
        s.calcHandOver3 = request->calcValue3;
    } else {
        s.calcReturnWanted = 0;
    }
    request->returnDataWanted = 0;
    const int senderPage = request->senderPage;
    closeWindow(request->senderWindow);
    fillSharedHeader();
    s.windows.calculations = nullptr;
    send(AppMessage::RunCalculationsLibrary);
    // Without a library dialog the program would be left with no window at all and
    // could only be ended from outside: the sender comes back instead.
    if (!s.windows.calculations && request->senderWindow != s.mainWindow) {
        if (const PageInfo* info = pageInfo(senderPage); info && info->page != page::Calculations) {
            OpenRequest reopen;
            reopen.senderWindow = s.mainWindow;
            openFunctionWindow(*info, &reopen);
        }
    }
}

void AppController::runCalculationsLibrary()
{
    const std::uint8_t level = options()->settings.calculationLevel;
    std::filesystem::path library;
    const char* symbol = nullptr;
    if (level == 1) {
        // Without a program directory a bare name would make the loader search elsewhere.
        if (programDirectory().empty())
            return;
        library = programDirectory() / "Kalvora_Tools_Calculations_Common_x86";
        symbol = "ShowCalculationsDialog_Common";
    } else if (level == 2) {
        // The customer library is native code from the data folder: it is taken only from
        // folders that no other user can change, down to the one it lies in.
        const std::filesystem::path custom = dataDirectory() / "CustomCalculations";
        const std::filesystem::path folder = custom / (sizeof(void*) == 8 ? "64" : "32");
        const std::filesystem::path chain[] = {dataDirectory(), custom, folder};
        if (const auto unsafe = folderOthersMayWrite(chain)) {
            showMessage({text(77010,
                             "*Die Kundenbibliothek wird nicht geladen, weil andere Benutzer diesen Ordner ändern "
                             "können:")
                    + "\n" + pathToUtf8(*unsafe),
                text(65470, "*Fehler"), MessageIcon::Warning});
            return;
        }
        library = folder / "Kalvora_Tools_Calculations_QX_x86";
        symbol = "ShowCalculationsDialog_QX";
    } else {
        return;
    }
    m_services.system.unloadCalculationsLibrary();
    if (CalculationsEntry entry = m_services.system.loadCalculationsLibrary(library, symbol))
        entry(&m_port, state());
}

void AppController::quitRequest(WindowHandle sender)
{
    OpenDialogData& s = *state();
    m_services.windows.setWindowEnabled(sender, false);
    if (options()->settings.startPageIsLastUsed == 1)
        s.startPage = s.currentPage;
    const MessageAnswer answer = showMessage(
        {text(64980, "*Kalvora Tools beenden?"), text(64961, "*Frage"), MessageIcon::Question, MessageButtons::YesNo});
    m_services.windows.setWindowEnabled(sender, true);
    if (answer != MessageAnswer::Yes)
        return;
    saveStartupSettings();
    writeOptionsFile();
    exitProgram();
}

void AppController::exitProgram()
{
    if (!state())
        return;
    WindowSlots& slots = state()->windows;
    for (WindowHandle window : {slots.cuttingData, slots.rs232, slots.coolant, slots.dividingHead, slots.flanges,
             slots.dowelPins, slots.sineBar, slots.drillDepths, slots.eccentricTurning, slots.parallels,
             slots.toolManagement, slots.cutToLength, slots.calculations, slots.toolDataEditor})
        closeWindow(window);
    releaseState();
    m_services.system.unloadCalculationsLibrary();
    m_services.system.unlockSingleInstance();
    m_services.windows.quitApplication();
}

void AppController::openOptions(WindowHandle sender)
{
    OpenDialogData& s = *state();
    fillSharedHeader();
    s.optionsWritten = 0;
    m_services.windows.setWindowEnabled(sender, false);
    m_services.windows.runOptionsDialog(sender);
    m_services.windows.setWindowEnabled(sender, true);
    if (options()->settings.restartMarker == 1) {
        send(AppMessage::SaveAndRestart);
        return;
    }
    if (s.optionsWritten || s.languageChanged) {
        send(AppMessage::LoadLanguage);
        saveStartupSettings();
        if (s.optionsCallerPage == page::Coolant)
            readOptionsFile();
        m_services.windows.refreshWindow(sender);
    }
    s.optionsWritten = 0;
    s.languageChanged = 0;
}

void AppController::restart()
{
    // The marker lets the new instance pass the single-instance check while this one
    // is still ending; it must therefore be on disk before the new one starts.
    options()->settings.restartMarker = 1;
    options()->settings.changed = 1;
    saveStartupSettings();
    writeOptionsFile();
    std::filesystem::path program = m_services.system.executablePath();
    if (program.empty() && !programDirectory().empty())
        program = programDirectory() / "Kalvora_Tools";
    m_services.system.unlockSingleInstance();
    if (program.empty() || !m_services.system.startProgram(program)) {
        showMessage({"Das Kalvora Tools konnte nicht automatisch neu gestartet werden, bitte starten Sie das "
                     "Programm manuell neu!",
            "Fehler", MessageIcon::Error});
        // Nothing restarts: the marker must not let a later second start through.
        options()->settings.restartMarker = 0;
        options()->settings.changed = 1;
        writeOptionsFile();
    }
    exitProgram();
}

void AppController::openManual()
{
    const std::int32_t code = state()->languageCode;
    std::filesystem::path manual = dataDirectory();
    if (code == kLanguageGerman)
        manual /= "Kalvora_Tools_2025_Handbuch_Deutsch.pdf";
    else if (code == kLanguageEnglish)
        manual /= "Kalvora_Tools_2025_Manual_English.pdf";
    std::error_code error;
    if (!std::filesystem::is_regular_file(manual, error))
        send(AppMessage::DownloadManual);
    if (!std::filesystem::is_regular_file(manual, error)) {
        const bool german = code == kLanguageGerman;
        showMessage({pathToUtf8(manual) + (german ? " Nicht gefunden" : " Not found"), german ? "Fehler" : "Error",
            MessageIcon::Error});
        return;
    }
    m_services.system.openPath(manual);
}

bool AppController::downloadManual()
{
    const MessageAnswer answer
        = showMessage({text(65488,
                           "*Das Benutzerhandbuch ist in der aktuell gewählten Sprache nicht vorhanden.\nSoll es "
                           "heruntergeladen werden?"),
            text(64961, "*Frage"), MessageIcon::Question, MessageButtons::YesNo});
    if (answer != MessageAnswer::Yes)
        return false;
    const std::string name = state()->languageCode == kLanguageGerman ? "Kalvora_Tools_2025_Handbuch_Deutsch.pdf"
                                                                      : "Kalvora_Tools_2025_Manual_English.pdf";
    if (!m_services.system.downloadFile("/downloads//" + name, dataDirectory() / name)) {
        showMessage(
            {text(65489, "*Keine Verbindung zum Internet verfügbar"), text(65470, "*Fehler"), MessageIcon::Error});
        return false;
    }
    return true;
}

void AppController::releaseState()
{
    m_background.stop();
    m_blocks.releaseAll();
}

void AppController::windowMoved(int left, int top, int right, int bottom)
{
    if (OpenDialogData* s = state()) {
        s->mainWindowRect[0] = left;
        s->mainWindowRect[1] = top;
        s->mainWindowRect[2] = right;
        s->mainWindowRect[3] = bottom;
        send(AppMessage::RestoreMainPosition);
    }
}

void AppController::chooseMachine(int machine)
{
    if (!options() || machine < 0 || machine >= static_cast<int>(kMachineCount))
        return;
    options()->settings.currentMachine = static_cast<std::uint8_t>(machine);
    options()->settings.changed = 1;
}

} // namespace kvt
