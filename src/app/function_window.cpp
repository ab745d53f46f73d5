#include "app/function_window.h"

#include "app/app_controller.h"
#include "app/field_context_menu.h"
#include "app/pages.h"
#include "app/window_menu.h"
#include "common/clock.h"
#include "common/code_page.h"
#include "common/field_binding.h"
#include "common/field_description.h"
#include "common/file_dialogs.h"
#include "common/qt_message_boxes.h"
#include "common/report_launcher.h"
#include "common/report_printer.h"
#include "common/stamps.h"
#include "common/units.h"
#include "options/options_record.h"
#include "state/open_dialog_data.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolTip>
#include <QVBoxLayout>

namespace kvt {

QString wrapTooltip(const QString& text, const QFontMetrics& metrics, int maxWidth)
{
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        const QStringList words = paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        // Most tips fit on one line: measured once as a whole instead of word by word,
        // which every window pays for each of its tips before it can show.
        const QString whole = words.join(QLatin1Char(' '));
        if (metrics.horizontalAdvance(whole) <= maxWidth) {
            lines << whole;
            continue;
        }
        QString line;
        for (const QString& word : words) {
            const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && metrics.horizontalAdvance(longer) > maxWidth) {
                lines << line;
                line = word;
            } else {
                line = longer;
            }
        }
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

FunctionWindow::FunctionWindow(AppController& controller, int page, WindowServices services)
    : m_controller(controller)
    , m_page(page)
    , m_services(services)
{
    if (!m_services.boxes) {
        m_ownBoxes = std::make_unique<QtMessageBoxes>();
        m_services.boxes = m_ownBoxes.get();
    }
    if (!m_services.viewer) {
        m_ownViewer = std::make_unique<DesktopTextViewer>();
        m_services.viewer = m_ownViewer.get();
    }
    if (!m_services.clock) {
        m_ownClock = std::make_unique<SystemClock>();
        m_services.clock = m_ownClock.get();
    }
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowFlags((windowFlags() | Qt::WindowMinimizeButtonHint) & ~Qt::WindowMaximizeButtonHint
        & ~Qt::WindowContextHelpButtonHint);
    setModal(false);

    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);
    setAutoFillBackground(true);

    auto* outer = new QVBoxLayout(this);
    m_content = new QVBoxLayout;
    outer->addLayout(m_content, 1);
    m_bottom = new QHBoxLayout;
    m_menuButton = new QPushButton(this);
    m_menuButton->setObjectName(QStringLiteral("menuButton"));
    m_quitButton = new QPushButton(this);
    m_quitButton->setObjectName(QStringLiteral("quitButton"));
    m_bottom->addWidget(m_menuButton);
    m_bottom->addStretch(1);
    m_bottom->addWidget(m_quitButton);
    outer->addLayout(m_bottom);
    connect(m_menuButton, &QPushButton::clicked, this, &FunctionWindow::showWindowMenu);
    connect(m_quitButton, &QPushButton::clicked, this, &FunctionWindow::requestQuit);
    retranslateFrame();

    if (OpenDialogData* state = controller.state()) {
        state->optionsCallerPage = page;
        move(state->mainWindowRect[0], state->mainWindowRect[1]);
    }
}

FunctionWindow::~FunctionWindow() = default;

const TextLookup& FunctionWindow::texts() const
{
    return m_services.texts ? *m_services.texts : m_controller.texts();
}

QString FunctionWindow::text(int id, std::string_view builtin) const
{
    return QString::fromStdString(texts().text(id, builtin));
}

WindowBlock* FunctionWindow::windowBlock() const
{
    OptionsRecord* options = m_controller.options();
    if (!options)
        return nullptr;
    if (m_blockMember)
        return &(options->windows.*m_blockMember);
    return windowBlockOfPage(options->windows, m_page);
}

void FunctionWindow::markOptionsChanged()
{
    if (OptionsRecord* options = m_controller.options())
        options->settings.changed = 1;
}

int FunctionWindow::unitSystem() const
{
    const OptionsRecord* options = m_controller.options();
    return options ? options->settings.unitSystem : kUnitSystemMetric;
}

