#include "app/pages.h"

#include <array>

namespace kvt {

namespace {

// clang-format off
    constexpr std::array<PageInfo, 13> kPages{{
        {page::CuttingData, AppMessage::OpenCuttingData, 690, 70120, "*Schnittdaten Calculator", 0x952,
         context_menu::Standard, 0, 150, true},
        {page::Rs232, AppMessage::OpenRs232, 700, 70121, "*RS232 Datenübertragung", 0x953, 0, 0, 170, true},
        {page::Coolant, AppMessage::OpenCoolant, 710, 70122, "*Kühlschmiermittel Berechnung", 0x954,
         context_menu::Standard, 0, 190, true},
        {page::DividingHead, AppMessage::OpenDividingHead, 720, 70123, "*Teilapparat Berechnungen", 0x955,
         context_menu::Standard, 0, 210, true},
        {page::Flanges, AppMessage::OpenFlanges, 830, 70126, "*Flansche", 0x957, context_menu::Flanges,
         context_menu::FlangesCorresponding, 260, false},
        {page::DowelPins, AppMessage::OpenDowelPins, 820, 70127, "*Verstiftungen", 0x958, context_menu::Standard, 0,
         240, false},
        {page::SineBar, AppMessage::OpenSineBar, 780, 70128, "*Sinuslineal", 0x959, context_menu::SineBar,
         context_menu::SineBarCorresponding, 300, false},
        {page::DrillDepths, AppMessage::OpenDrillDepths, 790, 70129, "*Bohrtiefen / Reibtiefen Berechnung metrisch",
         0x960, context_menu::Standard, 0, 320, false},
        {page::EccentricTurning, AppMessage::OpenEccentricTurning, 800, 70130, "*Außer Mitte Drehen", 0x961,
         context_menu::Eccentric, context_menu::EccentricCorresponding, 340, false},
        {page::Parallels, AppMessage::OpenParallels, 810, 70131, "*Parallelstücke", 0x962, context_menu::Standard, 0,
         360, true},
        {page::Calculations, AppMessage::OpenCalculations, 0, 70133, "*Berechnungen", 0x964, 0, 0, 0, false},
        {page::ToolManagement, AppMessage::OpenToolManagement, 433, 70134, "*Werkzeugdaten verwalten", 0x1301,
         context_menu::ToolManagement, 0, 436, true},
        {page::CutToLength, AppMessage::OpenCutToLength, 860, 70140, "*Material Genau-ablängen / abstechen", 0x1332,
         context_menu::CutToLength, 0, 586, false},
    }};
// clang-format on

} // namespace

std::span<const PageInfo> allPages()
{
    return kPages;
}

const PageInfo* pageInfo(int page)
{
    for (const auto& info : kPages) {
        if (info.page == page)
            return &info;
    }
    return nullptr;
}

const PageInfo* pageForOpenMessage(AppMessage message)
{
    for (const auto& info : kPages) {
        if (info.openMessage == message)
            return &info;
    }
    return nullptr;
}

std::optional<AppMessage> startPageMessage(std::int32_t startPage)
{
    if (startPage == 0 || startPage == 9'999'999)
        startPage = page::CuttingData;
    if (const PageInfo* info = pageInfo(startPage))
        return info->openMessage;
    return std::nullopt;
}

WindowHandle* windowSlot(WindowSlots& slots, int pageId)
{
    switch (pageId) {
    case page::CuttingData:
        return &slots.cuttingData;
    case page::Rs232:
        return &slots.rs232;
    case page::Coolant:
        return &slots.coolant;
    case page::DividingHead:
        return &slots.dividingHead;
    case page::Flanges:
        return &slots.flanges;
    case page::DowelPins:
        return &slots.dowelPins;
    case page::SineBar:
        return &slots.sineBar;
    case page::DrillDepths:
        return &slots.drillDepths;
    case page::EccentricTurning:
        return &slots.eccentricTurning;
    case page::Parallels:
        return &slots.parallels;
    case page::Calculations:
        return &slots.calculations;
    case page::ToolManagement:
        return &slots.toolManagement;
    case page::CutToLength:
        return &slots.cutToLength;
    default:
        return nullptr;
    }
}

} // namespace kvt
