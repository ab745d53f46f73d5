#include "machining/cutting_data/material_group_dialog.h"

#include "common/field_validation.h"
#include "common/text_lookup.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace kvt {

namespace {

std::optional<double> number(const QLineEdit* edit)
{
    std::string text = edit->text().toStdString();
    ParseResult parsed;
    if (text.empty() || !validateField(text, InputClass::Unsigned, ValueKind::Double, parsed)
        || !std::isfinite(parsed.doubleValue))
        return std::nullopt;
    return parsed.doubleValue;
}

} // namespace

MaterialGroupDialog::MaterialGroupDialog(const TextLookup& texts, std::function<void()> refuse, QWidget* parent)
    : QDialog(parent)
    , m_refuse(std::move(refuse))
{
    auto text = [&texts](int id, std::string_view builtin) { return QString::fromStdString(texts.text(id, builtin)); };
    setWindowTitle(text(71660, "*Werkstoffgruppe hinzufügen"));
    setAccessibleName(windowTitle());
    auto* form = new QFormLayout(this);
    auto row = [&](int id, std::string_view builtin, const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        auto* label = new QLabel(text(id, builtin), this);
        label->setBuddy(edit);
        edit->setAccessibleName(label->text());
        form->addRow(label, edit);
        return edit;
    };
    m_name = row(71661, "*Name:", "materialName");
    m_name->setMaxLength(static_cast<int>(kMaxMaterialNameLength));
    m_name->setMinimumWidth(280);
    m_kc1 = row(71662, "*kc1 [N/mm²]:", "materialKc1");
    m_mc = row(71663, "*mc:", "materialMc");
    m_kc1->setToolTip(
        text(71664, "*Spezifische Schnittkraft für 1 mm × 1 mm Spanungsquerschnitt, laut Werkzeughersteller"));
    m_mc->setToolTip(text(71665, "*Anstiegswert der kc-Kurve, meist 0,15 bis 0,35"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(text(71666, "*Hinzufügen"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(text(71667, "*Abbrechen"), QDialogButtonBox::RejectRole);
    ok->setAccessibleName(ok->text());
    cancel->setAccessibleName(cancel->text());
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void MaterialGroupDialog::accept()
{
    const auto typed = group();
    if (!typed || !materialGroupAcceptable(*typed)) {
        if (m_refuse)
            m_refuse();
        return;
    }
    QDialog::accept();
}

std::optional<MaterialGroup> MaterialGroupDialog::group() const
{
    const auto kc1 = number(m_kc1);
    const auto mc = number(m_mc);
    if (!kc1 || !mc)
        return std::nullopt;
    MaterialGroup group;
    group.name = m_name->text().trimmed().toStdString();
    group.kc1 = *kc1;
    group.mc = *mc;
    return group;
}

} // namespace kvt
