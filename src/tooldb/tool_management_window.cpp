#include "tooldb/tool_management_window.h"

#include "app/app_controller.h"
#include "app/pages.h"
#include "common/clock.h"
#include "common/code_page.h"
#include "common/units.h"
#include "state/open_dialog_data.h"
#include "state/page_ids.h"
#include "tooldb/tool_editor.h"
#include "tooldb/tool_editor_form.h"
#include "tooldb/tool_export_file.h"
#include "tooldb/tool_import_preview.h"
#include "tooldb/tool_pictures.h"
#include "tooldb/tool_table.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include <filesystem>

namespace kvt {

namespace {

constexpr int kListWidth = 780;
constexpr int kListHeight = 320;
constexpr int kWideFieldLimit = 128;
constexpr int kToolManagementTitleId = 70134;

// The editor's record while the cutting data window works out its values: the
// management window is closed meanwhile, and what was typed must not be lost.
struct PendingTool {
    bool set = false;
    std::size_t machine = 0;
    int row = 0;
    ToolRecord record {};
};
PendingTool& pendingTool()
{
    static PendingTool pending;
    return pending;
}

// The scan field reports Enter to the window instead of ending the dialog.
class ScanField final : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void()> onEnter;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && onEnter) {
            onEnter();
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

std::filesystem::path pathOf(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

} // namespace

FileDialogSetup toolTableFileDialogSetup()
{
    return {{{"Kalvora Tools Werkzeugdaten (*.kvwz)", "*.kvwz"}, {"All Files (*.*)", "*.*"}},
        std::string(kToolExportExtension)};
}

FileDialogSetup pictureFileDialogSetup()
{
    return {{{"Bilder (*.png *.jpg *.jpeg *.bmp *.gif)", "*.png *.jpg *.jpeg *.bmp *.gif"}, {"All Files (*.*)", "*.*"}},
        "png"};
}

ToolManagementWindow::ToolManagementWindow(AppController& controller, const WindowServices& services)
    : FunctionWindow(controller, page::ToolManagement, services)
    , m_form(boxes(), texts())
{
    setObjectName(QStringLiteral("toolManagementWindow"));
    setReportKind(ReportKindId::Tdw);
    m_chooseFile = [](QWidget* parent, FileDialogMode mode, const QString& caption, const FileDialogSetup& setup) {
        return runFileDialog(parent, mode, caption, QString(), setup);
    };
    m_previewImport = [this](QWidget* parent, const ImportPlan& plan, ToolExchangeFormat format) {
        ToolImportPreview preview(texts(), toQt(formatName(texts(), format)), plan, unitSystem(), parent);
        return preview.exec() == QDialog::Accepted;
    };
    buildControls();
    retranslate();
    if (const auto block = loadBlock<ToolManagementBlock>())
        m_form.fill(*block);
    fillList();
    showCurrentRow();
    takeReturnFromCuttingData();
}

ToolManagementWindow::~ToolManagementWindow() = default;

void ToolManagementWindow::buildControls()
{
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("toolList"));
    m_list->setColumnCount(3);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setFixedSize(kListWidth, kListHeight);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 110);
    m_list->setColumnWidth(1, 330);
    contentLayout()->addWidget(m_list);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        m_form.setCurrentRow(m_list->indexOfTopLevelItem(item));
        showCurrentRow();
    });
    // A click or the arrow keys in the list choose the row as well.
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!item || m_filling)
            return;
        m_form.setCurrentRow(m_list->indexOfTopLevelItem(item));
        showCurrentRow();
    });

    auto* grid = new QGridLayout;
    contentLayout()->addLayout(grid);
    auto addField = [&](int row, int column, QLineEdit* edit, const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name) + QStringLiteral("Label"));
        label->setBuddy(edit);
        edit->setObjectName(QString::fromLatin1(name));
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1);
    };
    m_rowField = new QLineEdit(this);
    m_rowField->setReadOnly(true);
    m_rowField->setMaximumWidth(80);
    addField(0, 0, m_rowField, "rowField");
    auto* scan = new ScanField(this);
    scan->onEnter = [this] { scanChanged(true); };
    m_scan = scan;
    m_scan->setMaximumWidth(160);
    addField(0, 2, m_scan, "scanField");
    connect(m_scan, &QLineEdit::textChanged, this, [this] { scanChanged(false); });
    m_ncField = new QLineEdit(this);
    m_ncField->setReadOnly(true);
    m_ncField->setMaxLength(kWideFieldLimit);
    addField(1, 0, m_ncField, "ncDataField");
    m_descriptionField = new QLineEdit(this);
    m_descriptionField->setReadOnly(true);
    m_descriptionField->setMaxLength(kWideFieldLimit);
    addField(1, 2, m_descriptionField, "descriptionField");
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto* navigation = new QHBoxLayout;
    contentLayout()->addLayout(navigation);
    auto button = [&](const char* name, auto handler) {
        auto* b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        navigation->addWidget(b);
        return b;
    };
    auto moved = [this] { showCurrentRow(); };
    m_firstButton = button("firstButton", [this, moved] {
        m_form.first();
        moved();
    });
    m_previousButton = button("previousButton", [this, moved] {
        m_form.previous();
        moved();
    });
    m_nextButton = button("nextButton", [this, moved] {
        m_form.next();
        moved();
    });
    m_lastButton = button("lastButton", [this, moved] {
        if (const MachineRecord* current = currentMachine())
            m_form.last(*current);
        moved();
    });
    m_loadButton = button("loadButton", [this, moved] {
        m_form.load();
        moved();
    });
    m_scanButton = button("scanButton", [this] {
        m_scan->setFocus();
        if (!m_scan->text().isEmpty())
            scanChanged(true);
    });
    navigation->addStretch(1);

    m_editorButton = new QPushButton(this);
    m_editorButton->setObjectName(QStringLiteral("editorButton"));
    m_editorButton->setAutoDefault(false);
    connect(m_editorButton, &QPushButton::clicked, this, [this] { openEditor(); });
    addBottomButton(m_editorButton);
    m_editButton = new QPushButton(this);
    m_editButton->setObjectName(QStringLiteral("editMenuButton"));
    m_editButton->setAutoDefault(false);
    connect(m_editButton, &QPushButton::clicked, this, [this] {
        QMenu* menu = buildEditMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_editButton->mapToGlobal(QPoint(0, m_editButton->height())));
    });
    addBottomButton(m_editButton);
}

