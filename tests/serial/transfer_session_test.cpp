// The port sequencing of the transfer window on scripted ports: what happens when the
// port cannot be opened, and which commands a running transfer refuses.

#include "serial/transfer_session.h"

#include "common/text_lookup.h"
#include "options/options_record.h"
#include "serial/nc_text.h"

#include "serial_test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kvt {
namespace {

class TransferSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        buffer = std::make_unique<NcTextBuffer>();
        machine = std::make_unique<MachineRecord>();
        SerialSettings set {};
        set.portNumber = 2;
        set.baudRate = 9600;
        set.dataBits = 8;
        set.stopBits = 1.0f;
        StoreSerialSettings(*machine, PortDirection::Send, set);
        StoreSerialSettings(*machine, PortDirection::Receive, set);
    }

    std::unique_ptr<TransferSession> makeSession()
    {
        return std::make_unique<TransferSession>(
            [this] {
                auto port = std::make_unique<test::ScriptedPort>();
                port->openResult = openResults.empty() ? PortOpenResult::Opened : openResults[ports.size()];
                ports.push_back(port.get());
                return std::unique_ptr<SerialPort>(std::move(port));
            },
            events, texts, *buffer);
    }

    std::vector<PortOpenResult> openResults; // by port object: the session's own, then each probe
    std::vector<test::ScriptedPort*> ports;
    test::RecordingEvents events;
    BuiltinTexts texts;
    std::unique_ptr<NcTextBuffer> buffer;
    std::unique_ptr<MachineRecord> machine;
};

TEST_F(TransferSessionTest, APortThatDoesNotExistRefusesEverything)
{
    openResults = {PortOpenResult::NotFound, PortOpenResult::NotFound};
    auto session = makeSession();
    session->setMachine(*machine);
    EXPECT_FALSE(session->portAvailable());
    EXPECT_EQ(session->sendPortNumber(), 2u);
    EXPECT_EQ(session->openForSending(), SessionResult::NotPossible);
    EXPECT_EQ(session->startSending(10), SessionResult::NotPossible);
    EXPECT_EQ(session->armReceive(), SessionResult::NotPossible);
    EXPECT_FALSE(session->sending());
    EXPECT_FALSE(session->receiveArmed());
}

TEST_F(TransferSessionTest, APortThatExistsButWillNotOpenIsReportedAndNothingRuns)
{
    // The probe opens it; the session's own port object is refused.
    openResults = {PortOpenResult::InUse, PortOpenResult::Opened};
    auto session = makeSession();
    session->setMachine(*machine);
    EXPECT_TRUE(session->portAvailable());
    EXPECT_EQ(session->openForSending(), SessionResult::PortNotOpened);
    EXPECT_EQ(session->portState(), PortState::Closed);
    EXPECT_FALSE(session->statusMonitorRunning());
    EXPECT_EQ(session->startSending(10), SessionResult::PortNotOpened);
    EXPECT_FALSE(session->sending());
    EXPECT_EQ(session->armReceive(), SessionResult::PortNotOpened);
    EXPECT_FALSE(session->receiveArmed());
}

TEST_F(TransferSessionTest, ASendRefusesAReceiveAndACancelEmptiesTheBuffer)
{
    auto session = makeSession();
    session->setMachine(*machine);
    ASSERT_EQ(session->openForSending(), SessionResult::Done);
    EXPECT_EQ(session->portState(), PortState::OpenForSending);
    EXPECT_TRUE(session->statusMonitorRunning());

    ASSERT_TRUE(storeNcText(*buffer, u"N10 M30\r\n"));
    ASSERT_EQ(session->startSending(buffer->length), SessionResult::Done);
    EXPECT_EQ(session->armReceive(), SessionResult::NotPossible);
    EXPECT_EQ(session->startSending(buffer->length), SessionResult::NotPossible);
    session->cancel();
    EXPECT_FALSE(session->sending());
    EXPECT_EQ(buffer->length, 0u);
    EXPECT_EQ(session->linkState().sendLength.load(), 0u);
    EXPECT_EQ(session->portState(), PortState::OpenForSending);
    EXPECT_EQ(ports[0]->writtenBytes, ""); // cancelled within the pause before the first byte
}

} // namespace
} // namespace kvt
