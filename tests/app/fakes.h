#pragma once
// Stand-ins for the operating system and the window toolkit, so that the controller's
// start-up, switching and quitting run without a display and without touching the
// user's real settings.

#include "app/platform.h"
#include "common/message_boxes.h"
#include "options/options_record.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kvt::test {

class FakeSettings final : public SettingsStore {
public:
    std::map<std::string, std::uint32_t> numbers;
    std::map<std::string, std::string> texts;
    std::map<std::string, std::string> installer;
    int changes = 0; // writes and removals
    int syncs = 0;

    std::optional<std::uint32_t> readNumber(const std::string& name) override
    {
        auto it = numbers.find(name);
        return it == numbers.end() ? std::nullopt : std::optional(it->second);
    }
    void writeNumber(const std::string& name, std::uint32_t value) override
    {
        ++changes;
        numbers[name] = value;
    }
    std::optional<std::string> readText(const std::string& name) override
    {
        auto it = texts.find(name);
        return it == texts.end() ? std::nullopt : std::optional(it->second);
    }
    void writeText(const std::string& name, const std::string& value) override
    {
        ++changes;
        texts[name] = value;
    }
    void remove(const std::string& name) override
    {
        ++changes;
        numbers.erase(name);
        texts.erase(name);
    }
    void sync() override { ++syncs; }
    std::optional<std::string> installerValue(const std::string& name) override
    {
        auto it = installer.find(name);
        return it == installer.end() ? std::nullopt : std::optional(it->second);
    }
};

// Answers every box with the next queued answer (No when none is queued) and keeps
// what was shown.
class FakeBoxes final : public MessageBoxes {
public:
    std::vector<MessageBoxRequest> shown;
    std::deque<MessageAnswer> answers;

    MessageAnswer show(const MessageBoxRequest& request) override
    {
        shown.push_back(request);
        if (answers.empty())
            return request.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
        MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Records window events in order: "create 120", "close 120", "disable 120", ...
class FakeWindows final : public WindowHost {
public:
    struct Window {
        int page;
        bool open = true;
        bool enabled = true;
    };
    std::deque<Window> windows; // addresses stay stable
    std::vector<std::string> events;
    int quitCount = 0;
    int optionsRuns = 0;
    std::function<void()> duringOptions;
    std::vector<int> pagesWithoutWindow; // createWindow gives nullptr for these

    WindowHandle createWindow(int page) override
    {
        events.push_back("create " + std::to_string(page));
        if (std::find(pagesWithoutWindow.begin(), pagesWithoutWindow.end(), page) != pagesWithoutWindow.end())
            return nullptr;
        windows.push_back({page});
        return &windows.back();
    }
    void closeWindow(WindowHandle handle) override
    {
        auto* window = static_cast<Window*>(handle);
        events.push_back("close " + std::to_string(window->page));
        window->open = false;
    }
    void setWindowEnabled(WindowHandle handle, bool enabled) override
    {
        if (auto* window = find(handle))
            window->enabled = enabled;
    }
    void refreshWindow(WindowHandle handle) override
    {
        if (auto* window = find(handle))
            events.push_back("refresh " + std::to_string(window->page));
    }
    void runOptionsDialog(WindowHandle) override
    {
        ++optionsRuns;
        if (duringOptions)
            duringOptions();
    }
    void showAbout() override { events.push_back("about"); }
    void showSupportMail() override { events.push_back("support"); }
    void quitApplication() override { ++quitCount; }

    std::vector<const Window*> openWindows() const
    {
        std::vector<const Window*> open;
        for (const auto& window : windows) {
            if (window.open)
                open.push_back(&window);
        }
        return open;
    }
    Window* find(WindowHandle handle)
    {
        for (auto& window : windows) {
            if (&window == handle)
                return &window;
        }
        return nullptr;
    }
};

class FakeSystem final : public SystemServices {
public:
    std::filesystem::path exe;
    std::filesystem::path dataRoot;
    bool lockFree = true;
    bool locked = false;
    bool startSucceeds = true;
    std::vector<std::filesystem::path> started;
    std::vector<std::filesystem::path> opened;
    std::vector<std::filesystem::path> librariesTried;
    CalculationsEntry library = nullptr;
    std::vector<std::function<void()>> posted;

    std::filesystem::path executablePath() override { return exe; }
    std::filesystem::path commonDataFolder() override { return dataRoot; }
    bool openPath(const std::filesystem::path& path) override
    {
        opened.push_back(path);
        return true;
    }
    bool startProgram(const std::filesystem::path& program) override
    {
        started.push_back(program);
        return startSucceeds;
    }
    bool lockSingleInstance(const std::filesystem::path&, int) override
    {
        locked = lockFree;
        return lockFree;
    }
    void unlockSingleInstance() override { locked = false; }
    CalculationsEntry loadCalculationsLibrary(const std::filesystem::path& path, const char*) override
    {
        librariesTried.push_back(path);
        return library;
    }
    void unloadCalculationsLibrary() override { }
    bool downloadFile(const std::string&, const std::filesystem::path&) override { return false; }
    void postToMainThread(std::function<void()> function) override { posted.push_back(std::move(function)); }
};

// Keeps the "file" in memory: what was written last is what is read next.
class MemoryOptionsStorage final : public OptionsStorage {
public:
    std::vector<std::uint8_t> stored;
    int writes = 0;
    std::optional<std::string> failRead;
    OptionsReadFailure failKind = OptionsReadFailure::Damaged;
    int reads = 0;

    OptionsReadOutcome read(const std::filesystem::path&, OptionsRecord& record) override
    {
        ++reads;
        if (failRead)
            return {failKind, *failRead};
        if (stored.empty())
            return {OptionsReadFailure::Missing, "LesenBIN_OPT"};
        std::memcpy(&record, stored.data(), stored.size());
        return {};
    }
    std::optional<std::string> write(const std::filesystem::path&, OptionsRecord& record) override
    {
        if (record.settings.changed != 1)
            return std::nullopt;
        record.settings.changed = 0;
        stored.assign(reinterpret_cast<const std::uint8_t*>(&record),
            reinterpret_cast<const std::uint8_t*>(&record) + kOptionsStoredSize);
        ++writes;
        return std::nullopt;
    }
};

} // namespace kvt::test