void ToolManagementWindow::retranslate()
{
    setWindowTitle(text(kToolManagementTitleId, "*Werkzeugdaten verwalten"));
    m_list->setHeaderLabels(
        {text(76240, "*Werkzeugnummer"), text(76241, "*Werkzeugoffsets"), text(76242, "*Beschreibung")});
    m_list->setAccessibleName(text(76243, "*Werkzeugliste"));
    auto caption = [this](QLineEdit* edit, int id, const char* builtin) {
        const QString name = text(id, builtin);
        if (auto* label = findChild<QLabel*>(edit->objectName() + QStringLiteral("Label")))
            label->setText(name + QStringLiteral(":"));
        edit->setAccessibleName(name);
    };
    caption(m_rowField, 76244, "*Werkzeugnummer");
    caption(m_scan, 76245, "*Scan / Nummer eingeben");
    caption(m_ncField, 76241, "*Werkzeugoffsets");
    caption(m_descriptionField, 76242, "*Beschreibung");
    setCaption(m_loadButton, text(76246, "*Laden"));
    setCaption(m_scanButton, QStringLiteral("Scan"));
    setCaption(m_editorButton, text(76247, "*WZ Daten"));
    setCaption(m_firstButton, QStringLiteral(" << "));
    setCaption(m_previousButton, QStringLiteral(" < "));
    setCaption(m_nextButton, QStringLiteral(" > "));
    setCaption(m_lastButton, QStringLiteral(" >> "));
    setCaption(m_editButton, text(76248, "*Mehr..."));
    setTooltip(m_scan, 76249, "*Werkzeugnummer eingeben und Enter drücken, oder den Barcode scannen.");
}

