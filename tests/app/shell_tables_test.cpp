// The shell's tables: state blocks, page ids, language modules and window menus.

#include "app/field_context_menu.h"
#include "app/language_module.h"
#include "app/pages.h"
#include "app/state_block_set.h"
#include "app/window_menu.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>

namespace kvt {
namespace {

TEST(StateBlockSet, AllocatingAgainGivesAFreshZeroFilledBlockAndReleasingTwiceIsHarmless)
{
    StateBlockSet blocks;
    ASSERT_TRUE(blocks.allocate(StateBlock::OpenDialogData));
    ASSERT_TRUE(blocks.allocate(StateBlock::Options));
    blocks.state()->currentPage = 122;
    blocks.options()->machines[9].speedSteps[249] = 4000.0f;
    blocks.options()->unstored[99] = 1;

    ASSERT_TRUE(blocks.allocate(StateBlock::OpenDialogData));
    ASSERT_TRUE(blocks.allocate(StateBlock::Options));
    EXPECT_EQ(blocks.state()->currentPage, 0);
    EXPECT_EQ(blocks.options()->machines[9].speedSteps[249], 0.0f);
    EXPECT_EQ(blocks.options()->unstored[99], 0);

    blocks.releaseAll();
    EXPECT_EQ(blocks.state(), nullptr);
    EXPECT_EQ(blocks.options(), nullptr);
    blocks.releaseAll();
    blocks.release(StateBlock::NcTextBuffer);
}

TEST(StateBlockSet, AFailedAllocationLeavesTheBlockAbsent)
{
    StateBlockSet blocks([](std::size_t) -> void* { return nullptr; });
    EXPECT_FALSE(blocks.allocate(StateBlock::CalcList));
    EXPECT_EQ(blocks.calcList(), nullptr);
    EXPECT_STREQ(stateBlockCaption(StateBlock::CalcList), "*pMIC_CalcList");
    EXPECT_STREQ(stateBlockCaption(StateBlock::Options), "*pKVT_Options");
}

TEST(Pages, EveryWindowPageOpensWithItsOwnMessageAndHasASlot)
{
    WindowSlots slots {};
    std::vector<WindowHandle*> seen;
    for (const PageInfo& info : allPages()) {
        EXPECT_EQ(pageForOpenMessage(info.openMessage), &info);
        EXPECT_EQ(startPageMessage(info.page), info.openMessage);
        WindowHandle* slot = windowSlot(slots, info.page);
        ASSERT_NE(slot, nullptr) << info.page;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), slot), 0) << info.page;
        seen.push_back(slot);
    }
    EXPECT_EQ(allPages().size(), 13u);
    for (int noWindow : {124, 125, 132, 135, 136, 137, 138, 139, 119, 141}) {
        EXPECT_EQ(pageInfo(noWindow), nullptr);
        EXPECT_FALSE(startPageMessage(noWindow));
    }
    EXPECT_EQ(startPageMessage(0), AppMessage::OpenCuttingData);
    EXPECT_EQ(startPageMessage(9'999'999), AppMessage::OpenCuttingData);
    EXPECT_EQ(static_cast<std::uint32_t>(AppMessage::OpenCutToLength), 0x1322u);
    EXPECT_EQ(pageInfo(122)->refreshMessage, 0x954u);
}

TEST(LanguageModule, ParsesEscapesAndRefusesADamagedModuleAsAWhole)
{
    auto texts = parseLanguageModule("# comment\r\n64961\tFrage\r\n\n100\ta\\tb\\nc\\\\d\n");
    ASSERT_TRUE(texts);
    EXPECT_EQ(texts->at(64961), "Frage");
    EXPECT_EQ(texts->at(100), "a\tb\nc\\d");

    for (const char* damaged :
        {"64961 Frage\n", "x\tFrage\n", "12x\tFrage\n", "-5\tFrage\n", "7\tbad\\q\n", "7\ttrailing\\"})
        EXPECT_FALSE(parseLanguageModule(damaged)) << damaged;
}

TEST(LanguageModule, LoadsByLanguageCodeAndFallsBackToBuiltInTexts)
{
    const auto folder = std::filesystem::temp_directory_path() / ("kvt_lang_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Kalvora_Tools_en_us.lang") << "64961\tQuestion\n";
    std::ofstream(folder / "Kalvora_Tools_de_de.lang") << "64961\tFrage\nbroken line\n";

    LanguageModule module;
    EXPECT_EQ(module.text(64961, "*Frage"), "*Frage");
    ASSERT_TRUE(module.load(folder, 44));
    EXPECT_EQ(module.text(64961, "*Frage"), "Question");
    // An id the module lacks shows the built-in text without its marker.
    EXPECT_EQ(module.text(1, "*Berechnen"), "Berechnen");

    EXPECT_FALSE(module.load(folder, 49));
    EXPECT_FALSE(module.loaded());
    EXPECT_EQ(module.text(64961, "*Frage"), "*Frage");
    EXPECT_FALSE(module.load(folder, 7));
    // The message names the file that was looked for, where it was looked for.
    EXPECT_EQ(languageLoadFailureText("/opt/kvt/bin", 49), "Can't load /opt/kvt/bin/Kalvora_Tools_de_de.lang.");
    EXPECT_EQ(languageLoadFailureText("/opt/kvt/bin", 44), "Can't load /opt/kvt/bin/Kalvora_Tools_en_us.lang.");
    std::filesystem::remove_all(folder);
}

