#include "serial/transfer_window.h"

#include "app/app_controller.h"
#include "common/code_page.h"
#include "common/file_dialogs.h"
#include "common/message_boxes.h"
#include "common/number_format.h"
#include "common/report_writer.h"
#include "common/text_lookup.h"
#include "serial/control_profile.h"
#include "serial/drip_feed_panel.h"
#include "serial/nc_editor_launcher.h"
#include "serial/nc_external_editor.h"
#include "serial/nc_renumber_dialog.h"
#include "serial/nc_restart.h"
#include "serial/nc_text.h"
#include "serial/nc_tool_check.h"
#include "serial/nc_workers.h"
#include "serial/restart_dialog.h"
#include "serial/transfer_form.h"
#include "serial/transfer_log.h"
#include "state/open_dialog_data.h"
#include "state/page_ids.h"

#if defined(_WIN32)
#include "serial/win32_serial_port.h"
#else
#include "serial/posix_serial_port.h"
#endif

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace kvt {

namespace ids = transfer_text_ids;

namespace {

// Where the status line draws its five texts, in pixels from the left.
constexpr int kStatusX[5] = {40, 160, 300, 460, 580};
constexpr int kStatusSize = 2;
constexpr int kEditorWidth = 760;
constexpr int kEditorHeight = 440;
constexpr std::chrono::milliseconds kRecolourInterval {1000};
constexpr std::chrono::milliseconds kStatusInterval {250};

QString toQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

TransferSession::PortFactory defaultPorts(AppController& controller)
{
#if defined(_WIN32)
    (void)controller;
    return [] { return std::unique_ptr<SerialPort>(std::make_unique<Win32SerialPort>()); };
#else
    SettingsStore& settings = controller.settings();
    const PortNameMap names
        = PortNameMap::fromSettings([&settings](const std::string& key) { return settings.readText(key); });
    return [names] { return std::unique_ptr<SerialPort>(std::make_unique<PosixSerialPort>(names)); };
#endif
}

// The device each port name stands for, as the start-up settings say now.
std::string portDevices(AppController& controller)
{
#if defined(_WIN32)
    (void)controller;
    return {};
#else
    SettingsStore& settings = controller.settings();
    const PortNameMap names
        = PortNameMap::fromSettings([&settings](const std::string& key) { return settings.readText(key); });
    std::string devices;
    for (const std::string& device : names.devices)
        devices += device + '\n';
    return devices;
#endif
}

} // namespace

// The colouring worker reports its end through the window's queued events.
class TransferWindowWorkerEvents final : public NcWorkerEvents {
public:
    explicit TransferWindowWorkerEvents(QtJobEvents& events)
        : m_events(events)
    {
    }
    void post(int message) override { m_events.post(message); }

private:
    QtJobEvents& m_events;
};

TransferWindow::TransferWindow(AppController& controller, const WindowServices& services)
    : FunctionWindow(controller, page::Rs232, services)
    , m_events(std::make_unique<QtJobEvents>())
{
    setObjectName(QStringLiteral("transferWindow"));
    setAcceptDrops(true);

    OpenDialogData* state = controller.state();
    m_buffer = state ? state->ncTextBuffer : nullptr;
    if (!m_buffer) {
        m_ownBuffer = std::make_unique<NcTextBuffer>();
        m_buffer = m_ownBuffer.get();
    }
    m_tracker = std::make_unique<RecolourTracker>(std::span<std::uint32_t>(m_buffer->dirtyLines));

    m_events->setHandlers({
        [this](int message) { onJobMessage(message); },
        [this](const MessageBoxRequest& request) { showBox(request); },
        [this] { updateStatus(); },
        {},
        [this] {
            m_cancelEnabled = true;
            m_stopWaitingEnabled = false;
            updateStatus();
        },
    });
    m_workerEvents = std::make_unique<TransferWindowWorkerEvents>(*m_events);
    m_colourWorker = std::make_unique<NcColourWorker>(*m_workerEvents);
    m_portDevices = portDevices(controller);
    m_session = std::make_unique<TransferSession>(defaultPorts(controller), *m_events, texts(), *m_buffer);
    m_chooseFile = [this](bool save) {
        const std::filesystem::path folder = m_file.empty() ? this->controller().dataDirectory() : m_file.parent_path();
        const QString start = toQString(folder.u16string());
        const FileDialogChoice choice = save ? saveNcFile(this, lookup(ids::kSaveDialog), start)
                                             : openNcFile(this, lookup(ids::kChooseFile), start);
        return choice.accepted ? std::filesystem::path(choice.path.toStdU16String()) : std::filesystem::path();
    };
    m_launcher = new NcEditorLauncher(this);

    auto* buttons = new QHBoxLayout;
    m_chooseButton = new QPushButton(this);
    m_chooseButton->setObjectName(QStringLiteral("chooseFileButton"));
    m_editButton = new QPushButton(this);
    m_editButton->setObjectName(QStringLiteral("editButton"));
    m_sendButton = new QPushButton(this);
    m_sendButton->setObjectName(QStringLiteral("sendButton"));
    m_sendButton->installEventFilter(this);
    m_moreButton = new QPushButton(this);
    m_moreButton->setObjectName(QStringLiteral("moreButton"));
    for (QPushButton* button : {m_chooseButton, m_editButton, m_sendButton, m_moreButton}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    contentLayout()->addLayout(buttons);

    m_statusLine = new QWidget(this);
    m_statusLine->setObjectName(QStringLiteral("statusLine"));
    m_statusLine->setMinimumSize(kEditorWidth, 24);
    for (int i = 0; i < 5; ++i) {
        m_status[i] = new QLabel(m_statusLine);
        m_status[i]->move(kStatusX[i], 2);
        m_status[i]->setMinimumWidth(i == kStatusSize ? 150 : 110);
    }
    contentLayout()->addWidget(m_statusLine);

    setTooltip(m_chooseButton, ids::kChooseFileTip.id, ids::kChooseFileTip.builtin);
    setTooltip(m_editButton, ids::kEditTip.id, ids::kEditTip.builtin);
    setTooltip(m_moreButton, ids::kMoreTip.id, ids::kMoreTip.builtin);

    m_editor = new QPlainTextEdit(this);
    m_editor->setObjectName(QStringLiteral("ncEditor"));
    m_editor->setMinimumSize(kEditorWidth, kEditorHeight);
    m_editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editor->setAcceptDrops(false); // a dropped file goes to the window, not into the text
    m_editor->installEventFilter(this);
    contentLayout()->addWidget(m_editor, 1);

    connect(m_chooseButton, &QPushButton::clicked, this, &TransferWindow::chooseFileCommand);
    connect(m_editButton, &QPushButton::clicked, this, &TransferWindow::editOrSaveCommand);
    connect(m_sendButton, &QPushButton::clicked, this, &TransferWindow::sendCommand);
    connect(m_moreButton, &QPushButton::clicked, this, [this] {
        QMenu* menu = buildMoreMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_moreButton->mapToGlobal(QPoint(m_moreButton->width(), 0)));
    });
    connect(m_editor->document(), &QTextDocument::contentsChange, this, [this](int position, int, int) {
        if (m_settingText)
            return;
        m_tracker->typed(static_cast<std::uint32_t>(m_editor->document()->findBlock(position).blockNumber()));
        setModified(true);
        updateStatus();
    });

    m_recolourTimer.setInterval(kRecolourInterval);
    connect(&m_recolourTimer, &QTimer::timeout, this, &TransferWindow::recolourTick);
    m_recolourTimer.start();
    // The byte counter of a receive and the line indicators are read from the link's
    // state; this keeps them moving even when a job's redraw was folded into another.
    m_statusTimer.setInterval(kStatusInterval);
    connect(&m_statusTimer, &QTimer::timeout, this, &TransferWindow::updateStatus);
    m_statusTimer.start();

    m_machine = static_cast<int>(currentMachineIndex());
    retranslate();
    setUpMachine();
}

TransferWindow::~TransferWindow()
{
    closeEverything();
}

void TransferWindow::hideEvent(QHideEvent* event)
{
    FunctionWindow::hideEvent(event);
    // Hidden by the program (not minimised): the window is being closed and destroyed
    // later. Its jobs end now, so that none reports to a window whose program is gone.
    if (!event->spontaneous())
        closeEverything();
}

void TransferWindow::closeEverything()
{
    if (m_closing)
        return;
    m_closing = true;
    m_events->setHandlers({});
    m_recolourTimer.stop();
    m_statusTimer.stop();
    if (m_renumber)
        delete m_renumber.data();
    m_colourWorker->stop();
    m_session->shutDown();
}

const MachineRecord* TransferWindow::machine() const
{
    const OptionsRecord* options = controller().options();
    if (!options || m_machine < 0 || m_machine >= static_cast<int>(kMachineCount))
        return nullptr;
    return &options->machines[m_machine];
}

QString TransferWindow::lookup(const nc_text_ids::TextId& id) const
{
    return text(id.id, id.builtin);
}

void TransferWindow::showBox(const MessageBoxRequest& request)
{
    OpenDialogData* state = controller().state();
    if (state)
        state->messageBoxPending = 1;
    boxes().show(request);
    if (state)
        state->messageBoxPending = 0;
}

void TransferWindow::showError(const nc_text_ids::TextId& id)
{
    showBox(
        {lookup(id).toStdString(), lookup(nc_text_ids::kError).toStdString(), MessageIcon::Error, MessageButtons::Ok});
}

void TransferWindow::tell(SessionResult result)
{
    switch (result) {
    case SessionResult::PortNotOpened:
        showError(ids::kPortNotOpened);
        break;
    case SessionResult::MonitorFailed:
        showBox({"Error 4", "RS232", MessageIcon::Error, MessageButtons::Ok});
        break;
    case SessionResult::Done:
    case SessionResult::NotPossible:
        break;
    }
}

void TransferWindow::retranslate()
{
    setCaption(m_chooseButton, lookup(ids::kChooseFile));
    setCaption(m_sendButton, lookup(ids::kSend));
    setCaption(m_moreButton, lookup(ids::kMore));
    updateButtons();
    updateCaption();
    updateStatus();
}

void TransferWindow::refresh()
{
    FunctionWindow::refresh();
    retranslate();
    // The options dialog may have changed the port or its settings.
    if (!m_session->sending() && !m_session->receiveArmed()) {
        // The session's port keeps the device it was made for: a port name mapped to
        // another device needs a new port, or every transfer still goes to the old one.
        std::string devices = portDevices(controller());
        if (devices != m_portDevices) {
            m_portDevices = std::move(devices);
            m_session.reset();
            m_session = std::make_unique<TransferSession>(defaultPorts(controller()), *m_events, texts(), *m_buffer);
        }
        setUpMachine();
    }
}

bool TransferWindow::internalMode() const
{
    const MachineRecord* m = machine();
    return !m || ncEditorMode(m->editorMode) == NcEditorMode::Internal;
}

void TransferWindow::setUpMachine()
{
    const MachineRecord* m = machine();
    if (!m)
        return;
    m_colourTable = NcColourTable(*m);
    m_editor->setReadOnly(!internalMode());
    m_session->setMachine(*m);
    m_session->setReceiveEndPattern(controlProfile().receiveEndPattern);
    if (!m_session->portAvailable()) {
        // Only an empty editor shows the missing port: a program in it stays.
        if (m_file.empty() && !m_modified && m_editor->document()->isEmpty())
            setEditorText(utf8ToUtf16(missingPortText(m_session->sendPortNumber(), texts())));
    } else {
        tell(m_session->openForSending());
    }
    updateButtons();
    updateStatus();
}

void TransferWindow::machineChanged()
{
    // A running transfer keeps the port and settings it started with; the machine
    // chosen meanwhile takes over once it has ended.
    if (m_session->sending() || m_session->receiveArmed()) {
        m_machinePending = true;
        return;
    }
    m_machinePending = false;
    m_machine = static_cast<int>(currentMachineIndex());
    setUpMachine();
}

void TransferWindow::takePendingMachine()
{
    if (m_machinePending && !m_session->sending() && !m_session->receiveArmed())
        machineChanged();
}

void TransferWindow::setEditorText(std::u16string_view text)
{
    QString shown = toQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_settingText = true;
    m_editor->setPlainText(shown);
    m_settingText = false;
    m_tracker->clear();
    updateStatus();
}

std::u16string TransferWindow::editorText() const
{
    return withCrLf(m_editor->toPlainText().toStdU16String());
}

std::uint64_t TransferWindow::editorCharacters() const
{
    // Characters with CR LF line ends: the document counts each line break once and
    // one more character at its end.
    const QTextDocument* document = m_editor->document();
    const auto characters = static_cast<std::uint64_t>(std::max(document->characterCount() - 1, 0));
    const auto breaks = static_cast<std::uint64_t>(std::max(document->blockCount() - 1, 0));
    return document->isEmpty() ? 0 : characters + breaks;
}

void TransferWindow::setModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    updateButtons();
}

