// The support mail form: the link the mail program gets, the character count and the
// missing-field messages.

#include "support/support_mail.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kvt {
namespace {

// The value of one query field of a mailto link, still encoded.
std::string field(const std::string& link, const std::string& name)
{
    const std::size_t query = link.find('?');
    std::size_t start = link.find(name + "=", query);
    if (start == std::string::npos)
        return "<missing>";
    start += name.size() + 1;
    const std::size_t end = link.find('&', start);
    return link.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

TEST(PercentEncode, EncodesEverythingButThePlainCharacters)
{
    struct Case {
        const char* text;
        const char* encoded;
    };
    const Case cases[] = {
        {"abc-XYZ_0.9~", "abc-XYZ_0.9~"},
        {"a&b", "a%26b"},
        {"#1", "%231"},
        {"50%", "50%25"},
        {"why?", "why%3F"},
        {"a b+c=d", "a%20b%2Bc%3Dd"},
        {"Größe", "Gr%C3%B6%C3%9Fe"},
        {"one\ntwo", "one%0D%0Atwo"},
        {"one\r\ntwo", "one%0D%0Atwo"},
        {"one\rtwo", "one%0D%0Atwo"},
        {"\n\n", "%0D%0A%0D%0A"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(percentEncode(c.text), c.encoded) << c.text;
}

TEST(MailtoLink, ADescriptionWithSpecialCharactersDecodesBackUnchanged)
{
    const BuiltinTexts texts;
    SupportMailForm form(texts, "support@example");
    form.setName("Jürgen Maß");
    form.setAddress("j.mass+kvt@example");
    const std::string description = "Fehler & Absturz #3?\r\n100% sicher: a=b;\r\nÄÖÜ äöü ß €";
    form.setDescription(description);

    const std::string link = form.link();
    EXPECT_EQ(link.rfind("mailto:support@example?subject=", 0), 0u) << link;
    // Exactly two fields: nothing in the text may open a third or end the link early.
    EXPECT_EQ(std::count(link.begin(), link.end(), '&'), 1);
    EXPECT_EQ(link.find('#'), std::string::npos);
    EXPECT_EQ(std::count(link.begin(), link.end(), '?'), 1);
    EXPECT_EQ(percentDecode(field(link, "subject")), "*Kalvora Tools Support Anfrage Build 9700");
    EXPECT_EQ(percentDecode(field(link, "body")), "Jürgen Maß\r\nj.mass+kvt@example\r\n\r\n" + description);
}

TEST(MailtoLink, SubjectUsesTheLanguageTextAndTheBuild)
{
    EXPECT_EQ(mailtoLink("a@b", "S 1", "x\ny"), "mailto:a@b?subject=S%201&body=x%0D%0Ay");
    EXPECT_EQ(mailtoLink("", "S", ""), "mailto:?subject=S&body=");
    EXPECT_EQ(mailtoLink("a b@c", "S", ""), "mailto:a%20b@c?subject=S&body=");
}

TEST(SupportMailForm, CountsDownFrom2499AndCutsLongerTexts)
{
    const BuiltinTexts texts;
    SupportMailForm form(texts, "");
    EXPECT_EQ(form.remainingCharacters(), 2499);
    EXPECT_EQ(form.remainingText(), "2499");
    EXPECT_FALSE(form.setDescription("ä"));
    EXPECT_EQ(form.remainingText(), "2498"); // a character, not its two bytes
    EXPECT_FALSE(form.setDescription(std::string(2499, 'x')));
    EXPECT_EQ(form.remainingText(), "0");
    EXPECT_TRUE(form.setDescription(std::string(2498, 'x') + "äö"));
    EXPECT_EQ(form.description(), std::string(2498, 'x') + "ä");
    EXPECT_EQ(form.remainingText(), "0");
}

TEST(SupportMailForm, AsksForTheNameFirstThenTheAddress)
{
    const BuiltinTexts texts;
    SupportMailForm form(texts, "s@x");
    ASSERT_TRUE(form.missingField());
    EXPECT_EQ(form.missingField()->text, "*Bitte Absender-Namen angeben!");
    EXPECT_EQ(form.missingField()->caption, "*Fehler");
    form.setName("N");
    ASSERT_TRUE(form.missingField());
    EXPECT_EQ(form.missingField()->text, "*Bitte Absender-Email-Adresse angeben!");
    form.setAddress("a@x");
    EXPECT_FALSE(form.missingField());
    form.setDescription("D");
    EXPECT_EQ(form.composedText(), "s@x\n*Kalvora Tools Support Anfrage Build 9700\n\nN\na@x\n\nD");
}

} // namespace
} // namespace kvt
