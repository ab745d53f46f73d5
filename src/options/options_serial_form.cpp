#include "options/options_serial_form.h"

#include "common/number_format.h"
#include "common/text_lines.h"
#include "options/options_record.h"
#include "serial/serial_port.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <system_error>

namespace kvt {

namespace {

// A whole number without sign in the given base; nullopt for anything else, an
// overflowing number included (reported as the largest value instead).
std::optional<std::uint64_t> wholeNumber(std::string_view text, int base)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (result.ptr != text.data() + text.size())
        return std::nullopt;
    if (result.ec == std::errc::result_out_of_range)
        return UINT64_MAX;
    if (result.ec != std::errc())
        return std::nullopt;
    return value;
}

template<typename T, std::size_t N> int indexIn(const std::array<T, N>& list, T value)
{
    const auto it = std::find(list.begin(), list.end(), value);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

// Trailing number of a device name, so ttyUSB10 comes after ttyUSB9.
std::pair<std::string, long> deviceSortKey(const std::string& name)
{
    std::size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9')
        --digits;
    long number = -1;
    if (digits < name.size() && name.size() - digits < 9)
        number = static_cast<long>(*wholeNumber(std::string_view(name).substr(digits), 10));
    return {name.substr(0, digits), number};
}

} // namespace

std::string controlCharacterText(std::uint8_t character)
{
    return cformat("0x%02X", character);
}

std::optional<std::uint8_t> parseControlCharacter(std::string_view text)
{
    text = trimmedWhitespace(text);
    std::optional<std::uint64_t> value;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        value = wholeNumber(text.substr(2), 16);
    else
        value = wholeNumber(text, 10);
    if (!value || *value > 0xFF)
        return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

std::optional<std::uint32_t> parseSerialCount(std::string_view text)
{
    const std::optional<std::uint64_t> value = wholeNumber(trimmedWhitespace(text), 10);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(*value, kSerialCountLimit));
}

std::vector<std::string> listSerialDevices(const std::filesystem::path& root)
{
    std::vector<std::string> devices;
    std::error_code error;
    const std::filesystem::path dev = root / "dev";
    for (std::string_view prefix : {"ttyS", "ttyUSB", "ttyACM"}) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dev, error)) {
            const std::string name = entry.path().filename().string();
            if (name.size() > prefix.size() && name.starts_with(prefix)
                && name.find_first_not_of("0123456789", prefix.size()) == std::string::npos)
                names.push_back(name);
        }
        std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return deviceSortKey(a) < deviceSortKey(b); });
        for (const std::string& name : names)
            devices.push_back("/dev/" + name);
    }
    std::vector<std::string> byId;
    for (const auto& entry : std::filesystem::directory_iterator(dev / "serial" / "by-id", error))
        byId.push_back("/dev/serial/by-id/" + entry.path().filename().string());
    std::sort(byId.begin(), byId.end());
    devices.insert(devices.end(), byId.begin(), byId.end());
    return devices;
}

void resetSerialSettings(MachineRecord& machine)
{
    for (PortDirection direction : {PortDirection::Send, PortDirection::Receive})
        StoreSerialSettings(machine, direction, defaultSerialSettings());
}

OptionsSerialForm::OptionsSerialForm(OptionsDialogContext& context, PortDeviceSettings devices)
    : m_context(context)
    , m_devices(std::move(devices))
{
}

MachineRecord& OptionsSerialForm::machine() const
{
    return m_context.options.machines[currentMachineIndex(m_context.options)];
}

SerialSettings OptionsSerialForm::shownSet() const
{
    return LoadSerialSettings(machine(), m_direction);
}

void OptionsSerialForm::store(const SerialSettings& set)
{
    const SerialSettings before = shownSet();
    if (std::memcmp(&before, &set, sizeof set) == 0)
        return;
    StoreSerialSettings(machine(), m_direction, set);
    markChanged();
}

void OptionsSerialForm::markChanged()
{
    m_context.options.settings.dialogChanged[kMachinePage1] = 1;
}

void OptionsSerialForm::showError(int textId, std::string_view builtin)
{
    m_context.boxes.show({m_context.texts.text(textId, builtin), m_context.texts.text(65470, "Error"),
        MessageIcon::Error, MessageButtons::Ok});
}