void TransferWindow::updateCaption()
{
    const QString caption = toQt(transferWindowCaption(m_file, texts()));
    setWindowTitle(caption);
    setAccessibleName(caption);
}

QString TransferWindow::statusText(int column) const
{
    if (column < 0 || column >= 5 || m_status[column]->isHidden())
        return {};
    return m_status[column]->text();
}

bool TransferWindow::sizeTextRed() const
{
    return m_status[kStatusSize]->property("red").toBool();
}

void TransferWindow::updateStatus()
{
    if (m_closing)
        return;
    const SerialLinkState& link = m_session->linkState();
    const auto show = [this](int column, bool shown, const nc_text_ids::TextId& id) {
        m_status[column]->setText(lookup(id));
        m_status[column]->setAccessibleName(m_status[column]->text());
        m_status[column]->setVisible(shown);
    };
    // A drip-feed or the answer to a request sends from the disk, not the editor: the
    // counter follows the bytes going out.
    const std::optional<TransferSession::FeedCount> feed = m_session->feedCount();
    show(0, link.indicator(Indicator::LineConnected) != 0, ids::kLineConnected);
    show(1, link.indicator(Indicator::Sending) != 0 || feed, ids::kSending);
    show(3, link.indicator(Indicator::Receiving) != 0, ids::kReceiving);
    show(4, link.indicator(Indicator::Waiting) != 0, ids::kWaiting);

    QString size;
    std::uint64_t number = 0;
    if (m_session->receiveArmed()) {
        number = link.receivedBytes.load();
        size = toQt(link.statusText());
        if (size.isEmpty())
            size = toQt(sizeText(0, texts()));
    } else {
        number = feed ? feed->bytes : editorCharacters();
        size = toQt(sizeText(static_cast<std::uint32_t>(std::min<std::uint64_t>(number, UINT32_MAX)), texts()));
    }
    const MachineRecord* m = machine();
    // A fed program runs as it arrives: it is meant to be larger than the memory.
    const bool red = m && !(feed && feed->fed)
        && sizeTextIsRed(static_cast<std::uint32_t>(std::min<std::uint64_t>(number, UINT32_MAX)), m->controlMemorySize);
    QLabel* label = m_status[kStatusSize];
    if (label->text() != size || label->property("red").toBool() != red) {
        label->setText(size);
        label->setAccessibleName(size);
        label->setProperty("red", red);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, red ? Qt::red : Qt::black);
        label->setPalette(palette);
        label->adjustSize();
    }
    updateButtons();
}

