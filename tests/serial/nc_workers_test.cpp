#include "serial/nc_workers.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace kvt {
namespace {

// Stands in for the window: records what the workers post, from their own threads.
class RecordingEvents final : public NcWorkerEvents {
public:
    void post(int message) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_posted.push_back(message);
        }
        m_signal.notify_all();
    }
    bool waitFor(std::size_t count)
    {
        std::unique_lock lock(m_mutex);
        return m_signal.wait_for(lock, std::chrono::seconds(20), [&] { return m_posted.size() >= count; });
    }
    std::vector<int> posted()
    {
        std::lock_guard lock(m_mutex);
        return m_posted;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_signal;
    std::vector<int> m_posted;
};

std::u16string program(int lines)
{
    std::u16string text = u"%\r\n";
    for (int i = 0; i < lines; ++i)
        text += u"N5 G01 X12.5 Y-3 F200 (CUT)\r\n";
    return text;
}

NcColourTable busyTable()
{
    NcColourTable table;
    for (const char16_t* word : {u"G", u"X", u"Y", u"F", u"N", u"0", u"1", u"2", u"5", u"-"})
        table.addWord(word, 0x0000FF);
    table.addPair(u"(", u")", 0x00FF00);
    return table;
}

TEST(NcColourWorker, ColoursOffTheCallingThreadAndReportsOnce)
{
    RecordingEvents events;
    NcColourWorker worker(events);
    const std::u16string text = program(200);
    ASSERT_TRUE(worker.start(busyTable(), text));
    ASSERT_TRUE(events.waitFor(1));
    ASSERT_TRUE(worker.waitFinished(std::chrono::seconds(5)));
    EXPECT_EQ(events.posted(), std::vector<int> {kMessageColouringFinished});
    EXPECT_EQ(worker.entriesDone(), 11u);

    ColourRangeList direct;
    ASSERT_TRUE(colourWholeText(busyTable(), text, direct));
    const auto result = worker.takeResult();
    ASSERT_TRUE(result);
    ASSERT_EQ(result->size(), direct.ranges().size());
    EXPECT_EQ(result->back().start, direct.ranges().back().start);
    EXPECT_FALSE(worker.takeResult()); // taken once
}

TEST(NcColourWorker, ACancelledRunReportsWithoutResult)
{
    RecordingEvents events;
    NcColourWorker worker(events);
    ASSERT_TRUE(worker.start(busyTable(), program(100'000)));
    worker.cancel();
    ASSERT_TRUE(events.waitFor(1));
    worker.stop();
    EXPECT_FALSE(worker.takeResult());
    EXPECT_LT(worker.entriesDone(), 11u);
    // The worker can run again after a cancel.
    ASSERT_TRUE(worker.start(busyTable(), u"G1"));
    ASSERT_TRUE(events.waitFor(2));
    ASSERT_TRUE(worker.waitFinished(std::chrono::seconds(5)));
    EXPECT_EQ(worker.takeResult()->size(), 2u);
}

TEST(NcRenumberWorker, RenumbersOffTheCallingThread)
{
    RecordingEvents events;
    NcRenumberWorker worker(events);
    RenumberRequest request {NcLineFormat::parse(u"N10"), NcLineFormat::parse(u"N0010"), 10, 10};
    ASSERT_TRUE(worker.start(request, program(3)));
    ASSERT_TRUE(events.waitFor(1));
    ASSERT_TRUE(worker.waitFinished(std::chrono::seconds(5)));
    EXPECT_EQ(events.posted(), std::vector<int> {kMessageRenumberFinished});
    const auto result = worker.takeResult();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->renumbered, 3u);
    EXPECT_EQ(result->text.substr(0, 24), u"%\r\nN0010 G01 X12.5 Y-3 F");
}

TEST(NcRenumberWorker, StopEndsALongRunWithinTheGrace)
{
    RecordingEvents events;
    NcRenumberWorker worker(events);
    RenumberRequest request {NcLineFormat::parse(u"N10"), NcLineFormat::parse(u"N0010"), 10, 10};
    ASSERT_TRUE(worker.start(request, program(200'000)));
    const auto before = std::chrono::steady_clock::now();
    worker.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, kJobStopGrace);
    EXPECT_FALSE(worker.running());
    EXPECT_FALSE(worker.takeResult());
    EXPECT_EQ(events.posted(), std::vector<int> {kMessageRenumberFinished});
}

} // namespace
} // namespace kvt
