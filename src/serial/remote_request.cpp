#include "serial/remote_request.h"

#include "common/code_page.h"

#include <algorithm>
#include <cctype>

namespace kvt {

namespace {

bool compiles(std::regex& target, std::string_view pattern)
{
    if (pattern.empty())
        return false;
    try {
        target = std::regex(std::string(pattern), std::regex::ECMAScript);
        return true;
    } catch (const std::regex_error&) {
        return false;
    }
}

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

ReceiveEndWatch::ReceiveEndWatch(std::string_view pattern)
    : m_valid(compiles(m_pattern, pattern))
{
}

bool ReceiveEndWatch::feed(char byte)
{
    if (!m_valid)
        return false;
    m_tail += byte;
    if (m_tail.size() > 2 * kTail)
        m_tail.erase(0, m_tail.size() - kTail);
    if (byte != '%' && byte != '\n' && byte != '\r')
        return false;
    return std::regex_search(m_tail, m_pattern);
}

RequestMatcher::RequestMatcher(std::string_view requestPattern)
    : m_valid(compiles(m_pattern, requestPattern))
{
}

std::optional<std::string> RequestMatcher::complete()
{
    std::optional<std::string> number;
    std::smatch match;
    if (m_valid && !m_tooLong && std::regex_search(m_text, match, m_pattern) && match.size() > 1 && match[1].matched)
        number = match[1].str();
    m_text.clear();
    m_tooLong = false;
    return number;
}

std::optional<std::string> RequestMatcher::feed(char byte)
{
    // Flow codes and NULs of the punch are no part of the program.
    if (byte == '\0' || (byte >= 0x11 && byte <= 0x14))
        return std::nullopt;
    if (m_text.size() >= kLongestRequest) {
        m_tooLong = true;
        m_text.erase(0, m_text.size() / 2); // keep looking for the closing '%' of the long text
    }
    m_text += byte;
    // "%...%": the second '%' with something between closes the program.
    if (byte == '%') {
        const auto first = m_text.find('%');
        if (first + 1 < m_text.size() - 1 && m_text.find_first_not_of("%\r\n ", first) != std::string::npos)
            return complete();
    }
    return std::nullopt;
}

std::optional<std::string> RequestMatcher::idle()
{
    if (m_text.empty())
        return std::nullopt;
    return complete();
}

std::filesystem::path findRequestedFile(const ControlProfile& profile, std::string_view number)
{
    std::string name = profile.fileNamePattern;
    const auto at = name.find("{n}");
    if (at == std::string::npos || number.empty())
        return {};
    name.replace(at, 3, number);
    // A name that tries to leave the folder is no program name.
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos || name == "." || name == "..")
        return {};
    for (const std::string& folderText : profile.folders) {
        if (folderText.empty())
            continue;
        const std::filesystem::path folder = pathFromUtf8(folderText);
        std::error_code ec;
        const std::filesystem::path exact = folder / pathFromUtf8(name);
        if (std::filesystem::is_regular_file(exact, ec))
            return exact;
        const std::string wanted = lower(name);
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            std::error_code fileError;
            if (entry.is_regular_file(fileError) && lower(pathToUtf8(entry.path().filename())) == wanted)
                return entry.path();
        }
    }
    return {};
}

} // namespace kvt
