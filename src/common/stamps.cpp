#include "common/stamps.h"

#include "common/number_format.h"

namespace kvt {

namespace {

bool englishForm(int languageCode)
{
    return languageCode == kLanguageEnglish || languageCode == 0;
}

} // namespace

std::string dateStamp(int languageCode, const LocalDateTime& t)
{
    if (languageCode == kLanguageGerman)
        return cformat("%02d.%02d.%d ", t.day, t.month, t.year);
    if (languageCode == kLanguageEnglish)
        return cformat("%02d.%02d.%02d ", t.year, t.month, t.day);
    return {};
}

std::string dateTimeStamp(int languageCode, const LocalDateTime& t)
{
    if (languageCode == kLanguageGerman)
        return cformat("%02d.%02d.%d_%02d:%02d", t.day, t.month, t.year, t.hour, t.minute);
    if (englishForm(languageCode))
        return cformat("%02d.%02d.%02d_%02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    return {};
}

std::string dateTimeSecondsStamp(int languageCode, const LocalDateTime& t)
{
    if (languageCode == kLanguageGerman)
        return cformat("%02d.%02d.%d_%02d:%02d:%02d", t.day, t.month, t.year, t.hour, t.minute, t.second);
    if (englishForm(languageCode))
        return cformat("%02d.%02d.%02d_%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return {};
}

std::string compactStamp(std::string_view stamp)
{
    std::string out;
    for (char c : stamp.substr(0, 256)) {
        if (c != '.' && c != ':' && c != ' ')
            out += c;
    }
    return out;
}

} // namespace kvt
