#include "serial/serial_link.h"

#include "serial/remote_request.h"

#include "common/number_format.h"
#include "common/text_lookup.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <limits>
#include <ostream>
#include <system_error>
#include <thread>

namespace kvt {

namespace {

constexpr std::array<std::uint32_t, 15> kListedBaudRates
    = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};

constexpr std::uint32_t kShortTimeout = 50; // ms
constexpr std::uint32_t kPerByteTimeout = 10; // ms per byte
constexpr std::uint64_t kMillisecondsPerMinute = 60'000;
// The largest total a Win32 time-out can hold that is not the "no wait" marker.
constexpr std::uint64_t kLongestTimeout = 0xFFFF'FFFE;

void ShowBox(JobEvents& events, std::string text, std::string caption, MessageIcon icon)
{
    MessageBoxRequest request;
    request.text = std::move(text);
    request.caption = std::move(caption);
    request.icon = icon;
    events.showMessage(std::move(request));
}

} // namespace

std::string SerialLinkState::statusText() const
{
    std::lock_guard lock(m_statusMutex);
    return m_statusText;
}

void SerialLinkState::setStatusText(std::string text)
{
    std::lock_guard lock(m_statusMutex);
    m_statusText = std::move(text);
}

void UpdateIndicatorMarks(SerialLinkState& state, JobEvents* events)
{
    for (int i = 0; i < kIndicatorCount; ++i) {
        const std::uint8_t value = state.indicators[i];
        if (value != state.rememberedIndicators[i]) {
            state.rememberedIndicators[i] = value;
            state.indicatorChanged[i] = 1;
            state.redrawMark = 1;
        }
    }
    if (state.redrawMark && events != nullptr && events->hasWindow()) {
        events->redraw();
    }
}

PortTimeouts TransferTimeouts(PortDirection direction, std::uint32_t transferTimeoutMinutes)
{
    // Minutes beyond what a 32-bit millisecond count holds would wrap to a short
    // time-out; they are held at the longest one instead.
    const std::uint32_t longTimeout = transferTimeoutMinutes == 0
        ? kShortTimeout
        : static_cast<std::uint32_t>(std::min(transferTimeoutMinutes * kMillisecondsPerMinute, kLongestTimeout));
    PortTimeouts timeouts;
    timeouts.readInterval = kShortTimeout;
    timeouts.readTotalMultiplier = kPerByteTimeout;
    timeouts.writeTotalMultiplier = kPerByteTimeout;
    if (direction == PortDirection::Send) {
        timeouts.readTotalConstant = kShortTimeout;
        timeouts.writeTotalConstant = longTimeout;
    } else {
        timeouts.readTotalConstant = longTimeout;
        timeouts.writeTotalConstant = kShortTimeout;
    }
    return timeouts;
}

bool IsListedBaudRate(std::uint32_t baudRate)
{
    return std::find(kListedBaudRates.begin(), kListedBaudRates.end(), baudRate) != kListedBaudRates.end();
}

std::optional<MessageBoxRequest> PortOpenMessage(const PortOpenReport& report, const TextLookup& texts)
{
    if (report.step != PortOpenStep::LineRefused) {
        return std::nullopt;
    }
    const LineSettings& line = report.refusedLine;
    std::string what;
    if (line.byteSize < 5 || line.byteSize > 8) {
        what = texts.text(kTextDataBits, "*Datenbits") + " " + cformat("%i", static_cast<int>(line.byteSize));
    } else if ((line.outX || line.inX) && line.xonChar == line.xoffChar) {
        what = texts.text(kTextXonEqualsXoff, "*XON-Zeichen gleich XOFF-Zeichen") + " ("
            + cformat("%i", static_cast<int>(line.xonChar)) + ")";
    } else {
        what = texts.text(kTextLineFormat, "*Baudrate, Datenbits, Parität, Stoppbits") + " "
            + cformat("%u, %i, %i, %i", static_cast<unsigned>(line.baudRate), static_cast<int>(line.byteSize),
                static_cast<int>(line.parity), static_cast<int>(line.stopBits));
    }
    MessageBoxRequest request;
    request.text = texts.text(kTextSettingRefused, "*Die Schnittstelle lehnt diese Einstellung ab: ") + what;
    request.caption = "RS232";
    request.icon = MessageIcon::Error;
    return request;
}

