#include "common/file_dialogs.h"

#include <QFileDialog>
#include <QStringList>

namespace kvt {

FileDialogChoice runFileDialog(QWidget* parent, FileDialogMode mode, const QString& caption, const QString& startPath,
    const FileDialogSetup& setup)
{
    QFileDialog dialog(parent, caption, startPath);
    QStringList filters;
    for (const FileFilter& filter : setup.filters)
        filters << QString::fromStdString(filter.description);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QString::fromStdString(setup.defaultExtension));
    if (mode == FileDialogMode::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }

    FileDialogChoice choice;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return choice;
    choice.accepted = true;
    choice.path = dialog.selectedFiles().constFirst();
    choice.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    if (choice.filterIndex >= 0)
        choice.allFiles = isAllFilesFilter(setup, static_cast<std::size_t>(choice.filterIndex));
    return choice;
}

FileDialogChoice openNcFile(QWidget* parent, const QString& caption, const QString& startPath)
{
    return runFileDialog(parent, FileDialogMode::Open, caption, startPath, ncFileDialogSetup());
}

FileDialogChoice saveNcFile(QWidget* parent, const QString& caption, const QString& startPath)
{
    return runFileDialog(parent, FileDialogMode::Save, caption, startPath, ncFileDialogSetup());
}

FileDialogChoice saveDxfFile(QWidget* parent, const QString& caption, const QString& startPath, int unitSystem)
{
    FileDialogChoice choice
        = runFileDialog(parent, FileDialogMode::Save, caption, startPath, dxfFileDialogSetup(unitSystem));
    if (choice.accepted && choice.filterIndex >= 0)
        choice.dxfUnit = dxfUnitForFilter(unitSystem, static_cast<std::size_t>(choice.filterIndex));
    return choice;
}

} // namespace kvt
