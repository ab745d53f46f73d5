#include "support/support_mail.h"

#include "common/number_format.h"
#include "support/update_check.h"

namespace kvt {

namespace {

bool unreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool continuationByte(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The address goes into the link's path, where "@" belongs to it; everything else
// outside the plain characters is encoded like the query.
std::string encodeAddress(std::string_view address)
{
    std::string result;
    std::size_t start = 0;
    for (std::size_t at = address.find('@'); at != std::string_view::npos; at = address.find('@', start)) {
        result += percentEncode(address.substr(start, at - start)) + "@";
        start = at + 1;
    }
    return result + percentEncode(address.substr(start));
}

} // namespace

std::string percentEncode(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r' || c == '\n') {
            result += "%0D%0A";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (unreserved(c)) {
            result += static_cast<char>(c);
        } else {
            result += '%';
            result += kHex[c >> 4];
            result += kHex[c & 0x0F];
        }
    }
    return result;
}

std::string percentDecode(std::string_view text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            result += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            result += text[i];
        }
    }
    return result;
}

int characterCount(std::string_view text)
{
    int count = 0;
    for (char c : text) {
        if (!continuationByte(static_cast<unsigned char>(c)))
            ++count;
    }
    return count;
}

std::string cutToCharacters(std::string_view text, int limit)
{
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!continuationByte(static_cast<unsigned char>(text[i]))) {
            if (count == limit)
                return std::string(text.substr(0, i));
            ++count;
        }
    }
    return std::string(text);
}

std::string mailtoLink(std::string_view address, std::string_view subject, std::string_view body)
{
    return "mailto:" + encodeAddress(address) + "?subject=" + percentEncode(subject) + "&body=" + percentEncode(body);
}

SupportMailForm::SupportMailForm(const TextLookup& texts, std::string supportAddress)
    : m_texts(texts)
    , m_supportAddress(std::move(supportAddress))
{
}

bool SupportMailForm::setDescription(std::string description)
{
    if (characterCount(description) <= kDescriptionLimit) {
        m_description = std::move(description);
        return false;
    }
    m_description = cutToCharacters(description, kDescriptionLimit);
    return true;
}

std::string SupportMailForm::remainingText() const
{
    return cformat("%i", remainingCharacters());
}

std::string SupportMailForm::subject() const
{
    return m_texts.text(67420, "*Kalvora Tools Support Anfrage") + " Build " + cformat("%i", kBuildNumber);
}

std::string SupportMailForm::body() const
{
    return m_name + "\n" + m_address + "\n\n" + m_description;
}

std::string SupportMailForm::composedText() const
{
    return m_supportAddress + "\n" + subject() + "\n\n" + body();
}

std::optional<MessageBoxRequest> SupportMailForm::missingField() const
{
    if (m_name.empty())
        return MessageBoxRequest {
            m_texts.text(67426, "*Bitte Absender-Namen angeben!"), m_texts.text(65470, "*Fehler"), MessageIcon::Error};
    if (m_address.empty())
        return MessageBoxRequest {m_texts.text(67427, "*Bitte Absender-Email-Adresse angeben!"),
            m_texts.text(65470, "*Fehler"), MessageIcon::Error};
    return std::nullopt;
}

} // namespace kvt
