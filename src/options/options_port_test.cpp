#include "options/options_port_test.h"

#include "common/number_format.h"
#include "common/text_lookup.h"
#include "serial/serial_link.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace kvt {

struct PortTest::Shared {
    std::mutex mutex;
    std::condition_variable wake; // stop requested
    std::condition_variable finished; // the thread has ended
    bool stopRequested = false;
    bool threadDone = true;
    PortTestStatus status = PortTestStatus::Idle;
    PortTestLines lines;
    int lastError = 0;
    std::chrono::steady_clock::time_point started;
    std::unique_ptr<SerialPort> port;
};

namespace {

PortTestStatus openStatus(PortOpenResult result)
{
    switch (result) {
    case PortOpenResult::Opened:
        return PortTestStatus::Open;
    case PortOpenResult::NotFound:
        return PortTestStatus::NotFound;
    case PortOpenResult::InUse:
        return PortTestStatus::InUse;
    case PortOpenResult::Failed:
        break;
    }
    return PortTestStatus::Failed;
}

// The port runs with the settings only when the driver reports back what was asked:
// OpenPort writes the settings without looking at the answer, as a transfer does, and a
// test that said "open" for a refused data-bit count would mislead the user.
bool takesSettings(SerialPort& port, const SerialSettings& set)
{
    LineSettings line;
    if (!port.lineSettings(line))
        return false;
    std::uint8_t parity = 0;
    std::uint8_t stopBits = 0;
    ConvertParity(set.parity, parity);
    ConvertStopBits(set.stopBits, stopBits);
    if (IsListedBaudRate(set.baudRate) && line.baudRate != set.baudRate)
        return false;
    return line.byteSize == (set.dataBits & 0xFFu) && line.parity == parity && line.stopBits == stopBits;
}

void runTest(std::shared_ptr<PortTest::Shared> shared, std::string name, SerialSettings set,
    PortDirection direction) // NOLINT: the thread owns its copies
{
    SerialPort& port = *shared->port;
    auto finish = [&](PortTestStatus status, int error) {
        std::lock_guard lock(shared->mutex);
        if (status != PortTestStatus::Idle)
            shared->status = status;
        shared->lastError = error;
    };
    auto stopRequested = [&] {
        std::lock_guard lock(shared->mutex);
        return shared->stopRequested;
    };

    PortTestStatus status = openStatus(port.open(name));
    if (status == PortTestStatus::Open) {
        std::uint8_t parity = 0;
        std::uint8_t stopBits = 0;
        std::uint8_t flow = 0;
        ConvertParity(set.parity, parity);
        ConvertStopBits(set.stopBits, stopBits);
        ConvertFlowControl(set.flowControl, flow);
        if (stopRequested())
            status = PortTestStatus::Idle;
        else if (PortOpenReport report; !OpenPort(port, name, set.baudRate,
                     static_cast<std::uint8_t>(set.dataBits & 0xFF), parity, stopBits, flow, direction, set, &report))
            status = report.step == PortOpenStep::LineRefused ? PortTestStatus::Refused : PortTestStatus::Failed;
        else if (!takesSettings(port, set))
            status = PortTestStatus::Refused;
    }
    if (status != PortTestStatus::Open) {
        const int error = port.lastError();
        port.close();
        finish(status, error);
    } else {
        std::unique_lock lock(shared->mutex);
        while (!shared->stopRequested) {
            lock.unlock();
            std::uint32_t modem = 0;
            const bool read = port.modemStatus(modem);
            lock.lock();
            PortTestLines lines;
            if (read) {
                lines.cts = (modem & modem_line::kCts) != 0;
                lines.dsr = (modem & modem_line::kDsr) != 0;
                lines.ring = (modem & modem_line::kRing) != 0;
                lines.rlsd = (modem & modem_line::kRlsd) != 0;
                lines.connected = lines.cts || lines.dsr || lines.ring || lines.rlsd;
            }
            shared->lines = lines;
            shared->status = read ? PortTestStatus::Open : PortTestStatus::OpenNoLines;
            shared->wake.wait_for(lock, PortTest::kPollInterval, [&] { return shared->stopRequested; });
        }
        lock.unlock();
        port.close();
    }
    std::lock_guard lock(shared->mutex);
    shared->threadDone = true;
    shared->finished.notify_all();
}

} // namespace

PortTest::PortTest(PortFactory factory, std::chrono::milliseconds openTimeout)
    : m_factory(std::move(factory))
    , m_openTimeout(openTimeout)
    , m_shared(std::make_shared<Shared>())
{
}

PortTest::~PortTest()
{
    stop();
}

void PortTest::start(const std::string& name, const SerialSettings& set, PortDirection direction)
{
    stop();
    m_name = name;
    auto shared = std::make_shared<Shared>();
    shared->port = m_factory ? m_factory() : nullptr;
    if (!shared->port) {
        shared->status = PortTestStatus::Failed;
        m_shared = shared;
        return;
    }
    shared->status = PortTestStatus::Opening;
    shared->threadDone = false;
    shared->started = std::chrono::steady_clock::now();
    m_shared = shared;
    // The thread keeps the shared block alive: when the device never lets go, stop()
    // leaves the thread behind and the block ends with it.
    std::thread(runTest, shared, name, set, direction).detach();
}

void PortTest::stop()
{
    std::shared_ptr<Shared> shared = m_shared;
    {
        std::unique_lock lock(shared->mutex);
        if (shared->threadDone) {
            shared->status = PortTestStatus::Idle;
            shared->lines = {};
            return;
        }
        shared->stopRequested = true;
        shared->wake.notify_all();
    }
    shared->port->cancel();
    std::unique_lock lock(shared->mutex);
    shared->finished.wait_for(lock, kStopGrace, [&] { return shared->threadDone; });
    // A fresh block for the next start; a thread still stuck in its open keeps the old one.
    lock.unlock();
    m_shared = std::make_shared<Shared>();
}

bool PortTest::running() const
{
    std::lock_guard lock(m_shared->mutex);
    return !m_shared->threadDone;
}

PortTestStatus PortTest::status() const
{
    std::lock_guard lock(m_shared->mutex);
    if (m_shared->status == PortTestStatus::Opening
        && std::chrono::steady_clock::now() - m_shared->started >= m_openTimeout)
        return PortTestStatus::NoAnswer;
    return m_shared->status;
}

PortTestLines PortTest::lines() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->lines;
}

int PortTest::lastError() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->lastError;
}

std::string PortTest::statusText(const TextLookup& texts) const
{
    switch (status()) {
    case PortTestStatus::Idle:
        return {};
    case PortTestStatus::Opening:
        return texts.text(72150, "*Port wird geöffnet: ") + m_name;
    case PortTestStatus::Open:
        return texts.text(72151, "*Port geöffnet: ") + m_name;
    case PortTestStatus::OpenNoLines:
        return texts.text(72152, "*Port geöffnet, keine Modemleitungen lesbar: ") + m_name;
    case PortTestStatus::NotFound:
        return texts.text(72153, "*Port nicht vorhanden: ") + m_name;
    case PortTestStatus::InUse:
        return texts.text(72154, "*Port belegt: ") + m_name;
    case PortTestStatus::Refused:
        return texts.text(72155, "*Port nimmt die Einstellungen nicht an: ") + m_name;
    case PortTestStatus::Failed:
        return texts.text(72156, "*Port nicht geöffnet: ") + m_name + cformat(" (%i)", lastError());
    case PortTestStatus::NoAnswer:
        return texts.text(72157, "*Port antwortet nicht: ") + m_name;
    }
    return {};
}

} // namespace kvt
