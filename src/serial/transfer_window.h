#pragma once
// "*RS232 Datenübertragung": the machinist picks an NC file, edits it, sends it to the
// selected machine's control, or arms the port to receive a program and saves what
// arrives. The port sequencing is TransferSession's; the text handling is the NC
// editor's. Everything here runs on the window's thread; the jobs reach it only
// through queued calls.

#include "app/function_window.h"
#include "serial/drip_feed_panel.h"
#include "serial/nc_colour.h"
#include "serial/nc_editor_texts.h"
#include "serial/qt_job_events.h"
#include "serial/request_panel.h"
#include "serial/transfer_session.h"

#include <QPointer>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;

namespace kvt {

class NcColourWorker;
class NcEditorLauncher;
class NcRenumberDialog;
class NcWorkerEvents;
struct ControlProfile;

class TransferWindow final : public FunctionWindow {
    Q_OBJECT
public:
    // Asks for a file to open (save false) or to save to (save true); empty when the
    // user cancelled. Tests answer it; the window uses the NC file dialogs.
    using FileChooser = std::function<std::filesystem::path(bool save)>;
    // Makes the port objects of the link; the window maps "COM<n>" through the
    // start-up settings' "Ports/COM<n>" unless a test hands in its own.
    using PortFactory = TransferSession::PortFactory;

    explicit TransferWindow(AppController& controller, const WindowServices& services = {});
    ~TransferWindow() override;

    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // The commands, public so that tests can run them as the buttons and menus do.
    void chooseFileCommand();
    bool loadFile(const std::filesystem::path& path);
    void dropFiles(const std::vector<std::filesystem::path>& files);
    void sendCommand();
    void editOrSaveCommand();
    void colourCommand();
    void renumberCommand();
    void updateToolDataCommand();
    void armReceiveCommand();
    void stopWaitingCommand();
    void cancelTransferCommand();
    void sendOnCtsCommand();
    // "*Drip-Feed: Datei senden...": asks for a file and feeds it from the disk, so a
    // program larger than the editor or the control's memory goes as the control runs.
    void dripFeedCommand();
    // Feeds the text with the machine's control profile; false when it did not start.
    bool startDripFeed(const std::string& text, const std::string& programName);
    // Feeds a program restarted from `line` of the file under the name of the original
    // program it was cut from; false when it did not start.
    bool startRestart(
        const std::filesystem::path& file, const std::string& original, const std::string& restarted, std::size_t line);
    // Reads a program for a feed; empty after telling the user it cannot be read.
    std::string readProgram(const std::filesystem::path& path);
    // The program file the user picks for a feed and its text; empty when the port is
    // busy, nothing was picked or the file gave no text (which readProgram has told).
    std::filesystem::path chooseProgramToFeed(std::string& text);
    void logTransfer(int kind, const std::string& file, std::uint64_t bytes, int outcome, const std::string& note = {});
    DripFeedPanel* dripFeedPanel() const { return m_dripPanel; }
    // "*Neustart: Datei ab Satz senden...": asks for a file, then the restart dialog
    // feeds the preamble and the rest of it. After a feed of that file broke off, the
    // dialog starts at the line the feed named.
    void restartCommand();
    // Makes the restart dialog for a program; tests replace it to answer the dialog.
    using RestartRunner
        = std::function<void(const std::string& program, std::size_t suggestedLine, const std::string& programName)>;
    void setRestartRunner(RestartRunner runner) { m_runRestart = std::move(runner); }
    // "*Auf Anforderung der Steuerung warten": listens until the panel's "*Warten beenden".
    void listenCommand();
    void stopListeningCommand();
    RequestPanel* requestPanel() const { return m_requestPanel; }
    // "*Übertragungsprotokoll anzeigen": the machine's transfer log in the text viewer.
    void showLogCommand();
    std::filesystem::path transferLog() const; // empty without a data folder
    // The machine's control profile, from the profile file of the data folder.
    ControlProfile controlProfile();
    void escapePressed();

