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

namespace {

std::unique_ptr<QSettings> startupSettings()
{
    auto settings = std::make_unique<QSettings>(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Venmark"), QStringLiteral("Kalvoratools"));
    settings->beginGroup(QStringLiteral("2025/Startup"));
    return settings;
}

} // namespace

std::optional<std::uint32_t> QtSettingsStore::readNumber(const std::string& name)
{
    const QVariant value = startupSettings()->value(QString::fromStdString(name));
    bool ok = false;
    const qulonglong number = value.toULongLong(&ok);
    if (!value.isValid() || !ok || number > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<std::uint32_t>(number);
}

void QtSettingsStore::writeNumber(const std::string& name, std::uint32_t value)
{
    startupSettings()->setValue(QString::fromStdString(name), static_cast<qulonglong>(value));
}

std::optional<std::string> QtSettingsStore::readText(const std::string& name)
{
    const QVariant value = startupSettings()->value(QString::fromStdString(name));
    if (!value.isValid())
        return std::nullopt;
    return value.toString().toStdString();
}

void QtSettingsStore::writeText(const std::string& name, const std::string& value)
{
    startupSettings()->setValue(QString::fromStdString(name), QString::fromStdString(value));
}

void QtSettingsStore::remove(const std::string& name)
{
    startupSettings()->remove(QString::fromStdString(name));
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
}

std::filesystem::path QtSystemServices::executablePath()
{
    return toPath(QCoreApplication::applicationFilePath());
}

std::filesystem::path QtSystemServices::commonDataFolder()
{
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
    if (m_lock && m_lock->isLocked())
        return true;
    m_lock = std::make_unique<QLockFile>(toQString(folder / "Kalvora_Tools.lock"));
    return m_lock->tryLock(waitMs);
}

void QtSystemServices::unlockSingleInstance()
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
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
    if (m_controller && m_optionsRunner)
        m_optionsRunner(*m_controller, static_cast<QWidget*>(sender));
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
