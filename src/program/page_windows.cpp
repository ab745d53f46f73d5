#include "program/page_windows.h"

#include "app/app_controller.h"
#include "app/pages.h"
#include "app/title_only_window.h"
#include "design/dowel_pins/dowel_pins_window.h"
#include "design/drill_depths/drill_depths_window.h"
#include "design/flanges/flange_window.h"
#include "design/parallels/parallels_window.h"
#include "machining/coolant/coolant_window.h"
#include "machining/cut_to_length/cut_to_length_window.h"
#include "machining/cutting_data/cutting_data_window.h"
#include "machining/dividing_head/dividing_head_window.h"
#include "machining/eccentric_turning/eccentric_turning_window.h"
#include "machining/sine_bar/sine_bar_window.h"
#include "options/options_dialog.h"
#include "serial/transfer_window.h"
#include "tooldb/tool_management_window.h"

#include <array>

namespace kvt {

namespace {

// One line per window.
constexpr std::array kWindowFactories = {
    WindowFactoryEntry {page::CuttingData, &makeWindow<CuttingDataWindow>},
    WindowFactoryEntry {page::DividingHead, &makeWindow<DividingHeadWindow>},
    WindowFactoryEntry {page::SineBar, &makeWindow<SineBarWindow>},
    WindowFactoryEntry {page::Flanges, &makeWindow<FlangeWindow>},
    WindowFactoryEntry {page::Coolant, &makeWindow<CoolantWindow>},
    WindowFactoryEntry {page::ToolManagement, &makeWindow<ToolManagementWindow>},
    WindowFactoryEntry {page::EccentricTurning, &makeWindow<EccentricTurningWindow>},
    WindowFactoryEntry {page::CutToLength, &makeWindow<CutToLengthWindow>},
    WindowFactoryEntry {page::Rs232, &makeWindow<TransferWindow>},
    WindowFactoryEntry {page::Parallels, &makeWindow<ParallelsWindow>},
    WindowFactoryEntry {page::DrillDepths, &makeWindow<DrillDepthsWindow>},
    WindowFactoryEntry {page::DowelPins, &makeWindow<DowelPinsWindow>},
};

} // namespace

std::span<const WindowFactoryEntry> windowFactories()
{
    return kWindowFactories;
}

FunctionWindow* createPageWindow(int page, AppController& controller, const WindowServices& services)
{
    const PageInfo* info = pageInfo(page);
    if (!info || page == page::Calculations)
        return nullptr;
    for (const WindowFactoryEntry& entry : kWindowFactories) {
        if (entry.page == page)
            return entry.create(controller, services);
    }
    return new TitleOnlyWindow(controller, page);
}

void runOptions(AppController& controller, QWidget* sender)
{
    runOptionsDialog(controller, sender);
}

} // namespace kvt