bool OpenPort(SerialPort& port, std::string_view name, std::uint32_t baudRate, std::uint8_t dataBits,
    std::uint8_t parityCode, std::uint8_t stopBitsCode, std::uint8_t flowControl, PortDirection direction,
    const SerialSettings& directionSet, PortOpenReport* report)
{
    PortOpenReport ignored;
    PortOpenReport& outcome = report != nullptr ? *report : ignored;
    outcome = {};
    outcome.step = PortOpenStep::PortFailed;
    // Names longer than the narrow name buffer would be cut and could name another device.
    if (name.size() > kMaxPortNameBytes) {
        return false;
    }
    if (port.open(name) != PortOpenResult::Opened) {
        return false;
    }
    outcome.step = PortOpenStep::SetupFailed;
    // A port that is open but not set up must not stay locked: the caller believes it closed.
    auto fail = [&port] {
        port.close();
        return false;
    };

    port.purge();

    LineSettings line;
    if (!port.lineSettings(line)) {
        return fail();
    }
    if (IsListedBaudRate(baudRate)) {
        line.baudRate = baudRate;
    }
    if (flowControl == kFlowXonXoff) {
        line.outX = (directionSet.softwareFlowOut & 1) != 0;
        line.inX = (directionSet.softwareFlowIn & 1) != 0;
        line.xonChar = directionSet.xonChar;
        line.xoffChar = directionSet.xoffChar;
        if (direction == PortDirection::Receive) {
            if (directionSet.xonLimit != 0) {
                line.xonLimit = directionSet.xonLimit;
            }
            if (directionSet.xoffLimit != 0) {
                line.xoffLimit = directionSet.xoffLimit;
            }
        }
    } else {
        // "RTS/CTS" and "DTR/DSR" leave the driver's hardware handshake as it is.
        line.outX = false;
        line.inX = false;
        line.xonChar = 0;
        line.xoffChar = 0;
    }
    line.byteSize = dataBits;
    line.parity = parityCode;
    line.stopBits = stopBitsCode;
    // A refused combination would leave the driver's old rate and format in force, and
    // the transfer would seem to work while every byte arrives garbled.
    if (!port.setLineSettings(line)) {
        outcome.step = PortOpenStep::LineRefused;
        outcome.refusedLine = line;
        return fail();
    }
    port.lineSettings(line);

    // Without its time-outs a read could block for ever and a receive would never end.
    if (!port.setTimeouts(TransferTimeouts(direction, directionSet.transferTimeoutMinutes))) {
        return fail();
    }
    port.setQueueSizes(kSendQueueBytes, kSendQueueBytes);
    outcome.step = PortOpenStep::Opened;
    return true;
}

bool OpenPortWithSettings(SerialPort& port, const SerialSettings& set, PortDirection direction, PortOpenReport* report)
{
    std::uint8_t parity = 0;
    std::uint8_t stopBits = 0;
    std::uint8_t flow = 0;
    ConvertParity(set.parity, parity);
    ConvertStopBits(set.stopBits, stopBits);
    ConvertFlowControl(set.flowControl, flow);
    return OpenPort(port, PortName(set.portNumber), set.baudRate, static_cast<std::uint8_t>(set.dataBits & 0xFF),
        parity, stopBits, flow, direction, set, report);
}

bool SendBuffer(
    SerialPort& port, SerialLinkState& state, JobEvents& events, std::span<const char> buffer, std::uint32_t& written)
{
    written = 0;
    events.clearSendCheck();
    events.redraw();
    if (!port.isOpen()) {
        return false;
    }
    const std::uint32_t length = state.sendLength;
    // Never send bytes from beyond the text area, whatever the send length says.
    if (length > buffer.size()) {
        port.purge();
        state.setIndicator(Indicator::Sending, 0);
        events.redraw();
        return false;
    }
    std::size_t sent = 0;
    const bool ok = port.write(reinterpret_cast<const std::uint8_t*>(buffer.data()), length, sent);
    written = static_cast<std::uint32_t>(sent);
    if (!ok) {
        port.purge();
        state.setIndicator(Indicator::Sending, 0);
        events.redraw();
        return false;
    }
    if (sent == length) {
        ShowBox(events, cformat("%u", written) + " Bytes gesendet", "Ready", MessageIcon::Information);
    }
    // The output side is left alone: whatever of the program may still be on its way
    // (a USB adapter's buffer, the far end of a pseudo-terminal) must not be thrown away.
    port.purge(PurgeScope::Input);
    state.setIndicator(Indicator::Sending, 0);
    events.redraw();
    return true;
}

