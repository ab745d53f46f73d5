#pragma once
// The RS-232 link to a machine control: opens a port for one direction from the
// machine's stored settings, sends a whole NC program, collects a received program
// until the line falls silent, probes ports and pulses the handshake lines. It owns no
// window: the transfer window and the options page drive it and hear from it through
// JobEvents. Everything here talks to the port only through SerialPort.

#include "common/message_boxes.h"
#include "serial/serial_port.h"
#include "serial/serial_settings.h"

#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kvt {

class TextLookup;

// Window messages the jobs send to the window that owns them.
inline constexpr int kMessageStartSending = 2098; // CTS came up: the window starts the send
inline constexpr int kMessageSendFinished = 2099;
inline constexpr int kMessageReceiveFinished = 2102;
inline constexpr int kMessageMonitorEnded = 2184;

// Language ids of the receive report.
inline constexpr int kTextBytesReceivedCaption = 67560;
inline constexpr int kTextBytesReceived = 67561;
// Language ids of the message about a line setting the port refused.
inline constexpr int kTextSettingRefused = 77001;
inline constexpr int kTextDataBits = 77002;
inline constexpr int kTextXonEqualsXoff = 77003;
inline constexpr int kTextLineFormat = 77004;

inline constexpr std::uint32_t kSendQueueBytes = 524'288;
inline constexpr std::uint32_t kReceiveCapacity = 10'240'000; // bytes of text, terminating zero included
inline constexpr std::size_t kMaxPortNameBytes = 255;

// How jobs reach the window that owns them. Every call may come from a job thread and
// must return without waiting for the window: the Qt window queues each call to its
// own thread. A job never calls these after its stop() has returned.
class JobEvents {
public:
    virtual ~JobEvents() = default;
    // False when the job was started without a window to report to.
    virtual bool hasWindow() const { return true; }
    virtual void post(int message) = 0; // kMessage...
    virtual void showMessage(MessageBoxRequest request) = 0; // a box without owner window
    virtual void redraw() = 0; // the indicators or the status text changed
    virtual void clearSendCheck() { } // uncheck the window's send control
    // The first byte of a receive arrived: enable "*Übertragung abbrechen" and grey
    // "*Warten auf Empfang beenden" in the "*Mehr..." menu.
    virtual void receiveStarted() { }
};

// Shared by the transfer window and the receive job.
struct ReceiveControl {
    std::atomic<std::uint32_t> idleLimit {0}; // copy of the machine's IdleLimit
    std::atomic<std::uint8_t> abort {0}; // set by the window; the read loop ends at its next check
    std::atomic<std::uint8_t> receiving {0}; // 1 while bytes are being collected
    std::atomic<std::uint8_t> waiting {0}; // 1 while the port waits for the first byte
};

enum class Indicator { Waiting = 0, Sending = 1, LineConnected = 2, Receiving = 3 };
inline constexpr int kIndicatorCount = 4;

// What the link shares with the transfer window and the options page. Each value has
// one writer at a time; the window reads them for display.
struct SerialLinkState {
    std::atomic<std::uint8_t> portAvailable {0}; // 1 after a successful probe, 0 when the port does not exist
    std::atomic<std::uint8_t> indicators[kIndicatorCount] {}; // Indicator order
    std::atomic<std::uint8_t> rememberedIndicators[kIndicatorCount] {};
    std::atomic<std::uint8_t> indicatorChanged[kIndicatorCount] {};
    std::atomic<std::uint8_t> redrawMark {0};
    std::atomic<std::uint8_t> statusWaitMark {0}; // the modem monitor waits for a line event
    std::atomic<std::uint32_t> sendLength {0}; // bytes to send; after a receive, the bytes received
    std::atomic<std::uint32_t> receivedBytes {0}; // running count of the current receive
    ReceiveControl receiveControl;

    void setIndicator(Indicator which, std::uint8_t value) { indicators[static_cast<int>(which)] = value; }
    std::uint8_t indicator(Indicator which) const { return indicators[static_cast<int>(which)]; }

    std::string statusText() const;
    void setStatusText(std::string text);

private:
    mutable std::mutex m_statusMutex;
    std::string m_statusText; // "<n> <bytes received>", drawn by the transfer window
};