void TransferWindow::updateButtons()
{
    if (!m_editButton)
        return;
    const bool busy = m_session && (m_session->sending() || m_session->receiveArmed());
    if (internalMode()) {
        setCaption(m_editButton, lookup(ids::kSave));
        m_editButton->setEnabled(m_modified && !busy);
    } else {
        setCaption(m_editButton, lookup(ids::kEdit));
        m_editButton->setEnabled(!m_file.empty() && !busy);
    }
    m_chooseButton->setEnabled(!busy);
    m_sendButton->setEnabled(m_session && m_session->portAvailable() && !busy);
}

bool TransferWindow::saveCurrent()
{
    std::filesystem::path path = m_file;
    if (path.empty())
        path = m_chooseFile(true);
    if (path.empty())
        return false;
    const OpenDialogData* state = controller().state();
    const NcFileResult result
        = saveNcFileWithBackup(*m_buffer, path, editorText(), state ? state->languageCode : 49, clock(), texts());
    if (!result.succeeded()) {
        showBox({result.message, lookup(nc_text_ids::kError).toStdString(), MessageIcon::Error, MessageButtons::Ok});
        return false;
    }
    m_file = path;
    setModified(false);
    updateCaption();
    return true;
}

// --- files ------------------------------------------------------------------------------

bool TransferWindow::loadFile(const std::filesystem::path& path)
{
    // The buffer belongs to a running transfer until it ends.
    if (m_session->sending() || m_session->receiveArmed())
        return false;
    const NcFileResult result = loadNcFile(*m_buffer, path, texts());
    if (!result.message.empty()) {
        showBox({result.message, lookup(nc_text_ids::kError).toStdString(),
            result.succeeded() ? MessageIcon::Information : MessageIcon::Error, MessageButtons::Ok});
    }
    if (!result.succeeded())
        return false;
    m_file = path;
    if (result.status == NcFileStatus::Empty)
        setEditorText(utf8ToUtf16(result.editorText));
    else
        setEditorText(ncDisplayText(*m_buffer));
    setModified(false);
    updateCaption();
    colourWholeText(true);
    if (m_session->portAvailable() && m_session->portState() != PortState::OpenForSending)
        tell(m_session->openForSending());
    updateStatus();
    return true;
}

