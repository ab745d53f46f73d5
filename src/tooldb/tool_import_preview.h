#pragma once
// The dialog that shows what an import would do (each tool of the file with its number,
// name, diameter and whether it is new, replaces a tool or is skipped, and why) before
// anything changes. OK takes the plan, Cancel leaves the table as it is.

#include "tooldb/tool_exchange.h"

#include <QDialog>

class QLabel;
class QTreeWidget;
class QDialogButtonBox;

namespace kvt {

class TextLookup;

class ToolImportPreview final : public QDialog {
    Q_OBJECT
public:
    ToolImportPreview(const TextLookup& texts, const QString& title, const ImportPlan& plan, int unitSystem,
        QWidget* parent = nullptr);

    QTreeWidget* list() const { return m_list; }
    QLabel* summary() const { return m_summary; }
    QDialogButtonBox* buttons() const { return m_buttons; }

private:
    QTreeWidget* m_list = nullptr;
    QLabel* m_summary = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

} // namespace kvt
