// The language parts in lang/: every part the build lists has both languages, both hold
// the same ids, no id is given twice (the program would keep only one of the texts), and
// every part and the joined modules read as the program reads them. A module that does
// not read is refused whole, so one bad line would cost every text of the language.

#include "app/language_module.h"

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace kvt {
namespace {

const std::vector<std::string> kLanguages = {"de_de", "en_us"};

std::vector<std::string> listedParts()
{
    std::vector<std::string> parts;
    std::istringstream list(KVT_LANGUAGE_PARTS);
    for (std::string part; std::getline(list, part, ',');)
        parts.push_back(part);
    return parts;
}

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::filesystem::path partFile(const std::string& part, const std::string& language)
{
    return std::filesystem::path(KVT_LANGUAGE_FOLDER) / (part + "." + language + ".txt");
}

// The ids of a part in the order they are written, repeats kept.
std::vector<int> idsOf(const std::string& content)
{
    std::vector<int> ids;
    std::istringstream lines(content);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line.front() == '#')
            continue;
        int id = 0;
        std::from_chars(line.data(), line.data() + line.size(), id);
        ids.push_back(id);
    }
    return ids;
}

TEST(LanguageParts, TheBuildListsEveryPartInTheFolderAndEachHasBothLanguages)
{
    const std::vector<std::string> parts = listedParts();
    ASSERT_FALSE(parts.empty());
    std::set<std::string> expected;
    for (const std::string& part : parts) {
        for (const std::string& language : kLanguages) {
            EXPECT_TRUE(std::filesystem::is_regular_file(partFile(part, language)))
                << partFile(part, language) << " is missing";
            expected.insert(part + "." + language + ".txt");
        }
    }
    std::set<std::string> present;
    for (const auto& entry : std::filesystem::directory_iterator(KVT_LANGUAGE_FOLDER)) {
        if (entry.path().extension() == ".txt" && entry.path().filename() != "CMakeLists.txt")
            present.insert(entry.path().filename().string());
    }
    EXPECT_EQ(present, expected) << "a part in lang/ that lang/CMakeLists.txt does not list never reaches the program";
}

TEST(LanguageParts, EachPartReadsAsTheProgramReadsAModuleAndEndsWithALineBreak)
{
    for (const std::string& part : listedParts()) {
        for (const std::string& language : kLanguages) {
            const std::string content = readFile(partFile(part, language));
            SCOPED_TRACE(part + "." + language);
            EXPECT_TRUE(parseLanguageModule(content).has_value());
            // The parts are joined as they stand: without the line break the last line
            // of one part and the first of the next would run together.
            ASSERT_FALSE(content.empty());
            EXPECT_EQ(content.back(), '\n');
        }
    }
}

TEST(LanguageParts, BothLanguagesHoldTheSameIdsPartByPart)
{
    for (const std::string& part : listedParts()) {
        const std::vector<int> german = idsOf(readFile(partFile(part, "de_de")));
        const std::vector<int> english = idsOf(readFile(partFile(part, "en_us")));
        const std::set<int> germanIds(german.begin(), german.end());
        const std::set<int> englishIds(english.begin(), english.end());
        for (int id : germanIds)
            EXPECT_TRUE(englishIds.count(id)) << "id " << id << " of part " << part << " has no English text";
        for (int id : englishIds)
            EXPECT_TRUE(germanIds.count(id)) << "id " << id << " of part " << part << " has no German text";
    }
}

TEST(LanguageParts, NoIdIsGivenTwiceInAPartOrAcrossParts)
{
    for (const std::string& language : kLanguages) {
        std::map<int, std::string> firstPart;
        for (const std::string& part : listedParts()) {
            for (int id : idsOf(readFile(partFile(part, language)))) {
                const auto [where, inserted] = firstPart.emplace(id, part);
                EXPECT_TRUE(inserted) << "id " << id << " is in " << where->second << "." << language
                                      << " and again in " << part << "." << language;
            }
        }
    }
}

TEST(LanguageModules, TheJoinedModulesHoldEveryTextOfEveryPart)
{
    for (const std::string& language : kLanguages) {
        SCOPED_TRACE(language);
        std::size_t lines = 0;
        for (const std::string& part : listedParts())
            lines += idsOf(readFile(partFile(part, language))).size();
        const auto module = parseLanguageModule(
            readFile(std::filesystem::path(KVT_MODULE_FOLDER) / ("Kalvora_Tools_" + language + ".lang")));
        ASSERT_TRUE(module.has_value());
        EXPECT_EQ(module->size(), lines);
    }
}

} // namespace
} // namespace kvt
