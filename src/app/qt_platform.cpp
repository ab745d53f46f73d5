#include "app/qt_platform.h"

#include "app/app_controller.h"
#include "app/function_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#ifdef KVT_HAVE_DBUS
#include <QDBusConnection>
#endif

#include <system_error>

#ifndef _WIN32
#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace kvt {

QString toQString(const std::filesystem::path& path)
{
    const auto text = path.u8string();
    return QString::fromUtf8(reinterpret_cast<const char*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::filesystem::path toPath(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

QtSettingsStore::QtSettingsStore()
    : m_settings(std::make_unique<QSettings>(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Venmark"), QStringLiteral("Kalvoratools")))
{
    m_settings->beginGroup(QStringLiteral("2025/Startup"));
}

QtSettingsStore::~QtSettingsStore() = default;

std::optional<std::uint32_t> QtSettingsStore::readNumber(const std::string& name)
{
    const QVariant value = m_settings->value(QString::fromStdString(name));
    bool ok = false;
    const qulonglong number = value.toULongLong(&ok);
    if (!value.isValid() || !ok || number > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<std::uint32_t>(number);
}

void QtSettingsStore::writeNumber(const std::string& name, std::uint32_t value)
{
    m_settings->setValue(QString::fromStdString(name), static_cast<qulonglong>(value));
}

std::optional<std::string> QtSettingsStore::readText(const std::string& name)
{
    const QVariant value = m_settings->value(QString::fromStdString(name));
    if (!value.isValid())
        return std::nullopt;
    return value.toString().toStdString();
}

void QtSettingsStore::writeText(const std::string& name, const std::string& value)
{
    m_settings->setValue(QString::fromStdString(name), QString::fromStdString(value));
}

void QtSettingsStore::remove(const std::string& name)
{
    m_settings->remove(QString::fromStdString(name));
}

void QtSettingsStore::sync()
{
    m_settings->sync();
}

std::optional<std::string> QtSettingsStore::installerValue(const std::string& name)
{
    QSettings company(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Venmark"));
    const QVariant value = company.value(QString::fromStdString(name));
    if (!value.isValid())
        return std::nullopt;
    return value.toString().toStdString();
}

QtSystemServices::~QtSystemServices()
{
    unloadCalculationsLibrary();
    unlockSingleInstance();
}

std::filesystem::path QtSystemServices::executablePath()
{
    return toPath(QCoreApplication::applicationFilePath());
}

SessionBusConnector::SessionBusConnector([[maybe_unused]] bool connect)
{
#ifdef KVT_HAVE_DBUS
    if (!connect)
        return;
    try {
        m_thread = std::thread([] { (void)QDBusConnection::sessionBus().isConnected(); });
    } catch (const std::system_error&) {
        // No thread to spare: the bridge connects when it needs the bus.
    }
#endif
}

SessionBusConnector::~SessionBusConnector()
{
    if (m_thread.joinable())
        m_thread.join();
}

std::filesystem::path QtSystemServices::commonDataFolder()
{
    return systemCommonDataFolder();
}

std::filesystem::path QtSystemServices::systemCommonDataFolder()
{
    // Depends on the environment only, not on the application object.
    return toPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

bool QtSystemServices::openPath(const std::filesystem::path& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(toQString(path)));
}

bool QtSystemServices::startProgram(const std::filesystem::path& program)
{
    return QProcess::startDetached(toQString(program), {});
}

bool QtSystemServices::lockSingleInstance(const std::filesystem::path& folder, int waitMs)
{
#ifdef _WIN32
    if (m_lock && m_lock->isLocked())
        return true;
    m_lock = std::make_unique<QLockFile>(toQString(folder / "Kalvora_Tools.lock"));
    return m_lock->tryLock(waitMs);
#else
    if (m_lockHandle >= 0)
        return true;
    const int handle = ::open((folder / "Kalvora_Tools.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (handle < 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (::flock(handle, LOCK_EX | LOCK_NB) == 0) {
            m_lockHandle = handle;
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
            break;
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::close(handle);
    return false;
#endif
}

void QtSystemServices::unlockSingleInstance()
{
#ifdef _WIN32
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
#else
    if (m_lockHandle >= 0) {
        ::flock(m_lockHandle, LOCK_UN);
        ::close(m_lockHandle);
        m_lockHandle = -1;
    }
#endif
}

CalculationsEntry QtSystemServices::loadCalculationsLibrary(const std::filesystem::path& library, const char* symbol)
{
    unloadCalculationsLibrary();
    m_library = std::make_unique<QLibrary>(toQString(library));
    if (!m_library->load()) {
        m_library.reset();
        return nullptr;
    }
    auto entry = reinterpret_cast<CalculationsEntry>(m_library->resolve(symbol));
    if (!entry)
        unloadCalculationsLibrary();
    return entry;
}

void QtSystemServices::unloadCalculationsLibrary()
{
    if (m_library)
        m_library->unload();
    m_library.reset();
}

bool QtSystemServices::downloadFile(const std::string& remotePath, const std::filesystem::path& target)
{
    return m_downloader && m_downloader(remotePath, target);
}

void QtSystemServices::postToMainThread(std::function<void()> function)
{
    QMetaObject::invokeMethod(this, std::move(function), Qt::QueuedConnection);
}

WindowHandle QtWindowHost::createWindow(int page)
{
    if (!m_controller || !m_factory)
        return nullptr;
    FunctionWindow* window = m_factory(page, *m_controller);
    if (!window)
        return nullptr;
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void QtWindowHost::closeWindow(WindowHandle handle)
{
    auto* window = static_cast<QWidget*>(handle);
    // Hidden at once so the next window never appears beside it; destroyed later
    // because the request usually comes from inside one of its own handlers.
    window->hide();
    window->deleteLater();
}

void QtWindowHost::setWindowEnabled(WindowHandle handle, bool enabled)
{
    if (handle && m_controller && handle != m_controller->mainWindowPort())
        static_cast<QWidget*>(handle)->setEnabled(enabled);
}

void QtWindowHost::refreshWindow(WindowHandle handle)
{
    if (handle && m_controller && handle != m_controller->mainWindowPort())
        static_cast<FunctionWindow*>(handle)->refresh();
}

void QtWindowHost::runOptionsDialog(WindowHandle sender)
{
    if (!m_controller || !m_optionsRunner)
        return;
    // The controller's own handle is no widget: a request from it runs the dialog
    // without an owner.
    QWidget* owner = sender && sender != m_controller->mainWindowPort() ? static_cast<QWidget*>(sender) : nullptr;
    m_optionsRunner(*m_controller, owner);
}

void QtWindowHost::showAbout()
{
    if (m_controller && m_aboutRunner)
        m_aboutRunner(*m_controller);
}

void QtWindowHost::showSupportMail()
{
    if (m_controller && m_supportMailRunner)
        m_supportMailRunner(*m_controller);
}

void QtWindowHost::quitApplication()
{
    QCoreApplication::quit();
}

} // namespace kvt
