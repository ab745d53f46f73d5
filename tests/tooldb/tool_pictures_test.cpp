#include "tooldb/tool_export_file.h"
#include "tooldb/tool_pictures.h"
#include "tooldb/tool_table.h"
#include "tooldb_test_support.h"

#include "common/text_lookup.h"

#include <gtest/gtest.h>

namespace kvt {
namespace {

using test::newMachine;
using test::readBytes;
using test::sampleTool;
using test::writeBytes;

std::u16string u16(const std::filesystem::path& path)
{
    return utf8ToUtf16(pathToUtf8(path));
}

std::u16string storedPicture(const MachineRecord& machine, std::size_t slot)
{
    return std::u16string(toolText(loadTool(machine, slot), ToolField::PicturePath));
}

void setPicture(MachineRecord& machine, std::size_t slot, std::u16string_view path)
{
    ToolRecord tool = loadTool(machine, slot);
    if (!hasNcData(tool))
        tool = sampleTool(static_cast<int>(slot) + 1);
    setToolText(tool, ToolField::PicturePath, path);
    storeTool(machine, slot, tool);
}

TEST(PictureFolder, MachineFoldersAndTheirPath)
{
    const std::pair<int, const char*> names[]
        = {{0, "Machine00"}, {3, "Machine03"}, {9, "Machine09"}, {10, "Machine00"}, {-1, "Machine00"}};
    for (const auto& [machine, name] : names)
        EXPECT_EQ(machineFolderName(machine), name) << machine;
    EXPECT_EQ(pathToUtf8(pictureFolder("/data/Venmark/Kalvora Tools", 3)),
        "/data/Venmark/Kalvora Tools/ToolsDatabase/Machine03/");
}

TEST(PictureFolder, FileNameOfAPathAndTheNamesACopyMayUse)
{
    struct Case {
        std::u16string path;
        std::u16string_view fileName;
        std::optional<std::u16string> copyName;
    };
    const std::u16string deep = u"C:\\" + std::u16string(300, u'd') + u"\\late.png";
    const Case cases[] = {
        {u"C:\\ProgramData\\Venmark\\a.png", u"a.png", u"a.png"},
        {u"/home/m/pics/b.png", u"b.png", u"b.png"},
        {u"plain.png", u"plain.png", u"plain.png"},
        {u"..\\..\\..\\evil.png", u"evil.png", u"evil.png"},
        {u"pics/../../evil.png", u"evil.png", u"evil.png"},
        {u"C:\\pics\\", u"", std::nullopt},
        {u"", u"", std::nullopt},
        {u"..", u"..", std::nullopt},
        {u"pics\\..", u"..", std::nullopt},
        {u"pics/.", u".", std::nullopt},
        {u"C:evil.png", u"C:evil.png", std::nullopt},
        // Only the first 256 characters count: the last backslash within them is the one after "C:".
        {deep, std::u16string_view(deep).substr(3, 253), std::u16string(253, u'd')},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fileNameOfPath(c.path), c.fileName) << utf16ToUtf8(c.path);
        EXPECT_EQ(pictureFileName(c.path), c.copyName) << utf16ToUtf8(c.path);
    }
}

TEST(PictureFolder, MachineDigitOfADatabasePath)
{
    struct Case {
        std::u16string path;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {u"C:\\ProgramData\\Venmark\\Kalvora Tools\\ToolsDatabase\\Machine03\\a.png",
            u"C:\\ProgramData\\Venmark\\Kalvora Tools\\ToolsDatabase\\Machine05\\a.png"},
        {u"/data/ToolsDatabase/Machine09/a.png", u"/data/ToolsDatabase/Machine05/a.png"},
        // A "Machine" that is no database folder stays as it is.
        {u"D:\\MachineShop\\a.png", u"D:\\MachineShop\\a.png"},
        {u"D:\\Machine1\\a.png", u"D:\\Machine1\\a.png"},
        {u"D:\\Machine123\\a.png", u"D:\\Machine123\\a.png"},
        {u"a_Machine03.png", u"a_Machine03.png"},
        {u"D:\\MachineShop\\ToolsDatabase\\Machine01\\a.png", u"D:\\MachineShop\\ToolsDatabase\\Machine05\\a.png"},
    };
    for (const Case& c : cases) {
        std::u16string path = c.path;
        EXPECT_EQ(setPictureMachineDigit(path, 5), c.path != c.expected) << utf16ToUtf8(c.path);
        EXPECT_EQ(path, c.expected);
    }
}

class PictureCopyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(pictures);
        std::filesystem::create_directories(exportFolder);
    }

    test::TempFolder root;
    const std::filesystem::path pictures = root / "pictures";
    const std::filesystem::path exportFolder = root / "export";
    const std::filesystem::path exportFile = exportFolder / "table.kvwz";
    const std::filesystem::path dataDirectory = root / "data";
    BuiltinTexts texts;
    test::ScriptedMessageBoxes boxes;
};