TEST(LanguageModule, OnlyARegularFileOfASaneSizeIsRead)
{
    const auto folder = std::filesystem::temp_directory_path() / ("kvt_lang_odd_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto english = folder / "Kalvora_Tools_en_us.lang";
    LanguageModule module;

    // Each of these would block the start or read without end.
    ASSERT_EQ(::mkfifo(english.c_str(), 0600), 0);
    EXPECT_FALSE(module.load(folder, 44)) << "FIFO";
    std::filesystem::remove(english);
    std::filesystem::create_symlink("/dev/zero", english);
    EXPECT_FALSE(module.load(folder, 44)) << "link to /dev/zero";
    std::filesystem::remove(english);

    // A valid module exactly at the limit loads; one byte more is refused.
    const std::string line = "64961\tQuestion\n";
    std::string content(kMaxLanguageModuleBytes - line.size(), '#');
    content[content.size() - 1] = '\n';
    content += line;
    ASSERT_EQ(content.size(), kMaxLanguageModuleBytes);
    std::ofstream(english, std::ios::binary) << content;
    EXPECT_TRUE(module.load(folder, 44));
    std::ofstream(english, std::ios::binary) << content << '\n';
    EXPECT_FALSE(module.load(folder, 44));
    // A link to a regular module is fine.
    std::filesystem::remove(english);
    std::ofstream(folder / "real.lang") << line;
    std::filesystem::create_symlink(folder / "real.lang", english);
    EXPECT_TRUE(module.load(folder, 44));
    std::filesystem::remove_all(folder);
}

std::vector<int> targets(const std::vector<MenuItem>& items)
{
    std::vector<int> pages;
    for (const MenuItem& item : items) {
        if (item.command == MenuCommand::OpenPage)
            pages.push_back(item.target);
        auto inner = targets(item.children);
        pages.insert(pages.end(), inner.begin(), inner.end());
    }
    return pages;
}

const MenuItem* machinePopup(const std::vector<MenuItem>& menu)
{
    for (const MenuItem& item : menu) {
        if (item.kind == MenuItemKind::Popup && !item.children.empty()
            && item.children[0].command == MenuCommand::ChooseMachine)
            return &item;
    }
    return nullptr;
}

TEST(WindowMenu, LeavesOutTheWindowsOwnFunctionAndOffersEveryOther)
{
    BuiltinTexts texts;
    for (const PageInfo& info : allPages()) {
        const auto menu = buildWindowMenu(info.page, nullptr, texts);
        auto pages = targets(menu);
        EXPECT_EQ(std::count(pages.begin(), pages.end(), info.page), 0) << info.page;
        EXPECT_EQ(pages.size(), 12u) << info.page;
        EXPECT_EQ(menu.back().command, MenuCommand::Options);
        const bool machineMenu = info.page <= 123 || info.page == 131 || info.page == 134;
        EXPECT_EQ(machinePopup(menu) != nullptr, machineMenu) << info.page;
    }
    const auto cutting = buildWindowMenu(120, nullptr, texts);
    EXPECT_EQ(cutting[0].text, "*Maschinenfunktionen");
    EXPECT_EQ(cutting[0].children[0].commandId, 153);
    EXPECT_EQ(cutting[1].children[1].commandId, 169);
    EXPECT_EQ(cutting.back().commandId, 156);
}

TEST(WindowMenu, MachineEntriesShowNamesOrEmptyAndCheckTheCurrentMachine)
{
    auto options = std::make_unique<OptionsRecord>();
    const std::u16string name = u"DMU 50 Fräse";
    std::copy(name.begin(), name.end(), options->machines[3].name);
    options->settings.currentMachine = 3;
    BuiltinTexts texts;
    const auto menu = buildWindowMenu(131, options.get(), texts);
    const MenuItem* machines = machinePopup(menu);
    ASSERT_NE(machines, nullptr);
    ASSERT_EQ(machines->children.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        const MenuItem& entry = machines->children[i];
        EXPECT_EQ(entry.commandId, 45670 + i);
        EXPECT_EQ(entry.checked, i == 3);
        EXPECT_EQ(entry.text, i == 3 ? "DMU 50 Fräse" : "*Leer");
    }
}

TEST(FieldContextMenu, EachMenuHasItsItemsAndCommandIds)
{
    BuiltinTexts texts;
    auto ids = [&](int menu) {
        std::vector<int> result;
        for (const auto& item : fieldContextMenu(menu, texts))
            result.push_back(item.commandId);
        return result;
    };
    EXPECT_EQ(ids(425), (std::vector<int> {428, 0, 426, 427, 0, 429}));
    EXPECT_EQ(ids(417), (std::vector<int> {421, 418, 419, 420}));
    EXPECT_EQ(ids(454), (std::vector<int> {458, 455, 456, 457}));
    EXPECT_EQ(ids(461), (std::vector<int> {465, 462, 463, 464}));
    EXPECT_EQ(ids(470), (std::vector<int> {475, 472, 473, 476}));
    EXPECT_EQ(ids(480), (std::vector<int> {482}));
    EXPECT_EQ(ids(485), (std::vector<int> {487, 488, 489}));
    EXPECT_TRUE(ids(999).empty());
    EXPECT_EQ(fieldContextMenu(417, texts).back().text, "*Korrespondierende Felder löschen");
}

} // namespace
} // namespace kvt
