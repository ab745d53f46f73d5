#pragma once
// The control profile of the current machine in the serial group, and the editor of
// the profiles: the list from the built-ins and the user's file in the data folder,
// the machine's choice, and the profile's fields as text with their checks.

#include "options/options_dialog_context.h"
#include "serial/control_profile.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace kvt {

// A profile's fields as the editor shows them: bytes with "\xHH" escapes, numbers as
// decimal text, choices as the index of their entry.
struct ControlProfileTexts {
    std::string name;
    int lineEnd = 0; // "CR LF", "LF", "CR"
    std::string leader;
    std::string trailer;
    std::string beforeSend;
    std::string afterSend;
    bool dropBeforePercent = false;
    int nameLine = 0; // NameLine
    int start = 0; // StartCondition
    int flow = 0; // FlowMode
    std::string linePauseMs;
    std::string stopAllowance;
    std::string linkTimeoutMs;
    std::string receiveEndPattern;
    std::string requestPattern;
    std::string fileNamePattern;
    std::array<std::string, kProfileFolderCount> folders;
    std::string requestDelayMs;
    bool requestDripFeed = false;
};

ControlProfileTexts profileTexts(const ControlProfile& profile);

class ControlProfileForm {
public:
    // Reads the profile file of the data folder named in the state; a damaged file
    // leaves the built-ins and is told by loadMessage().
    explicit ControlProfileForm(OptionsDialogContext& context);

    // The message about a damaged profile file, once (empty when there is none or it
    // was told already).
    std::string takeLoadMessage();

    std::vector<std::string> entries() const; // profile names in order
    int currentIndex() const; // the current machine's profile; the generic one when it names none
    void choose(int index); // stores the name with the machine's send settings

    const ControlProfiles& profiles() const { return m_profiles; }
    // Checks and stores the texts as a profile (a new one, or the one of that name) and
    // writes the file. False after telling the user what is wrong; nothing changes then.
    bool save(const ControlProfileTexts& texts);
    // Removes a user profile or gives a built-in its own values back; writes the file.
    bool remove(const std::string& name);

    static std::vector<std::string_view> lineEndEntries();

private:
    std::filesystem::path dataDirectory() const;
    bool writeFile();
    void showError(int id, std::string_view builtin, const std::string& detail = {});

    OptionsDialogContext& m_context;
    ControlProfiles m_profiles;
    std::string m_loadMessage;
    bool m_damagedFile = false; // kept aside before the file is first written again
};

} // namespace kvt
