#include "tooldb/tool_import_preview.h"

#include "common/text_lookup.h"
#include "common/units.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kvt {

namespace {

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

ToolImportPreview::ToolImportPreview(
    const TextLookup& texts, const QString& title, const ImportPlan& plan, int unitSystem, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("toolImportPreview"));
    setWindowTitle(title);
    setAccessibleName(title);
    auto* layout = new QVBoxLayout(this);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("importPreviewList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setHeaderLabels({qt(texts.text(76460, "*Nr.")), qt(texts.text(76461, "*Name")),
        qt(unitLabel(texts, 76462, "*Durchmesser", unitSystem, UnitText::Millimetre)),
        qt(texts.text(76463, "*Aktion"))});
    m_list->setAccessibleName(qt(texts.text(76464, "*Vorschau des Imports")));
    QList<QTreeWidgetItem*> items;
    for (const ImportPreviewRow& row : importPreviewRows(texts, plan, unitSystem)) {
        auto* item = new QTreeWidgetItem({qt(row.number), qt(row.name), qt(row.diameter), qt(row.action)});
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        items.push_back(item);
    }
    m_list->addTopLevelItems(items);
    m_list->setColumnWidth(0, 60);
    m_list->setColumnWidth(1, 260);
    m_list->setColumnWidth(2, 110);
    m_list->header()->setStretchLastSection(true);
    m_list->setMinimumSize(760, 360);
    layout->addWidget(m_list);

    m_summary = new QLabel(qt(importPreviewSummary(texts, plan)), this);
    m_summary->setObjectName(QStringLiteral("importPreviewSummary"));
    m_summary->setWordWrap(true);
    m_summary->setAccessibleName(m_summary->text());
    layout->addWidget(m_summary);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = m_buttons->button(QDialogButtonBox::Ok);
    QPushButton* cancel = m_buttons->button(QDialogButtonBox::Cancel);
    ok->setText(qt(texts.text(76465, "*OK")));
    ok->setAccessibleName(ok->text());
    cancel->setText(qt(texts.text(76466, "*Abbrechen")));
    cancel->setAccessibleName(cancel->text());
    // Nothing to take: OK would change nothing, so only Cancel is offered.
    ok->setEnabled(plan.newTools + plan.replacedTools > 0);
    cancel->setDefault(true);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_buttons);
}

} // namespace kvt
