#pragma once
// The program's open and save dialogs with their filters and default extensions. The
// caller learns the path, whether "All Files" was the chosen filter and, for DXF, which
// unit the chosen filter stands for.

#include "common/file_filters.h"

#include <QString>

#include <optional>

class QWidget;

namespace kvt {

struct FileDialogChoice {
    bool accepted = false;
    QString path;
    int filterIndex = -1; // the chosen filter, -1 when unknown
    bool allFiles = false;
    std::optional<int> dxfUnit; // 0 mm, 1 inch; only for the DXF dialog
};

enum class FileDialogMode { Open, Save };

// Open: the file must exist. Save: the folder must exist and an existing file is only
// replaced after a question. A name typed without extension gets the default one.
FileDialogChoice runFileDialog(QWidget* parent, FileDialogMode mode, const QString& caption, const QString& startPath,
    const FileDialogSetup& setup);

FileDialogChoice openNcFile(QWidget* parent, const QString& caption, const QString& startPath);
FileDialogChoice saveNcFile(QWidget* parent, const QString& caption, const QString& startPath);
FileDialogChoice saveDxfFile(QWidget* parent, const QString& caption, const QString& startPath, int unitSystem);

} // namespace kvt