TEST_F(PictureCopyTest, ExportCopiesEachPictureBesideTheFile)
{
    writeBytes(pictures / "a.png", "picture a");
    writeBytes(pictures / "b.png", "picture b");
    auto machine = newMachine();
    setPicture(*machine, 0, u16(pictures / "a.png"));
    setPicture(*machine, 1, u16(pictures / "b.png"));
    setPicture(*machine, 5, u16(pictures / "a.png")); // shared by two tools
    writeBytes(exportFolder / "b.png", "an older b");

    const PictureCopyResult result = copyPicturesToExportFolder(*machine, 0, exportFile, dataDirectory, boxes, texts);

    EXPECT_FALSE(result.aborted);
    EXPECT_EQ(result.copied, 2u);
    EXPECT_TRUE(result.problems.empty());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(readBytes(exportFolder / "a.png"), "picture a");
    EXPECT_EQ(readBytes(exportFolder / "b.png"), "picture b");
    EXPECT_EQ(pictureCopyMessage(texts, result), "");
}

TEST_F(PictureCopyTest, MissingPictureOnExportAsksAndNoEndsTheCopying)
{
    writeBytes(pictures / "c.png", "picture c");
    auto machine = newMachine();
    const std::u16string missing = u16(pictures / "gone.png");
    setPicture(*machine, 0, missing);
    setPicture(*machine, 1, u16(pictures / "c.png"));

    boxes.answers = {MessageAnswer::No};
    const PictureCopyResult stopped = copyPicturesToExportFolder(*machine, 0, exportFile, dataDirectory, boxes, texts);
    EXPECT_TRUE(stopped.aborted);
    EXPECT_FALSE(std::filesystem::exists(exportFolder / "c.png"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
        utf16ToUtf8(missing)
            + "\n\n*Bild Datei nicht vórhanden.\n >Ja< für Fortfahren, oder >Nein< um den Export abzubrechen");
    EXPECT_EQ(boxes.shown[0].caption, "*Frage");
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::YesNo);

    boxes.answers = {MessageAnswer::Yes};
    const PictureCopyResult goneOn = copyPicturesToExportFolder(*machine, 0, exportFile, dataDirectory, boxes, texts);
    EXPECT_FALSE(goneOn.aborted);
    EXPECT_EQ(goneOn.missing, 1u);
    EXPECT_EQ(goneOn.copied, 1u);
    EXPECT_EQ(readBytes(exportFolder / "c.png"), "picture c");
}

TEST_F(PictureCopyTest, ExportKeepsTheFirstOfTwoPicturesWithTheSameNameAndSaysSo)
{
    std::filesystem::create_directories(pictures / "x");
    writeBytes(pictures / "a.png", "first a");
    writeBytes(pictures / "x" / "a.png", "second a");
    auto machine = newMachine();
    setPicture(*machine, 0, u16(pictures / "a.png"));
    setPicture(*machine, 1, u16(pictures / "x" / "a.png"));

    const PictureCopyResult result = copyPicturesToExportFolder(*machine, 0, exportFile, dataDirectory, boxes, texts);

    EXPECT_EQ(readBytes(exportFolder / "a.png"), "first a");
    EXPECT_EQ(pictureCopyMessage(texts, result),
        "*Ein anderes Bild mit gleichem Dateinamen wurde schon kopiert: " + pathToUtf8(pictures / "x" / "a.png"));
}

TEST_F(PictureCopyTest, ImportCopiesIntoTheMachineFolderAndSetsItsDigit)
{
    writeBytes(exportFolder / "a.png", "picture a");
    auto machine = newMachine();
    setPicture(*machine, 0, u"C:\\ProgramData\\Venmark\\Kalvora Tools\\ToolsDatabase\\Machine03\\a.png");
    setPicture(*machine, 1, u"C:\\ProgramData\\Venmark\\Kalvora Tools\\ToolsDatabase\\Machine03\\gone.png");
    setPicture(*machine, 2, u"D:\\pics\\a.png");

    const PictureCopyResult result = importPictures(*machine, 7, exportFile, dataDirectory);

    EXPECT_EQ(result.copied, 1u);
    EXPECT_EQ(result.missing, 1u);
    EXPECT_EQ(readBytes(pictureFolder(dataDirectory, 7) / "a.png"), "picture a");
    EXPECT_EQ(storedPicture(*machine, 0), u"C:\\ProgramData\\Venmark\\Kalvora Tools\\ToolsDatabase\\Machine07\\a.png");
    // A picture that was not copied keeps its path.
    EXPECT_EQ(
        storedPicture(*machine, 1), u"C:\\ProgramData\\Venmark\\Kalvora Tools\\ToolsDatabase\\Machine03\\gone.png");
    EXPECT_EQ(storedPicture(*machine, 2), u"D:\\pics\\a.png");
    EXPECT_EQ(pictureCopyMessage(texts, result), "*1 Bilder wurden nicht gefunden.");
}

