#pragma once
// Listening for the control: while it runs, a short request program from the control
// ("(PRG=1234)" or "(O1234)") is answered with the program file of that number from
// the folders of the machine's profile, after the profile's delay and its start
// condition; a number without a file gets no answer. What happens is queued as events
// for the window's log.

#include "serial/drip_feed.h"
#include "serial/serial_jobs.h"

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kvt {

inline constexpr int kMessageRequestEvent = 2121;

struct RequestEvent {
    enum class Kind : std::uint8_t { Asked, Unknown, Sent, Broken, LinkLost };
    Kind kind = Kind::Asked;
    std::string number;
    std::filesystem::path file;
    std::uint64_t bytes = 0;
};

class RequestListener {
public:
    // How long the line must be silent before a request without a closing '%' counts.
    static constexpr std::chrono::milliseconds kSilence {300};

    RequestListener(SerialPort& port, JobEvents& events);
    ~RequestListener();
    RequestListener(const RequestListener&) = delete;
    RequestListener& operator=(const RequestListener&) = delete;

    bool start(ControlProfile profile, std::uint32_t bytesPerSecond);
    void stop(); // ends an answer under way too
    bool running() const { return m_runner.running(); }
    std::vector<RequestEvent> takeEvents();
    // The bytes of the answer going out now, handed to the port so far; nullopt while
    // no answer runs. From any thread.
    std::optional<std::uint64_t> answerBytes();

private:
    void run();
    void answer(const std::string& number);
    void push(RequestEvent event);

    SerialPort& m_port;
    JobEvents& m_events;
    ControlProfile m_profile;
    std::uint32_t m_rate = 1;
    LoopFlag m_go;
    std::mutex m_mutex;
    std::vector<RequestEvent> m_queue;
    DripFeed* m_answer = nullptr; // the answer under way, under m_mutex
    JobRunner m_runner; // last: its thread ends before the members it uses go
};

} // namespace kvt
