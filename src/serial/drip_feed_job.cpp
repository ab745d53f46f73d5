#include "serial/drip_feed_job.h"

#include "common/number_format.h"
#include "common/text_lookup.h"

#include <algorithm>
#include <cmath>

namespace kvt {

namespace {

std::string stateText(DripFeedState state, const TextLookup& texts)
{
    switch (state) {
    case DripFeedState::Preparing:
        return texts.text(94803, "*Vorbereitung");
    case DripFeedState::WaitingForStart:
        return texts.text(94804, "*Warte auf den Start der Steuerung");
    case DripFeedState::Sending:
        return texts.text(94805, "*Sendet");
    case DripFeedState::HeldByControl:
        return texts.text(94806, "*Von der Steuerung angehalten");
    case DripFeedState::Paused:
        return texts.text(94807, "*Pausiert");
    case DripFeedState::Finished:
        return texts.text(94808, "*Fertig");
    case DripFeedState::Cancelled:
        return texts.text(94809, "*Abgebrochen");
    case DripFeedState::LinkLost:
        return texts.text(94819, "*Verbindung unterbrochen");
    }
    return {};
}

} // namespace

std::vector<std::string> dripFeedStatusLines(const DripFeedProgress& p, const TextLookup& texts)
{
    // Whole seconds, rounded up so the last second shows as 0:00:01 until the end.
    const double left = std::isfinite(p.secondsLeft) ? std::clamp(std::ceil(p.secondsLeft), 0.0, 359'999.0) : 0.0;
    const auto seconds = static_cast<unsigned>(left);
    return {
        stateText(p.state, texts),
        cformat(texts.text(94800, "*Zeilen gesendet: %u von %u"), static_cast<unsigned>(p.linesSent),
            static_cast<unsigned>(p.totalLines)),
        cformat(texts.text(94801, "*Steuerung bei Zeile: %u"), static_cast<unsigned>(p.controlLine)),
        cformat(texts.text(94802, "*Restzeit: %u:%02u:%02u"), seconds / 3600, seconds / 60 % 60, seconds % 60),
    };
}

std::string dripFeedEndMessage(const DripFeedProgress& p, std::size_t restartLine, const TextLookup& texts)
{
    const auto line = static_cast<unsigned>(restartLine);
    switch (p.state) {
    case DripFeedState::Finished:
        return cformat(
            texts.text(94810, "*Drip-Feed beendet: %u Zeilen gesendet."), static_cast<unsigned>(p.linesSent));
    case DripFeedState::LinkLost:
        return cformat(texts.text(94812,
                           "*Die Verbindung zur Steuerung ist unterbrochen (Leitung getrennt oder DSR/CTS weg). "
                           "Neustart ab Zeile %u."),
            line);
    default:
        return cformat(texts.text(94811, "*Drip-Feed abgebrochen. Neustart ab Zeile %u."), line);
    }
}

DripFeedJob::DripFeedJob(SerialPort& port, JobEvents& events)
    : m_port(port)
    , m_events(events)
{
}

DripFeedJob::~DripFeedJob()
{
    stop();
}

bool DripFeedJob::start(ControlProfile profile, FramedProgram program, std::uint32_t bytesPerSecond)
{
    if (m_runner.running())
        return false;
    m_runner.finish(std::chrono::milliseconds(0), {}); // joins the thread of the feed before
    m_profile = std::move(profile);
    m_program = std::move(program);
    m_feed = std::make_unique<DripFeed>(m_port, m_profile, m_program, bytesPerSecond);
    return m_runner.start([this] {
        m_feed->run();
        m_events.post(kMessageDripFeedFinished);
    });
}

void DripFeedJob::pause()
{
    if (m_feed)
        m_feed->pause();
}

void DripFeedJob::resume()
{
    if (m_feed)
        m_feed->resume();
}

void DripFeedJob::cancel()
{
    if (m_feed && m_runner.running())
        m_feed->cancel();
}

void DripFeedJob::stop()
{
    cancel();
    // The feed ends at its next look round (at most 50 ms); a port call that hangs in a
    // driver is ended by cancelling the port once more.
    m_runner.finish(kJobStopGrace, [this] { m_port.cancel(); });
}

DripFeedProgress DripFeedJob::progress() const
{
    return m_feed ? m_feed->progress() : DripFeedProgress {};
}

std::size_t DripFeedJob::restartLine() const
{
    return m_feed ? m_feed->restartLine() : 0;
}

} // namespace kvt
