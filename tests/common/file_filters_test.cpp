#include "common/file_filters.h"

#include <gtest/gtest.h>

namespace kvt {
namespace {

TEST(FileFilters, NcFiles)
{
    const FileDialogSetup setup = ncFileDialogSetup();
    EXPECT_EQ(qtFilterString(setup), "Dialog 2/3 NC Datei (*.dat);;Text Datei (*.txt);;All Files (*.*)");
    EXPECT_EQ(setup.defaultExtension, "dat");
    EXPECT_FALSE(isAllFilesFilter(setup, 0));
    EXPECT_TRUE(isAllFilesFilter(setup, 2));
    EXPECT_FALSE(isAllFilesFilter(setup, 3));
}

TEST(FileFilters, DxfOffersTheOwnUnitFirst)
{
    const FileDialogSetup metric = dxfFileDialogSetup(0);
    EXPECT_EQ(qtFilterString(metric), "DXF Datei mm  (*.dxf);;DXF Datei inch (*.dxf);;All Files (*.*)");
    const FileDialogSetup inch = dxfFileDialogSetup(1);
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
