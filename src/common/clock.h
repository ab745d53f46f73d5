#pragma once
// The clock behind every stamp and file age, behind an interface so that tests can fix
// the time.

#include <filesystem>

namespace kvt {

struct LocalDateTime {
    int year = 0; // four digits
    int month = 0; // 1 to 12
    int day = 0; // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime localTime() const = 0;
    // "Now" on the clock of file modification times, for the age of old reports.
    virtual std::filesystem::file_time_type fileTimeNow() const = 0;
};

class SystemClock final : public Clock {
public:
    LocalDateTime localTime() const override;
    std::filesystem::file_time_type fileTimeNow() const override;
};

// A clock that stands still; tests and previews use it.
class FixedClock final : public Clock {
public:
    explicit FixedClock(LocalDateTime local = {}, std::filesystem::file_time_type fileNow = {})
        : m_local(local)
        , m_fileNow(fileNow)
    {
    }
    LocalDateTime localTime() const override { return m_local; }
    std::filesystem::file_time_type fileTimeNow() const override { return m_fileNow; }
    void setLocalTime(const LocalDateTime& local) { m_local = local; }
    void setFileTimeNow(std::filesystem::file_time_type now) { m_fileNow = now; }

private:
    LocalDateTime m_local;
    std::filesystem::file_time_type m_fileNow;
};

} // namespace kvt
