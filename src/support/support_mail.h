#pragma once
// The support mail composer's form: sender name and address, a free description of
// at most kDescriptionLimit characters, and the mailto link that hands the message to
// the user's mail program. Subject and body are percent-encoded as a whole, so an "&",
// "#", "%" or "?" in the description reaches the mail program as typed.

#include "common/message_boxes.h"
#include "common/text_lookup.h"

#include <optional>
#include <string>
#include <string_view>

namespace kvt {

// Characters the description may hold (its buffer of 2500 keeps one for the end).
inline constexpr int kDescriptionLimit = 2499;

// UTF-8 text with every byte outside A-Z a-z 0-9 "-._~" as %XX (upper-case hex) and
// every line break ("\r\n", "\n" or "\r") as "%0D%0A".
std::string percentEncode(std::string_view text);
// The inverse, for tests and for reading a link back: "%0D%0A" gives "\r\n".
std::string percentDecode(std::string_view text);

// Characters (code points) of a UTF-8 text.
int characterCount(std::string_view text);
// The text cut to at most `limit` characters, never inside a character.
std::string cutToCharacters(std::string_view text, int limit);

// "mailto:" + address + "?subject=" + subject + "&body=" + body, both encoded.
std::string mailtoLink(std::string_view address, std::string_view subject, std::string_view body);

class SupportMailForm {
public:
    SupportMailForm(const TextLookup& texts, std::string supportAddress);

    void setName(std::string name) { m_name = std::move(name); }
    void setAddress(std::string address) { m_address = std::move(address); }
    // Keeps at most kDescriptionLimit characters; true when the text had to be cut.
    bool setDescription(std::string description);

    const std::string& name() const { return m_name; }
    const std::string& address() const { return m_address; }
    const std::string& description() const { return m_description; }
    const std::string& supportAddress() const { return m_supportAddress; }

    // "*Zeichen übrig": 2499 minus the description's length.
    int remainingCharacters() const { return kDescriptionLimit - characterCount(m_description); }
    std::string remainingText() const;

    // The subject: the language's subject text and the build.
    std::string subject() const;
    // The body: sender name, sender address, a blank line, the description.
    std::string body() const;
    // What "*Kopieren" puts on the clipboard: support address, subject, blank line, body.
    std::string composedText() const;
    std::string link() const { return mailtoLink(m_supportAddress, subject(), body()); }

    // OK: the message for a missing name or address (the window beeps with it), or
    // nothing when the mail can be composed.
    std::optional<MessageBoxRequest> missingField() const;

private:
    const TextLookup& m_texts;
    std::string m_supportAddress;
    std::string m_name;
    std::string m_address;
    std::string m_description;
};

} // namespace kvt
