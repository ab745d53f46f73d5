#include "serial/restart_dialog.h"

#include "common/number_format.h"
#include "common/text_lookup.h"
#include "serial/nc_restart.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <charconv>

namespace kvt {

namespace {

QString qt(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// A whole number from 1 on, as typed; 0 for anything else.
std::uint32_t positive(const QString& typed)
{
    const std::string text = typed.trimmed().toStdString();
    std::uint32_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return 0;
    return value;
}

std::string lineOf(const std::string& program, std::size_t line)
{
    std::size_t begin = 0;
    for (std::size_t n = 1; n < line && begin != std::string::npos; ++n) {
        begin = program.find_first_of("\r\n", begin);
        if (begin != std::string::npos && program[begin] == '\r' && begin + 1 < program.size()
            && program[begin + 1] == '\n')
            ++begin;
        if (begin != std::string::npos)
            ++begin;
    }
    if (begin == std::string::npos || begin > program.size())
        return {};
    return program.substr(begin, program.find_first_of("\r\n", begin) - begin);
}

} // namespace

RestartDialog::RestartDialog(
    std::string program, std::size_t suggestedLine, const TextLookup& texts, Sender send, QWidget* parent)
    : QDialog(parent)
    , m_program(std::move(program))
    , m_texts(texts)
    , m_send(std::move(send))
{
    setWindowTitle(text(94821, "*Neustart ab Satz"));
    setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    auto label = [this](int id, std::string_view caption, QWidget* control) {
        auto* l = new QLabel(text(id, caption));
        l->setBuddy(control);
        control->setAccessibleName(l->text());
        return l;
    };
    m_by = new QComboBox;
    m_by->addItems({text(94823, "*Zeile"), text(94824, "*Satznummer N"), text(94825, "*Werkzeugwechsel T")});
    form->addRow(label(94822, "*Neustart ab:", m_by), m_by);
    m_value = new QLineEdit;
    if (suggestedLine > 0)
        m_value->setText(qt(cformat("%u", static_cast<unsigned>(suggestedLine))));
    form->addRow(label(94826, "*Wert:", m_value), m_value);
    m_occurrence = new QLineEdit(QStringLiteral("1"));
    m_occurrence->setToolTip(text(94835, "*Das wievielte Mal dieser Satz oder Werkzeugwechsel vorkommt"));
    form->addRow(label(94827, "*Vorkommen:", m_occurrence), m_occurrence);
    m_found = new QLabel;
    m_found->setAccessibleName(text(94836, "*Gefundene Zeile"));
    layout->addWidget(m_found);
    auto* preambleLabel = new QLabel(text(94829, "*Vorspann (vor dem Senden prüfen):"));
    m_preamble = new QPlainTextEdit;
    preambleLabel->setBuddy(m_preamble);
    m_preamble->setAccessibleName(preambleLabel->text());
    m_preamble->setMinimumSize(420, 260);
    layout->addWidget(preambleLabel);
    layout->addWidget(m_preamble);

    auto* buttons = new QHBoxLayout;
    auto* find = new QPushButton(text(94828, "*Suchen"));
    m_sendButton = new QPushButton(text(94830, "*Senden"));
    auto* cancel = new QPushButton(text(94831, "*Abbrechen"));
    for (QPushButton* b : {find, m_sendButton, cancel}) {
        b->setAccessibleName(b->text());
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    m_sendButton->setEnabled(false); // nothing to send before a line was found
    layout->addLayout(buttons);
    connect(find, &QPushButton::clicked, this, &RestartDialog::findCommand);
    connect(m_sendButton, &QPushButton::clicked, this, &RestartDialog::sendCommand);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // A changed choice makes the shown preamble stale: it must be found again.
    for (QLineEdit* field : {m_value, m_occurrence})
        connect(field, &QLineEdit::textEdited, this, [this] { m_sendButton->setEnabled(false); });
    connect(m_by, &QComboBox::currentIndexChanged, this, [this] { m_sendButton->setEnabled(false); });
    if (suggestedLine > 0)
        findCommand();
}

QString RestartDialog::text(int id, std::string_view builtin) const
{
    return qt(m_texts.text(id, builtin));
}

QString RestartDialog::foundText() const
{
    return m_found->text();
}

void RestartDialog::findCommand()
{
    const std::uint32_t value = positive(m_value->text());
    const std::uint32_t occurrence = positive(m_occurrence->text());
    m_line = 0;
    m_sendButton->setEnabled(false);
    if (value == 0 || occurrence == 0) {
        m_found->setText(text(94834, "*Wert und Vorkommen als ganze Zahl ab 1 eingeben."));
        return;
    }
    const auto by = static_cast<RestartBy>(std::clamp(m_by->currentIndex(), 0, 2));
    const std::optional<std::size_t> line = findRestartLine(m_program, by, value, occurrence);
    if (!line) {
        m_found->setText(text(94832, "*Keine passende Zeile gefunden."));
        m_preamble->clear();
        return;
    }
    m_line = *line;
    m_found->setText(
        qt(cformat(m_texts.text(94833, "*Zeile %u: %s"), static_cast<unsigned>(m_line), lineOf(m_program, m_line))));
    m_preamble->setPlainText(qt(restartPreamble(m_program, m_line)));
    m_sendButton->setEnabled(true);
}

void RestartDialog::sendCommand()
{
    if (m_line == 0 || !m_sendButton->isEnabled())
        return;
    const std::string text = restartProgram(m_preamble->toPlainText().toStdString(), m_program, m_line);
    if (m_send && m_send(text, m_line))
        accept();
}

} // namespace kvt
