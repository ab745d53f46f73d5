#include "serial/request_listener.h"

#include "serial/remote_request.h"

#include <fstream>
#include <iterator>
#include <utility>

namespace kvt {

namespace {

constexpr std::uint32_t kReadWaitMs = 50;
constexpr std::uintmax_t kLargestAnswer = 1024ull * 1024 * 1024;

} // namespace

RequestListener::RequestListener(SerialPort& port, JobEvents& events)
    : m_port(port)
    , m_events(events)
{
}

RequestListener::~RequestListener()
{
    stop();
}

bool RequestListener::start(ControlProfile profile, std::uint32_t bytesPerSecond)
{
    if (m_runner.running())
        return false;
    m_runner.finish(std::chrono::milliseconds(0), {});
    m_profile = std::move(profile);
    m_rate = bytesPerSecond;
    m_go.set();
    return m_runner.start([this] { run(); });
}

void RequestListener::stop()
{
    m_go.clear();
    {
        std::lock_guard lock(m_mutex);
        if (m_answer)
            m_answer->cancel();
    }
    m_runner.finish(kJobStopGrace, [this] { m_port.cancel(); });
    m_port.clearCancel();
}

std::vector<RequestEvent> RequestListener::takeEvents()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_queue, {});
}

std::optional<std::uint64_t> RequestListener::answerBytes()
{
    std::lock_guard lock(m_mutex);
    if (!m_answer)
        return std::nullopt;
    return m_answer->progress().bytesSent;
}

void RequestListener::push(RequestEvent event)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(event));
    }
    m_events.post(kMessageRequestEvent);
}

void RequestListener::run()
{
    RequestMatcher matcher(m_profile.requestPattern);
    auto lastByte = std::chrono::steady_clock::now();
    while (m_go.isSet()) {
        PortTimeouts wait;
        wait.readTotalConstant = kReadWaitMs;
        m_port.setTimeouts(wait);
        std::uint8_t byte = 0;
        const ReadResult r = m_port.readByte(byte);
        std::optional<std::string> number;
        if (r == ReadResult::Byte) {
            lastByte = std::chrono::steady_clock::now();
            number = matcher.feed(static_cast<char>(byte));
        } else if (r == ReadResult::Empty) {
            if (!matcher.text().empty() && std::chrono::steady_clock::now() - lastByte >= kSilence)
                number = matcher.idle();
        } else {
            if (m_go.isSet())
                push({RequestEvent::Kind::LinkLost, {}, {}, 0});
            break;
        }
        if (number)
            answer(*number);
    }
}

void RequestListener::answer(const std::string& number)
{
    const std::filesystem::path file = findRequestedFile(m_profile, number);
    if (file.empty()) {
        push({RequestEvent::Kind::Unknown, number, {}, 0});
        return; // an unknown program gets no answer at all
    }
    push({RequestEvent::Kind::Asked, number, file, 0});
    std::error_code ec;
    std::ifstream in(file, std::ios::binary);
    std::string text;
    if (in && std::filesystem::file_size(file, ec) <= kLargestAnswer && !ec)
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (text.empty()) {
        push({RequestEvent::Kind::Broken, number, file, 0});
        return;
    }
    // The control needs a moment to switch from punching to reading.
    if (!m_go.sleepWhileSet(std::chrono::milliseconds(m_profile.requestDelayMs)))
        return;
    ControlProfile profile = m_profile;
    // A plain send: the driver's flow control and larger pieces. Not for a control that
    // starts with DC1: a driver doing XON/XOFF would swallow the DC1, and the answer
    // would wait for it for ever.
    if (!profile.requestDripFeed && profile.start != StartCondition::WaitXon)
        profile.flow = FlowMode::Driver;
    const FramedProgram program = frameProgram(profile, text, file.stem().string());
    DripFeed feed(m_port, profile, program, m_rate);
    {
        std::lock_guard lock(m_mutex);
        m_answer = &feed;
    }
    const DripFeedProgress end = feed.run();
    {
        std::lock_guard lock(m_mutex);
        m_answer = nullptr;
    }
    const RequestEvent::Kind kind = end.state == DripFeedState::Finished ? RequestEvent::Kind::Sent
        : end.state == DripFeedState::LinkLost                           ? RequestEvent::Kind::LinkLost
                                                                         : RequestEvent::Kind::Broken;
    push({kind, number, file, end.bytesSent});
}

} // namespace kvt