std::size_t FunctionWindow::currentMachineIndex() const
{
    const OptionsRecord* options = m_controller.options();
    if (!options || options->settings.currentMachine >= kMachineCount)
        return 0;
    return options->settings.currentMachine;
}

const MachineRecord* FunctionWindow::currentMachine() const
{
    const OptionsRecord* options = m_controller.options();
    return options ? &options->machines[currentMachineIndex()] : nullptr;
}

std::string FunctionWindow::composeReport(const LocalDateTime&, int) const
{
    return {};
}

bool FunctionWindow::writeReport()
{
    OpenDialogData* state = m_controller.state();
    if (!m_reportKind || !state || !state->ncTextBuffer)
        return false;
    const std::string report = composeReport(clock().localTime(), state->languageCode);
    const ReportWriter writer(clock(), texts(), boxes());
    return writer.write(*state, *state->ncTextBuffer, *m_reportKind, report).written;
}

bool FunctionWindow::openLastReport()
{
    const OpenDialogData* state = m_controller.state();
    return state && openReport(*state, viewer());
}

void FunctionWindow::reportCalculation()
{
    if (writeReport() && reportsOpenAutomatically())
        openLastReport();
}

ReportSheet FunctionWindow::reportSheet() const
{
    ReportSheet sheet;
    sheet.programName = "Kalvora Tools";
    sheet.windowTitle = windowTitle().toStdString();
    if (const MachineRecord* machine = currentMachine())
        sheet.machineName = utf16ToUtf8(fixedText(machine->name));
    const OpenDialogData* state = m_controller.state();
    const int languageCode = state ? state->languageCode : kLanguageGerman;
    const LocalDateTime time = clock().localTime();
    sheet.stamp = dateTimeSecondsStamp(languageCode, time);
    std::replace(sheet.stamp.begin(), sheet.stamp.end(), '_', ' ');
    if (m_reportKind)
        sheet.lines = reportSheetLines(composeReport(time, languageCode));
    return sheet;
}

bool FunctionWindow::saveReportPdf(const std::filesystem::path& path)
{
    const PdfWriteResult result = writeReportPdf(path, reportSheet(), texts());
    if (!result.written) {
        boxes().show({text(kPdfNotWrittenTextId, kPdfNotWrittenText).toStdString() + "\n" + pathToUtf8(path) + "\n"
                + result.error,
            text(kErrorCaptionFehlerId, kErrorCaptionFehler).toStdString(), MessageIcon::Error});
    }
    return result.written;
}

void FunctionWindow::printReportCommand()
{
    if (const auto failure = printReportSheet(this, reportSheet(), texts()))
        boxes().show({*failure, text(kErrorCaptionFehlerId, kErrorCaptionFehler).toStdString(), MessageIcon::Error});
}

void FunctionWindow::saveReportPdfCommand()
{
    const OpenDialogData* state = m_controller.state();
    if (!m_reportKind || !state)
        return;
    // Proposed beside the text reports of the same kind, with the same name.
    std::filesystem::path proposal = reportFilePath(
        m_controller.dataDirectory(), static_cast<int>(*m_reportKind), state->languageCode, clock().localTime());
    proposal.replace_extension(".pdf");
    const FileDialogSetup setup {{{text(kPdfFilterTextId, kPdfFilterText).toStdString(), "*.pdf"}}, "pdf"};
    const FileDialogChoice choice = runFileDialog(this, FileDialogMode::Save,
        text(kSaveReportPdfTextId, kSaveReportPdfText), QString::fromStdString(pathToUtf8(proposal)), setup);
    if (choice.accepted)
        saveReportPdf(std::filesystem::path(choice.path.toStdU16String()));
}

void FunctionWindow::openReportCommand()
{
    // A report that could not be written was already reported; the viewer would only
    // say the same about a missing file.
    if (writeReport())
        openLastReport();
}

