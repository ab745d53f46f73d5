#include "serial/nc_workers.h"

#include <utility>

namespace kvt {

// --- NcColourWorker ----------------------------------------------------------------------

NcColourWorker::NcColourWorker(NcWorkerEvents& events)
    : m_events(events)
{
}

NcColourWorker::~NcColourWorker()
{
    stop();
}

bool NcColourWorker::start(NcColourTable table, std::u16string text)
{
    if (m_runner.running())
        return false;
    m_cancel.store(false);
    m_progress.store(0);
    {
        std::lock_guard lock(m_resultMutex);
        m_result.reset();
    }
    return m_runner.start([this, table = std::move(table), text = std::move(text)] { run(table, text); });
}

void NcColourWorker::stop()
{
    cancel();
    // The search checks the flag between entries and every few thousand hits, so the
    // grace is only a bound; nothing is left to force.
    m_runner.finish(kJobStopGrace, {});
}

void NcColourWorker::run(const NcColourTable& table, const std::u16string& text)
{
    ColourRangeList ranges;
    const bool complete = colourWholeText(table, text, ranges, &m_cancel, &m_progress);
    if (complete) {
        std::lock_guard lock(m_resultMutex);
        m_result = std::move(ranges.ranges());
    }
    m_events.post(kMessageColouringFinished);
}

std::optional<std::vector<ColourRange>> NcColourWorker::takeResult()
{
    std::lock_guard lock(m_resultMutex);
    return std::exchange(m_result, std::nullopt);
}

// --- NcRenumberWorker --------------------------------------------------------------------

NcRenumberWorker::NcRenumberWorker(NcWorkerEvents& events)
    : m_events(events)
{
}

NcRenumberWorker::~NcRenumberWorker()
{
    stop();
}

bool NcRenumberWorker::start(RenumberRequest request, std::u16string text)
{
    if (m_runner.running())
        return false;
    m_cancel.store(false);
    m_progress.store(0);
    {
        std::lock_guard lock(m_resultMutex);
        m_result.reset();
    }
    return m_runner.start([this, request, text = std::move(text)] { run(request, text); });
}

void NcRenumberWorker::stop()
{
    cancel();
    m_runner.finish(kJobStopGrace, {});
}

void NcRenumberWorker::run(const RenumberRequest& request, const std::u16string& text)
{
    std::optional<RenumberResult> result = renumberNcText(text, request, &m_cancel, &m_progress);
    if (result) {
        std::lock_guard lock(m_resultMutex);
        m_result = std::move(result);
    }
    m_events.post(kMessageRenumberFinished);
}

std::optional<RenumberResult> NcRenumberWorker::takeResult()
{
    std::lock_guard lock(m_resultMutex);
    return std::exchange(m_result, std::nullopt);
}

} // namespace kvt
