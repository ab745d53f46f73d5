// The DXF writer: the exact header, the entity forms, the version and unit tables, the
// C-locale numbers and the file written through a temporary file.

#include "design/dxf/dxf_writer.h"
#include "design/dxf_reader.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kvt {
namespace {

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TempFolder {
public:
    TempFolder()
    {
        m_path = std::filesystem::temp_directory_path()
            / ("kvt_dxf_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() { std::filesystem::remove_all(m_path); }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

TEST(DxfWriter, MillimetreHeaderIsEighteenLinesThenTrailer)
{
    DxfWriter dxf;
    dxf.begin(1, 0);
    EXPECT_EQ(dxf.text(),
        "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n9\n$INSUNITS\n70\n4\n0\nENDSEC\n0\nSECTION\n2\n"
        "ENTITIES\n");
    dxf.end();
    EXPECT_EQ(dxf.text().substr(dxf.text().size() - 15), "0\nENDSEC\n0\nEOF\n");
}

TEST(DxfWriter, BeginStartsTheTextAnew)
{
    DxfWriter dxf;
    dxf.begin(1, 0);
    dxf.circle(1, 2, 3);
    dxf.begin(1, 1);
    EXPECT_EQ(dxf.text().find("CIRCLE"), std::string::npos);
    EXPECT_NE(dxf.text().find("$INSUNITS\n70\n1\n"), std::string::npos);
}

TEST(DxfWriter, VersionTable)
{
    const std::pair<int, const char*> cases[] = {{0, ""}, {1, "AC1009"}, {2, "AC1012"}, {3, "AC1014"}, {4, "AC1015"},
        {5, "AC1018"}, {6, "AC1021"}, {7, "AC1024"}, {8, "AC1027"}, {9, "AC1032"}, {10, "AC1033"}, {11, ""}, {-1, ""}};
    for (const auto& [code, name] : cases)
        EXPECT_EQ(dxfVersionName(code), name) << code;
}

TEST(DxfWriter, UnitTable)
{
    EXPECT_EQ(dxfInsUnits(0), 4);
    EXPECT_EQ(dxfInsUnits(1), 1);
    EXPECT_EQ(dxfInsUnits(2), 0);
    EXPECT_EQ(dxfInsUnits(-1), 0);
}

TEST(DxfWriter, CircleIsTenLinesOnCircleLayer)
{
    DxfWriter dxf;
    dxf.circle(-50.0, 0.0004, 5.00051);
    EXPECT_EQ(dxf.text(), "0\nCIRCLE\n8\nCircleLayer\n10\n-50.000\n20\n0.000\n40\n5.001\n");
}

TEST(DxfWriter, LineIsSixteenLinesWithZeroHeights)
{
    DxfWriter dxf;
    dxf.line(50, 50, 50, -50);
    EXPECT_EQ(dxf.text(), "0\nLINE\n8\n0\n10\n50.000\n20\n50.000\n30\n0.000\n11\n50.000\n21\n-50.000\n31\n0.000\n");
}

TEST(DxfWriter, NumbersKeepTheirPointOnAGermanDesktop)
{
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale installed";
    DxfWriter dxf;
    dxf.circle(1.5, -2.25, 0.125);
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ(dxf.text(), "0\nCIRCLE\n8\nCircleLayer\n10\n1.500\n20\n-2.250\n40\n0.125\n");
}

TEST(DxfWriter, ReadsBackWithEveryEntity)
{
    DxfWriter dxf;
    dxf.begin(1, 1);
    dxf.circle(0, 0, 10);
    dxf.line(-1, -2, 3, 4);
    dxf.end();
    std::string error;
    const test::DxfDocument doc = test::readDxf(dxf.text(), error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(doc.version, "AC1009");
    EXPECT_EQ(doc.insUnits, "1");
    ASSERT_EQ(doc.entities.size(), 2u);
    EXPECT_EQ(doc.entities[0].summary(), "CIRCLE CircleLayer 0.000 0.000 10.000");
    EXPECT_EQ(doc.entities[1].summary(), "LINE 0 -1.000 -2.000 0.000 3.000 4.000 0.000");
}

TEST(SaveDxfFile, WritesTheBytesAndLeavesNoTemporaryFile)
{
    TempFolder folder;
    const auto target = folder.path() / "flange.dxf";
    {
        std::ofstream old(target, std::ios::binary);
        old << "an older, longer drawing that must be replaced as a whole";
    }
    const DxfSaveResult result = SaveDxfFile(target, "0\nEOF\n");
    EXPECT_TRUE(result.written);
    EXPECT_EQ(readFile(target), "0\nEOF\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(SaveDxfFile, EmptyPathWritesNothing)
{
    const DxfSaveResult result = SaveDxfFile({}, "0\nEOF\n");
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.error, "");
}

TEST(SaveDxfFile, MissingFolderIsAnErrorAndTheOldFileStays)
{
    TempFolder folder;
    const DxfSaveResult missing = SaveDxfFile(folder.path() / "no such folder" / "f.dxf", "0\nEOF\n");
    EXPECT_FALSE(missing.written);
    EXPECT_NE(missing.error, "");

    // A folder where the file should be cannot be replaced either.
    const auto blocked = folder.path() / "blocked.dxf";
    std::filesystem::create_directory(blocked);
    std::ofstream(blocked / "inside") << "kept";
    EXPECT_FALSE(SaveDxfFile(blocked, "0\nEOF\n").written);
    EXPECT_EQ(readFile(blocked / "inside"), "kept");
}

TEST(SaveDxfFile, WritesTheEightBitCodePage)
{
    TempFolder folder;
    const auto target = folder.path() / "umlaut.dxf";
    ASSERT_TRUE(SaveDxfFile(target, "999\nMa\xc3\x9f\n").written);
    EXPECT_EQ(readFile(target), "999\nMa\xdf\n");
}

} // namespace
} // namespace kvt
