#include "app/page_windows.h"

#include "app/app_controller.h"
#include "app/pages.h"
#include "app/title_only_window.h"
#include "design/flanges/flange_window.h"
#include "machining/cutting_data/cutting_data_window.h"
#include "options/options_dialog.h"

namespace kvt {

FunctionWindow* createPageWindow(int page, AppController& controller)
{
    const PageInfo* info = pageInfo(page);
    if (!info || page == page::Calculations)
        return nullptr;
    if (page == page::CuttingData)
        return new CuttingDataWindow(controller);
    if (page == page::Flanges)
        return new FlangeWindow(controller);
    return new TitleOnlyWindow(controller, page);
}

void runOptions(AppController& controller, QWidget* sender)
{
    runOptionsDialog(controller, sender);
}

} // namespace kvt
