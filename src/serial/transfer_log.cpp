#include "serial/transfer_log.h"

#include "common/atomic_file.h"
#include "common/number_format.h"

#include <fstream>
#include <iterator>

namespace kvt {

namespace {

const char* kindWord(TransferKind kind)
{
    switch (kind) {
    case TransferKind::DripFeed:
        return "drip-feed";
    case TransferKind::Receive:
        return "receive";
    case TransferKind::Request:
        return "request";
    default:
        return "send";
    }
}

const char* outcomeWord(TransferOutcome outcome)
{
    switch (outcome) {
    case TransferOutcome::Done:
        return "done";
    case TransferOutcome::Cancelled:
        return "cancelled";
    case TransferOutcome::LinkLost:
        return "link lost";
    case TransferOutcome::Failed:
        return "failed";
    default:
        return "unknown";
    }
}

// Tabs and line ends in a file name would break the columns.
std::string cell(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return out;
}

} // namespace

std::filesystem::path transferLogPath(const std::filesystem::path& dataDirectory, int machineIndex)
{
    return dataDirectory / "RS232" / cformat("TransferLog_Machine%02d.txt", machineIndex + 1);
}

std::string transferLogLine(const TransferLogEntry& e)
{
    const LocalDateTime& t = e.when;
    return cformat("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second) + "\t"
        + kindWord(e.kind) + "\t" + cell(e.file) + "\t" + cformat("%llu", static_cast<unsigned long long>(e.bytes))
        + "\t" + outcomeWord(e.outcome) + "\t" + cell(e.note) + "\n";
}

bool appendTransferLog(const std::filesystem::path& path, const TransferLogEntry& entry)
{
    std::string text;
    {
        std::ifstream in(path, std::ios::binary);
        if (in)
            text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (!text.empty() && text.back() != '\n')
        text += '\n'; // a line cut by a crash stays a line of its own
    if (text.size() > kTransferLogLimit) {
        // Drop the oldest lines, whole.
        const std::size_t cut = text.find('\n', text.size() - kTransferLogLimit);
        text.erase(0, cut == std::string::npos ? text.size() : cut + 1);
    }
    text += transferLogLine(entry);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    return writeFileAtomically(path, text);
}

} // namespace kvt
