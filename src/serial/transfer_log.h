#pragma once
// A transfer log per machine beside the reports: one line per transfer with the date,
// the direction, the file, the bytes and the result. It lies in the report folder of the
// transfer window, so the clean-up of old reports removes a log nobody wrote to for
// that long.

#include "common/clock.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace kvt {

enum class TransferKind : std::uint8_t { Send, DripFeed, Receive, Request };
enum class TransferOutcome : std::uint8_t { Done, Cancelled, LinkLost, Failed, Unknown };

struct TransferLogEntry {
    LocalDateTime when;
    TransferKind kind = TransferKind::Send;
    std::string file; // UTF-8 path or program name; may be empty
    std::uint64_t bytes = 0;
    TransferOutcome outcome = TransferOutcome::Done;
    std::string note; // e.g. "restart line 120", "O1234"
};

// "<data folder>/RS232/TransferLog_Machine01.txt" for machine index 0.
std::filesystem::path transferLogPath(const std::filesystem::path& dataDirectory, int machineIndex);

// "2026-12-07 13:44:05<TAB>drip-feed<TAB>O1234.nc<TAB>1024<TAB>link lost<TAB>restart line 12"
// The words are English on purpose: the log is read by people and by scripts alike.
std::string transferLogLine(const TransferLogEntry& entry);

// Adds the line to the log, keeping at most the newest kTransferLogLimit bytes of
// earlier lines; the file is replaced as a whole. False when it could not be written.
inline constexpr std::size_t kTransferLogLimit = 1024 * 1024;
bool appendTransferLog(const std::filesystem::path& path, const TransferLogEntry& entry);

} // namespace kvt