    bool mayClose() override;
    void machineChanged() override;
    void refresh() override;

    QMenu* buildMoreMenu(QWidget* parent);
    QString sendTooltip() const;

    // For tests: what the window shows and does.
    QPlainTextEdit* editor() const { return m_editor; }
    const std::filesystem::path& currentFile() const { return m_file; }
    bool modified() const { return m_modified; }
    TransferSession& session() { return *m_session; }
    QString statusText(int column) const; // 0 line, 1 sending, 2 size, 3 receiving, 4 waiting; empty when hidden
    bool sizeTextRed() const;
    bool cancelEnabled() const { return m_cancelEnabled; }
    bool stopWaitingEnabled() const { return m_stopWaitingEnabled; }
    int selectedMachine() const { return m_machine; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    const MachineRecord* machine() const;
    QString lookup(const nc_text_ids::TextId& id) const;
    void showBox(const MessageBoxRequest& request);
    void showError(const nc_text_ids::TextId& id);
    void tell(const SessionResult result);
    void retranslate();
    void setUpMachine();
    void setEditorText(std::u16string_view text);
    std::u16string editorText() const; // CR LF line ends
    std::uint64_t editorCharacters() const;
    void setModified(bool modified);
    void updateCaption();
    void updateStatus();
    void updateButtons();
    bool internalMode() const;
    bool saveCurrent(); // with backup to the current file, or to a chosen one
    void startSending();
    void onJobMessage(int message);
    void sendFinished();
    void receiveFinished();
    void dripFeedFinished();
    bool startFeed(ControlProfile profile, const std::string& text, const std::string& programName);
    void requestEvents();
    void colourWholeText(bool ask);
    void applyColours(const std::vector<ColourRange>& ranges);
    void recolourTick();
    void closeEverything();
    void takePendingMachine();

    std::unique_ptr<QtJobEvents> m_events; // before the session, whose jobs report to it
    std::unique_ptr<NcWorkerEvents> m_workerEvents;
    std::unique_ptr<TransferSession> m_session;
    std::unique_ptr<NcColourWorker> m_colourWorker;
    NcTextBuffer* m_buffer = nullptr;
    std::unique_ptr<NcTextBuffer> m_ownBuffer; // without the central state (never in the program)
    FileChooser m_chooseFile;
    NcEditorLauncher* m_launcher = nullptr;
    QPointer<NcRenumberDialog> m_renumber;
    QPointer<DripFeedPanel> m_dripPanel;
    RestartRunner m_runRestart;
    QPointer<RequestPanel> m_requestPanel;
    std::filesystem::path m_dripFile; // the file of the last drip-feed, and where it broke off
    std::size_t m_dripRestartLine = 0;
    // The file the running feed comes from; for a restarted program also the line it
    // was restarted from, the lines sent before that line (name line, preamble) and the
    // lines of the file.
    struct FeedSource {
        std::filesystem::path file;
        std::size_t restartFrom = 0;
        std::size_t lead = 0;
        std::size_t originalLines = 0;
    };
    FeedSource m_feedSource;

    QPushButton* m_chooseButton = nullptr;
    QPushButton* m_editButton = nullptr;
    QPushButton* m_sendButton = nullptr;
    QPushButton* m_moreButton = nullptr;
    QWidget* m_statusLine = nullptr;
    QLabel* m_status[5] = {};
    QPlainTextEdit* m_editor = nullptr;
    QTimer m_recolourTimer;
    QTimer m_statusTimer;
    std::unique_ptr<RecolourTracker> m_tracker;
    NcColourTable m_colourTable;

    std::filesystem::path m_file;
    std::string m_portDevices; // the devices the session's ports were made for
    int m_machine = 0;
    bool m_modified = false;
    bool m_settingText = false; // the window itself changes the editor
    bool m_cancelEnabled = false;
    bool m_stopWaitingEnabled = false;
    bool m_closing = false;
    bool m_machinePending = false;
};

} // namespace kvt
