#pragma once
// Test runs under a German desktop locale. ctest starts the test programs whose texts
// show numbers a second time with LANG and LC_ALL set to de_DE.UTF-8, LOCPATH at a German
// locale made for the run (so that it never depends on the locales a machine has
// installed) and KVT_TEST_GERMAN_LOCALE=1. Such a run takes its locale from the
// environment as QApplication does, and fails, never skips, when the C library does not
// then write a decimal comma: a German run that fell back to "C" would prove nothing.
//
// Include this header once in every test program that ctest runs under the German locale.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace kvt::test {

inline bool germanLocaleRun()
{
    const char* value = std::getenv("KVT_TEST_GERMAN_LOCALE");
    return value && std::string_view(value) == "1";
}

// What printf writes for 1.5 in the locale in force: "1.5" in "C", "1,5" in German.
inline std::string printfOneAndAHalf()
{
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    return text;
}

class GermanLocaleEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!germanLocaleRun())
            return;
        std::setlocale(LC_ALL, "");
        const char* locpath = std::getenv("LOCPATH");
        ASSERT_EQ(printfOneAndAHalf(), "1,5")
            << "the German run got no German locale (LC_ALL=" << (std::getenv("LC_ALL") ? std::getenv("LC_ALL") : "")
            << ", LOCPATH=" << (locpath ? locpath : "") << ")";
    }
};

inline ::testing::Environment* const g_germanLocaleEnvironment
    = ::testing::AddGlobalTestEnvironment(new GermanLocaleEnvironment);

// Puts LC_NUMERIC back as it was, for a test that switches it (to compare with printf in
// "C", say), so that the tests after it in a German run still run German.
class NumericLocaleRestorer {
public:
    NumericLocaleRestorer()
    {
        const char* current = std::setlocale(LC_NUMERIC, nullptr);
        m_saved = current ? current : "C";
    }
    ~NumericLocaleRestorer() { std::setlocale(LC_NUMERIC, m_saved.c_str()); }
    NumericLocaleRestorer(const NumericLocaleRestorer&) = delete;
    NumericLocaleRestorer& operator=(const NumericLocaleRestorer&) = delete;

private:
    std::string m_saved;
};

} // namespace kvt::test
