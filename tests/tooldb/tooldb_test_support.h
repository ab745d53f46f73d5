#pragma once
// Shared helpers of the tool database tests: machine records on the heap, tools built
// through the record's own setters, files as bytes, a scratch folder and message boxes
// that answer from a script.

#include "common/code_page.h"
#include "common/message_boxes.h"
#include "options/options_record.h"
#include "tooldb/tool_record.h"

#include <atomic>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace kvt::test {

inline std::unique_ptr<MachineRecord> newMachine()
{
    return std::make_unique<MachineRecord>(); // value-initialised: all zero
}

inline std::vector<unsigned char> machineBytes(const MachineRecord& machine)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&machine);
    return {bytes, bytes + sizeof machine};
}

// A tool whose every field differs from tool to tool, so that a moved, lost or
// swapped field shows up in a byte compare.
inline ToolRecord sampleTool(int n, std::u16string_view picture = u"")
{
    ToolRecord tool {};
    const std::u16string number = utf8ToUtf16(std::to_string(n));
    setToolText(tool, ToolField::NcData, u"T" + number + u" D" + number + u" H" + number);
    setToolText(tool, ToolField::Description, u"Schaftfräser Ø" + number + u" mm");
    setToolText(tool, ToolField::Category, u"*Schaftfräser, Schlicht");
    setToolText(tool, ToolField::Maker, u"Maker " + number);
    setToolText(tool, ToolField::OrderNumber, u"A-" + number);
    setToolText(tool, ToolField::PicturePath, picture);
    setToolText(tool, ToolField::ReplacementDate, u"01.02.2026");
    setToolText(tool, ToolField::LastChangeDate, u"03.02.2026");
    tool.pictureRotation = n % 4;
    tool.length = 50.0f + static_cast<float>(n) / 8.0f;
    tool.radius = static_cast<float>(n) / 3.0f; // needs more than six decimals for most n
    tool.lengthTolerance = 0.01f;
    tool.radiusTolerance = -0.02f;
    tool.teeth = static_cast<std::uint16_t>(n % 7);
    tool.cuttingSpeed = 120.0f + static_cast<float>(n);
    tool.feedPerRevolution = 0.1f;
    tool.axialFeedPerRevolution = 0.05f;
    tool.feedPerTooth = 0.025f * static_cast<float>(n % 5);
    tool.axialFeedRate = 300.0f;
    tool.feedRate = 1234.5678f;
    tool.spindleSpeed = 3819.7186f;
    tool.angleOrRadius = 45.0f;
    return tool;
}

inline std::string utf16Le(std::u16string_view text)
{
    std::string bytes;
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

inline std::string readBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class TempFolder {
public:
    TempFolder()
    {
        static std::atomic<int> counter {0};
        m_path = std::filesystem::temp_directory_path()
            / ("kvt_tooldb_test_" + std::to_string(std::random_device {}()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Answers the boxes in order from `answers` (Ok once they run out) and keeps what
// was shown.
class ScriptedMessageBoxes final : public MessageBoxes {
public:
    MessageAnswer show(const MessageBoxRequest& request) override
    {
        shown.push_back(request);
        if (answers.empty())
            return MessageAnswer::Ok;
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<MessageAnswer> answers;
    std::vector<MessageBoxRequest> shown;
};

} // namespace kvt::test
