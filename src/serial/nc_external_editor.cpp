#include "serial/nc_external_editor.h"

#include "common/code_page.h"
#include "serial/nc_editor_texts.h"

namespace kvt {

namespace {

using namespace nc_text_ids;

ExternalEditorPlan refuse(const TextLookup& texts, const TextId& message)
{
    ExternalEditorPlan plan;
    plan.action = ExternalEditorPlan::Action::Refuse;
    plan.refusal.text = texts.text(message.id, message.builtin);
    plan.refusal.caption = texts.text(kError.id, kError.builtin);
    plan.refusal.icon = MessageIcon::Error;
    return plan;
}

} // namespace

NcEditorMode ncEditorMode(std::uint8_t stored)
{
    if (stored == kEditorModeInternal)
        return NcEditorMode::Internal;
    if (stored == kEditorModeNotepad)
        return NcEditorMode::DesktopEditor;
    return NcEditorMode::ExternalProgram;
}

ExternalEditorPlan planExternalEditor(std::uint8_t mode, std::u16string_view programPath,
    const std::filesystem::path& currentFile, bool fileSaved, const TextLookup& texts)
{
    const NcEditorMode kind = ncEditorMode(mode);
    if (kind == NcEditorMode::Internal)
        return {};
    if (!fileSaved || currentFile.empty())
        return refuse(texts, kSaveBeforeEditor);
    ExternalEditorPlan plan;
    plan.action = ExternalEditorPlan::Action::Launch;
    plan.file = currentFile;
    if (kind == NcEditorMode::DesktopEditor) {
        plan.desktopEditor = true;
        return plan;
    }
    if (programPath.empty())
        return refuse(texts, kNoExternalEditor);
    const std::string file = pathToUtf8(currentFile);
    if (file.find(' ', 1) != std::string::npos)
        return refuse(texts, kPathWithSpaces);
    plan.program = pathFromUtf8(utf16ToUtf8(programPath));
    return plan;
}

} // namespace kvt