void ToolManagementWindow::refresh()
{
    FunctionWindow::refresh();
    retranslate();
    fillList();
    showCurrentRow();
}

void ToolManagementWindow::machineChanged()
{
    // A source or range chosen in the other machine's table means nothing here. An
    // open editor stays with the machine it was opened for.
    m_form.cancelRanges();
    fillList();
    showCurrentRow();
}

void ToolManagementWindow::storeInputs()
{
    storeBlock(m_form.store());
}

MachineRecord* ToolManagementWindow::machine()
{
    OptionsRecord* options = controller().options();
    return options ? &options->machines[currentMachineIndex()] : nullptr;
}

void ToolManagementWindow::markChanged()
{
    if (OptionsRecord* options = controller().options())
        options->settings.changed = 1;
}

std::filesystem::path ToolManagementWindow::dataDirectory() const
{
    return controller().dataDirectory();
}

int ToolManagementWindow::languageCode() const
{
    const OpenDialogData* state = controller().state();
    return state ? state->languageCode : 49;
}

void ToolManagementWindow::fillList()
{
    m_filling = true;
    m_list->clear();
    const MachineRecord* current = currentMachine();
    QList<QTreeWidgetItem*> items;
    items.reserve(kToolListRowCount);
    for (int row = 0; row < kToolListRowCount; ++row) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, toQt(ToolManagementForm::rowNumber(row)));
        if (current) {
            item->setText(1, toQt(m_form.rowNcData(*current, row)));
            item->setText(2, toQt(m_form.rowDescription(*current, row)));
        }
        items.push_back(item);
    }
    m_list->addTopLevelItems(items);
    m_filling = false;
}

void ToolManagementWindow::refreshRows(const std::vector<int>& rows)
{
    const MachineRecord* current = currentMachine();
    if (!current)
        return;
    for (int row : rows) {
        if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
            item->setText(1, toQt(m_form.rowNcData(*current, row)));
            item->setText(2, toQt(m_form.rowDescription(*current, row)));
        }
    }
}

void ToolManagementWindow::showCurrentRow()
{
    const int row = m_form.currentRow();
    if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
        m_list->setCurrentItem(item);
        m_list->scrollToItem(item);
        m_ncField->setText(row == 0 ? QString() : item->text(1));
        m_descriptionField->setText(item->text(2));
    }
    m_rowField->setText(toQt(ToolManagementForm::rowNumber(row)));
}

void ToolManagementWindow::afterEdit(const std::vector<int>& rows)
{
    if (rows.empty())
        return;
    markChanged();
    refreshRows(rows);
    showCurrentRow();
}

void ToolManagementWindow::scanChanged(bool enter)
{
    const ScanOutcome outcome = m_form.scan(m_scan->text().toStdString(), enter);
    if (outcome == ScanOutcome::Selected) {
        m_scan->clear();
        showCurrentRow();
    } else if (outcome == ScanOutcome::NotANumber) {
        m_scan->setFocus();
        m_scan->selectAll();
    }
}

