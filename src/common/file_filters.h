#pragma once
// The filters and default extensions of the program's file dialogs, kept apart from the
// Qt dialogs so that the choices they report can be tested.

#include <optional>
#include <string>
#include <vector>

namespace kvt {

struct FileFilter {
    std::string description; // "Text Datei (*.txt)"
    std::string pattern; // "*.txt"
};

struct FileDialogSetup {
    std::vector<FileFilter> filters;
    std::string defaultExtension; // without the point
};

FileDialogSetup ncFileDialogSetup(); // open and save NC programs
// The unit system's own DXF unit is offered first.
FileDialogSetup dxfFileDialogSetup(int unitSystem);

// The unit the chosen DXF filter stands for (0 mm, 1 inch); none for "All Files".
std::optional<int> dxfUnitForFilter(int unitSystem, std::size_t filterIndex);

// True when the filter at `filterIndex` is "All Files (*.*)".
bool isAllFilesFilter(const FileDialogSetup& setup, std::size_t filterIndex);

// The filters in the form of a Qt file dialog: descriptions joined by ";;".
std::string qtFilterString(const FileDialogSetup& setup);

} // namespace kvt
