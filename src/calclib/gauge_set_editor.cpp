#include "calclib/gauge_set_editor.h"

#include "common/number_format.h"
#include "common/text_lookup.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvt {

GaugeSetEditor::GaugeSetEditor(const std::vector<calc::GaugeBlockSet>& sets, const TextLookup& texts,
    std::function<void(const std::string&)> complain, QWidget* parent)
    : QDialog(parent)
    , m_texts(texts)
    , m_complain(std::move(complain))
{
    auto text = [&texts](int id, std::string_view builtin) { return QString::fromStdString(texts.text(id, builtin)); };
    setObjectName(QStringLiteral("gaugeSetEditor"));
    setWindowTitle(text(67730, "*Endmaßsätze bearbeiten"));
    setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);
    auto* hint
        = new QLabel(text(67731,
                         "*Ein Satz je Zeile: Name; mm oder inch; die Maße der Endmaße, durch Leerzeichen "
                         "getrennt (höchstens 4 Nachkommastellen). Jedes Endmaß wird höchstens einmal verwendet."),
            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("gaugeSets"));
    m_text->setAccessibleName(text(67732, "*Endmaßsätze"));
    m_text->setPlainText(QString::fromStdString(calc::formatGaugeSetsForEditing(sets)));
    m_text->setMinimumSize(640, 300);
    layout->addWidget(m_text);

    auto* buttons = new QDialogButtonBox(this);
    m_defaults = buttons->addButton(text(67733, "*Standardsätze einsetzen"), QDialogButtonBox::ResetRole);
    m_save = buttons->addButton(text(67734, "*Speichern"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(text(67735, "*Abbrechen"), QDialogButtonBox::RejectRole);
    for (QPushButton* button : {m_defaults, m_save, cancel})
        button->setAccessibleName(button->text());
    m_defaults->setToolTip(text(67736, "*Die mitgelieferten Sätze (112, 87, 83 mm und 81 inch) in den Text setzen"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &GaugeSetEditor::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_defaults, &QPushButton::clicked, this, [this] {
        m_text->setPlainText(QString::fromStdString(calc::formatGaugeSetsForEditing(calc::defaultGaugeBlockSets())));
    });
}

void GaugeSetEditor::accept()
{
    const calc::GaugeSetsReadResult read = calc::parseGaugeSetsFromEditing(m_text->toPlainText().toStdString());
    if (read.errorLine != 0) {
        m_complain(m_texts.text(67737, "*Diese Zeile ist kein gültiger Satz:") + " " + m_texts.text(67721, "*Zeile")
            + " " + cformat("%d", read.errorLine) + " (" + read.errorDetail + ")");
        return;
    }
    m_sets = read.sets;
    QDialog::accept();
}

} // namespace kvt
