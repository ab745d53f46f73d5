#include "common/report_launcher.h"

#include <QString>

#ifdef _WIN32
#include <QProcess>
#include <QStringList>
#else
#include <QDesktopServices>
#include <QUrl>
#endif

namespace kvt {

bool DesktopTextViewer::open(const std::filesystem::path& file)
{
    const QString path = QString::fromStdU16String(file.u16string());
#ifdef _WIN32
    return QProcess::startDetached(QStringLiteral("notepad.exe"), QStringList {path});
#else
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#endif
}

} // namespace kvt
