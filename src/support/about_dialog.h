#pragma once
// The about dialog: build and edition, the product page, and the update check with the
// update log and the installer download.

#include "support/support_network.h"
#include "support/support_services.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace kvt {

class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(SupportServices services, QWidget* parent = nullptr);

    void checkForUpdate();
    void showUpdateLog();
    void downloadUpdate();

private:
    std::string text(int id, std::string_view builtin) const { return m_services.texts.text(id, builtin); }
    MessageAnswer show(const MessageBoxRequest& request) { return m_services.boxes.show(request); }

    SupportServices m_services;
    SupportNetwork m_network;
    QLabel* m_status = nullptr;
    QPushButton* m_check = nullptr;
    QPushButton* m_info = nullptr;
    QPushButton* m_download = nullptr;
};

// Runs the about dialog modally over the active window.
void runAboutDialog(SupportServices services);

} // namespace kvt