std::vector<std::string> OptionsSerialForm::portEntries() const
{
    std::vector<std::string> entries;
    for (int n = 1; n <= kSerialPortCount; ++n) {
        std::string entry = PortName(static_cast<unsigned>(n));
        if (hasDeviceMap())
            entry += " (" + portDevice(n) + ")";
        entries.push_back(entry);
    }
    return entries;
}

int OptionsSerialForm::portIndex() const
{
    const int port = shownSet().portNumber;
    return port >= 1 && port <= kSerialPortCount ? port - 1 : -1;
}

int OptionsSerialForm::baudIndex() const
{
    return indexIn(kSerialBaudRates, shownSet().baudRate);
}

int OptionsSerialForm::dataBitsIndex() const
{
    return indexIn(kSerialDataBits, shownSet().dataBits & 0xFFu);
}

int OptionsSerialForm::parityIndex() const
{
    const std::uint32_t parity = shownSet().parity & 0xFFu;
    return parity < kSerialParityNames.size() ? static_cast<int>(parity) : -1;
}

int OptionsSerialForm::stopBitsIndex() const
{
    return indexIn(kSerialStopBits, shownSet().stopBits);
}

int OptionsSerialForm::flowControlIndex() const
{
    const std::uint8_t flow = shownSet().flowControl;
    return flow < kSerialFlowControlNames.size() ? flow : -1;
}

void OptionsSerialForm::choosePort(int index)
{
    if (index < 0 || index >= kSerialPortCount)
        return;
    SerialSettings set = shownSet();
    set.portNumber = static_cast<std::uint8_t>(index + 1);
    store(set);
}

void OptionsSerialForm::chooseBaud(int index)
{
    if (index < 0 || index >= static_cast<int>(kSerialBaudRates.size()))
        return;
    SerialSettings set = shownSet();
    set.baudRate = kSerialBaudRates[index];
    store(set);
}

void OptionsSerialForm::chooseDataBits(int index)
{
    if (index < 0 || index >= static_cast<int>(kSerialDataBits.size()))
        return;
    SerialSettings set = shownSet();
    set.dataBits = kSerialDataBits[index];
    store(set);
}

void OptionsSerialForm::chooseParity(int index)
{
    if (index < 0 || index >= static_cast<int>(kSerialParityNames.size()))
        return;
    SerialSettings set = shownSet();
    set.parity = static_cast<std::uint32_t>(index);
    store(set);
}

void OptionsSerialForm::chooseStopBits(int index)
{
    if (index < 0 || index >= static_cast<int>(kSerialStopBits.size()))
        return;
    SerialSettings set = shownSet();
    set.stopBits = kSerialStopBits[index];
    store(set);
}

void OptionsSerialForm::chooseFlowControl(int index)
{
    if (index < 0 || index >= static_cast<int>(kSerialFlowControlNames.size()))
        return;
    SerialSettings set = shownSet();
    set.flowControl = static_cast<std::uint8_t>(index);
    const std::uint32_t software = index == kFlowXonXoff ? 1 : 0;
    if (m_direction == PortDirection::Send)
        set.softwareFlowOut = software;
    else
        set.softwareFlowIn = software;
    store(set);
}

std::string OptionsSerialForm::xonText() const
{
    return controlCharacterText(shownSet().xonChar);
}

std::string OptionsSerialForm::xoffText() const
{
    return controlCharacterText(shownSet().xoffChar);
}

std::string OptionsSerialForm::xonLimitText() const
{
    return cformat("%u", shownSet().xonLimit);
}

std::string OptionsSerialForm::xoffLimitText() const
{
    return cformat("%u", shownSet().xoffLimit);
}

std::string OptionsSerialForm::idleLimitText() const
{
    return cformat("%u", LoadIdleLimit(machine()));
}

std::string OptionsSerialForm::transferTimeoutText() const
{
    return cformat("%u", shownSet().transferTimeoutMinutes);
}

bool OptionsSerialForm::setCharacter(std::string& text, std::uint8_t SerialSettings::*field)
{
    const std::optional<std::uint8_t> character = parseControlCharacter(text);
    if (!character) {
        showError(72140, "*Zeichen als 0x00 bis 0xFF oder als Zahl von 0 bis 255 eingeben.");
        return false;
    }
    SerialSettings set = shownSet();
    set.*field = *character;
    store(set);
    text = controlCharacterText(*character);
    return true;
}