CaptionedField FunctionWindow::addCaptionedField(QGridLayout* grid, int row, FieldRole role, bool withUnit)
{
    CaptionedField field;
    field.caption = new QLabel(this);
    field.edit = new QLineEdit(this);
    field.edit->setReadOnly(role == FieldRole::Result);
    field.edit->setMinimumWidth(110);
    field.edit->setMaximumWidth(150);
    field.edit->setAlignment(Qt::AlignRight);
    field.caption->setBuddy(field.edit);
    grid->addWidget(field.caption, row, 0);
    grid->addWidget(field.edit, row, 1);
    if (withUnit) {
        field.unit = new QLabel(this);
        grid->addWidget(field.unit, row, 2);
    }
    installFieldMenu(field.edit, role == FieldRole::CorrespondingInput);
    return field;
}

void FunctionWindow::setFieldCaption(const CaptionedField& field, const QString& caption, const QString& unit)
{
    field.caption->setText(caption);
    field.edit->setAccessibleName(caption);
    if (field.unit)
        field.unit->setText(unit);
}

FieldBinding* FunctionWindow::bindField(QLineEdit* edit, const FieldDescription& description)
{
    return new FieldBinding(edit, static_cast<int>(description.inputClass), description.valueKind);
}

void FunctionWindow::setCaption(QWidget* control, const QString& caption)
{
    if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(caption);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(caption);
    else if (auto* box = qobject_cast<QGroupBox*>(control))
        box->setTitle(caption);
    control->setAccessibleName(caption);
}

void FunctionWindow::setTooltip(QWidget* control, int textId, std::string_view builtin)
{
    m_tooltips.push_back({control, textId, std::string(builtin)});
    control->setToolTip(wrapTooltip(text(textId, builtin), QFontMetrics(QToolTip::font())));
}

void FunctionWindow::applyTooltips()
{
    const QFontMetrics metrics(QToolTip::font());
    for (const Tooltip& tip : m_tooltips) {
        if (tip.control)
            tip.control->setToolTip(wrapTooltip(text(tip.textId, tip.builtin), metrics));
    }
}

void FunctionWindow::hideEvent(QHideEvent* event)
{
    storeInputs();
    QDialog::hideEvent(event);
}

void FunctionWindow::addCalculationButtons()
{
    m_calculateButton = new QPushButton(this);
    m_calculateButton->setObjectName(QStringLiteral("calculateButton"));
    m_calculateButton->setDefault(true);
    connect(m_calculateButton, &QPushButton::clicked, this, [this] { calculate(); });
    addBottomButton(m_calculateButton);
    m_reportButton = new QPushButton(this);
    m_reportButton->setObjectName(QStringLiteral("reportButton"));
    connect(m_reportButton, &QPushButton::clicked, this, [this] { openReportCommand(); });
    addBottomButton(m_reportButton);
    m_autoOpen = new QCheckBox(this);
    m_autoOpen->setObjectName(QStringLiteral("autoOpenBox"));
    m_autoOpen->setChecked(reportsOpenAutomatically());
    connect(m_autoOpen, &QCheckBox::toggled, this, [this](bool on) { setReportsOpenAutomatically(on); });
    addBottomWidget(m_autoOpen);
    retranslateFrame();
}

void FunctionWindow::retranslateFrame()
{
    if (m_calculateButton) {
        setCaption(m_calculateButton, text(71050, "*Berechnen"));
        setCaption(m_reportButton, text(71051, "*Bericht"));
        setCaption(m_autoOpen, text(71052, "*Autom.öffnen"));
        const QSignalBlocker blocker(m_autoOpen);
        m_autoOpen->setChecked(reportsOpenAutomatically());
    }
    if (const PageInfo* info = pageInfo(m_page)) {
        setWindowTitle(text(info->captionId, info->caption));
        setAccessibleName(windowTitle());
    }
    m_menuButton->setText(text(70010, "*Menü"));
    m_menuButton->setAccessibleName(m_menuButton->text());
    m_quitButton->setText(text(70011, "*Beenden"));
    m_quitButton->setAccessibleName(m_quitButton->text());
    if (m_moreButton) {
        m_moreButton->setText(text(71903, "*Mehr..."));
        m_moreButton->setAccessibleName(m_moreButton->text());
    }
}

void FunctionWindow::refresh()
{
    retranslateFrame();
    applyTooltips();
}

