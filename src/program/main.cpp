// Kalvora Tools: a hidden controller starts, opens the start page and switches between
// the function windows until the user quits.

#include "app/accessible_combo_box.h"
#include "app/app_controller.h"
#include "app/installation_check.h"
#include "app/options_storage_file.h"
#include "app/qt_platform.h"
#include "common/qt_message_boxes.h"
#include "program/page_windows.h"
#include "support/about_dialog.h"
#include "support/support_mail_dialog.h"
#include "support/support_network.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    const bool checkInstallation = argc > 1 && std::strcmp(argv[1], "--check-installation") == 0;
    // Reading and decrypting the options takes about as long as Qt takes to start, so it
    // starts first, on a thread of its own; the read at its proper time (after the
    // single-instance check) takes the result when the file is still the one read.
    kvt::OptionsStorageFile optionsStorage(checkInstallation
            ? std::filesystem::path()
            : kvt::optionsFilePath(kvt::dataFolderIn(kvt::QtSystemServices::systemCommonDataFolder())));

    QApplication application(argc, argv);
    // Before any window: an object keeps the accessible interface it was first given.
    kvt::installAccessibleComboBoxes();
    // Not for the installation check, and not where no accessibility bridge will ask.
    const kvt::SessionBusConnector sessionBus(!checkInstallation
        && QGuiApplication::platformName() != QLatin1String("offscreen")
        && QGuiApplication::platformName() != QLatin1String("minimal"));
    QApplication::setApplicationName(QStringLiteral("Kalvora_Tools"));
    QApplication::setApplicationVersion(QStringLiteral(KVT_VERSION));
    // The controller has no window; only the quit question ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    kvt::QtSystemServices system;
    if (checkInstallation) {
        // Reads the files beside the program and ends: no window, no lock, no user data.
        const kvt::InstallationCheck check = kvt::checkInstallation(system.executablePath().parent_path());
        std::fputs(check.text.c_str(), stdout);
        return check.complete ? 0 : 1;
    }

    kvt::QtWindowHost windows;
    kvt::QtSettingsStore settings;
    kvt::QtMessageBoxes boxes;
    kvt::AppController controller({windows, system, settings, boxes, optionsStorage});
    windows.setController(&controller);
    windows.setWindowFactory([](int page, kvt::AppController& c) { return kvt::createPageWindow(page, c); });
    windows.setOptionsRunner(&kvt::runOptions);
    // Help and support: the vendor's server, web site and support address come from the
    // start-up settings and are read anew each time, so a changed setting needs no restart.
    windows.setAboutRunner([&settings, &boxes](kvt::AppController& c) {
        kvt::runAboutDialog(kvt::desktopSupportServices(c, settings, boxes));
    });
    windows.setSupportMailRunner([&settings, &boxes](kvt::AppController& c) {
        kvt::runSupportMailDialog(kvt::desktopSupportServices(c, settings, boxes));
    });
    system.setDownloader([&settings](const std::string& remotePath, const std::filesystem::path& target) {
        kvt::SupportNetwork network(kvt::readVendorConfig(settings).server);
        return kvt::downloadAfterConnectionTest(network, remotePath, target);
    });

    if (!controller.startUp())
        return 0;
    return QApplication::exec();
}