void TransferWindow::chooseFileCommand()
{
    if (m_session->sending() || m_session->receiveArmed() || !mayClose())
        return;
    const std::filesystem::path path = m_chooseFile(false);
    if (!path.empty())
        loadFile(path);
}

void TransferWindow::dropFiles(const std::vector<std::filesystem::path>& files)
{
    if (files.empty() || m_session->sending() || m_session->receiveArmed())
        return;
    if (files.size() > 1) {
        showBox({lookup(ids::kOnlyOneFile).toStdString(), lookup(ids::kOnlyOneFileCaption).toStdString(),
            MessageIcon::Error, MessageButtons::Ok});
        return;
    }
    if (mayClose())
        loadFile(files.front());
}

void TransferWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TransferWindow::dropEvent(QDropEvent* event)
{
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            files.emplace_back(url.toLocalFile().toStdU16String());
    }
    event->acceptProposedAction();
    dropFiles(files);
}

void TransferWindow::editOrSaveCommand()
{
    if (m_session->sending() || m_session->receiveArmed())
        return;
    if (internalMode()) {
        saveCurrent();
        return;
    }
    const MachineRecord* m = machine();
    if (!m)
        return;
    const ExternalEditorPlan plan = planExternalEditor(
        m->editorMode, fixedText(m->externalEditorPath), m_file, !m_file.empty() && !m_modified, texts());
    switch (plan.action) {
    case ExternalEditorPlan::Action::Refuse:
        showBox(plan.refusal);
        break;
    case ExternalEditorPlan::Action::Launch:
        // The file is read again once the editor has ended, so the window shows and
        // sends what was saved there.
        m_launcher->launch(plan, [this, file = m_file] {
            if (!m_closing && m_file == file && !m_session->sending() && !m_session->receiveArmed())
                loadFile(file);
        });
        break;
    case ExternalEditorPlan::Action::None:
        break;
    }
}

bool TransferWindow::mayClose()
{
    if (m_session->receiveArmed()) {
        if (m_session->linkState().receivedBytes.load() > 0 || m_session->receiving()) {
            // Bytes have arrived: what came so far is kept and handled as a finished receive.
            m_session->abortReceive();
            receiveFinished();
        } else {
            stopWaitingCommand();
        }
    }
    if (!m_modified)
        return true;
    const MessageAnswer answer = boxes().show({lookup(ids::kUnsavedQuestion).toStdString(),
        lookup(nc_text_ids::kQuestion).toStdString(), MessageIcon::Question, MessageButtons::YesNoCancel});
    switch (answer) {
    case MessageAnswer::Yes:
        return saveCurrent();
    case MessageAnswer::No:
        setModified(false);
        return true;
    case MessageAnswer::Ok:
    case MessageAnswer::Cancel:
        break;
    }
    return false;
}

// --- sending ----------------------------------------------------------------------------

void TransferWindow::sendCommand()
{
    if (!m_session->portAvailable() || m_session->sending() || m_session->receiveArmed())
        return;
    const MachineRecord* m = machine();
    if (!m)
        return;
    // An untouched loaded file is sent as it was read; anything else from the editor.
    const bool untouchedFile = !m_file.empty() && !m_modified && m_buffer->length > 0;
    if (!untouchedFile && internalMode()) {
        if (!storeNcText(*m_buffer, editorText())) {
            showBox({cformat(texts().text(nc_text_ids::kTextTooLong.id, nc_text_ids::kTextTooLong.builtin),
                         static_cast<unsigned>(kNcMaxTextLength)),
                lookup(nc_text_ids::kError).toStdString(), MessageIcon::Error, MessageButtons::Ok});
            return;
        }
    }
    if (m_buffer->length == 0)
        return;
    const MachineToolRecords tools(*m);
    const ToolOffsetCheck check = checkToolOffsets(ncDisplayText(*m_buffer), fixedText(m->ncToolLengthFormat), tools);
    if (check.result == 0) {
        if (!m_file.empty()) {
            if (!saveCurrent())
                return;
            const std::u16string shown = editorText();
            const NcFileResult reloaded = loadNcFile(*m_buffer, m_file, texts());
            if (!reloaded.succeeded()) {
                showBox({reloaded.message, lookup(nc_text_ids::kError).toStdString(), MessageIcon::Error,
                    MessageButtons::Ok});
                return;
            }
            if (ncDisplayText(*m_buffer) != std::u16string_view(shown))
                setEditorText(ncDisplayText(*m_buffer));
        }
        startSending();
        return;
    }
    OpenDialogData* state = controller().state();
    if (state)
        state->messageBoxPending = 1;
    const MessageAnswer answer = boxes().show(offsetMismatchQuestion(texts()));
    if (state)
        state->messageBoxPending = 0;
    if (answer == MessageAnswer::Yes)
        startSending();
}

void TransferWindow::startSending()
{
    const SessionResult result = m_session->startSending(m_buffer->length);
    tell(result);
    if (result == SessionResult::Done || result == SessionResult::MonitorFailed)
        m_cancelEnabled = m_session->sending();
    updateStatus();
}

void TransferWindow::sendFinished()
{
    if (!m_session->sending())
        return; // already cancelled
    const std::uint32_t bytes = m_session->linkState().sendLength;
    m_session->sendFinished();
    m_cancelEnabled = false;
    logTransfer(
        static_cast<int>(TransferKind::Send), pathToUtf8(m_file), bytes, static_cast<int>(TransferOutcome::Done));
    updateStatus();
    takePendingMachine();
}

