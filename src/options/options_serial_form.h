#pragma once
// The serial group of the first machine page: the send and the receive settings of the
// current machine, the machine's idle limit, and the device each port name stands for.
// The combos edit the stored sets directly (layout of the serial link), so what the
// transfer window opens is exactly what this page shows.

#include "options/options_dialog_context.h"
#include "serial/serial_settings.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

inline constexpr int kSerialPortCount = 10; // "COM1" ... "COM10"
inline constexpr std::array<std::uint32_t, 15> kSerialBaudRates
    = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
inline constexpr std::array<std::uint32_t, 5> kSerialDataBits = {4, 5, 6, 7, 8};
inline constexpr std::array<std::string_view, 5> kSerialParityNames = {"None", "Odd", "Even", "Mark", "Space"};
inline constexpr std::array<float, 3> kSerialStopBits = {1.0f, 1.5f, 2.0f};
inline constexpr std::array<std::string_view, 3> kSerialStopBitNames = {"1", "1.5", "2"};
inline constexpr std::array<std::string_view, 4> kSerialFlowControlNames = {"NONE", "RTS/CTS", "DTR/DTS", "Xon/Xoff"};

// Counts and time-outs typed on the page are held to what the smallest stored field
// takes; the transfer time-out in minutes also stays below the millisecond overflow.
inline constexpr std::uint32_t kSerialCountLimit = 65'535;

// "0x%02X"; a control character is read back in that form or as a decimal number.
std::string controlCharacterText(std::uint8_t character);
std::optional<std::uint8_t> parseControlCharacter(std::string_view text);
// A whole number, clamped to kSerialCountLimit; nullopt when the text is no number.
std::optional<std::uint32_t> parseSerialCount(std::string_view text);

// The serial devices the system has, in the order a user looks for them: /dev/ttyS*,
// /dev/ttyUSB*, /dev/ttyACM*, then /dev/serial/by-id/*; each group sorted by number.
// root replaces "/" in tests.
std::vector<std::string> listSerialDevices(const std::filesystem::path& root = "/");

// Where the port names lead: the start-up settings "Ports/COM1" ... "Ports/COM10".
// Absent on a platform that opens the port names themselves.
struct PortDeviceSettings {
    std::function<std::optional<std::string>(const std::string& key)> read;
    std::function<void(const std::string& key, const std::string& value)> write;
    bool available() const { return read && write; }
};

// Gives both directions the defaults of a cleared machine (defaultSerialSettings).
void resetSerialSettings(MachineRecord& machine);

class OptionsSerialForm {
public:
    OptionsSerialForm(OptionsDialogContext& context, PortDeviceSettings devices);

    PortDirection direction() const { return m_direction; }
    void setDirection(PortDirection direction) { m_direction = direction; }

    // Combo entries in order and the entry of the shown set; -1 when the stored value is
    // none of the entries (a damaged or never-written set), so the combo shows nothing.
    std::vector<std::string> portEntries() const; // "COM1", or "COM1 (/dev/ttyS0)" with a device map
    int portIndex() const;
    int baudIndex() const;
    int dataBitsIndex() const;
    int parityIndex() const;
    int stopBitsIndex() const;
    int flowControlIndex() const;
    void choosePort(int index);
    void chooseBaud(int index);
    void chooseDataBits(int index);
    void chooseParity(int index);
    void chooseStopBits(int index);
    // Also sets the software flow flag of the shown direction: the output flag of the
    // send set, the input flag of the receive set, 1 for "Xon/Xoff", 0 otherwise.
    void chooseFlowControl(int index);

    std::string xonText() const;
    std::string xoffText() const;
    std::string xonLimitText() const;
    std::string xoffLimitText() const;
    std::string idleLimitText() const; // "*Timeout:", the machine's, for both directions
    std::string transferTimeoutText() const; // "RS232 T.out:", minutes
    // The limits are the receive side's business: the port sends XON/XOFF when its own
    // input queue fills, so the send set keeps them as stored.
    bool limitsEditable() const { return m_direction == PortDirection::Receive; }
    // Each returns false after telling the user what is wrong; the stored value then
    // stays. A count above the limit is stored clamped and text shows the stored value.
    bool setXon(std::string& text);
    bool setXoff(std::string& text);
    bool setXonLimit(std::string& text);
    bool setXoffLimit(std::string& text);
    bool setIdleLimit(std::string& text);
    bool setTransferTimeout(std::string& text);

    // The device behind a port name (1 to 10): an edit not yet applied, else the
    // start-up settings, else /dev/ttyS(n-1).
    bool hasDeviceMap() const { return m_devices.available(); }
    std::string portDevice(int portNumber) const;
    // False with a message when the text is no device path; empty means the default.
    bool setPortDevice(int portNumber, std::string_view device);
    // What the port test opens for the shown set: its device path with a device map,
    // otherwise the port name.
    std::string openName() const;
    // Writes the device edits to the start-up settings (Apply, OK); cancel drops them.
    void applyDevices();
    void dropDeviceEdits() { m_deviceEdits = {}; }
    bool deviceEditsPending() const;

    SerialSettings shownSet() const;

private:
    MachineRecord& machine() const;
    void store(const SerialSettings& set);
    void markChanged();
    bool setCount(std::string& text, const std::function<std::uint32_t()>& current,
        const std::function<void(std::uint32_t)>& write);
    bool setCharacter(std::string& text, std::uint8_t SerialSettings::*field);
    void showError(int textId, std::string_view builtin);
    std::string defaultDevice(int portNumber) const;

    OptionsDialogContext& m_context;
    PortDeviceSettings m_devices;
    PortDirection m_direction = PortDirection::Send;
    std::array<std::optional<std::string>, kSerialPortCount> m_deviceEdits;
};

} // namespace kvt
