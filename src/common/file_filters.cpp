#include "common/file_filters.h"

#include "common/units.h"

namespace kvt {

namespace {

const FileFilter kAllFiles {"All Files (*.*)", "*.*"};

} // namespace

FileDialogSetup ncFileDialogSetup()
{
    return {{{"Dialog 2/3 NC Datei (*.dat)", "*.dat"}, {"Text Datei (*.txt)", "*.txt"}, kAllFiles}, "dat"};
}

FileDialogSetup dxfFileDialogSetup(int unitSystem)
{
    if (unitSystem == kUnitSystemInch)
        return {{{"DXF Datei inch  (*.dxf)", "*.dxf"}, {"DXF Datei mm (*.dxf)", "*.dxf"}, kAllFiles}, "dxf"};
    return {{{"DXF Datei mm  (*.dxf)", "*.dxf"}, {"DXF Datei inch (*.dxf)", "*.dxf"}, kAllFiles}, "dxf"};
}

std::optional<int> dxfUnitForFilter(int unitSystem, std::size_t filterIndex)
{
    const int own = unitSystem == kUnitSystemInch ? kUnitSystemInch : kUnitSystemMetric;
    if (filterIndex == 0)
        return own;
    if (filterIndex == 1)
        return own == kUnitSystemInch ? kUnitSystemMetric : kUnitSystemInch;
    return std::nullopt;
}

bool isAllFilesFilter(const FileDialogSetup& setup, std::size_t filterIndex)
{
    return filterIndex < setup.filters.size() && setup.filters[filterIndex].pattern == kAllFiles.pattern;
}

std::string qtFilterString(const FileDialogSetup& setup)
{
    std::string joined;
    for (const FileFilter& filter : setup.filters) {
        if (!joined.empty())
            joined += ";;";
        joined += filter.description;
    }
    return joined;
}

} // namespace kvt
