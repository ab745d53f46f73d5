#pragma once
// What the control sends on its own: the end of a punched program, recognised by the
// profile's end-of-receive pattern so a receive ends without waiting for the line to
// fall silent, and a short request program asking for a program by its number, which
// is looked up in the folders of the machine's profile.

#include "serial/control_profile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <string_view>

namespace kvt {

// Looks for the end-of-receive pattern in the last bytes received. A match is looked
// for at each line end and '%', so the cost per byte stays flat.
class ReceiveEndWatch {
public:
    // An empty or broken pattern never matches.
    explicit ReceiveEndWatch(std::string_view pattern);
    bool valid() const { return m_valid; }
    // True once the bytes so far end a program.
    bool feed(char byte);
    void reset() { m_tail.clear(); }

private:
    static constexpr std::size_t kTail = 512;
    std::regex m_pattern;
    bool m_valid = false;
    std::string m_tail;
};

// Collects what the control sends while the program listens and tells when a request
// program is complete: after its closing '%', or when the caller saw the line fall
// silent. A text longer than a request is taken as no request.
class RequestMatcher {
public:
    static constexpr std::size_t kLongestRequest = 512; // bytes: a few lines

    explicit RequestMatcher(std::string_view requestPattern);
    bool valid() const { return m_valid; }
    // Takes one byte; a number when it completed a request program.
    std::optional<std::string> feed(char byte);
    // The line fell silent: a number when what came is a request.
    std::optional<std::string> idle();
    const std::string& text() const { return m_text; }

private:
    std::optional<std::string> complete();
    std::regex m_pattern;
    bool m_valid = false;
    std::string m_text;
    bool m_tooLong = false;
};

// The file for a requested number: the profile's name pattern with {n} replaced, in
// the first of its folders that holds it (the name compared without regard to case when
// no file has it exactly). Empty when none does.
std::filesystem::path findRequestedFile(const ControlProfile& profile, std::string_view number);

} // namespace kvt
