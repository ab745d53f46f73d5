#include "tooldb/tool_exchange_file.h"

#include "common/atomic_file.h"
#include "common/code_page.h"
#include "common/number_format.h"
#include "common/text_lookup.h"
#include "common/zip_archive.h"
#include "options/options_record.h"
#include "tooldb/freecad_tool_library.h"
#include "tooldb/fusion_tool_library.h"
#include "tooldb/heidenhain_tool_table.h"
#include "tooldb/linuxcnc_tool_table.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace kvt {

namespace {

constexpr std::size_t kExportNoticesShown = 20;

// The whole file, or the error that kept it from being read.
ExchangeError readBytes(const std::filesystem::path& path, std::string& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return ExchangeError::CannotOpen;
    bytes.clear();
    char buffer[65536];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(file.gcount()));
        if (bytes.size() > kExchangeMaxBytes)
            return ExchangeError::TooLarge;
    }
    return file.bad() ? ExchangeError::CannotOpen : ExchangeError::None;
}

ExchangeReadResult failed(ExchangeError error, std::string detail = {})
{
    ExchangeReadResult result;
    result.error = error;
    result.detail = std::move(detail);
    return result;
}

ExchangeReadResult readFusion(const std::string& bytes)
{
    if (!looksLikeZip(bytes))
        return parseFusionToolLibrary(bytes);
    const ZipReadResult zip = readZip(bytes, kExchangeMaxBytes);
    if (!zip.ok)
        return failed(ExchangeError::BadZip, zip.reason);
    const ZipEntry* json = nullptr;
    for (const ZipEntry& entry : zip.entries) {
        if (entry.name.ends_with(".json")) {
            json = &entry;
            break;
        }
    }
    if (!json && zip.entries.size() == 1)
        json = &zip.entries.front();
    if (!json)
        return failed(ExchangeError::BadZip, "no tool library inside");
    return parseFusionToolLibrary(json->data);
}

ExchangeReadResult readFreeCad(const std::filesystem::path& path, const std::string& bytes)
{
    const FreeCadLibrary library = parseFreeCadLibrary(bytes);
    if (!library.status.ok())
        return library.status;
    ExchangeReadResult result;
    const std::filesystem::path folder = path.parent_path();
    for (const FreeCadLibraryEntry& entry : library.entries) {
        auto fault = [&](ExchangeReadResult refused) {
            refused.file = entry.path;
            return refused;
        };
        if (!safeFreeCadBitPath(entry.path))
            return fault(failed(ExchangeError::MissingBit));
        // FreeCAD keeps bits in a folder "Bit" beside the folder "Library".
        std::string bit;
        const std::filesystem::path relative = pathFromUtf8(entry.path);
        ExchangeError error = readBytes(folder / relative, bit);
        if (error == ExchangeError::CannotOpen)
            error = readBytes(folder.parent_path() / "Bit" / relative, bit);
        if (error != ExchangeError::None)
            return fault(failed(error == ExchangeError::CannotOpen ? ExchangeError::MissingBit : error));
        ExchangeReadResult tool = parseFreeCadBit(bit, entry.number);
        if (!tool.ok())
            return fault(tool);
        result.tools.push_back(std::move(tool.tools.front()));
    }
    return result;
}

bool write(ToolExchangeExportResult& result, const std::filesystem::path& path, std::string_view bytes)
{
    if (writeFileAtomically(path, bytes, &result.reason))
        return true;
    result.failedFile = path;
    return false;
}

} // namespace

std::string exchangeMenuText(const TextLookup& texts, const ExchangeMenuEntry& entry)
{
    std::string text = formatName(texts, entry.format);
    if (entry.format == ToolExchangeFormat::LinuxCnc)
        text += entry.unit == ExchangeUnit::Inch ? texts.text(76406, "*, Zoll") : texts.text(76405, "*, mm");
    return text;
}

FileDialogSetup exchangeFileDialogSetup(ToolExchangeFormat format)
{
    const FileFilter all {"All Files (*.*)", "*.*"};
    switch (format) {
    case ToolExchangeFormat::LinuxCnc:
        return {{{"LinuxCNC (*.tbl)", "*.tbl"}, all}, "tbl"};
    case ToolExchangeFormat::Heidenhain:
        return {{{"Heidenhain TOOL.T (*.t *.T)", "*.t *.T"}, all}, "T"};
    case ToolExchangeFormat::FusionJson:
        return {{{"Fusion 360 / HSM (*.json)", "*.json"}, all}, "json"};
    case ToolExchangeFormat::FusionZipped:
        return {{{"Fusion 360 / HSM (*.tools)", "*.tools"}, all}, "tools"};
    case ToolExchangeFormat::FreeCad:
        return {{{"FreeCAD (*.fctl)", "*.fctl"}, all}, "fctl"};
    }
    return {{all}, ""};
}

ExchangeReadResult readToolExchangeFile(
    ToolExchangeFormat format, const std::filesystem::path& path, ExchangeUnit linuxCncUnit)
{
    std::string bytes;
    if (const ExchangeError error = readBytes(path, bytes); error != ExchangeError::None)
        return failed(error);
    switch (format) {
    case ToolExchangeFormat::LinuxCnc:
        return parseLinuxCncToolTable(bytes, linuxCncUnit);
    case ToolExchangeFormat::Heidenhain:
        return parseHeidenhainToolTable(bytes).tools;
    case ToolExchangeFormat::FusionJson:
    case ToolExchangeFormat::FusionZipped:
        return readFusion(bytes);
    case ToolExchangeFormat::FreeCad:
        return readFreeCad(path, bytes);
    }
    return failed(ExchangeError::CannotOpen);
}

