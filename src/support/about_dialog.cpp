#include "support/about_dialog.h"

#include "common/number_format.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace kvt {

namespace {

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

QLabel* addLabel(QVBoxLayout* layout, const QString& caption)
{
    auto* label = new QLabel(caption);
    label->setAccessibleName(caption);
    layout->addWidget(label);
    return label;
}

} // namespace

AboutDialog::AboutDialog(SupportServices services, QWidget* parent)
    : QDialog(parent)
    , m_services(std::move(services))
    , m_network(m_services.vendor.server, m_services.networkTimeoutMs)
{
    setWindowTitle(q(text(67416, "*Über Kalvora Tools")));
    setAccessibleName(windowTitle());
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    auto* layout = new QVBoxLayout(this);
    addLabel(layout, QStringLiteral("Kalvora Tools 2025"));
    addLabel(layout, q("Build " + cformat("%i", kBuildNumber)));
    addLabel(layout, q(std::string(kEditionText)));

    // Without a configured web site there is nothing to link to, and no dead link is shown.
    const std::string site = webSiteUrl(m_services.vendor.webSite);
    if (!site.empty()) {
        const QString caption = q(text(67418, "*Produktseite"));
        auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>").arg(q(site).toHtmlEscaped(), caption));
        link->setAccessibleName(caption);
        link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        connect(link, &QLabel::linkActivated, this, [this](const QString& url) { m_services.openUrl(QUrl(url)); });
        layout->addWidget(link);
    }

    m_status = new QLabel;
    layout->addWidget(m_status);

    auto* buttons = new QHBoxLayout;
    auto addButton = [&](const QString& caption) {
        auto* button = new QPushButton(caption);
        button->setAccessibleName(caption);
        button->setAutoDefault(false);
        buttons->addWidget(button);
        return button;
    };
    m_check = addButton(q(text(67802, "*Update prüfen")));
    m_info = addButton(q(text(67417, "*Update Info")));
    m_download = addButton(q(text(67803, "*Update laden")));
    QPushButton* close = addButton(q(text(67431, "*Schließen")));
    m_info->hide();
    m_download->setEnabled(false);
    layout->addLayout(buttons);

    connect(m_check, &QPushButton::clicked, this, &AboutDialog::checkForUpdate);
    connect(m_info, &QPushButton::clicked, this, &AboutDialog::showUpdateLog);
    connect(m_download, &QPushButton::clicked, this, &AboutDialog::downloadUpdate);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutDialog::checkForUpdate()
{
    const UpdateCheckResult result = updateCheckResult(m_network.fetchLatestBuild(), m_services.texts);
    if (result.outcome == UpdateOutcome::Available) {
        m_status->setText(q(result.statusText));
        m_status->setAccessibleName(m_status->text());
        m_info->show();
        m_download->setEnabled(true);
    }
    show(result.message);
}

void AboutDialog::showUpdateLog()
{
    const std::filesystem::path target = m_services.dataDirectory / updateLogName(m_services.languageCode);
    if (!m_network.download(updateLogPath(m_services.languageCode), target)) {
        show(noConnectionMessage(m_services.texts));
        return;
    }
    m_services.openTextFile(target);
}

void AboutDialog::downloadUpdate()
{
    const std::optional<std::filesystem::path> target
        = m_services.chooseInstallerPath(this, m_services.dataDirectory / installerName(m_services.languageCode));
    if (!target)
        return;
    if (!m_network.download(installerPath(m_services.languageCode), *target)) {
        show(downloadFailedMessage(m_services.texts));
        return;
    }
    if (show(showDownloadQuestion(m_services.texts)) == MessageAnswer::Yes && !m_services.showInFileManager(*target))
        show(showInFolderFailedMessage());
}

void runAboutDialog(SupportServices services)
{
    AboutDialog dialog(std::move(services), QApplication::activeWindow());
    dialog.exec();
}

} // namespace kvt
