#pragma once
// Stand-ins for the language module, the message boxes and a scratch data folder.

#include "common/message_boxes.h"
#include "common/text_lookup.h"

#include <atomic>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace kvt::test {

class RecordingMessageBoxes final : public MessageBoxes {
public:
    MessageAnswer show(const MessageBoxRequest& request) override
    {
        shown.push_back(request);
        return MessageAnswer::Ok;
    }
    std::vector<MessageBoxRequest> shown;
};

// A loaded language module: every id has a text of its own.
class ModuleTexts final : public TextLookup {
public:
    std::string text(int id, std::string_view) const override { return "text " + std::to_string(id); }
};

class TempFolder {
public:
    TempFolder()
    {
        static std::atomic<int> counter {0};
        m_path = std::filesystem::temp_directory_path()
            / ("kvt_common_test_" + std::to_string(std::random_device {}()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace kvt::test
