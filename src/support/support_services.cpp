#include "support/support_services.h"

#include "app/app_controller.h"
#include "app/qt_platform.h"
#include "common/file_dialogs.h"
#include "common/report_launcher.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace kvt {

namespace {

std::optional<std::filesystem::path> chooseInstaller(
    const TextLookup& texts, QWidget* parent, const std::filesystem::path& suggested)
{
    FileDialogSetup setup;
    setup.filters = {
        {texts.text(67807, "*MSI Setup Package(*.msi)"), "*.msi"}, {texts.text(67808, "*Alle Dateien (*.*)"), "*.*"}};
    setup.defaultExtension = "msi";
    const FileDialogChoice choice = runFileDialog(parent, FileDialogMode::Save,
        QString::fromStdString(texts.text(67803, "*Update laden")), toQString(suggested), setup);
    if (!choice.accepted)
        return std::nullopt;
    return toPath(choice.path);
}

bool showInFileManager(const std::filesystem::path& file)
{
#ifdef _WIN32
    return QProcess::startDetached(
        QStringLiteral("explorer.exe"), {QStringLiteral("/select,"), QString::fromStdWString(file.wstring())});
#else
    // The desktop's file manager opens the folder; selecting the file is not offered.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(toQString(file)).absolutePath()));
#endif
}

} // namespace

SupportServices desktopSupportServices(AppController& controller, SettingsStore& settings, MessageBoxes& boxes)
{
    const TextLookup& texts = controller.texts();
    return SupportServices {
        texts,
        boxes,
        readVendorConfig(settings),
        controller.state() ? controller.state()->languageCode : 0,
        controller.dataDirectory(),
        kNetworkTimeoutMs,
        [](const QUrl& url) { return QDesktopServices::openUrl(url); },
        [](const std::filesystem::path& file) { return DesktopTextViewer().open(file); },
        [&texts](QWidget* parent, const std::filesystem::path& suggested) {
            return chooseInstaller(texts, parent, suggested);
        },
        &showInFileManager,
        [] { QApplication::beep(); },
    };
}

} // namespace kvt