TEST_F(PictureCopyTest, HostilePictureNamesNeverLeaveTheMachineFolder)
{
    // Files an attacker would like to overwrite, and files the import file lies beside.
    writeBytes(root / "victim.txt", "keep me");
    writeBytes(exportFolder / "victim.txt", "attack");
    writeBytes(exportFolder / "evil.png", "evil");
    auto machine = newMachine();
    setPicture(*machine, 0, u"..\\..\\..\\victim.txt");
    setPicture(*machine, 1, u"../../evil.png");
    setPicture(*machine, 2, u"..");
    setPicture(*machine, 3, u"pics\\");
    setPicture(*machine, 4, u"C:evil.png");

    const PictureCopyResult result = importPictures(*machine, 2, exportFile, dataDirectory);

    EXPECT_EQ(readBytes(root / "victim.txt"), "keep me");
    const std::filesystem::path folder = pictureFolder(dataDirectory, 2);
    EXPECT_EQ(readBytes(folder / "victim.txt"), "attack");
    EXPECT_EQ(readBytes(folder / "evil.png"), "evil");
    std::size_t filesInData = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dataDirectory))
        filesInData += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(filesInData, 2u);
    EXPECT_EQ(pictureCopyMessage(texts, result),
        "*Unzulässiger Dateiname, nicht kopiert: ..\n*Unzulässiger Dateiname, nicht kopiert: pics\\\n"
        "*Unzulässiger Dateiname, nicht kopiert: C:evil.png");
}

TEST_F(PictureCopyTest, ChosenPictureIsCopiedIntoTheDatabase)
{
    writeBytes(pictures / "drill.png", "drill");
    std::string reason;
    const std::optional<std::u16string> stored
        = copyPictureIntoDatabase(pictures / "drill.png", dataDirectory, 4, &reason);
    ASSERT_TRUE(stored) << reason;
    EXPECT_EQ(*stored, u16(pictureFolder(dataDirectory, 4) / "drill.png"));
    EXPECT_EQ(readBytes(pictureFolder(dataDirectory, 4) / "drill.png"), "drill");
    EXPECT_FALSE(copyPictureIntoDatabase(pictures / "missing.png", dataDirectory, 4));
}

TEST_F(PictureCopyTest, PictureIsFoundInTheMachineFolderWhenTheStoredPathIsFromElsewhere)
{
    const std::filesystem::path folder = pictureFolder(dataDirectory, 1);
    std::filesystem::create_directories(folder);
    writeBytes(folder / "a.png", "a");
    writeBytes(pictures / "b.png", "b");
    EXPECT_EQ(
        resolvePicturePath(u"C:\\ProgramData\\ToolsDatabase\\Machine01\\a.png", dataDirectory, 1), folder / "a.png");
    EXPECT_EQ(resolvePicturePath(u16(pictures / "b.png"), dataDirectory, 1), pictures / "b.png");
    EXPECT_EQ(resolvePicturePath(u"C:\\elsewhere\\c.png", dataDirectory, 1), std::nullopt);
    EXPECT_EQ(resolvePicturePath(u"", dataDirectory, 1), std::nullopt);
}

// A table of 499 tools with pictures, exported on one computer's machine 3 and imported
// on another's machine 5, comes back identical but for the digit of the picture paths.
TEST_F(PictureCopyTest, TableWithPicturesMovesToAnotherMachine)
{
    const std::filesystem::path source = dataDirectory;
    const std::filesystem::path sourceFolder = pictureFolder(source, 3);
    std::filesystem::create_directories(sourceFolder);
    auto machine = newMachine();
    for (std::size_t slot = 0; slot < 499; ++slot) {
        const std::string name = "tool" + std::to_string(slot % 50) + ".png";
        writeBytes(sourceFolder / name, "picture " + name);
        setPicture(*machine, slot, u16(sourceFolder / name));
    }
    const PictureCopyResult copied = copyPicturesToExportFolder(*machine, 3, exportFile, source, boxes, texts);
    ASSERT_EQ(copied.copied, 50u);
    ASSERT_TRUE(exportToolTable(*machine, exportFile).ok());

    const std::filesystem::path target = root / "other computer";
    auto other = newMachine();
    ASSERT_TRUE(importToolTable(*other, exportFile).ok());
    const PictureCopyResult imported = importPictures(*other, 5, exportFile, target);
    EXPECT_EQ(imported.copied, 50u);
    EXPECT_EQ(imported.missing, 0u);

    for (std::size_t slot = 0; slot < 499; ++slot) {
        ToolRecord expected = loadTool(*machine, slot);
        std::u16string path(toolText(expected, ToolField::PicturePath));
        ASSERT_TRUE(setPictureMachineDigit(path, 5));
        setToolText(expected, ToolField::PicturePath, path);
        const ToolRecord got = loadTool(*other, slot);
        ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << slot;
        const std::string name = "tool" + std::to_string(slot % 50) + ".png";
        ASSERT_EQ(readBytes(pictureFolder(target, 5) / name), "picture " + name);
    }
}

} // namespace
} // namespace kvt