void TransferWindow::sendOnCtsCommand()
{
    if (m_file.empty() || !m_session->portAvailable() || m_session->sending() || m_session->receiveArmed())
        return;
    if (internalMode()) {
        const NcFileResult saved = saveNcFile(*m_buffer, m_file, editorText(), texts());
        if (!saved.succeeded()) {
            showBox({saved.message, lookup(nc_text_ids::kError).toStdString(), MessageIcon::Error, MessageButtons::Ok});
            return;
        }
        setModified(false);
    }
    if (!loadFile(m_file))
        return;
    const SessionResult opened = m_session->openForSending();
    tell(opened);
    if (opened == SessionResult::Done)
        tell(m_session->startStatusMonitor(true));
}

// --- receiving --------------------------------------------------------------------------

void TransferWindow::armReceiveCommand()
{
    if (!m_session->portAvailable() || m_session->sending() || m_session->receiveArmed())
        return;
    // Arming empties the editor: unsaved work is asked about first.
    if (!mayClose())
        return;
    m_file.clear();
    setEditorText(u"");
    setModified(false);
    const SessionResult result = m_session->armReceive();
    tell(result);
    m_stopWaitingEnabled = m_session->receiveArmed();
    updateCaption();
    updateStatus();
}

void TransferWindow::receiveFinished()
{
    if (!m_session->receiveArmed())
        return; // stopped or cancelled before the job's message arrived
    m_session->receiveFinished();
    m_cancelEnabled = false;
    m_stopWaitingEnabled = false;
    m_file.clear();
    // The count of a receive includes the NUL bytes the job did not store; the text
    // ends at its terminating zero, which must not turn into a space at its end.
    m_buffer->length = static_cast<std::uint32_t>(strnlen(m_buffer->narrowText, m_buffer->length));
    m_session->linkState().sendLength = m_buffer->length;
    replaceNulBytes(*m_buffer);
    showReceivedText(*m_buffer);
    setEditorText(ncDisplayText(*m_buffer));
    updateCaption();
    updateStatus();
    if (m_buffer->length == 0) {
        logTransfer(static_cast<int>(TransferKind::Receive), {}, 0, static_cast<int>(TransferOutcome::Failed));
        takePendingMachine();
        return;
    }
    // A received program exists nowhere else: until it is in a file it counts as unsaved,
    // so that closing the window asks for it.
    setModified(true);
    const std::filesystem::path path = m_closing ? std::filesystem::path() : m_chooseFile(true);
    if (!path.empty()) {
        const NcFileResult saved = saveReceivedText(*m_buffer, path, texts());
        if (saved.succeeded()) {
            m_file = path;
            setModified(false);
        } else {
            showBox({saved.message, lookup(nc_text_ids::kError).toStdString(), MessageIcon::Error, MessageButtons::Ok});
        }
    }
    logTransfer(static_cast<int>(TransferKind::Receive), pathToUtf8(m_file), m_buffer->length,
        static_cast<int>(TransferOutcome::Done), m_file.empty() ? "not saved" : "");
    updateCaption();
    colourWholeText(true);
    takePendingMachine();
}

void TransferWindow::stopWaitingCommand()
{
    if (!m_session->receiveArmed() || m_session->receiving())
        return;
    m_session->stopWaiting();
    m_stopWaitingEnabled = false;
    m_cancelEnabled = false;
    updateStatus();
    takePendingMachine();
}

void TransferWindow::cancelTransferCommand()
{
    if (m_session->dripFeeding()) {
        // The feed ends at its next look round and reports, with the line to restart from.
        m_session->dripFeed().cancel();
        return;
    }
    if (m_session->listening()) {
        stopListeningCommand();
        return;
    }
    if (!m_session->sending() && !m_session->receiveArmed())
        return;
    m_session->cancel();
    m_cancelEnabled = false;
    m_stopWaitingEnabled = false;
    updateStatus();
    takePendingMachine();
}

void TransferWindow::escapePressed()
{
    if (m_session->receiving())
        m_session->abortReceive(); // the job ends now and reports what arrived
    else if (m_session->receiveArmed())
        stopWaitingCommand();
}

void TransferWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        escapePressed();
        event->accept();
        return;
    }
    FunctionWindow::keyPressEvent(event);
}

void TransferWindow::onJobMessage(int message)
{
    if (m_closing)
        return;
    switch (message) {
    case kMessageStartSending:
        startSending();
        break;
    case kMessageSendFinished:
        sendFinished();
        break;
    case kMessageReceiveFinished:
        receiveFinished();
        break;
    case kMessageDripFeedFinished:
        dripFeedFinished();
        break;
    case kMessageRequestEvent:
        requestEvents();
        break;
    case kMessageColouringFinished:
        if (auto ranges = m_colourWorker->takeResult())
            applyColours(*ranges);
        break;
    default:
        updateStatus();
        break;
    }
}

// --- the NC text ------------------------------------------------------------------------

void TransferWindow::colourWholeText(bool ask)
{
    if (m_colourTable.empty() || m_editor->document()->isEmpty())
        return;
    const auto lines = static_cast<std::uint32_t>(m_editor->document()->blockCount());
    if (ask && colouringNeedsQuestion(lines)) {
        OpenDialogData* state = controller().state();
        if (state)
            state->messageBoxPending = 1;
        const MessageAnswer answer = boxes().show(colouringQuestion(texts()));
        if (state)
            state->messageBoxPending = 0;
        if (answer != MessageAnswer::Yes)
            return;
    }
    m_colourWorker->stop();
    m_colourWorker->start(m_colourTable, m_editor->toPlainText().toStdU16String());
}

void TransferWindow::colourCommand()
{
    if (!m_file.empty())
        colourWholeText(true);
}

