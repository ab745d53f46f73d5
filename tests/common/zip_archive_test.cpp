#include "common/zip_archive.h"

#include <gtest/gtest.h>

#include <string>

namespace kvt {
namespace {

TEST(ZipArchive, KeepsEntriesAndRefusesDamageAndBombs)
{
    std::string json;
    for (int i = 0; i < 200; ++i)
        json += "{\"type\": \"drill\", \"post-process\": {\"number\": " + std::to_string(i) + "}},";
    const std::string zip = writeZip({{"tools.json", json}, {"empty.txt", ""}});
    EXPECT_TRUE(looksLikeZip(zip));
    const ZipReadResult read = readZip(zip, 1 << 20);
    ASSERT_TRUE(read.ok) << read.reason;
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[0].name, "tools.json");
    EXPECT_EQ(read.entries[0].data, json);
    EXPECT_EQ(read.entries[1].data, "");
    EXPECT_LT(zip.size(), json.size() / 4);

    EXPECT_EQ(readZip(zip, json.size() - 1).reason, "the zip file unpacks to more than a tool library can hold");
    EXPECT_EQ(readZip(zip.substr(0, zip.size() - 1), 1 << 20).reason, "not a zip file (no central directory)");
    EXPECT_EQ(readZip("PK", 1 << 20).reason, "not a zip file");
    std::string flipped = zip;
    flipped[40] = static_cast<char>(flipped[40] ^ 0x55); // the first byte of the packed data
    EXPECT_FALSE(readZip(flipped, 1 << 20).ok);
    std::string encrypted = zip;
    const std::size_t directory = zip.find("PK\x01\x02");
    encrypted[directory + 8] = 1; // the encryption flag
    EXPECT_EQ(readZip(encrypted, 1 << 20).reason, "an encrypted zip entry");
}

} // namespace
} // namespace kvt