QMenu* ToolManagementWindow::buildEditMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("toolEditMenu"));
    auto add = [this, menu](ToolEditCommand command, auto handler) {
        QAction* action = menu->addAction(toQt(m_form.menuText(command)));
        action->setData(static_cast<int>(command));
        // Queued: a command may ask questions, and the menu closes first.
        connect(action, &QAction::triggered, this, handler, Qt::QueuedConnection);
    };
    auto edit = [this](auto operation) {
        return [this, operation] {
            if (MachineRecord* current = machine())
                afterEdit((m_form.*operation)(*current));
        };
    };
    add(ToolEditCommand::Copy, [this] {
        if (const MachineRecord* current = currentMachine())
            m_form.copy(*current);
    });
    add(ToolEditCommand::CutToMove, [this] {
        if (const MachineRecord* current = currentMachine())
            m_form.cutToMove(*current);
    });
    add(ToolEditCommand::Paste, edit(&ToolManagementForm::paste));
    menu->addSeparator();
    add(ToolEditCommand::PasteRangeStart, [this] { m_form.pasteRangeStart(); });
    add(ToolEditCommand::PasteRangeEnd, edit(&ToolManagementForm::pasteRangeEnd));
    menu->addSeparator();
    add(ToolEditCommand::Delete, edit(&ToolManagementForm::remove));
    menu->addSeparator();
    add(ToolEditCommand::DeleteRangeStart, [this] { m_form.deleteRangeStart(); });
    add(ToolEditCommand::DeleteRangeEnd, edit(&ToolManagementForm::deleteRangeEnd));
    menu->addSeparator();
    add(ToolEditCommand::CancelRanges, [this] { m_form.cancelRanges(); });
    menu->addSeparator();
    // Import and export offer the program's own file first, then the formats of
    // controls and CAM systems.
    auto formats = [this, menu](ToolEditCommand command, auto own, auto exchange) {
        QMenu* sub = menu->addMenu(toQt(m_form.menuText(command)));
        sub->menuAction()->setData(static_cast<int>(command));
        QAction* native = sub->addAction(text(76407, "*Kalvora Tools Werkzeugdaten (.kvwz)"));
        connect(native, &QAction::triggered, this, own, Qt::QueuedConnection);
        sub->addSeparator();
        for (const ExchangeMenuEntry& entry : kExchangeMenuEntries) {
            QAction* action = sub->addAction(toQt(exchangeMenuText(texts(), entry)));
            connect(
                action, &QAction::triggered, this, [this, exchange, entry] { (this->*exchange)(entry); },
                Qt::QueuedConnection);
        }
    };
    formats(
        ToolEditCommand::Import, [this] { importTable(); }, &ToolManagementWindow::importExchange);
    formats(
        ToolEditCommand::Export, [this] { exportTable(); }, &ToolManagementWindow::exportExchange);
    return menu;
}

FileDialogChoice ToolManagementWindow::chooseFile(
    FileDialogMode mode, const QString& caption, const FileDialogSetup& setup)
{
    return m_chooseFile(this, mode, caption, setup);
}

void ToolManagementWindow::tell(const std::string& message)
{
    if (!message.empty())
        boxes().show({message, toolManagementTitle(), MessageIcon::Information, MessageButtons::Ok});
}

std::string ToolManagementWindow::toolManagementTitle() const
{
    return texts().text(kToolManagementTitleId, "*Werkzeugdaten verwalten");
}

void ToolManagementWindow::exportTable()
{
    MachineRecord* current = machine();
    if (!current)
        return;
    const FileDialogChoice choice
        = chooseFile(FileDialogMode::Save, text(76230, "*Exportieren"), toolTableFileDialogSetup());
    if (!choice.accepted)
        return;
    const std::filesystem::path path = pathOf(choice.path);
    // A table the file cannot hold is refused before any picture is copied.
    std::u16string unused;
    if (const ToolExportResult check = composeToolExport(*current, unused); !check.ok()) {
        tell(toolExportMessage(texts(), check, path));
        return;
    }
    const MessageAnswer pictures = boxes().show({texts().text(76250,
                                                     "*Sollen die Bilder aus der Datenbank in das Exportverzeichnis "
                                                     "kopiert werden (empfohlen) ?"),
        questionCaption(texts()), MessageIcon::Question, MessageButtons::YesNoCancel});
    if (pictures == MessageAnswer::Cancel)
        return;
    std::string pictureMessage;
    if (pictures == MessageAnswer::Yes) {
        const PictureCopyResult copied
            = copyPicturesToExportFolder(*current, machineIndex(), path, dataDirectory(), boxes(), texts());
        if (copied.aborted)
            return;
        pictureMessage = pictureCopyMessage(texts(), copied);
    }
    const ToolExportResult result = exportToolTable(*current, path);
    markChanged();
    if (!result.ok()) {
        tell(toolExportMessage(texts(), result, path));
        return;
    }
    tell(pictureMessage);
}

