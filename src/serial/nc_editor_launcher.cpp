#include "serial/nc_editor_launcher.h"

#include "common/code_page.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#endif

namespace kvt {

namespace {

constexpr int kPollMilliseconds = 500;
constexpr int kQueryMilliseconds = 3000;

QString qt(const std::filesystem::path& path)
{
    return QString::fromStdString(pathToUtf8(path));
}

bool processAlive(qint64 pid)
{
#ifdef _WIN32
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return false;
    DWORD code = 0;
    const bool alive = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    ::CloseHandle(process);
    return alive;
#else
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM)
        return false;
    // An ended editor that nobody has reaped yet (a container's first process may
    // never reap) still answers; its state letter says it is a zombie.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype afterName = line.lastIndexOf(')');
    return afterName < 0 || afterName + 2 >= line.size() || line.at(afterName + 2) != 'Z';
#endif
}

#ifndef _WIN32
// The command of the application the desktop names for plain text, from its entry.
QStringList desktopTextEditor(const QString& file)
{
    QProcess query;
    query.start(
        QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
    if (!query.waitForFinished(kQueryMilliseconds) || query.exitCode() != 0)
        return {};
    const QString id = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    if (id.isEmpty() || id.contains(QLatin1Char('/')))
        return {};
    const QString entry = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
    QFile desktopFile(entry);
    if (entry.isEmpty() || desktopFile.size() > 1'000'000 || !desktopFile.open(QIODevice::ReadOnly))
        return {};
    const std::string exec = desktopEntryExec(desktopFile.readAll().toStdString());
    QStringList command;
    for (const std::string& word : desktopEntryCommand(exec, file.toStdString()))
        command << QString::fromStdString(word);
    return command;
}
#endif

} // namespace

NcEditorLauncher::NcEditorLauncher(QObject* parent)
    : QObject(parent)
{
    m_poll.setInterval(kPollMilliseconds);
    connect(&m_poll, &QTimer::timeout, this, &NcEditorLauncher::poll);
}

QStringList NcEditorLauncher::command(const ExternalEditorPlan& plan)
{
    const QString file = qt(plan.file);
    if (!plan.desktopEditor)
        return {qt(plan.program), file};
#ifdef _WIN32
    const QString system = qEnvironmentVariable("SystemRoot", QStringLiteral("C:\\Windows"));
    return {QDir(system).filePath(QStringLiteral("System32/notepad.exe")), file};
#else
    QStringList editor = desktopTextEditor(file);
    if (editor.isEmpty())
        editor = QStringList {QStringLiteral("xdg-open"), file};
    return editor;
#endif
}

bool NcEditorLauncher::launch(const ExternalEditorPlan& plan, std::function<void()> ended)
{
    if (plan.action != ExternalEditorPlan::Action::Launch || running())
        return false;
    QStringList arguments = command(plan);
    const QString program = arguments.takeFirst();
    qint64 pid = 0;
    if (!QProcess::startDetached(program, arguments, QString(), &pid) || pid <= 0)
        return false;
    m_pid = pid;
    m_ended = std::move(ended);
    m_poll.start();
    return true;
}

void NcEditorLauncher::poll()
{
    if (m_pid == 0 || processAlive(m_pid))
        return;
    m_pid = 0;
    m_poll.stop();
    if (auto ended = std::exchange(m_ended, nullptr))
        ended();
}

} // namespace kvt