void ReceiveWorker(SerialPort& port, std::atomic<std::uint32_t>& counter, std::uint32_t idleLimit,
    ReceiveTarget& target, const std::atomic<std::uint8_t>& stop)
{
    if (stop) {
        return;
    }
    // The limit is compared signed: a stored value above 2^31 ends at the first empty
    // read. A huge positive one would wait for ever and run the count past its range.
    const auto limit = std::min(static_cast<std::int32_t>(idleLimit), kMaxIdleLimit);
    std::int32_t idle = 0;
    std::uint32_t total = 0;
    char* const text = target.text.data();
    const std::size_t capacity = target.text.size();
    // The end is kept here, not searched for, so each byte costs the same however long
    // the text already is; the last byte of the area is reserved for the terminator.
    std::size_t end = std::min(target.end, capacity == 0 ? 0 : capacity - 1);
    for (;;) {
        std::uint8_t byte = 0;
        if (port.readByte(byte) == ReadResult::Byte) {
            // The text is NUL-terminated, so a NUL byte cannot be kept in it.
            if (byte != kNulByte && end + 1 < capacity) {
                text[end] = static_cast<char>(byte);
                ++end;
            }
            if (total != std::numeric_limits<std::uint32_t>::max()) {
                ++total;
            }
            counter.store(total, std::memory_order_relaxed);
            idle = 0;
            if (target.endWatch && target.endWatch->feed(static_cast<char>(byte))) {
                break;
            }
        } else {
            ++idle;
            if (idle > limit) {
                break;
            }
        }
        if (stop.load(std::memory_order_relaxed)) {
            break;
        }
    }
    if (capacity != 0) {
        text[end] = '\0';
    }
    target.end = end;
}

bool ReceiveToBuffer(SerialPort& port, SerialLinkState& state, JobEvents& events, const TextLookup& texts,
    ReceiveTarget& target, std::uint32_t& total)
{
    ReceiveControl& control = state.receiveControl;
    total = 0;
    if (!port.setEventMask(line_event::kCharReceived | line_event::kEventChar)) {
        return false;
    }
    state.setIndicator(Indicator::Waiting, 1);
    control.waiting = 1;

    std::uint32_t lineEvents = 0;
    const bool waited = port.waitEvent(lineEvents);
    bool ok = true;
    if (waited && (lineEvents & line_event::kEventChar) != 0) {
        ok = false;
    } else if (waited && (lineEvents & line_event::kCharReceived) != 0) {
        events.receiveStarted();
        state.setIndicator(Indicator::Waiting, 0);
        state.setIndicator(Indicator::Receiving, 1);
        events.redraw();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        control.receiving = 1;
        control.waiting = 0;

        const std::uint32_t idleLimit = control.idleLimit;
        state.receivedBytes = 0;
        try {
            std::thread worker([&] { ReceiveWorker(port, state.receivedBytes, idleLimit, target, control.abort); });
            worker.join();
        } catch (const std::system_error&) {
            // No thread to spare: collect on this one, which the abort flag ends the same way.
            ReceiveWorker(port, state.receivedBytes, idleLimit, target, control.abort);
        }
        total = state.receivedBytes;
        ShowBox(events, cformat("%u", total) + texts.text(kTextBytesReceived, " Bytes empfangen"),
            texts.text(kTextBytesReceivedCaption, "Ready"), MessageIcon::Information);
        if (total >= target.text.size()) {
            ok = false; // the text area was full: bytes were dropped
        }
    }

    // Every way out leaves the indicators and flags at rest, so the window never shows a
    // receive that has ended as still waiting or receiving.
    state.setIndicator(Indicator::Waiting, 0);
    state.setIndicator(Indicator::Receiving, 0);
    events.redraw();
    control.waiting = 0;
    control.receiving = 0;
    return ok;
}

bool ProbePort(SerialPort& probe, std::string_view name, std::atomic<std::uint8_t>& portAvailable)
{
    if (name.size() > kMaxPortNameBytes) {
        return false;
    }
    switch (probe.open(name)) {
    case PortOpenResult::Opened:
        portAvailable = 1;
        probe.close();
        return true;
    case PortOpenResult::NotFound:
        portAvailable = 0;
        return false;
    case PortOpenResult::InUse:
    case PortOpenResult::Failed:
        break;
    }
    return false;
}

int ResetHandshakeLines(SerialPort& port, std::ostream& out)
{
    if (!port.setDtr(false)) {
        out << "Failed to clear DTR: " << port.lastError() << '\n';
        return 0;
    }
    if (!port.setRts(false)) {
        out << "Failed to clear RTS: " << port.lastError() << '\n';
        return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!port.setDtr(true)) {
        out << "Failed to set DTR: " << port.lastError() << '\n';
        return 0;
    }
    if (!port.setRts(true)) {
        out << "Failed to set RTS: " << port.lastError() << '\n';
        return 0;
    }
    return 1;
}

} // namespace kvt
