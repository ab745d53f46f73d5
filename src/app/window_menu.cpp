#include "app/window_menu.h"

#include "app/pages.h"
#include "common/code_page.h"

namespace kvt {

namespace {

struct FunctionEntry {
    int page;
    int textId;
    const char* builtin;
    int commandOffset; // within the window's block of command ids
    int cuttingDataCommand; // the cutting data window's own numbering
};

constexpr FunctionEntry kMachineFunctions[] = {
    {page::CuttingData, 66910, "*Schnittdaten Berechnung", 0, 0},
    {page::Coolant, 66911, "*KSM Berechnung", 1, 153},
    {page::Rs232, 66912, "*Serielle Kommunikation", 2, 154},
    {page::DividingHead, 66914, "*Teilapparat Berechnungen", 3, 155},
    {page::SineBar, 66913, "*Sinuslineal", 5, 160},
    {page::EccentricTurning, 66916, "*Außer mittig drehen...", 7, 162},
    {page::Parallels, 66917, "*Parallelstückhöhen ermitteln", 8, 163},
    {page::ToolManagement, 66977, "*Werkzeugverwaltung", 11, 167},
    {page::CutToLength, 67030, "*Material ablängen / abstechen", 12, 168},
};
constexpr FunctionEntry kDesignFunctions[] = {
    {page::DowelPins, 66918, "*Verstiftungen", 9, 158},
    {page::Flanges, 66919, "*Flansche", 13, 169},
    {page::DrillDepths, 66915, "*Bohrtiefen", 6, 161},
};
constexpr FunctionEntry kCalculations {page::Calculations, 66920, "*Berechnungen", 10, 165};
constexpr int kOptionsOffset = 4;
constexpr int kCuttingDataOptionsCommand = 156;

int commandId(const PageInfo& owner, const FunctionEntry& entry)
{
    return owner.page == page::CuttingData ? entry.cuttingDataCommand : owner.commandBase + entry.commandOffset;
}

MenuItem functionItem(const PageInfo& owner, const FunctionEntry& entry, const TextLookup& texts)
{
    MenuItem item;
    item.commandId = commandId(owner, entry);
    item.text = texts.text(entry.textId, entry.builtin);
    item.command = MenuCommand::OpenPage;
    item.target = entry.page;
    return item;
}

MenuItem popup(int textId, const char* builtin, const TextLookup& texts)
{
    MenuItem item;
    item.kind = MenuItemKind::Popup;
    item.text = texts.text(textId, builtin);
    return item;
}

MenuItem separator()
{
    MenuItem item;
    item.kind = MenuItemKind::Separator;
    return item;
}

} // namespace

std::string machineMenuLabel(const MachineRecord& machine, const TextLookup& texts)
{
    std::size_t length = 0;
    while (length < kWideTextLength && machine.name[length] != u'\0')
        ++length;
    if (length == 0)
        return texts.text(66921, "*Leer");
    return utf16ToUtf8(std::u16string_view(machine.name, length));
}

std::vector<MenuItem> buildWindowMenu(int pageId, const OptionsRecord* options, const TextLookup& texts)
{
    const PageInfo* owner = pageInfo(pageId);
    if (!owner)
        return {};

    std::vector<MenuItem> menu;
    MenuItem machine = popup(66906, "*Maschinenfunktionen", texts);
    for (const auto& entry : kMachineFunctions) {
        if (entry.page != pageId)
            machine.children.push_back(functionItem(*owner, entry, texts));
    }
    menu.push_back(std::move(machine));

    MenuItem design = popup(66907, "*Konstruktionsfunktionen", texts);
    for (const auto& entry : kDesignFunctions) {
        if (entry.page != pageId)
            design.children.push_back(functionItem(*owner, entry, texts));
    }
    menu.push_back(std::move(design));

    if (pageId != page::Calculations)
        menu.push_back(functionItem(*owner, kCalculations, texts));
    menu.push_back(separator());

    if (owner->machineMenu) {
        MenuItem choose = popup(66908, "*Maschine wählen...", texts);
        for (int index = 0; index < static_cast<int>(kMachineCount); ++index) {
            MenuItem item;
            item.commandId = kFirstMachineCommand + index;
            item.command = MenuCommand::ChooseMachine;
            item.target = index;
            if (options) {
                item.text = machineMenuLabel(options->machines[index], texts);
                item.checked = options->settings.currentMachine == index;
            } else {
                item.text = texts.text(66921, "*Leer");
            }
            choose.children.push_back(std::move(item));
        }
        menu.push_back(std::move(choose));
        menu.push_back(separator());
    }

    MenuItem optionsItem;
    optionsItem.commandId
        = pageId == page::CuttingData ? kCuttingDataOptionsCommand : owner->commandBase + kOptionsOffset;
    optionsItem.text = texts.text(66909, "*Optionen");
    optionsItem.command = MenuCommand::Options;
    menu.push_back(std::move(optionsItem));
    return menu;
}

} // namespace kvt