// The window's own buttons go between "*Menü" and the stretch before "*Beenden".
int FunctionWindow::bottomInsertIndex() const
{
    for (int i = 0; i < m_bottom->count(); ++i) {
        if (m_bottom->itemAt(i)->spacerItem())
            return i;
    }
    return m_bottom->count();
}

void FunctionWindow::addBottomButton(QPushButton* button)
{
    m_bottom->insertWidget(bottomInsertIndex(), button);
    button->setAccessibleName(button->text());
}

void FunctionWindow::addBottomWidget(QWidget* widget)
{
    m_bottom->insertWidget(bottomInsertIndex(), widget);
}

void FunctionWindow::enableBackgroundMenu()
{
    if (m_moreButton)
        return;
    m_moreButton = new QPushButton(this);
    m_moreButton->setObjectName(QStringLiteral("moreButton"));
    m_bottom->insertWidget(m_bottom->count() - 1, m_moreButton); // just before "*Beenden"
    connect(m_moreButton, &QPushButton::clicked, this, [this] {
        QMenu* menu = buildBackgroundMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_moreButton->mapToGlobal(QPoint(0, 0)) - QPoint(0, menu->sizeHint().height()));
    });
    retranslateFrame();
}

bool FunctionWindow::reportsOpenAutomatically() const
{
    const OptionsRecord* options = m_controller.options();
    return options && options->settings.openReportsAutomatically == 1;
}

void FunctionWindow::setReportsOpenAutomatically(bool on)
{
    OptionsRecord* options = m_controller.options();
    if (!options)
        return;
    options->settings.openReportsAutomatically = on ? 1 : 0;
    markOptionsChanged();
    if (m_autoOpen) {
        const QSignalBlocker blocker(m_autoOpen);
        m_autoOpen->setChecked(on);
    }
    reportOpeningChanged();
}

QMenu* FunctionWindow::buildBackgroundMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    // Queued like the window menu: "*Berechnungen" closes this window.
    connect(
        menu->addAction(text(71900, "*Report öffnen")), &QAction::triggered, this, [this] { openReportCommand(); },
        Qt::QueuedConnection);
    if (m_reportKind) {
        // Queued for the same reason: the dialogs they open must not run inside the menu.
        connect(
            menu->addAction(text(kPrintReportTextId, kPrintReportText)), &QAction::triggered, this,
            [this] { printReportCommand(); }, Qt::QueuedConnection);
        connect(
            menu->addAction(text(kSaveReportPdfTextId, kSaveReportPdfText)), &QAction::triggered, this,
            [this] { saveReportPdfCommand(); }, Qt::QueuedConnection);
    }
    QAction* automatic = menu->addAction(text(71901, "*Autom.öffnen"));
    automatic->setCheckable(true);
    automatic->setChecked(reportsOpenAutomatically());
    connect(automatic, &QAction::triggered, this, [this](bool on) { setReportsOpenAutomatically(on); });
    connect(
        menu->addAction(text(71902, "*Berechnungen")), &QAction::triggered, this,
        [this] { switchToPage(page::Calculations); }, Qt::QueuedConnection);
    extendBackgroundMenu(menu);
    return menu;
}

void FunctionWindow::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_moreButton) {
        QDialog::contextMenuEvent(event);
        return;
    }
    QMenu* menu = buildBackgroundMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void FunctionWindow::switchToPage(int target)
{
    const PageInfo* info = pageInfo(target);
    if (!info || !mayClose())
        return;
    storeInputs();
    OpenRequest request;
    request.senderPage = m_page;
    request.senderWindow = this;
    m_controller.send(info->openMessage, request);
}

void FunctionWindow::requestQuit()
{
    if (!mayClose())
        return;
    storeInputs();
    m_controller.send(AppMessage::QuitRequest, reinterpret_cast<std::intptr_t>(static_cast<WindowHandle>(this)));
}

void FunctionWindow::openOptions()
{
    storeInputs();
    if (OpenDialogData* state = m_controller.state())
        state->optionsCallerPage = m_page;
    m_controller.send(AppMessage::OpenOptions, reinterpret_cast<std::intptr_t>(static_cast<WindowHandle>(this)));
}

