#include "common/file_filters.h"

#include <gtest/gtest.h>

namespace kvt {
namespace {

TEST(FileFilters, NcFiles)
{
    const FileDialogSpec spec = ncFileDialogSpec();
    EXPECT_EQ(qtFilterString(spec), "Dialog 2/3 NC Datei (*.dat);;Text Datei (*.txt);;All Files (*.*)");
    EXPECT_EQ(spec.defaultExtension, "dat");
    EXPECT_FALSE(isAllFilesFilter(spec, 0));
    EXPECT_TRUE(isAllFilesFilter(spec, 2));
    EXPECT_FALSE(isAllFilesFilter(spec, 3));
}

TEST(FileFilters, DxfOffersTheOwnUnitFirst)
{
    const FileDialogSpec metric = dxfFileDialogSpec(0);
    EXPECT_EQ(qtFilterString(metric), "DXF Datei mm  (*.dxf);;DXF Datei inch (*.dxf);;All Files (*.*)");
    const FileDialogSpec inch = dxfFileDialogSpec(1);
    EXPECT_EQ(qtFilterString(inch), "DXF Datei inch  (*.dxf);;DXF Datei mm (*.dxf);;All Files (*.*)");
    EXPECT_EQ(inch.defaultExtension, "dxf");

    EXPECT_EQ(dxfUnitForFilter(0, 0), 0);
    EXPECT_EQ(dxfUnitForFilter(0, 1), 1);
    EXPECT_EQ(dxfUnitForFilter(1, 0), 1);
    EXPECT_EQ(dxfUnitForFilter(1, 1), 0);
    EXPECT_EQ(dxfUnitForFilter(1, 2), std::nullopt);
    EXPECT_TRUE(isAllFilesFilter(inch, 2));
}

} // namespace
} // namespace kvt