bool OptionsSerialForm::setXon(std::string& text)
{
    return setCharacter(text, &SerialSettings::xonChar);
}

bool OptionsSerialForm::setXoff(std::string& text)
{
    return setCharacter(text, &SerialSettings::xoffChar);
}

bool OptionsSerialForm::setCount(
    std::string& text, const std::function<std::uint32_t()>& current, const std::function<void(std::uint32_t)>& write)
{
    const std::optional<std::uint32_t> count = parseSerialCount(text);
    if (!count) {
        showError(72141, "*Eine ganze Zahl von 0 bis 65535 eingeben.");
        return false;
    }
    if (*count != current())
        write(*count);
    text = cformat("%u", *count);
    return true;
}

bool OptionsSerialForm::setXonLimit(std::string& text)
{
    return setCount(
        text, [this] { return shownSet().xonLimit; },
        [this](std::uint32_t value) {
            SerialSettings set = shownSet();
            set.xonLimit = static_cast<std::uint16_t>(value);
            store(set);
        });
}

bool OptionsSerialForm::setXoffLimit(std::string& text)
{
    return setCount(
        text, [this] { return shownSet().xoffLimit; },
        [this](std::uint32_t value) {
            SerialSettings set = shownSet();
            set.xoffLimit = static_cast<std::uint16_t>(value);
            store(set);
        });
}

bool OptionsSerialForm::setIdleLimit(std::string& text)
{
    return setCount(
        text, [this] { return LoadIdleLimit(machine()); },
        [this](std::uint32_t value) {
            StoreIdleLimit(machine(), value);
            markChanged();
        });
}

bool OptionsSerialForm::setTransferTimeout(std::string& text)
{
    return setCount(
        text, [this] { return shownSet().transferTimeoutMinutes; },
        [this](std::uint32_t value) {
            SerialSettings set = shownSet();
            set.transferTimeoutMinutes = value;
            store(set);
        });
}

std::string OptionsSerialForm::defaultDevice(int portNumber) const
{
    return "/dev/ttyS" + cformat("%i", portNumber - 1);
}

std::string OptionsSerialForm::portDevice(int portNumber) const
{
    if (portNumber < 1 || portNumber > kSerialPortCount)
        return {};
    if (const auto& edit = m_deviceEdits[portNumber - 1])
        return edit->empty() ? defaultDevice(portNumber) : *edit;
    if (m_devices.available()) {
        const std::optional<std::string> stored
            = m_devices.read("Ports/" + PortName(static_cast<unsigned>(portNumber)));
        if (stored && !stored->empty())
            return *stored;
    }
    return defaultDevice(portNumber);
}

bool OptionsSerialForm::setPortDevice(int portNumber, std::string_view device)
{
    if (portNumber < 1 || portNumber > kSerialPortCount)
        return false;
    const std::string path(trimmedWhitespace(device));
    // The port opens whatever path stands here; a relative name would depend on the
    // folder the program was started from.
    if (!path.empty() && (path.front() != '/' || path.size() > 255)) {
        showError(72142, "*Gerät: einen Pfad wie /dev/ttyUSB0 eingeben.");
        return false;
    }
    const std::string normal = path == defaultDevice(portNumber) ? std::string() : path;
    if (portDevice(portNumber) == (normal.empty() ? defaultDevice(portNumber) : normal))
        return true;
    m_deviceEdits[portNumber - 1] = normal;
    return true;
}

bool OptionsSerialForm::deviceEditsPending() const
{
    return std::any_of(m_deviceEdits.begin(), m_deviceEdits.end(), [](const auto& e) { return e.has_value(); });
}

void OptionsSerialForm::applyDevices()
{
    if (!m_devices.available()) {
        dropDeviceEdits();
        return;
    }
    for (int i = 0; i < kSerialPortCount; ++i) {
        if (m_deviceEdits[i])
            m_devices.write("Ports/" + PortName(static_cast<unsigned>(i + 1)), *m_deviceEdits[i]);
    }
    dropDeviceEdits();
}

std::string OptionsSerialForm::openName() const
{
    const int port = shownSet().portNumber;
    if (port < 1 || port > kSerialPortCount)
        return {};
    return hasDeviceMap() ? portDevice(port) : PortName(static_cast<unsigned>(port));
}

} // namespace kvt
