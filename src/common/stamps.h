#pragma once
// Date and time stamps for report headers, report file names and backups. German
// (language code 49) puts the day first, English (44) the year first; the two stamps
// with a time treat code 0 (no language chosen yet) like English. Any other code gives
// an empty stamp.

#include "common/clock.h"
#include "common/language_codes.h"

#include <string>
#include <string_view>

namespace kvt {

std::string dateStamp(int languageCode, const LocalDateTime& time); // "07.03.2025 " / "2025.03.07 "
std::string dateTimeStamp(int languageCode, const LocalDateTime& time); // "07.03.2025_14:05"
std::string dateTimeSecondsStamp(int languageCode, const LocalDateTime& time); // "07.03.2025_14:05:09"

inline std::string dateStamp(int languageCode, const Clock& clock)
{
    return dateStamp(languageCode, clock.localTime());
}
inline std::string dateTimeStamp(int languageCode, const Clock& clock)
{
    return dateTimeStamp(languageCode, clock.localTime());
}
inline std::string dateTimeSecondsStamp(int languageCode, const Clock& clock)
{
    return dateTimeSecondsStamp(languageCode, clock.localTime());
}

// A stamp made fit for a file name: points and colons become blanks, then all blanks
// go ("07.03.2025_14:05:09" gives "07032025_140509").
std::string compactStamp(std::string_view stamp);

} // namespace kvt
