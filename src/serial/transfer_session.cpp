#include "serial/transfer_session.h"

#include "options/options_record.h"
#include "serial/nc_text.h"

#include <sstream>

namespace kvt {

namespace {

constexpr std::uint32_t kReceiveQueueBytes = 256;

} // namespace

TransferSession::TransferSession(PortFactory makePort, JobEvents& events, const TextLookup& texts, NcTextBuffer& buffer)
    : m_port(makePort())
    , m_makePort(std::move(makePort))
    , m_events(events)
    , m_texts(texts)
    , m_buffer(buffer)
    , m_sendJob(*m_port, m_state, events)
    , m_receiveJob(*m_port, m_state, events, texts)
    , m_progress(m_state, events, texts)
    , m_monitor(*m_port, m_state, events)
    , m_dripFeed(*m_port, events)
    , m_listener(*m_port, events)
{
}

TransferSession::~TransferSession()
{
    shutDown();
}

void TransferSession::setMachine(const MachineRecord& machine)
{
    shutDown();
    m_send = LoadSerialSettings(machine, PortDirection::Send);
    m_receive = LoadSerialSettings(machine, PortDirection::Receive);
    m_idleLimit = LoadIdleLimit(machine);
    m_state.portAvailable = 0;
    const std::unique_ptr<SerialPort> probe = m_makePort();
    ProbePort(*probe, PortName(m_send.portNumber), m_state.portAvailable);
}

void TransferSession::stopAll()
{
    m_dripFeed.stop();
    m_dripFeeding = false;
    if (m_listening) {
        m_listener.stop();
        m_listening = false;
        m_sending = false;
    }
    m_monitor.stop();
    m_sendJob.stop();
    m_receiveJob.stop();
    m_progress.stop();
}

void TransferSession::clearIndicators()
{
    for (int i = 0; i < kIndicatorCount; ++i)
        m_state.indicators[i] = 0;
    UpdateIndicatorMarks(m_state, nullptr);
}

std::uint32_t TransferSession::sendLineRate() const
{
    // A stored rate the port does not take (0 in a machine never set up) leaves the
    // driver's rate on the line: pace by what the open port really runs at.
    LineSettings line;
    if (m_port->isOpen() && m_port->lineSettings(line))
        return lineBytesPerSecond(line.baudRate, line.byteSize, line.parity != kParityNone, line.stopBits);
    std::uint8_t stopBits = 0;
    ConvertStopBits(m_send.stopBits, stopBits);
    return lineBytesPerSecond(
        m_send.baudRate, static_cast<std::uint8_t>(m_send.dataBits & 0xFF), (m_send.parity & 0xFF) != 0, stopBits);
}

SessionResult TransferSession::startDripFeed(ControlProfile profile, FramedProgram program)
{
    if (!portAvailable() || m_sending || m_receiveArmed)
        return SessionResult::NotPossible;
    const SessionResult opened = openForSending();
    if (opened != SessionResult::Done)
        return opened;
    if (!m_dripFeed.start(std::move(profile), std::move(program), sendLineRate()))
        return SessionResult::NotPossible;
    m_sending = true;
    m_dripFeeding = true;
    m_state.setIndicator(Indicator::Sending, 1);
    UpdateIndicatorMarks(m_state, nullptr);
    return SessionResult::Done;
}

SessionResult TransferSession::startListening(ControlProfile profile)
{
    if (!portAvailable() || m_sending || m_receiveArmed)
        return SessionResult::NotPossible;
    const SessionResult opened = openForSending();
    if (opened != SessionResult::Done)
        return opened;
    m_answersFed = profile.requestDripFeed;
    if (!m_listener.start(std::move(profile), sendLineRate()))
        return SessionResult::NotPossible;
    m_sending = true;
    m_listening = true;
    return SessionResult::Done;
}

std::optional<TransferSession::FeedCount> TransferSession::feedCount()
{
    if (m_dripFeeding)
        return FeedCount {m_dripFeed.progress().bytesSent, true};
    if (m_listening) {
        if (const std::optional<std::uint64_t> bytes = m_listener.answerBytes())
            return FeedCount {*bytes, m_answersFed};
    }
    return std::nullopt;
}

void TransferSession::stopListening()
{
    if (!m_listening)
        return;
    m_listener.stop();
    m_listening = false;
    m_sending = false;
}

void TransferSession::dripFeedFinished()
{
    m_dripFeed.stop();
    if (!m_dripFeeding)
        return;
    m_dripFeeding = false;
    m_sending = false;
    m_state.setIndicator(Indicator::Sending, 0);
    UpdateIndicatorMarks(m_state, nullptr);
}

void TransferSession::shutDown()
{
    stopAll();
    m_port->clearCancel();
    m_port->close();
    m_portState = PortState::Closed;
    m_sending = false;
    m_receiveArmed = false;
    clearIndicators();
}

SessionResult TransferSession::openPort(PortDirection direction, PortState state)
{
    if (!portAvailable())
        return SessionResult::NotPossible;
    stopAll();
    m_port->clearCancel();
    m_port->close();
    const SerialSettings& set = direction == PortDirection::Send ? m_send : m_receive;
    if (!OpenPortWithSettings(*m_port, set, direction) || !m_port->isOpen()) {
        m_portState = PortState::Closed;
        return SessionResult::PortNotOpened;
    }
    if (direction == PortDirection::Receive)
        m_port->setQueueSizes(kReceiveQueueBytes, kReceiveQueueBytes);
    m_portState = state;
    return startStatusMonitor();
}

SessionResult TransferSession::openForSending()
{
    if (m_portState == PortState::OpenForSending && m_port->isOpen())
        return SessionResult::Done;
    return openPort(PortDirection::Send, PortState::OpenForSending);
}

SessionResult TransferSession::openForReceiving()
{
    if (m_portState == PortState::OpenForReceiving && m_port->isOpen())
        return SessionResult::Done;
    return openPort(PortDirection::Receive, PortState::OpenForReceiving);
}

SessionResult TransferSession::startStatusMonitor(bool waitForCts)
{
    if (m_monitor.running()) {
        m_monitor.setWaitForCts(waitForCts);
        return SessionResult::Done;
    }
    return m_monitor.start(waitForCts) ? SessionResult::Done : SessionResult::MonitorFailed;
}

void TransferSession::stopStatusMonitor()
{
    m_monitor.stop();
    m_state.setIndicator(Indicator::LineConnected, 0);
    UpdateIndicatorMarks(m_state, nullptr);
}

SessionResult TransferSession::startSending(std::uint32_t length)
{
    if (!portAvailable() || m_receiveArmed || m_sending || m_sendJob.running())
        return SessionResult::NotPossible;
    m_sending = true;
    SessionResult opened = openForSending();
    if (opened == SessionResult::PortNotOpened)
        opened = openForSending(); // a port just released by another program may need a second try
    if (opened == SessionResult::PortNotOpened) {
        m_sending = false;
        return opened;
    }
    m_state.sendLength = length;
    if (!m_sendJob.start(std::span<const char>(m_buffer.narrowText, sizeof m_buffer.narrowText))) {
        m_sending = false;
        return SessionResult::NotPossible;
    }
    return SessionResult::Done;
}

void TransferSession::sendFinished()
{
    m_sendJob.stop();
    m_state.setIndicator(Indicator::Sending, 0);
    stopStatusMonitor();
    m_portState = PortState::ReopenedAfterSend;
    openPort(PortDirection::Send, PortState::OpenForSending);
    m_sending = false;
}

SessionResult TransferSession::armReceive()
{
    if (!portAvailable() || m_sending || m_sendJob.running() || m_receiveArmed || m_receiveJob.running())
        return SessionResult::NotPossible;
    m_receiveArmed = true;
    clearNcText(m_buffer);
    m_state.sendLength = 0;
    const SessionResult opened = openForReceiving();
    if (opened == SessionResult::PortNotOpened) {
        m_receiveArmed = false;
        return opened;
    }
    if (!m_progress.start() || !m_receiveJob.start(m_buffer, m_idleLimit)) {
        m_progress.stop();
        m_receiveArmed = false;
        openForSending();
        return SessionResult::NotPossible;
    }
    m_state.setIndicator(Indicator::Waiting, 1);
    UpdateIndicatorMarks(m_state, &m_events);
    return opened;
}

void TransferSession::receiveFinished()
{
    m_receiveJob.stop();
    m_progress.stop();
    m_state.setIndicator(Indicator::Waiting, 0);
    m_state.setIndicator(Indicator::Receiving, 0);
    m_port->clearCancel();
    m_port->close();
    m_portState = PortState::Closed;
    openForSending();
    m_receiveArmed = false;
}

void TransferSession::abortReceive()
{
    if (m_receiveJob.running())
        m_receiveJob.abort();
}

void TransferSession::resetLines()
{
    if (!m_port->isOpen())
        return;
    std::ostringstream ignored; // a port without modem lines (a pseudo-terminal) cannot pulse them
    ResetHandshakeLines(*m_port, ignored);
}

void TransferSession::stopWaiting()
{
    m_receiveJob.stop();
    resetLines();
    m_port->clearCancel();
    m_port->close();
    m_progress.stop();
    clearIndicators();
    m_portState = PortState::OpenForReceiving;
    openForSending();
    m_receiveArmed = false;
}

void TransferSession::cancel()
{
    if (m_sending || m_sendJob.running()) {
        m_sendJob.stop();
        m_sending = false;
    } else {
        m_receiveJob.stop();
        m_progress.stop();
        m_receiveArmed = false;
    }
    resetLines();
    m_port->clearCancel();
    m_port->close();
    clearIndicators();
    m_portState = PortState::OpenForReceiving;
    openForSending();
    clearNcText(m_buffer);
    m_state.sendLength = 0;
}

} // namespace kvt