std::span<const ToolTypeMapping> exchangeTypes(ToolExchangeFormat format)
{
    switch (format) {
    case ToolExchangeFormat::LinuxCnc:
        return {};
    case ToolExchangeFormat::Heidenhain:
        return heidenhainTypes();
    case ToolExchangeFormat::FusionJson:
    case ToolExchangeFormat::FusionZipped:
        return fusionTypes();
    case ToolExchangeFormat::FreeCad:
        return freeCadShapes();
    }
    return {};
}

std::string_view exchangeFallbackType(ToolExchangeFormat format)
{
    switch (format) {
    case ToolExchangeFormat::LinuxCnc:
        return {};
    case ToolExchangeFormat::Heidenhain:
        return kHeidenhainFallbackType;
    case ToolExchangeFormat::FusionJson:
    case ToolExchangeFormat::FusionZipped:
        return kFusionFallbackType;
    case ToolExchangeFormat::FreeCad:
        return kFreeCadFallbackShape;
    }
    return {};
}

ImportPlan planExchangeImport(const MachineRecord& machine, ToolExchangeFormat format, const ExchangeReadResult& read,
    const TextLookup& texts, std::u16string_view today)
{
    return planToolImport(machine, read.tools, exchangeTypes(format), exchangeFallbackType(format), texts, today);
}

ToolExchangeExportResult exportToolExchangeFile(ToolExchangeFormat format, const MachineRecord& machine,
    const std::filesystem::path& path, const ToolExchangeExportOptions& options, const TextLookup& texts)
{
    ToolExchangeExportResult result;
    const std::vector<ExportTool> tools = toolsToExport(machine);
    switch (format) {
    case ToolExchangeFormat::LinuxCnc:
        result.composed = composeLinuxCncToolTable(tools, {options.unit, options.pocketIsToolNumber});
        break;
    case ToolExchangeFormat::Heidenhain: {
        // Written back into a table the control made, its layout and foreign columns stay.
        std::string old;
        HeidenhainReadResult existing;
        const bool hasOld = std::filesystem::exists(path) && readBytes(path, old) == ExchangeError::None
            && (existing = parseHeidenhainToolTable(old)).tools.ok();
        result.composed = composeHeidenhainToolTable(tools, options.unit, hasOld ? &existing.table : nullptr, texts);
        break;
    }
    case ToolExchangeFormat::FusionJson:
        result.composed = composeFusionToolLibrary(tools, options.unit, texts);
        break;
    case ToolExchangeFormat::FusionZipped:
        result.composed = composeFusionToolLibrary(tools, options.unit, texts);
        if (result.composed.ok)
            result.composed.bytes = writeZip({{std::string(kFusionZipEntry), result.composed.bytes}});
        break;
    case ToolExchangeFormat::FreeCad:
        result.composed = composeFreeCadLibrary(tools, texts);
        break;
    }
    if (!result.composed.ok)
        return result;
    // The bits first: a library is only written once every tool it names is there.
    for (const ExchangeFile& side : result.composed.sideFiles) {
        if (!write(result, path.parent_path() / pathFromUtf8(side.name), side.bytes))
            return result;
    }
    result.written = write(result, path, result.composed.bytes);
    return result;
}

std::string toolExchangeExportMessage(const TextLookup& texts, ToolExchangeFormat format,
    const ToolExchangeExportResult& result, const std::filesystem::path& path)
{
    const std::string head = formatName(texts, format) + "\n" + pathToUtf8(path) + "\n\n";
    if (!result.composed.ok || !result.written) {
        std::string detail;
        if (!result.composed.ok && !result.composed.notices.empty()) {
            detail = exportNoticeText(texts, result.composed.notices.front());
        } else {
            detail
                = texts.text(76450, "*Die Datei kann nicht geschrieben werden.") + "\n" + pathToUtf8(result.failedFile);
            if (!result.reason.empty())
                detail += " (" + result.reason + ")";
        }
        return texts.text(76451, "*Die Werkzeugtabelle konnte nicht exportiert werden:") + "\n" + head + detail + "\n\n"
            + texts.text(76452, "*Die Exportdatei wurde nicht geschrieben.");
    }
    std::string message = head + cformat(texts.text(76453, "*%i Werkzeuge geschrieben."), result.composed.toolsWritten);
    if (result.composed.keptRows > 0) {
        message += '\n';
        message += cformat(
            texts.text(76454, "*%i Zeilen der vorhandenen Tabelle unverändert übernommen."), result.composed.keptRows);
    }
    // A table of 499 long names would give a box taller than the screen.
    const std::size_t shown = std::min(result.composed.notices.size(), kExportNoticesShown);
    for (std::size_t i = 0; i < shown; ++i) {
        message += '\n';
        message += exportNoticeText(texts, result.composed.notices[i]);
    }
    if (result.composed.notices.size() > shown) {
        message += '\n';
        message += cformat(texts.text(76455, "*... und %i weitere."), result.composed.notices.size() - shown);
    }
    return message;
}

} // namespace kvt
