#include "options/control_profile_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvt {

namespace {

QString qt(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string utf8(const QString& text)
{
    return text.toStdString();
}

} // namespace

ControlProfileDialog::ControlProfileDialog(
    ControlProfileForm& form, const TextLookup& texts, int profileIndex, QWidget* parent)
    : QDialog(parent)
    , m_form(form)
    , m_texts(texts)
{
    setModal(true);
    setWindowTitle(text(94702, "*Steuerungsprofil bearbeiten"));
    setAccessibleName(windowTitle());
    auto* outer = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    outer->addLayout(columns);
    auto* left = new QFormLayout;
    auto* right = new QFormLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    auto field = [this](QFormLayout* layout, int id, std::string_view caption) {
        auto* label = new QLabel(text(id, caption));
        auto* edit = new QLineEdit;
        label->setBuddy(edit);
        edit->setAccessibleName(label->text());
        layout->addRow(label, edit);
        return edit;
    };
    auto combo = [this](QFormLayout* layout, int id, std::string_view caption, const QStringList& entries) {
        auto* label = new QLabel(text(id, caption));
        auto* box = new QComboBox;
        box->addItems(entries);
        label->setBuddy(box);
        box->setAccessibleName(label->text());
        layout->addRow(label, box);
        return box;
    };
    auto check = [this](QFormLayout* layout, int id, std::string_view caption) {
        auto* box = new QCheckBox(text(id, caption));
        box->setAccessibleName(box->text());
        layout->addRow(box);
        return box;
    };

    m_name = field(left, 94703, "*Name:");
    QStringList lineEnds;
    for (std::string_view entry : ControlProfileForm::lineEndEntries())
        lineEnds << qt(entry);
    m_lineEnd = combo(left, 94704, "*Zeilenende:", lineEnds);
    m_leader = field(left, 94705, "*Vorspann:");
    m_trailer = field(left, 94706, "*Nachspann:");
    m_beforeSend = field(left, 94707, "*Text vor dem Senden:");
    m_afterSend = field(left, 94708, "*Text nach dem Senden:");
    const QString escapes = text(94745, "*Steuerzeichen als \\xHH, z. B. \\x12 für DC2; \\\\ für \\");
    for (QLineEdit* edit : {m_leader, m_trailer, m_beforeSend, m_afterSend})
        edit->setToolTip(escapes);
    m_dropBeforePercent = check(left, 94709, "*Text vor dem ersten % weglassen");
    m_nameLine = combo(left, 94710, "*Programmnamen-Zeile:",
        {text(94727, "*keine"), text(94728, "*O-Nummer"), text(94729, "*BEGIN PGM ... MM"), "%_N_..._MPF"});
    m_start = combo(left, 94711,
        "*Start:", {text(94731, "*sofort"), text(94732, "*auf CTS warten"), text(94733, "*auf XON/DC1 warten")});
    m_flow = combo(left, 94712,
        "*Flusssteuerung:", {text(94734, "*durch den Treiber"), text(94735, "*durch das Programm (DC1-DC4)")});
    m_linePause = field(left, 94713, "*Pause je Zeile (ms):");

    m_stopAllowance = field(right, 94714, "*Zeichen nach Stopp:");
    m_linkTimeout = field(right, 94715, "*Leitung weg nach (ms):");
    m_receiveEnd = field(right, 94716, "*Empfangsende-Muster:");
    m_request = field(right, 94717, "*Anforderungs-Muster:");
    m_fileName = field(right, 94718, "*Dateinamen-Muster:");
    m_folders[0] = field(right, 94719, "*Ordner 1:");
    m_folders[1] = field(right, 94720, "*Ordner 2:");
    m_folders[2] = field(right, 94721, "*Ordner 3:");
    m_requestDelay = field(right, 94722, "*Wartezeit vor der Antwort (ms):");
    m_requestDripFeed = check(right, 94723, "*Anforderung im Drip-Feed beantworten");
    // Patterns and folder paths are long: room to read them whole.
    for (QLineEdit* edit : {m_receiveEnd, m_request, m_fileName, m_folders[0], m_folders[1], m_folders[2]})
        edit->setMinimumWidth(260);

    auto* buttons = new QDialogButtonBox;
    auto* save = buttons->addButton(text(94724, "*Speichern"), QDialogButtonBox::AcceptRole);
    auto* remove = buttons->addButton(text(94725, "*Löschen"), QDialogButtonBox::DestructiveRole);
    auto* cancel = buttons->addButton(text(94726, "*Abbrechen"), QDialogButtonBox::RejectRole);
    for (QPushButton* button : {save, remove, cancel}) {
        button->setAccessibleName(button->text());
        button->setAutoDefault(false);
    }
    remove->setToolTip(text(94746, "*Entfernt ein eigenes Profil; ein eingebautes bekommt seine Werte zurück."));
    connect(save, &QPushButton::clicked, this, &ControlProfileDialog::saveCommand);
    connect(remove, &QPushButton::clicked, this, &ControlProfileDialog::removeCommand);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    outer->addWidget(buttons);

    const auto& all = form.profiles().all();
    const std::size_t index = profileIndex >= 0 && profileIndex < static_cast<int>(all.size())
        ? static_cast<std::size_t>(profileIndex)
        : all.size() - 1;
    show(profileTexts(all[index]));
}

QString ControlProfileDialog::text(int id, std::string_view builtin) const
{
    return qt(m_texts.text(id, builtin));
}

void ControlProfileDialog::show(const ControlProfileTexts& t)
{
    m_name->setText(qt(t.name));
    m_lineEnd->setCurrentIndex(t.lineEnd);
    m_leader->setText(qt(t.leader));
    m_trailer->setText(qt(t.trailer));
    m_beforeSend->setText(qt(t.beforeSend));
    m_afterSend->setText(qt(t.afterSend));
    m_dropBeforePercent->setChecked(t.dropBeforePercent);
    m_nameLine->setCurrentIndex(t.nameLine);
    m_start->setCurrentIndex(t.start);
    m_flow->setCurrentIndex(t.flow);
    m_linePause->setText(qt(t.linePauseMs));
    m_stopAllowance->setText(qt(t.stopAllowance));
    m_linkTimeout->setText(qt(t.linkTimeoutMs));
    m_receiveEnd->setText(qt(t.receiveEndPattern));
    m_request->setText(qt(t.requestPattern));
    m_fileName->setText(qt(t.fileNamePattern));
    for (std::size_t i = 0; i < m_folders.size(); ++i)
        m_folders[i]->setText(qt(t.folders[i]));
    m_requestDelay->setText(qt(t.requestDelayMs));
    m_requestDripFeed->setChecked(t.requestDripFeed);
}

ControlProfileTexts ControlProfileDialog::read() const
{
    ControlProfileTexts t;
    t.name = utf8(m_name->text().trimmed());
    t.lineEnd = m_lineEnd->currentIndex();
    t.leader = utf8(m_leader->text());
    t.trailer = utf8(m_trailer->text());
    t.beforeSend = utf8(m_beforeSend->text());
    t.afterSend = utf8(m_afterSend->text());
    t.dropBeforePercent = m_dropBeforePercent->isChecked();
    t.nameLine = m_nameLine->currentIndex();
    t.start = m_start->currentIndex();
    t.flow = m_flow->currentIndex();
    t.linePauseMs = utf8(m_linePause->text());
    t.stopAllowance = utf8(m_stopAllowance->text());
    t.linkTimeoutMs = utf8(m_linkTimeout->text());
    t.receiveEndPattern = utf8(m_receiveEnd->text());
    t.requestPattern = utf8(m_request->text());
    t.fileNamePattern = utf8(m_fileName->text());
    for (std::size_t i = 0; i < m_folders.size(); ++i)
        t.folders[i] = utf8(m_folders[i]->text().trimmed());
    t.requestDelayMs = utf8(m_requestDelay->text());
    t.requestDripFeed = m_requestDripFeed->isChecked();
    return t;
}

void ControlProfileDialog::saveCommand()
{
    const ControlProfileTexts t = read();
    if (m_form.save(t)) {
        m_savedName = t.name;
        accept();
    }
}

void ControlProfileDialog::removeCommand()
{
    const std::string name = utf8(m_name->text().trimmed());
    if (m_form.remove(name)) {
        m_savedName.clear();
        accept();
    }
}

} // namespace kvt
