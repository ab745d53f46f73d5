#pragma once
// Files of the exchange formats: reading one whole and checked before anything is
// planned, and writing one (or, for FreeCAD, a library and its tool bits) each through a
// temporary file and a rename.

#include "common/file_filters.h"
#include "tooldb/tool_exchange.h"

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace kvt {

struct MachineRecord;
class TextLookup;

// The entries of the editing menu's format choice: each format once, LinuxCNC twice
// (its file does not say its unit, so the user picks it with the entry).
struct ExchangeMenuEntry {
    ToolExchangeFormat format;
    ExchangeUnit unit; // LinuxCNC only
};
inline constexpr ExchangeMenuEntry kExchangeMenuEntries[] = {
    {ToolExchangeFormat::LinuxCnc, ExchangeUnit::Millimetre},
    {ToolExchangeFormat::LinuxCnc, ExchangeUnit::Inch},
    {ToolExchangeFormat::Heidenhain, ExchangeUnit::Millimetre},
    {ToolExchangeFormat::FusionJson, ExchangeUnit::Millimetre},
    {ToolExchangeFormat::FusionZipped, ExchangeUnit::Millimetre},
    {ToolExchangeFormat::FreeCad, ExchangeUnit::Millimetre},
};
std::string exchangeMenuText(const TextLookup& texts, const ExchangeMenuEntry& entry);
FileDialogSetup exchangeFileDialogSetup(ToolExchangeFormat format);

// The LinuxCNC unit matters only for that format; the others say theirs.
ExchangeReadResult readToolExchangeFile(
    ToolExchangeFormat format, const std::filesystem::path& path, ExchangeUnit linuxCncUnit);

std::span<const ToolTypeMapping> exchangeTypes(ToolExchangeFormat format);
std::string_view exchangeFallbackType(ToolExchangeFormat format);

// The plan for a read file against the machine's table.
ImportPlan planExchangeImport(const MachineRecord& machine, ToolExchangeFormat format, const ExchangeReadResult& read,
    const TextLookup& texts, std::u16string_view today);

struct ToolExchangeExportOptions {
    ExchangeUnit unit = ExchangeUnit::Millimetre; // LinuxCNC, TOOL.T (a new one) and Fusion
    bool pocketIsToolNumber = true; // LinuxCNC
};

struct ToolExchangeExportResult {
    ExchangeWriteResult composed; // refused when !composed.ok
    bool written = false;
    std::string reason; // a write failure: what the system said
    std::filesystem::path failedFile;
};

ToolExchangeExportResult exportToolExchangeFile(ToolExchangeFormat format, const MachineRecord& machine,
    const std::filesystem::path& path, const ToolExchangeExportOptions& options, const TextLookup& texts);

// After an export: the refusal or write failure, or what was written with the names
// that were cut or changed. Never empty.
std::string toolExchangeExportMessage(const TextLookup& texts, ToolExchangeFormat format,
    const ToolExchangeExportResult& result, const std::filesystem::path& path);

} // namespace kvt