QMenu* FunctionWindow::buildMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    addMenuItems(menu, buildWindowMenu(m_page, m_controller.options(), texts()));
    return menu;
}

void FunctionWindow::addMenuItems(QMenu* menu, const std::vector<MenuItem>& items)
{
    for (const MenuItem& item : items) {
        switch (item.kind) {
        case MenuItemKind::Separator:
            menu->addSeparator();
            break;
        case MenuItemKind::Popup:
            addMenuItems(menu->addMenu(QString::fromStdString(item.text)), item.children);
            break;
        case MenuItemKind::Command: {
            QAction* action = menu->addAction(QString::fromStdString(item.text));
            action->setData(item.commandId);
            if (item.command == MenuCommand::ChooseMachine) {
                action->setCheckable(true);
                action->setChecked(item.checked);
            }
            const MenuCommand command = item.command;
            const int target = item.target;
            // Queued: the window may close itself, which must not happen while its
            // menu is still delivering the triggered signal.
            connect(
                action, &QAction::triggered, this,
                [this, command, target] {
                    switch (command) {
                    case MenuCommand::OpenPage:
                        switchToPage(target);
                        break;
                    case MenuCommand::ChooseMachine:
                        m_controller.chooseMachine(target);
                        machineChanged();
                        break;
                    case MenuCommand::Options:
                        openOptions();
                        break;
                    case MenuCommand::None:
                        break;
                    }
                },
                Qt::QueuedConnection);
            break;
        }
        }
    }
}

void FunctionWindow::showWindowMenu()
{
    QMenu* menu = buildMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_menuButton->mapToGlobal(QPoint(0, 0)) - QPoint(0, menu->sizeHint().height()));
}

void FunctionWindow::installFieldMenu(QLineEdit* field, bool corresponding)
{
    field->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(field, &QLineEdit::customContextMenuRequested, this,
        [this, field, corresponding](const QPoint& position) { showFieldMenu(field, corresponding, position); });
}

void FunctionWindow::showFieldMenu(QLineEdit* field, bool corresponding, const QPoint& position)
{
    const PageInfo* info = pageInfo(m_page);
    if (!info)
        return;
    const int menuId
        = corresponding && info->correspondingContextMenu ? info->correspondingContextMenu : info->contextMenu;
    const auto items = fieldContextMenu(menuId, texts());
    if (items.empty())
        return;
    QMenu menu(this);
    for (const FieldMenuItem& item : items) {
        if (item.command == FieldCommand::Separator) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromStdString(item.text));
        const FieldCommand command = item.command;
        connect(action, &QAction::triggered, this, [this, field, command] {
            switch (command) {
            case FieldCommand::Calculate:
                calculate();
                break;
            case FieldCommand::Copy:
                QApplication::clipboard()->setText(field->text());
                break;
            case FieldCommand::Paste:
                // A result field shows what was calculated; only the calculation
                // changes it.
                if (field->isReadOnly())
                    break;
                if (const QMimeData* data = QApplication::clipboard()->mimeData(); data && data->hasText()) {
                    field->setText(data->text());
                    emit field->textEdited(field->text());
                }
                break;
            case FieldCommand::ClearField:
                if (field->isReadOnly())
                    break;
                field->clear();
                emit field->textEdited(QString());
                break;
            case FieldCommand::ClearCorresponding:
                clearCorrespondingFields(field);
                break;
            case FieldCommand::Separator:
                break;
            }
        });
    }
    menu.exec(field->mapToGlobal(position));
}

void FunctionWindow::clearCorrespondingFields(QLineEdit* field)
{
    field->clear();
    emit field->textEdited(QString());
}

void FunctionWindow::closeEvent(QCloseEvent* event)
{
    // The close box asks whether to end the program; the window stays unless the
    // controller closes it.
    event->ignore();
    requestQuit();
}

void FunctionWindow::reject()
{
    // Escape must never close a function window and lose what is typed.
}

void FunctionWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FunctionWindow::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    if (!isVisible())
        return;
    const QRect frame = frameGeometry();
    m_controller.windowMoved(frame.left(), frame.top(), frame.right(), frame.bottom());
}

} // namespace kvt
