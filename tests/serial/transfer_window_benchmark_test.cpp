// A program of a megabyte through the pseudo-terminal at full speed, both ways: the
// window's event loop keeps running while it arrives and the byte counter moves. The
// figures are printed for the record.

#include "common/number_format.h"
#include "serial/serial_settings.h"
#include "serial/transfer_window.h"
#include "state/page_ids.h"

#include "serial_test_support.h"
#include "window_test_fixture.h"

#include <QPlainTextEdit>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace kvt {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class TransferBenchmark : public test::FunctionWindowFixture {
protected:
    void SetUp() override
    {
        settings.texts["Ports/COM1"] = pty.slavePath();
        startProgram(page::Rs232, &makeWindow<TransferWindow>);
        MachineRecord& machine = controller->options()->machines[0];
        for (const PortDirection direction : {PortDirection::Send, PortDirection::Receive}) {
            SerialSettings set {};
            set.portNumber = 1;
            set.baudRate = 115'200;
            set.dataBits = 8;
            set.stopBits = 1.0f;
            StoreSerialSettings(machine, direction, set);
        }
        // The receive ends after this many empty reads of about 60 ms in a row. Three
        // (a quarter of a second) lets a loaded machine end it early: the writer thread
        // or the kernel's terminal worker starved that long looks like a control that
        // has finished. Fifty is three seconds of silence, still a quick end here.
        StoreIdleLimit(machine, 50);
        machine.editorMode = 1;
        openPage(page::Rs232);
        ASSERT_NE(window(), nullptr);
    }

    void TearDown() override
    {
        delete window();
        FunctionWindowFixture::TearDown();
    }

    TransferWindow* window() const { return FunctionWindowFixture::window<TransferWindow>(page::Rs232); }

    test::PtyPair pty;
};

std::string megabyteProgram()
{
    std::string program = "%\r\n";
    for (int n = 1; program.size() < 1'000'000; ++n)
        program += cformat("N%i G01 X%.3f Y%.3f F250\r\n", n * 10, n * 0.125, n * 0.5);
    program += "M30\r\n";
    return program;
}

TEST_F(TransferBenchmark, AMegabyteArrivesWithoutStallingTheWindowAndGoesBackWhole)
{
    const std::string program = megabyteProgram();
    const auto saved = root / "BIG.dat";
    window()->setFileChooser([&saved](bool save) { return save ? saved : std::filesystem::path(); });
    window()->armReceiveCommand();
    ASSERT_TRUE(window()->session().receiveArmed());

    std::thread control([this, &program] { pty.writeAll(program); });
    const SerialLinkState& link = window()->session().linkState();
    const Clock::time_point start = Clock::now();
    Clock::time_point last = start;
    Clock::time_point lastCounterChange = start;
    Clock::duration longestStall {};
    Clock::duration longestCounterGap {};
    QString counter = window()->statusText(2);
    int counterChanges = 0;
    // The arrival phase: until every byte has been counted. The bound only ends a hung
    // receive: under the sanitizers a megabyte takes about 40 s on an idle machine and
    // over 80 s on a loaded one.
    while (link.receivedBytes.load() < program.size() && Clock::now() - start < 300s) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        const Clock::time_point now = Clock::now();
        longestStall = std::max(longestStall, now - last);
        last = now;
        if (window()->statusText(2) != counter) {
            counter = window()->statusText(2);
            ++counterChanges;
            longestCounterGap = std::max(longestCounterGap, now - lastCounterChange);
            lastCounterChange = now;
        }
        std::this_thread::sleep_for(1ms);
    }
    const Clock::duration arrival = Clock::now() - start;
    control.join();
    ASSERT_EQ(link.receivedBytes.load(), program.size());

    const Clock::time_point finishing = Clock::now();
    while (window()->session().receiveArmed() && Clock::now() - finishing < 30s)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const Clock::duration finish = Clock::now() - finishing;
    ASSERT_FALSE(window()->session().receiveArmed());
    std::ifstream in(saved, std::ios::binary);
    std::ostringstream got;
    got << in.rdbuf();
    const std::string savedText = got.str();
    const auto firstDifference
        = std::mismatch(program.begin(), program.end(), savedText.begin(), savedText.end()).first - program.begin();
    EXPECT_TRUE(savedText == program) << savedText.size() << " of " << program.size()
                                      << " bytes, the first difference at byte " << firstDifference;

    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    std::cout << "[ FIGURES  ] " << program.size() << " bytes arrived in "
              << duration_cast<milliseconds>(arrival).count() << " ms; longest event loop stall "
              << duration_cast<milliseconds>(longestStall).count() << " ms; byte counter changed " << counterChanges
              << " times, longest gap " << duration_cast<milliseconds>(longestCounterGap).count()
              << " ms; showing and saving took " << duration_cast<milliseconds>(finish).count() << " ms\n";
    // Generous bounds for a loaded machine under the sanitizers; the figures above are
    // what the window does.
    EXPECT_LT(longestStall, 250ms);
    if (arrival > 1s) {
        EXPECT_LT(longestCounterGap, 1100ms);
    }

    // And back to the control, byte for byte.
    const Clock::time_point sendStart = Clock::now();
    window()->sendCommand();
    ASSERT_TRUE(window()->session().sending());
    EXPECT_TRUE(pty.readFor(program.size(), 5000ms) == program);
    while (window()->session().sending() && Clock::now() - sendStart < 30s)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_FALSE(window()->session().sending());
    std::cout << "[ FIGURES  ] sent back in " << duration_cast<milliseconds>(Clock::now() - sendStart).count()
              << " ms\n";
}

} // namespace
} // namespace kvt
