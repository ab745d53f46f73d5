#include "support/support_mail_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

namespace kvt {

namespace {

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

// The sender's fields hold what their 256-character buffers hold.
constexpr int kSenderFieldLength = 255;

} // namespace

SupportMailDialog::SupportMailDialog(SupportServices services, QWidget* parent)
    : QDialog(parent)
    , m_services(std::move(services))
    , m_form(m_services.texts, m_services.vendor.supportAddress)
{
    setWindowTitle(q(text(67419, "*Support Email Erstellung")));
    setAccessibleName(windowTitle());

    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout;
    auto addField = [&](int id, std::string_view builtin) {
        const QString caption = q(text(id, builtin));
        auto* edit = new QLineEdit;
        edit->setMaxLength(kSenderFieldLength);
        edit->setAccessibleName(caption);
        fields->addRow(caption, edit);
        return edit;
    };
    m_name = addField(67421, "*Absender-Name");
    m_address = addField(67422, "*Abesender-Email-Adresse");
    layout->addLayout(fields);

    const QString descriptionCaption = q(text(67423, "*Formlose Beschreibung des Problems"));
    auto* descriptionLabel = new QLabel(descriptionCaption);
    m_description = new QPlainTextEdit;
    m_description->setAccessibleName(descriptionCaption);
    m_description->setTabChangesFocus(true);
    descriptionLabel->setBuddy(m_description);
    layout->addWidget(descriptionLabel);
    layout->addWidget(m_description);

    auto* count = new QHBoxLayout;
    const QString remainingCaption = q(text(67424, "*Zeichen übrig"));
    auto* remainingLabel = new QLabel(remainingCaption);
    m_remaining = new QLabel(q(m_form.remainingText()));
    m_remaining->setAccessibleName(remainingCaption);
    count->addWidget(remainingLabel);
    count->addWidget(m_remaining);
    count->addStretch(1);
    layout->addLayout(count);

    // The support address as a link that composes the same mail; shown only when the
    // address is configured.
    if (!m_form.supportAddress().empty()) {
        const QString caption = q(text(67428, "*Support-Adresse"));
        auto* link = new QLabel(
            QStringLiteral("%1: <a href=\"#\">%2</a>").arg(caption, q(m_form.supportAddress()).toHtmlEscaped()));
        link->setAccessibleName(caption);
        link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        connect(link, &QLabel::linkActivated, this, [this] {
            if (auto missing = m_form.missingField()) {
                m_services.beep();
                m_services.boxes.show(*missing);
                return;
            }
            openMail();
        });
        layout->addWidget(link);
    }

    auto* buttons = new QHBoxLayout;
    auto addButton = [&](int id, std::string_view builtin) {
        auto* button = new QPushButton(q(text(id, builtin)));
        button->setAccessibleName(button->text());
        button->setAutoDefault(false);
        buttons->addWidget(button);
        return button;
    };
    QPushButton* copy = addButton(67425, "*Kopieren");
    buttons->addStretch(1);
    QPushButton* ok = addButton(67429, "*OK");
    QPushButton* cancel = addButton(67430, "*Abbrechen");
    layout->addLayout(buttons);

    connect(m_name, &QLineEdit::textChanged, this, [this](const QString& t) { m_form.setName(t.toStdString()); });
    connect(m_address, &QLineEdit::textChanged, this, [this](const QString& t) { m_form.setAddress(t.toStdString()); });
    connect(m_description, &QPlainTextEdit::textChanged, this, &SupportMailDialog::descriptionChanged);
    connect(copy, &QPushButton::clicked, this, &SupportMailDialog::copyText);
    connect(ok, &QPushButton::clicked, this, &SupportMailDialog::composeMail);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void SupportMailDialog::descriptionChanged()
{
    if (m_form.setDescription(m_description->toPlainText().toStdString())) {
        // Longer than the limit (typed or pasted): cut back, the cursor at the end.
        const QSignalBlocker blocker(m_description);
        m_description->setPlainText(q(m_form.description()));
        m_description->moveCursor(QTextCursor::End);
        m_services.beep();
    }
    m_remaining->setText(q(m_form.remainingText()));
}

bool SupportMailDialog::openMail()
{
    return m_services.openUrl(QUrl::fromEncoded(QByteArray::fromStdString(m_form.link()), QUrl::StrictMode));
}

void SupportMailDialog::composeMail()
{
    if (auto missing = m_form.missingField()) {
        m_services.beep();
        m_services.boxes.show(*missing);
        return;
    }
    openMail();
    accept();
}

void SupportMailDialog::copyText()
{
    QApplication::clipboard()->setText(q(m_form.composedText()));
}

void runSupportMailDialog(SupportServices services)
{
    SupportMailDialog dialog(std::move(services), QApplication::activeWindow());
    dialog.exec();
}

} // namespace kvt