void ToolManagementWindow::importTable()
{
    MachineRecord* current = machine();
    if (!current)
        return;
    const FileDialogChoice choice
        = chooseFile(FileDialogMode::Open, text(76229, "*Importieren"), toolTableFileDialogSetup());
    if (!choice.accepted)
        return;
    const std::filesystem::path path = pathOf(choice.path);
    // The file is read and checked as a whole first: a damaged file leaves the table
    // as it was.
    const ToolImportResult result = importToolTable(*current, path);
    if (!result.ok()) {
        tell(toolImportMessage(texts(), result, path));
        return;
    }
    m_form.cancelRanges();
    markChanged();
    fillList();
    showCurrentRow();
    std::string message = toolImportMessage(texts(), result, path);
    const MessageAnswer pictures = boxes().show(
        {texts().text(76251, "*Soll die Bilder in das Datenbankverzeichnis importiert werden(empfohlen) ? "),
            questionCaption(texts()), MessageIcon::Question, MessageButtons::YesNo});
    if (pictures == MessageAnswer::Yes) {
        const PictureCopyResult copied = importPictures(*current, machineIndex(), path, dataDirectory());
        const std::string pictureMessage = pictureCopyMessage(texts(), copied);
        if (!pictureMessage.empty())
            message += (message.empty() ? "" : "\n\n") + pictureMessage;
    }
    tell(message);
}

void ToolManagementWindow::exportExchange(const ExchangeMenuEntry& entry)
{
    const MachineRecord* current = currentMachine();
    if (!current)
        return;
    const FileDialogChoice choice = chooseFile(
        FileDialogMode::Save, toQt(exchangeMenuText(texts(), entry)), exchangeFileDialogSetup(entry.format));
    if (!choice.accepted)
        return;
    ToolExchangeExportOptions options;
    options.unit = entry.format == ToolExchangeFormat::LinuxCnc
        ? entry.unit
        : (unitSystem() == kUnitSystemInch ? ExchangeUnit::Inch : ExchangeUnit::Millimetre);
    if (entry.format == ToolExchangeFormat::LinuxCnc) {
        const MessageAnswer pocket = boxes().show({texts().text(76470,
                                                       "*Taschennummer P gleich Werkzeugnummer T schreiben?\n>Ja< "
                                                       "für P = T, >Nein< für die Taschen der Reihe nach 1, 2, 3 ..."),
            questionCaption(texts()), MessageIcon::Question, MessageButtons::YesNoCancel});
        if (pocket == MessageAnswer::Cancel)
            return;
        options.pocketIsToolNumber = pocket == MessageAnswer::Yes;
    }
    const std::filesystem::path path = pathOf(choice.path);
    const ToolExchangeExportResult result = exportToolExchangeFile(entry.format, *current, path, options, texts());
    tell(toolExchangeExportMessage(texts(), entry.format, result, path));
}

void ToolManagementWindow::importExchange(const ExchangeMenuEntry& entry)
{
    if (!machine())
        return;
    const FileDialogChoice choice = chooseFile(
        FileDialogMode::Open, toQt(exchangeMenuText(texts(), entry)), exchangeFileDialogSetup(entry.format));
    if (!choice.accepted)
        return;
    const std::filesystem::path path = pathOf(choice.path);
    // The whole file is read and checked first; the table changes only after the user
    // has seen the plan and taken it.
    const ExchangeReadResult read = readToolExchangeFile(entry.format, path, entry.unit);
    if (!read.ok()) {
        tell(exchangeReadMessage(texts(), entry.format, read, pathToUtf8(path)));
        return;
    }
    const ImportPlan plan
        = planExchangeImport(*machine(), entry.format, read, texts(), storedToolDate(clock().localTime()));
    if (!m_previewImport(this, plan, entry.format))
        return;
    const std::vector<int> rows = applyToolImport(*machine(), plan);
    if (rows.empty())
        return;
    m_form.cancelRanges();
    markChanged();
    refreshRows(rows);
    showCurrentRow();
}

