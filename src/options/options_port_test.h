#pragma once
// The port test of the serial group: opens the chosen port with the chosen settings on
// a thread of its own and reads its modem lines every 500 ms until it is stopped. The
// page only polls what the test found, so a device that takes long to open, or never
// answers, cannot freeze the dialog.

#include "serial/serial_port.h"
#include "serial/serial_settings.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kvt {

class TextLookup;

enum class PortTestStatus {
    Idle, // not started, or stopped
    Opening,
    Open, // lines are read
    OpenNoLines, // open, but the device has no modem lines to read (a pseudo-terminal)
    NotFound,
    InUse,
    Refused, // the device does not take the settings (data bits, baud rate, ...)
    Failed, // any other error
    NoAnswer, // the open has not come back within the time-out
};

struct PortTestLines {
    bool cts = false;
    bool dsr = false;
    bool ring = false;
    bool rlsd = false;
    bool connected = false; // any of the four
};

class PortTest {
public:
    using PortFactory = std::function<std::unique_ptr<SerialPort>()>;
    static constexpr std::chrono::milliseconds kOpenTimeout {3000};
    static constexpr std::chrono::milliseconds kPollInterval {500};
    static constexpr std::chrono::milliseconds kStopGrace {1000};

    explicit PortTest(PortFactory factory, std::chrono::milliseconds openTimeout = kOpenTimeout);
    // Stops the test; returns after the stop grace at the latest, whatever the device does.
    ~PortTest();
    PortTest(const PortTest&) = delete;
    PortTest& operator=(const PortTest&) = delete;

    // Opens name (a port name or device path) with the set as a transfer of direction
    // would; a running test is stopped first.
    void start(const std::string& name, const SerialSettings& set, PortDirection direction);
    void stop();
    bool running() const;

    PortTestStatus status() const;
    PortTestLines lines() const;
    int lastError() const; // the system error of a failed open
    const std::string& name() const { return m_name; }

    // What the group shows for the status, with the port name.
    std::string statusText(const TextLookup& texts) const;

    struct Shared; // what the test thread and the page share

private:
    PortFactory m_factory;
    std::chrono::milliseconds m_openTimeout;
    std::shared_ptr<Shared> m_shared;
    std::string m_name;
};

} // namespace kvt
