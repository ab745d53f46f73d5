// The serial group of the first machine page: combos into the stored sets at the offsets
// the serial link reads, the flow-control flag rule, XON/XOFF texts, clamped counts and
// the device behind each port name.

#include "options/options_serial_form.h"
#include "options_dialog_fixture.h"

#include <cstring>
#include <fstream>
#include <map>

namespace kvt::test {
namespace {

using SerialFormTest = OptionsDialogTest;

template<typename T> T storedAt(const MachineRecord& machine, std::size_t offset)
{
    T value;
    std::memcpy(&value, reinterpret_cast<const std::uint8_t*>(&machine) + offset, sizeof value);
    return value;
}

TEST(ControlCharacter, TextRoundTrip)
{
    struct Case {
        const char* typed;
        std::optional<std::uint8_t> value;
    };
    const Case cases[] = {
        {"0x11", 0x11},
        {"17", 0x11},
        {"0X1b", 0x1B},
        {" 19 ", 0x13},
        {"0", 0x00},
        {"255", 0xFF},
        {"0xFF", 0xFF},
        {"256", std::nullopt},
        {"0x100", std::nullopt},
        {"0x", std::nullopt},
        {"x11", std::nullopt},
        {"-1", std::nullopt},
        {"1.5", std::nullopt},
        {"0x1G", std::nullopt},
        {"", std::nullopt},
        {"DC1", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(parseControlCharacter(c.typed), c.value);
    }
    EXPECT_EQ(controlCharacterText(0x11), "0x11");
    EXPECT_EQ(controlCharacterText(0x0A), "0x0A");
    EXPECT_EQ(controlCharacterText(0xFF), "0xFF");
}

TEST(SerialCount, ClampedAt65535)
{
    struct Case {
        const char* typed;
        std::optional<std::uint32_t> value;
    };
    const Case cases[] = {
        {"0", 0},
        {"65534", 65534},
        {"65535", 65535},
        {"65536", 65535},
        {"4294967296", 65535},
        {"99999999999999999999999", 65535},
        {" 42 ", 42},
        {"-1", std::nullopt},
        {"12a", std::nullopt},
        {"1.5", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(parseSerialCount(c.typed), c.value);
    }
}

TEST_F(SerialFormTest, CombosStoreAtTheOffsetsTheLinkReads)
{
    OptionsSerialForm form(context, {});
    form.setDirection(PortDirection::Send);
    form.choosePort(9);
    form.chooseBaud(13);
    form.chooseDataBits(0);
    form.chooseParity(4);
    form.chooseStopBits(1);
    EXPECT_EQ(storedAt<std::uint8_t>(machine(), kSendSettingsOffset + 0), 10);
    EXPECT_EQ(storedAt<std::uint32_t>(machine(), kSendSettingsOffset + 4), 128000u);
    EXPECT_EQ(storedAt<std::uint32_t>(machine(), kSendSettingsOffset + 8), 4u);
    EXPECT_EQ(storedAt<float>(machine(), kSendSettingsOffset + 12), 1.5f);
    EXPECT_EQ(storedAt<std::uint32_t>(machine(), kSendSettingsOffset + 16), 4u);
    EXPECT_EQ(storedAt<std::uint8_t>(machine(), kReceiveSettingsOffset + 0), 0); // the other set untouched
    EXPECT_TRUE(record->settings.dialogChanged[kMachinePage1]);

    form.setDirection(PortDirection::Receive);
    form.chooseStopBits(2);
    form.chooseBaud(0);
    EXPECT_EQ(storedAt<float>(machine(), kReceiveSettingsOffset + 12), 2.0f);
    EXPECT_EQ(storedAt<std::uint32_t>(machine(), kReceiveSettingsOffset + 4), 110u);
    EXPECT_EQ(form.baudIndex(), 0);
    form.setDirection(PortDirection::Send);
    EXPECT_EQ(form.portIndex(), 9);
    EXPECT_EQ(form.baudIndex(), 13);
    EXPECT_EQ(form.stopBitsIndex(), 1);
}

TEST_F(SerialFormTest, StoredValuesOutsideTheListsSelectNothing)
{
    SerialSettings set {};
    set.portNumber = 11;
    set.baudRate = 9601;
    set.dataBits = 9;
    set.stopBits = 1.25f;
    set.parity = 5;
    set.flowControl = 4;
    StoreSerialSettings(machine(), PortDirection::Send, set);
    OptionsSerialForm form(context, {});
    EXPECT_EQ(form.portIndex(), -1);
    EXPECT_EQ(form.baudIndex(), -1);
    EXPECT_EQ(form.dataBitsIndex(), -1);
    EXPECT_EQ(form.stopBitsIndex(), -1);
    EXPECT_EQ(form.parityIndex(), -1);
    EXPECT_EQ(form.flowControlIndex(), -1);
    EXPECT_EQ(form.openName(), "");
}

TEST_F(SerialFormTest, FlowControlFlagFollowsTheChoiceOfItsDirection)
{
    SerialSettings set {};
    set.softwareFlowOut = 7; // the flag of the other side stays as stored
    set.softwareFlowIn = 7;
    StoreSerialSettings(machine(), PortDirection::Send, set);
    StoreSerialSettings(machine(), PortDirection::Receive, set);
    OptionsSerialForm form(context, {});

    form.setDirection(PortDirection::Send);
    form.chooseFlowControl(3);
    EXPECT_EQ(LoadSerialSettings(machine(), PortDirection::Send).softwareFlowOut, 1u);
    EXPECT_EQ(LoadSerialSettings(machine(), PortDirection::Send).softwareFlowIn, 7u);
    form.chooseFlowControl(1);
    EXPECT_EQ(LoadSerialSettings(machine(), PortDirection::Send).softwareFlowOut, 0u);
    EXPECT_EQ(LoadSerialSettings(machine(), PortDirection::Send).flowControl, kFlowRtsCts);

    form.setDirection(PortDirection::Receive);
    form.chooseFlowControl(3);
    EXPECT_EQ(LoadSerialSettings(machine(), PortDirection::Receive).softwareFlowIn, 1u);
    EXPECT_EQ(LoadSerialSettings(machine(), PortDirection::Receive).softwareFlowOut, 7u);
    form.chooseFlowControl(0);
    EXPECT_EQ(LoadSerialSettings(machine(), PortDirection::Receive).softwareFlowIn, 0u);
    EXPECT_EQ(LoadSerialSettings(machine(), PortDirection::Send).flowControl, kFlowRtsCts);
}

TEST_F(SerialFormTest, CharactersAndCountsAreReadBackAsStored)
{
    OptionsSerialForm form(context, {});
    form.setDirection(PortDirection::Receive);
    // Not the defaults 0x11/0x13, which an unwritten set already reads as.
    std::string text = "18";
    EXPECT_TRUE(form.setXon(text));
    EXPECT_EQ(text, "0x12");
    text = "0x14";
    EXPECT_TRUE(form.setXoff(text));
    EXPECT_EQ(storedAt<std::uint8_t>(machine(), kReceiveSettingsOffset + 524), 0x12);
    EXPECT_EQ(storedAt<std::uint8_t>(machine(), kReceiveSettingsOffset + 525), 0x14);

    text = "70000";
    EXPECT_TRUE(form.setXonLimit(text));
    EXPECT_EQ(text, "65535");
    text = "512";
    EXPECT_TRUE(form.setXoffLimit(text));
    text = "100000";
    EXPECT_TRUE(form.setTransferTimeout(text));
    text = "65536";
    EXPECT_TRUE(form.setIdleLimit(text));
    EXPECT_EQ(storedAt<std::uint16_t>(machine(), kReceiveSettingsOffset + 526), 65535);
    EXPECT_EQ(storedAt<std::uint16_t>(machine(), kReceiveSettingsOffset + 528), 512);
    EXPECT_EQ(storedAt<std::uint32_t>(machine(), kReceiveSettingsOffset + 532), 65535u);
    EXPECT_EQ(storedAt<std::uint32_t>(machine(), kIdleLimitOffset), 65535u);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(form.limitsEditable());
    form.setDirection(PortDirection::Send);
    EXPECT_FALSE(form.limitsEditable());
    EXPECT_EQ(form.idleLimitText(), "65535"); // one idle limit for the machine
}

TEST_F(SerialFormTest, RefusedTextGivesItsMessageAndKeepsTheStoredValue)
{
    OptionsSerialForm form(context, {});
    std::string text = "0x11";
    ASSERT_TRUE(form.setXon(text));
    text = "300";
    ASSERT_TRUE(form.setTransferTimeout(text));
    record->settings.dialogChanged[kMachinePage1] = 0;

    text = "0x1G";
    EXPECT_FALSE(form.setXon(text));
    text = "-5";
    EXPECT_FALSE(form.setTransferTimeout(text));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "*Zeichen als 0x00 bis 0xFF oder als Zahl von 0 bis 255 eingeben.");
    EXPECT_EQ(boxes.shown[1].text, "*Eine ganze Zahl von 0 bis 65535 eingeben.");
    EXPECT_EQ(boxes.shown[1].caption, "Error");
    EXPECT_EQ(boxes.shown[1].icon, MessageIcon::Error);
    EXPECT_EQ(form.xonText(), "0x11");
    EXPECT_EQ(form.transferTimeoutText(), "300");
    EXPECT_EQ(record->settings.dialogChanged[kMachinePage1], 0);
}

class PortDeviceTest : public OptionsDialogTest {
protected:
    PortDeviceSettings devices()
    {
        return {[this](const std::string& key) -> std::optional<std::string> {
                    auto it = settings.find(key);
                    return it == settings.end() ? std::nullopt : std::optional(it->second);
                },
            [this](const std::string& key, const std::string& value) { settings[key] = value; }};
    }
    std::map<std::string, std::string> settings;
};

TEST_F(PortDeviceTest, DevicesComeFromTheSettingsAndAreWrittenOnApply)
{
    settings["Ports/COM2"] = "/dev/ttyUSB0";
    settings["Ports/COM3"] = "";
    OptionsSerialForm form(context, devices());
    ASSERT_TRUE(form.hasDeviceMap());
    const std::vector<std::string> entries = form.portEntries();
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(entries[0], "COM1 (/dev/ttyS0)");
    EXPECT_EQ(entries[1], "COM2 (/dev/ttyUSB0)");
    EXPECT_EQ(entries[2], "COM3 (/dev/ttyS2)");
    EXPECT_EQ(entries[9], "COM10 (/dev/ttyS9)");

    form.choosePort(1);
    EXPECT_EQ(form.openName(), "/dev/ttyUSB0");
    EXPECT_TRUE(form.setPortDevice(2, "/dev/ttyACM0"));
    EXPECT_EQ(form.openName(), "/dev/ttyACM0");
    EXPECT_EQ(settings["Ports/COM2"], "/dev/ttyUSB0"); // not before Apply
    EXPECT_TRUE(form.deviceEditsPending());
    form.applyDevices();
    EXPECT_EQ(settings["Ports/COM2"], "/dev/ttyACM0");

    EXPECT_TRUE(form.setPortDevice(4, "/dev/serial/by-id/usb-FTDI-if00"));
    form.dropDeviceEdits();
    EXPECT_EQ(form.portDevice(4), "/dev/ttyS3");
    EXPECT_EQ(settings.count("Ports/COM4"), 0u);

    // Back to the default: stored empty, which every reader takes as the default.
    EXPECT_TRUE(form.setPortDevice(2, "/dev/ttyS1"));
    form.applyDevices();
    EXPECT_EQ(settings["Ports/COM2"], "");
    EXPECT_EQ(form.portDevice(2), "/dev/ttyS1");
}

TEST_F(PortDeviceTest, ARelativeDeviceNameIsRefused)
{
    OptionsSerialForm form(context, devices());
    EXPECT_FALSE(form.setPortDevice(1, "ttyUSB0"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Gerät: einen Pfad wie /dev/ttyUSB0 eingeben.");
    EXPECT_EQ(form.portDevice(1), "/dev/ttyS0");
    EXPECT_FALSE(form.deviceEditsPending());
}

TEST_F(PortDeviceTest, WithoutADeviceMapThePortOpensByItsName)
{
    OptionsSerialForm form(context, {});
    form.choosePort(2);
    EXPECT_EQ(form.portEntries()[2], "COM3");
    EXPECT_EQ(form.openName(), "COM3");
}

TEST(SerialDevices, ListedByKindAndNumber)
{
    TempFolder root;
    std::filesystem::create_directories(root / "dev/serial/by-id");
    for (const char* name : {"ttyS10", "ttyS2", "ttyS0", "ttyUSB1", "ttyUSB0", "ttyACM0", "tty0", "ttySX", "ttyS",
             "serial/by-id/usb-FTDI_FT232R-if00-port0"})
        std::ofstream(root / (std::string("dev/") + name)).put('x');
    EXPECT_EQ(listSerialDevices(root.path()),
        (std::vector<std::string> {"/dev/ttyS0", "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB0", "/dev/ttyUSB1",
            "/dev/ttyACM0", "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"}));

    TempFolder empty;
    EXPECT_TRUE(listSerialDevices(empty.path()).empty());
}

} // namespace
} // namespace kvt::test
