// The transfer log: where it lies, what a line says, and that it stays bounded.

#include "serial/transfer_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace kvt {
namespace {

TEST(TransferLogTest, ALineHasDateDirectionFileBytesResultAndNote)
{
    TransferLogEntry e;
    e.when = {2026, 12, 7, 9, 4, 5};
    const std::tuple<TransferKind, TransferOutcome, const char*, const char*, const char*> cases[] = {
        {TransferKind::Send, TransferOutcome::Done, "/nc/O1.nc", "", "send\t/nc/O1.nc\t42\tdone\t"},
        {TransferKind::DripFeed, TransferOutcome::LinkLost, "O2.nc", "restart line 12",
            "drip-feed\tO2.nc\t42\tlink lost\trestart line 12"},
        {TransferKind::Receive, TransferOutcome::Failed, "", "", "receive\t\t42\tfailed\t"},
        {TransferKind::Request, TransferOutcome::Cancelled, "a\tb\nc", "O1234", "request\ta b c\t42\tcancelled\tO1234"},
    };
    for (const auto& [kind, outcome, file, note, tail] : cases) {
        SCOPED_TRACE(tail);
        e.kind = kind;
        e.outcome = outcome;
        e.file = file;
        e.bytes = 42;
        e.note = note;
        EXPECT_EQ(transferLogLine(e), std::string("2026-12-07 09:04:05\t") + tail + "\n");
    }
    EXPECT_EQ(transferLogPath("/data", 0), std::filesystem::path("/data/RS232/TransferLog_Machine01.txt"));
    EXPECT_EQ(transferLogPath("/data", 9), std::filesystem::path("/data/RS232/TransferLog_Machine10.txt"));
}

TEST(TransferLogTest, LinesAreAddedAndTheOldestGoWholeBeyondTheLimit)
{
    const auto folder = std::filesystem::temp_directory_path() / "kvt_transfer_log_test";
    std::filesystem::remove_all(folder);
    const auto log = transferLogPath(folder, 2);
    TransferLogEntry e;
    e.when = {2026, 1, 2, 3, 4, 5};
    e.file = "first";
    ASSERT_TRUE(appendTransferLog(log, e)); // the folder is made
    e.file = "second";
    ASSERT_TRUE(appendTransferLog(log, e));
    auto read = [&] {
        std::ifstream in(log, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(read(), transferLogLine({e.when, e.kind, "first", 0, e.outcome, ""}) + transferLogLine(e));

    // A log grown past the limit keeps its newest whole lines.
    std::string big;
    while (big.size() <= kTransferLogLimit)
        big += "old line that is long enough to fill the log quickly\n";
    std::ofstream(log, std::ios::binary) << "oldest\n" << big << "half";
    e.file = "newest";
    ASSERT_TRUE(appendTransferLog(log, e));
    const std::string text = read();
    EXPECT_LE(text.size(), kTransferLogLimit + transferLogLine(e).size() + 1);
    EXPECT_TRUE(text.starts_with("old line")) << text.substr(0, 20);
    EXPECT_TRUE(text.ends_with("half\n" + transferLogLine(e)));
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace kvt
