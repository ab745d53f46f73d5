#pragma once
// The port sequencing of the transfer window: which direction the port is open for,
// the send and receive jobs, the receive progress and the modem status monitor. The
// window calls these on its own thread in answer to its commands and to the jobs'
// messages; the jobs report through the JobEvents the window hands in.
//
// Every stop waits at most the jobs' grace time and then cancels the port, so no call
// here blocks for longer than that.

#include "serial/drip_feed_job.h"
#include "serial/request_listener.h"
#include "serial/serial_jobs.h"
#include "serial/serial_link.h"
#include "serial/serial_settings.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace kvt {

struct MachineRecord;
struct NcTextBuffer;
class TextLookup;

enum class PortState : std::uint8_t {
    Closed = 0,
    OpenForSending = 1,
    OpenForReceiving = 2, // also: to be reopened for sending
    ReopenedAfterSend = 3,
};

enum class SessionResult {
    Done,
    NotPossible, // the port does not exist, a receive is armed, a send runs, ...
    PortNotOpened, // "*COM Port nicht geöffnet"
    MonitorFailed, // "Error 4"
};

class TransferSession {
public:
    using PortFactory = std::function<std::unique_ptr<SerialPort>()>;

    TransferSession(PortFactory makePort, JobEvents& events, const TextLookup& texts, NcTextBuffer& buffer);
    ~TransferSession();
    TransferSession(const TransferSession&) = delete;
    TransferSession& operator=(const TransferSession&) = delete;

    // Takes the serial settings and the idle limit of the machine and probes its send
    // port. Ends every job and closes the port first.
    void setMachine(const MachineRecord& machine);
    bool portAvailable() const { return m_state.portAvailable.load() != 0; }
    unsigned sendPortNumber() const { return m_send.portNumber; }
    const SerialSettings& sendSettings() const { return m_send; }
    PortState portState() const { return m_portState; }
    bool portOpen() const { return m_port->isOpen(); }

    // Open the port for one direction unless it already is; each ends every job first.
    SessionResult openForSending();
    SessionResult openForReceiving();
    SessionResult startStatusMonitor(bool waitForCts = false);
    void stopStatusMonitor();
    bool statusMonitorRunning() const { return m_monitor.running(); }

    // Starts sending the first `length` bytes of the buffer's 8-bit text. Refused while
    // a receive is armed or a send runs, or without the port.
    SessionResult startSending(std::uint32_t length);
    // After the send job's message: the port is reopened for sending.
    void sendFinished();
    bool sending() const { return m_sending; }

    // Arms a receive: the job waits for the first byte. Refused while sending.
    SessionResult armReceive();
    // After the receive job's message: the jobs end and the port is reopened for
    // sending. The received text stays in the buffer (length bytes).
    void receiveFinished();
    bool receiveArmed() const { return m_receiveArmed; }
    // The end-of-receive pattern of the machine's control profile, for the next receives.
    void setReceiveEndPattern(std::string pattern) { m_receiveJob.setEndPattern(std::move(pattern)); }
    // The first byte has arrived and the receive is not yet finished.
    bool receiving() const { return m_receiveArmed && m_state.receiveControl.receiving.load() != 0; }
    // Escape during a receive: the read loop ends now; what arrived is reported.
    void abortReceive();
    // "*Warten auf Empfang beenden".
    void stopWaiting();
    // "*Übertragung abbrechen": ends the send or the receive, then the buffer is emptied.
    void cancel();

    // Drip-feed over the send port (opened for sending first): refused while a receive
    // is armed or a send runs, or without the port. Counts as sending until
    // dripFeedFinished(), after kMessageDripFeedFinished.
    SessionResult startDripFeed(ControlProfile profile, FramedProgram program);
    void dripFeedFinished();
    bool dripFeeding() const { return m_dripFeeding; }
    DripFeedJob& dripFeed() { return m_dripFeed; }
    // Listening for the control's requests over the send port: refused like a drip-feed;
    // counts as sending until stopListening().
    SessionResult startListening(ControlProfile profile);
    void stopListening();
    bool listening() const { return m_listening; }
    RequestListener& listener() { return m_listener; }
    // What a program going out counts now: the bytes handed to the port by the
    // drip-feed or by the answer to a request, and whether it is fed (a fed program
    // may be larger than the control's memory). nullopt when neither runs.
    struct FeedCount {
        std::uint64_t bytes = 0;
        bool fed = false;
    };
    std::optional<FeedCount> feedCount();
    // Bytes per second of the line: the open port's settings, else the stored send set's.
    std::uint32_t sendLineRate() const;

    // Ends every job and closes the port.
    void shutDown();

    SerialLinkState& linkState() { return m_state; }
    const SerialLinkState& linkState() const { return m_state; }

private:
    void stopAll();
    void clearIndicators();
    SessionResult openPort(PortDirection direction, PortState state);
    void resetLines();

    std::unique_ptr<SerialPort> m_port;
    PortFactory m_makePort;
    JobEvents& m_events;
    const TextLookup& m_texts;
    NcTextBuffer& m_buffer;
    SerialLinkState m_state;
    SerialSettings m_send {};
    SerialSettings m_receive {};
    std::uint32_t m_idleLimit = 0;
    PortState m_portState = PortState::Closed;
    bool m_sending = false;
    bool m_receiveArmed = false;
    bool m_dripFeeding = false;
    bool m_listening = false;
    bool m_answersFed = false; // the listening profile answers in drip-feed
    // The jobs last: each ends its thread before the members it uses go.
    SendJob m_sendJob;
    ReceiveJob m_receiveJob;
    ReceiveProgressMonitor m_progress;
    ModemStatusMonitor m_monitor;
    DripFeedJob m_dripFeed;
    RequestListener m_listener;
};

} // namespace kvt
