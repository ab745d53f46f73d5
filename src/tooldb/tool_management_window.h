#pragma once
// The tool management dialog ("*Werkzeugdaten verwalten"): the list of the current
// machine's 500 tool lines, navigation, the scan field, the editing menu, export and
// import, and the tool editor for one row. The rules live in ToolManagementForm; this
// class only shows them and passes on what the user does.

#include "app/function_window.h"
#include "common/file_dialogs.h"
#include "tooldb/tool_editor.h"
#include "tooldb/tool_exchange_file.h"
#include "tooldb/tool_management_form.h"
#include "tooldb/tool_record.h"

#include <QPointer>

#include <functional>
#include <vector>

class QLineEdit;
class QMenu;
class QTreeWidget;

namespace kvt {

// How the window and its editor ask for a file; tests answer without a dialog.
using FileChooser = std::function<FileDialogChoice(
    QWidget* parent, FileDialogMode mode, const QString& caption, const FileDialogSetup& setup)>;

// How the window shows an import plan and learns whether to take it; tests answer
// without a dialog.
using ImportPreviewer = std::function<bool(QWidget* parent, const ImportPlan& plan, ToolExchangeFormat format)>;

FileDialogSetup toolTableFileDialogSetup();
FileDialogSetup pictureFileDialogSetup();

class ToolManagementWindow final : public FunctionWindow {
    Q_OBJECT
public:
    explicit ToolManagementWindow(AppController& controller, const WindowServices& services = {});
    ~ToolManagementWindow() override;

    void storeInputs() override;
    void refresh() override;
    void machineChanged() override;

    // The editing menu ("*Mehr..."); public so that tests can run its entries.
    QMenu* buildEditMenu(QWidget* parent);
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    void setImportPreviewer(ImportPreviewer previewer) { m_previewImport = std::move(previewer); }
    FileDialogChoice chooseFile(FileDialogMode mode, const QString& caption, const FileDialogSetup& setup);

    QTreeWidget* list() const { return m_list; }
    QLineEdit* scanField() const { return m_scan; }
    QLineEdit* rowField() const { return m_rowField; }
    const ToolManagementForm& form() const { return m_form; }
    ToolEditor* editor() const { return m_editor; }

    // Opens the tool editor for the current row (row 0 is refused).
    ToolEditor* openEditor();

    // What the editor asks of the window.
    void saveTool(std::size_t machineIndex, int row, const ToolRecord& record);
    // False when the cutting data window was not opened (the user was told why).
    bool determineCuttingData(std::size_t machineIndex, int row, const ToolRecord& pending);
    void reportTool();
    std::filesystem::path dataDirectory() const;
    int machineIndex() const { return static_cast<int>(currentMachineIndex()); }
    int languageCode() const;
    std::string toolManagementTitle() const;

protected:
    std::string composeReport(const LocalDateTime& time, int languageCode) const override;

private:
    void buildControls();
    void retranslate();
    void fillList();
    void refreshRows(const std::vector<int>& rows);
    void showCurrentRow();
    void afterEdit(const std::vector<int>& rows);
    void scanChanged(bool enter);
    void exportTable();
    void importTable();
    void exportExchange(const ExchangeMenuEntry& entry);
    void importExchange(const ExchangeMenuEntry& entry);
    void takeReturnFromCuttingData();
    void tell(const std::string& message);
    MachineRecord* machine();
    void markChanged();

    ToolManagementForm m_form;
    FileChooser m_chooseFile;
    ImportPreviewer m_previewImport;
    QTreeWidget* m_list = nullptr;
    QLineEdit* m_rowField = nullptr;
    QLineEdit* m_scan = nullptr;
    QLineEdit* m_ncField = nullptr;
    QLineEdit* m_descriptionField = nullptr;
    QPushButton* m_loadButton = nullptr;
    QPushButton* m_scanButton = nullptr;
    QPushButton* m_editorButton = nullptr;
    QPushButton* m_firstButton = nullptr;
    QPushButton* m_previousButton = nullptr;
    QPushButton* m_nextButton = nullptr;
    QPushButton* m_lastButton = nullptr;
    QPushButton* m_editButton = nullptr;
    QPointer<ToolEditor> m_editor;
    bool m_filling = false; // the list is being rebuilt: its selection means nothing
};

} // namespace kvt
