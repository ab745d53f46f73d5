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

std::vector<std::string> desktopEntryCommand(std::string_view execLine, const std::string& file)
{
    // Split into arguments first: a double-quoted argument keeps its blanks, and a
    // backslash in it escapes the next character.
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (std::size_t i = 0; i < execLine.size(); ++i) {
        const char c = execLine[i];
        if (quoted) {
            if (c == '\\' && i + 1 < execLine.size()) {
                word += execLine[++i];
            } else if (c == '"') {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == '"') {
            quoted = true;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(std::move(word));

    std::vector<std::string> command;
    bool filePlaced = false;
    for (const std::string& w : words) {
        if (w == "%f" || w == "%F" || w == "%u" || w == "%U") {
            if (!filePlaced)
                command.push_back(file);
            filePlaced = true;
            continue;
        }
        std::string out;
        for (std::size_t i = 0; i < w.size(); ++i) {
            if (w[i] != '%' || i + 1 >= w.size()) {
                out += w[i];
            } else if (w[++i] == '%') {
                out += '%';
            } // any other field code inside a word is dropped
        }
        if (!out.empty() || w.find('%') == std::string::npos)
            command.push_back(std::move(out));
    }
    if (command.empty())
        return {};
    if (!filePlaced)
        command.push_back(file);
    return command;
}

std::string desktopEntryExec(std::string_view desktopFile)
{
    bool inEntry = false;
    std::size_t pos = 0;
    while (pos < desktopFile.size()) {
        std::size_t end = desktopFile.find('\n', pos);
        if (end == std::string_view::npos)
            end = desktopFile.size();
        std::string_view line = desktopFile.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.starts_with('['))
            inEntry = line == "[Desktop Entry]";
        else if (inEntry && line.starts_with("Exec="))
            return std::string(line.substr(5));
    }
    return {};
}

} // namespace kvt