ToolEditor* ToolManagementWindow::openEditor()
{
    const int row = m_form.currentRow();
    const MachineRecord* current = currentMachine();
    if (!current)
        return nullptr;
    if (row < 1 || row > kHighestToolNumber) {
        boxes().show({texts().text(76205,
                          "*Zeile 000 ist reserviert und enthält kein Werkzeug.\nBitte eine Zeile von 001 bis 499 "
                          "wählen."),
            questionCaption(texts()), MessageIcon::Information, MessageButtons::Ok});
        return nullptr;
    }
    if (m_editor)
        m_editor->close();
    PendingTool& pending = pendingTool();
    ToolRecord record = loadTool(*current, static_cast<std::size_t>(row - 1));
    if (pending.set && pending.machine == currentMachineIndex() && pending.row == row)
        record = pending.record;
    pending = PendingTool {};
    // The editor belongs to this window and closes with it.
    m_editor = new ToolEditor(*this, currentMachineIndex(), row, record);
    m_editor->show();
    return m_editor;
}

void ToolManagementWindow::saveTool(std::size_t machineIndex, int row, const ToolRecord& record)
{
    OptionsRecord* options = controller().options();
    if (!options || machineIndex >= kMachineCount || row < 1 || row > kHighestToolNumber)
        return;
    storeTool(options->machines[machineIndex], static_cast<std::size_t>(row - 1), record);
    markChanged();
    if (machineIndex != currentMachineIndex())
        return;
    refreshRows({row});
    showCurrentRow();
}

bool ToolManagementWindow::determineCuttingData(std::size_t machineIndex, int row, const ToolRecord& pending)
{
    OpenDialogData* state = controller().state();
    const PageInfo* info = pageInfo(page::CuttingData);
    if (!state || !info)
        return false;
    // The values come back to the current machine's table.
    if (machineIndex != currentMachineIndex()) {
        tell(texts().text(76314,
            "*Die Maschine wurde gewechselt, seit das Werkzeug geöffnet wurde.\nBitte erst speichern oder die "
            "Maschine zurück wählen."));
        return false;
    }
    ToolEditorForm form(texts(), unitSystem(), languageCode());
    form.load(pending);
    form.handOver(state->toolHandOver);
    pendingTool() = {true, currentMachineIndex(), row, pending};
    m_form.setCurrentRow(row);
    storeInputs();
    OpenRequest request;
    request.senderPage = page::ToolManagement;
    request.senderWindow = this;
    request.originPage = page::ToolManagement;
    controller().send(info->openMessage, request);
    return true;
}

void ToolManagementWindow::takeReturnFromCuttingData()
{
    OpenDialogData* state = controller().state();
    if (!state)
        return;
    ToolHandOver& back = state->toolHandOver;
    const int code = back.returnCode;
    // The answer counts once; a later opening of the window must not take it again.
    back.returnCode = 0;
    if (code != 1 && code != 2) {
        pendingTool() = PendingTool {};
        return;
    }
    if (ToolEditor* opened = openEditor())
        opened->takeReturn(back);
}

void ToolManagementWindow::reportTool()
{
    if (writeReport())
        openLastReport();
}

std::string ToolManagementWindow::composeReport(const LocalDateTime& time, int) const
{
    if (!m_editor)
        return {};
    return m_editor->form().reportText(m_editor->row(), time);
}

} // namespace kvt