void TransferWindow::applyColours(const std::vector<ColourRange>& ranges)
{
    QTextDocument* document = m_editor->document();
    const int end = std::max(document->characterCount() - 1, 0);
    m_settingText = true;
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (const ColourRange& range : ranges) {
        const int from = static_cast<int>(std::min<std::uint32_t>(range.start, static_cast<std::uint32_t>(end)));
        const int to = static_cast<int>(std::min<std::uint32_t>(range.end, static_cast<std::uint32_t>(end)));
        if (to <= from)
            continue;
        QTextCharFormat format;
        format.setForeground(QColor(static_cast<int>(range.colour & 0xFF), static_cast<int>((range.colour >> 8) & 0xFF),
            static_cast<int>((range.colour >> 16) & 0xFF)));
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        cursor.setCharFormat(format);
    }
    cursor.endEditBlock();
    m_settingText = false;
}

void TransferWindow::recolourTick()
{
    if (m_session->receiveArmed() || m_colourTable.empty())
        return;
    const std::vector<std::uint32_t> lines = m_tracker->tick();
    if (lines.empty())
        return;
    const std::u16string text = m_editor->toPlainText().toStdU16String();
    std::vector<ColourRange> ranges;
    for (const std::uint32_t line : lines) {
        const std::vector<ColourRange> coloured = colourLines(m_colourTable, text, line, line);
        ranges.insert(ranges.end(), coloured.begin(), coloured.end());
    }
    applyColours(ranges);
}

void TransferWindow::renumberCommand()
{
    if (m_session->sending() || m_session->receiveArmed())
        return;
    if (m_file.empty()) {
        showError(nc_text_ids::kSaveBeforeRenumber);
        return;
    }
    const MachineRecord* m = machine();
    if (!m)
        return;
    if (m_renumber) {
        m_renumber->raise();
        return;
    }
    NcRenumberDialog::Host host;
    host.programText = [this] { return editorText(); };
    host.showText = [this](const std::u16string& text) {
        if (!storeNcText(*m_buffer, text))
            return;
        setEditorText(text);
        setModified(true);
        colourWholeText(false);
    };
    host.formatChanged = [this](const std::u16string& format) {
        OptionsRecord* options = controller().options();
        if (!options || m_machine < 0 || m_machine >= static_cast<int>(kMachineCount))
            return;
        setFixedText(options->machines[m_machine].ncLineNumberFormat, format);
        options->settings.changed = 1;
    };
    host.reloadFile = [this] {
        if (!m_file.empty())
            loadFile(m_file);
    };
    m_renumber = new NcRenumberDialog(texts(), boxes(), fixedText(m->ncLineNumberFormat), std::move(host), this);
    m_renumber->setAttribute(Qt::WA_DeleteOnClose);
    m_renumber->show();
}

void TransferWindow::updateToolDataCommand()
{
    if (m_session->sending() || m_session->receiveArmed())
        return;
    const MachineRecord* m = machine();
    if (!m || m_editor->document()->isEmpty())
        return;
    const ToolDataUpdate update
        = updateToolData(editorText(), fixedText(m->ncToolLengthFormat), MachineToolRecords(*m));
    if (!storeNcText(*m_buffer, update.text)) {
        showError(nc_text_ids::kToolUpdateTooLong);
        return;
    }
    setEditorText(update.text);
    setModified(true);
    if (!internalMode())
        saveCurrent();
    colourWholeText(false);
}

// --- menus and tooltips -----------------------------------------------------------------

QMenu* TransferWindow::buildMoreMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    const bool busy = m_session->sending() || m_session->receiveArmed();
    const bool port = m_session->portAvailable();
    const auto add = [this, menu](const nc_text_ids::TextId& id, bool enabled, void (TransferWindow::*command)()) {
        QAction* action = menu->addAction(lookup(id));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, command, Qt::QueuedConnection);
        return action;
    };
    add(ids::kColourText, !m_file.empty() && !busy, &TransferWindow::colourCommand);
    add(ids::kRenumber, !m_file.empty() && !busy, &TransferWindow::renumberCommand);
    add(nc_text_ids::kUpdateToolData, !m_editor->document()->isEmpty() && !busy,
        &TransferWindow::updateToolDataCommand);
    menu->addSeparator();
    add(ids::kArmReceive, port && !busy, &TransferWindow::armReceiveCommand);
    add(ids::kStopWaiting, m_stopWaitingEnabled && m_session->receiveArmed(), &TransferWindow::stopWaitingCommand);
    add(ids::kCancelTransfer, m_cancelEnabled, &TransferWindow::cancelTransferCommand);
    add(ids::kSendOnCts, port && !busy && !m_file.empty(), &TransferWindow::sendOnCtsCommand);
    menu->addSeparator();
    QAction* drip = menu->addAction(QString::fromStdString(texts().text(94817, "*Drip-Feed: Datei senden...")));
    drip->setEnabled(port && !busy && m_chooseFile);
    connect(drip, &QAction::triggered, this, &TransferWindow::dripFeedCommand, Qt::QueuedConnection);
    QAction* restart
        = menu->addAction(QString::fromStdString(texts().text(94820, "*Neustart: Datei ab Satz senden...")));
    restart->setEnabled(port && !busy && m_chooseFile);
    connect(restart, &QAction::triggered, this, &TransferWindow::restartCommand, Qt::QueuedConnection);
    QAction* listen
        = menu->addAction(QString::fromStdString(texts().text(94843, "*Auf Anforderung der Steuerung warten")));
    listen->setEnabled(port && !busy);
    connect(listen, &QAction::triggered, this, &TransferWindow::listenCommand, Qt::QueuedConnection);
    QAction* log = menu->addAction(QString::fromStdString(texts().text(94839, "*Übertragungsprotokoll anzeigen")));
    connect(log, &QAction::triggered, this, &TransferWindow::showLogCommand, Qt::QueuedConnection);
    return menu;
}

// --- drip-feed ---------------------------------------------------------------------------