// Remembers every indicator that changed and marks it; redraws when one did.
void UpdateIndicatorMarks(SerialLinkState& state, JobEvents* events);

// The port time-outs of a transfer direction.
PortTimeouts TransferTimeouts(PortDirection direction, std::uint32_t transferTimeoutMinutes);

bool IsListedBaudRate(std::uint32_t baudRate);

// How far OpenPort got; with LineRefused the port did not take the line settings and
// refusedLine holds what was asked for.
enum class PortOpenStep { Opened, PortFailed, LineRefused, SetupFailed };
struct PortOpenReport {
    PortOpenStep step = PortOpenStep::Opened;
    LineSettings refusedLine {};
};

// The box for a refused line setting (caption "RS232", stop icon), naming what was
// refused: the data bits, XON equal to XOFF, or else the whole format. nullopt for the
// other steps, which the caller reports as a port that could not be opened.
std::optional<MessageBoxRequest> PortOpenMessage(const PortOpenReport& report, const TextLookup& texts);

// Opens and configures the port for one direction; directionSet supplies the software
// flow details and the transfer time-out. On failure the port is closed again, also
// when the port refuses the line settings: a transfer under the driver's old baud rate
// and format would garble every byte. report, when given, says where it stopped.
bool OpenPort(SerialPort& port, std::string_view name, std::uint32_t baudRate, std::uint8_t dataBits,
    std::uint8_t parityCode, std::uint8_t stopBitsCode, std::uint8_t flowControl, PortDirection direction,
    const SerialSettings& directionSet, PortOpenReport* report = nullptr);
// The same with every parameter taken from the stored set, converted as for a transfer.
bool OpenPortWithSettings(
    SerialPort& port, const SerialSettings& set, PortDirection direction, PortOpenReport* report = nullptr);

// Writes state.sendLength bytes of buffer. True when the write succeeded, also when
// fewer bytes left than asked (then without the "Bytes gesendet" box).
bool SendBuffer(
    SerialPort& port, SerialLinkState& state, JobEvents& events, std::span<const char> buffer, std::uint32_t& written);

// Where a receive stores its text: a zero-filled area whose last byte always stays the
// terminating zero. end is the length of the text stored so far.
class ReceiveEndWatch;

struct ReceiveTarget {
    std::span<char> text;
    std::size_t end = 0;
    // When set, a receive also ends as soon as the bytes end a program by the
    // profile's end-of-receive pattern, without waiting for the line to fall silent.
    ReceiveEndWatch* endWatch = nullptr;
};

// The most empty reads in a row a receive waits for: ten minutes of silence at the
// shortest read time. A larger stored IdleLimit would never end a receive.
inline constexpr std::int32_t kMaxIdleLimit = 10'000;

// Reads one byte at a time until (idleLimit + 1) reads in a row bring nothing or the
// abort flag is set. A limit above kMaxIdleLimit counts as kMaxIdleLimit; one above
// 2^31 (negative when compared signed) ends at the first empty read. Every byte is counted in counter; a NUL byte is
// not stored, and bytes beyond the capacity are counted but dropped.
void ReceiveWorker(SerialPort& port, std::atomic<std::uint32_t>& counter, std::uint32_t idleLimit,
    ReceiveTarget& target, const std::atomic<std::uint8_t>& stop);

// Waits for the first byte, then collects the transfer. False when an event character
// ended the wait or when the text area was full (total >= its capacity); total is set
// in every case.
bool ReceiveToBuffer(SerialPort& port, SerialLinkState& state, JobEvents& events, const TextLookup& texts,
    ReceiveTarget& target, std::uint32_t& total);

// Tries to open the named port with a spare port object and closes it again.
bool ProbePort(SerialPort& probe, std::string_view name, std::atomic<std::uint8_t>& portAvailable);

// Clears DTR and RTS, waits 100 ms, sets both again. 1 on success; on the first
// failure writes "Failed to ... %d\n" to out and returns 0.
int ResetHandshakeLines(SerialPort& port, std::ostream& out);

} // namespace kvt
