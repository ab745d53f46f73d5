#include "options/window_blocks.h"

#include "state/page_ids.h"

namespace kvt {

WindowBlock* windowBlockOfPage(WindowBlocks& blocks, int page)
{
    switch (page) {
    case page::CuttingData:
        return &blocks.cuttingData;
    case page::Rs232:
        return &blocks.rs232;
    case page::Coolant:
        return &blocks.coolant;
    case page::DividingHead:
        return &blocks.dividingHead;
    case page::Flanges:
        return &blocks.flanges;
    case page::DowelPins:
        return &blocks.dowelPins;
    case page::SineBar:
        return &blocks.sineBar;
    case page::DrillDepths:
        return &blocks.drillDepths;
    case page::EccentricTurning:
        return &blocks.eccentricTurning;
    case page::Parallels:
        return &blocks.parallels;
    case page::Calculations:
        return &blocks.calculations;
    case page::ToolManagement:
        return &blocks.toolManagement;
    case page::CutToLength:
        return &blocks.cutToLength;
    default:
        return nullptr;
    }
}

const WindowBlock* windowBlockOfPage(const WindowBlocks& blocks, int page)
{
    return windowBlockOfPage(const_cast<WindowBlocks&>(blocks), page);
}

} // namespace kvt