ControlProfile TransferWindow::controlProfile()
{
    ControlProfiles profiles;
    const OpenDialogData* state = controller().state();
    if (state) {
        ProfileFileError error;
        if (!profiles.load(std::filesystem::path(fixedText(state->dataDirectory)), error)) {
            showBox({damagedProfileFileMessage(texts(), error, std::filesystem::path(fixedText(state->dataDirectory))),
                lookup(nc_text_ids::kError).toStdString(), MessageIcon::Warning, MessageButtons::Ok});
        }
    }
    const MachineRecord* m = machine();
    return profiles.resolve(m ? MachineProfileName(*m) : std::string());
}

std::string TransferWindow::readProgram(const std::filesystem::path& path)
{
    // Any size the disk gives, up to a limit no NC program comes near: the feed keeps
    // the whole program in memory to tell lines and restart points.
    constexpr std::uintmax_t kLargestProgram = 1024ull * 1024 * 1024;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    std::string text;
    if (!ec && size <= kLargestProgram && in) {
        text.resize(static_cast<std::size_t>(size));
        in.read(text.data(), static_cast<std::streamsize>(size));
    }
    if (ec || size > kLargestProgram || !in || text.empty()) {
        showBox({texts().text(94818, "*Die Datei kann nicht gelesen werden: ") + pathToUtf8(path),
            lookup(nc_text_ids::kError).toStdString(), MessageIcon::Error, MessageButtons::Ok});
        return {};
    }
    return text;
}

std::filesystem::path TransferWindow::transferLog() const
{
    const OpenDialogData* state = controller().state();
    if (!state)
        return {};
    const std::filesystem::path folder(fixedText(state->dataDirectory));
    return folder.empty() ? std::filesystem::path() : transferLogPath(folder, m_machine);
}

void TransferWindow::logTransfer(
    int kind, const std::string& file, std::uint64_t bytes, int outcome, const std::string& note)
{
    const std::filesystem::path log = transferLog();
    if (log.empty())
        return;
    TransferLogEntry entry;
    entry.when = clock().localTime();
    entry.kind = static_cast<TransferKind>(kind);
    entry.file = file;
    entry.bytes = bytes;
    entry.outcome = static_cast<TransferOutcome>(outcome);
    entry.note = note;
    // A log that cannot be written must not stop the shop floor: the transfer itself
    // is done; the status line says nothing about the log.
    appendTransferLog(log, entry);
}

void TransferWindow::listenCommand()
{
    if (!m_session->portAvailable() || m_session->sending() || m_session->receiveArmed())
        return;
    const SessionResult result = m_session->startListening(controlProfile());
    if (result != SessionResult::Done) {
        tell(result);
        return;
    }
    if (!m_requestPanel) {
        m_requestPanel = new RequestPanel(texts(), this);
        m_requestPanel->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_requestPanel, &RequestPanel::stopRequested, this, &TransferWindow::stopListeningCommand);
    }
    m_requestPanel->addLine(QString::fromStdString(texts().text(94844, "*Warte auf Anforderungen der Steuerung ...")));
    m_requestPanel->show();
    updateStatus();
}

void TransferWindow::stopListeningCommand()
{
    if (m_session->listening()) {
        m_session->stopListening();
        requestEvents(); // what happened until the end
    }
    if (m_requestPanel) {
        RequestPanel* panel = m_requestPanel;
        m_requestPanel = nullptr;
        panel->close();
    }
    updateStatus();
    takePendingMachine();
}

void TransferWindow::requestEvents()
{
    for (const RequestEvent& e : m_session->listener().takeEvents()) {
        const std::string file = pathToUtf8(e.file.filename());
        std::string line;
        TransferOutcome outcome = TransferOutcome::Done;
        switch (e.kind) {
        case RequestEvent::Kind::Asked:
            line = cformat(texts().text(94845, "*Anforderung %s: %s wird gesendet"), e.number, file);
            break;
        case RequestEvent::Kind::Unknown:
            line = cformat(texts().text(94846, "*Anforderung %s: keine Datei gefunden, keine Antwort"), e.number);
            outcome = TransferOutcome::Failed;
            break;
        case RequestEvent::Kind::Sent:
            line = cformat(
                texts().text(94847, "*%s gesendet: %llu Bytes"), file, static_cast<unsigned long long>(e.bytes));
            break;
        case RequestEvent::Kind::Broken:
            line = cformat(texts().text(94848, "*%s nicht gesendet"), file);
            outcome = TransferOutcome::Cancelled;
            break;
        case RequestEvent::Kind::LinkLost:
            line = texts().text(94849, "*Die Verbindung zur Steuerung ist unterbrochen.");
            outcome = TransferOutcome::LinkLost;
            break;
        }
        if (m_requestPanel)
            m_requestPanel->addLine(QString::fromStdString(line));
        if (e.kind != RequestEvent::Kind::Asked)
            logTransfer(static_cast<int>(TransferKind::Request), file, e.bytes, static_cast<int>(outcome),
                e.number.empty() ? std::string() : "request " + e.number);
        if (e.kind == RequestEvent::Kind::LinkLost) {
            // The listener has ended; the panel keeps the message until it is closed.
            m_session->stopListening();
            updateStatus();
        }
    }
}

void TransferWindow::showLogCommand()
{
    const std::filesystem::path log = transferLog();
    std::error_code ec;
    if (log.empty() || !std::filesystem::exists(log, ec)) {
        showBox({texts().text(94837, "*Für diese Maschine wurde noch nichts übertragen."),
            texts().text(94838, "*Übertragungsprotokoll"), MessageIcon::Information, MessageButtons::Ok});
        return;
    }
    // Without a viewer the command must not look dead: the user learns where the log is.
    if (!viewer().open(log)) {
        showBox({texts().text(94850, "*Das Übertragungsprotokoll kann nicht angezeigt werden. Es liegt in: ")
                + pathToUtf8(log),
            texts().text(94838, "*Übertragungsprotokoll"), MessageIcon::Warning, MessageButtons::Ok});
    }
}

