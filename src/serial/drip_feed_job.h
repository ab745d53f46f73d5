#pragma once
// The drip-feed on a thread of its own: the transfer window starts it with the framed
// program, reads its progress on a timer, pauses, resumes or cancels it, and gets
// kMessageDripFeedFinished when it has ended (done, cancelled or the link dropped).

#include "serial/drip_feed.h"
#include "serial/serial_jobs.h"

#include <memory>
#include <string>
#include <vector>

namespace kvt {

class TextLookup;

inline constexpr int kMessageDripFeedFinished = 2120;

// What the feed's panel shows: the state, lines sent of all, the line the control is
// on, and the time left at the line rate ("h:mm:ss").
std::vector<std::string> dripFeedStatusLines(const DripFeedProgress& progress, const TextLookup& texts);
// The message when a feed has ended; the restart line is named after a cancel or a
// dropped link.
std::string dripFeedEndMessage(const DripFeedProgress& progress, std::size_t restartLine, const TextLookup& texts);

class DripFeedJob {
public:
    DripFeedJob(SerialPort& port, JobEvents& events);
    ~DripFeedJob();
    DripFeedJob(const DripFeedJob&) = delete;
    DripFeedJob& operator=(const DripFeedJob&) = delete;

    // False while a feed runs or when no thread could be made.
    bool start(ControlProfile profile, FramedProgram program, std::uint32_t bytesPerSecond);
    bool running() const { return m_runner.running(); }
    void pause();
    void resume();
    // Asks the feed to end; its message follows.
    void cancel();
    // Ends the feed (cancelling it) and its thread within the grace time.
    void stop();

    // The last feed's progress and the line to restart from after it (both zero before
    // the first feed).
    DripFeedProgress progress() const;
    std::size_t restartLine() const;
    const FramedProgram& program() const { return m_program; }
    const ControlProfile& profile() const { return m_profile; }

private:
    SerialPort& m_port;
    JobEvents& m_events;
    ControlProfile m_profile;
    FramedProgram m_program;
    std::unique_ptr<DripFeed> m_feed;
    JobRunner m_runner; // last: its thread ends before the members it uses go
};

} // namespace kvt