std::filesystem::path TransferWindow::chooseProgramToFeed(std::string& text)
{
    if (!m_chooseFile || !m_session->portAvailable() || m_session->sending() || m_session->receiveArmed())
        return {};
    const std::filesystem::path path = m_chooseFile(false);
    if (path.empty())
        return {};
    text = readProgram(path);
    return text.empty() ? std::filesystem::path() : path;
}

void TransferWindow::dripFeedCommand()
{
    std::string text;
    const std::filesystem::path path = chooseProgramToFeed(text);
    if (path.empty())
        return;
    if (startDripFeed(text, pathToUtf8(path.stem()))) {
        m_dripFile = path;
        m_dripRestartLine = 0;
        m_feedSource = {path, 0, 0, 0};
    }
}

void TransferWindow::restartCommand()
{
    std::string text;
    const std::filesystem::path path = chooseProgramToFeed(text);
    if (path.empty())
        return;
    const std::size_t suggested = path == m_dripFile ? m_dripRestartLine : 0;
    const std::string name = pathToUtf8(path.stem());
    if (m_runRestart) {
        m_runRestart(text, suggested, name);
        return;
    }
    RestartDialog dialog(
        text, suggested, texts(),
        [this, path, &text](
            const std::string& program, std::size_t line) { return startRestart(path, text, program, line); },
        this);
    dialog.exec();
}

bool TransferWindow::startRestart(
    const std::filesystem::path& file, const std::string& original, const std::string& restarted, std::size_t line)
{
    ControlProfile profile = controlProfile();
    const std::string text = keepProgramName(profile, original, restarted);
    if (!startFeed(std::move(profile), text, pathToUtf8(file.stem())))
        return false;
    // What the feed counts are the lines of the restarted text; a break is told in the
    // lines of the file the operator restarts from.
    const std::size_t originalLines = textLineCount(original);
    const std::size_t kept = originalLines >= line ? originalLines - line + 1 : 0;
    const std::size_t fedLines = textLineCount(text);
    m_feedSource = {file, line, fedLines > kept ? fedLines - kept : 0, originalLines};
    return true;
}

bool TransferWindow::startDripFeed(const std::string& text, const std::string& programName)
{
    return startFeed(controlProfile(), text, programName);
}

bool TransferWindow::startFeed(ControlProfile profile, const std::string& text, const std::string& programName)
{
    FramedProgram program = frameProgram(profile, text, programName);
    const SessionResult result = m_session->startDripFeed(std::move(profile), std::move(program));
    if (result != SessionResult::Done) {
        tell(result);
        return false;
    }
    m_cancelEnabled = true;
    if (!m_dripPanel) {
        m_dripPanel = new DripFeedPanel(m_session->dripFeed(), texts(), this);
        m_dripPanel->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_dripPanel->show();
    updateButtons();
    updateStatus();
    return true;
}

void TransferWindow::dripFeedFinished()
{
    const DripFeedProgress end = m_session->dripFeed().progress();
    const FeedSource& source = m_feedSource;
    const std::size_t fedRestart = m_session->dripFeed().restartLine();
    const std::size_t restart = source.restartFrom == 0
        ? fedRestart
        : originalRestartLine(fedRestart, source.restartFrom, source.lead, source.originalLines);
    m_dripFile = source.file;
    m_dripRestartLine = end.state == DripFeedState::Finished ? 0 : restart;
    m_session->dripFeedFinished();
    m_cancelEnabled = false;
    if (m_dripPanel)
        m_dripPanel->close();
    updateButtons();
    updateStatus();
    const bool done = end.state == DripFeedState::Finished;
    const TransferOutcome outcome = done       ? TransferOutcome::Done
        : end.state == DripFeedState::LinkLost ? TransferOutcome::LinkLost
                                               : TransferOutcome::Cancelled;
    std::string note = source.restartFrom == 0
        ? std::string()
        : cformat("restarted from line %u", static_cast<unsigned>(source.restartFrom));
    if (!done)
        note += (note.empty() ? "" : ", ") + cformat("restart line %u", static_cast<unsigned>(restart));
    logTransfer(static_cast<int>(TransferKind::DripFeed), pathToUtf8(source.file.filename()), end.bytesSent,
        static_cast<int>(outcome), note);
    showBox({dripFeedEndMessage(end, restart, texts()), texts().text(94813, "*Drip-Feed"),
        done ? MessageIcon::Information : MessageIcon::Warning, MessageButtons::Ok});
}

QString TransferWindow::sendTooltip() const
{
    const SerialSettings& set = m_session->sendSettings();
    std::uint8_t stopBits = 0;
    ConvertStopBits(set.stopBits, stopBits);
    const bool untouchedFile = !m_file.empty() && !m_modified && m_buffer->length > 0;
    const std::uint64_t bytes = untouchedFile ? m_buffer->length : editorCharacters();
    const TransferTimeEstimate estimate
        = estimateTransferTime(static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, UINT32_MAX)), set.baudRate,
            set.dataBits & 0xFF, stopBits);
    return toQt(transferTimeTooltip(estimate, clock().localTime(), texts()));
}

bool TransferWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_sendButton && event->type() == QEvent::ToolTip) {
        m_sendButton->setToolTip(sendTooltip());
    } else if (watched == m_editor) {
        if (event->type() == QEvent::FocusOut) {
            m_tracker->focusLost();
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const auto line = static_cast<std::uint32_t>(m_editor->textCursor().blockNumber());
            std::vector<std::uint32_t> lines;
            if (key->key() == Qt::Key_F5)
                lines = m_tracker->refreshKey(line);
            else if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)
                lines = m_tracker->arrowKey(line);
            if (!lines.empty() && !m_colourTable.empty()) {
                const std::u16string text = m_editor->toPlainText().toStdU16String();
                applyColours(colourLines(m_colourTable, text, lines.front(), lines.back()));
            }
        }
    }
    return FunctionWindow::eventFilter(watched, event);
}

} // namespace kvt
