#pragma once
// The options dialog edits the options record and the central state in place. Its page
// forms are plain C++: they get what they touch through this context, so the same forms
// run in the Qt dialog and in tests.

#include "common/clock.h"
#include "common/message_boxes.h"
#include "common/text_lookup.h"
#include "options/options_record.h"
#include "state/app_message.h"
#include "state/open_dialog_data.h"

#include <charconv>
#include <functional>
#include <string>

namespace kvt {

struct OptionsDialogContext {
    OpenDialogData& state;
    OptionsRecord& options;
    const TextLookup& texts;
    MessageBoxes& boxes;
    const Clock& clock;
    // A request to the hidden controller, handled before the call returns.
    std::function<void(AppMessage)> send;
};

// Bytes of GlobalSettings::dialogChanged, one per page.
inline constexpr int kGeneralPage = 0;
inline constexpr int kMachinePage1 = 1;
inline constexpr int kMachinePage2 = 2;

// The machine the pages show. A damaged record may hold any byte here; the pages then
// show machine 0 rather than read past the ten machines.
inline int currentMachineIndex(const OptionsRecord& options)
{
    const int machine = options.settings.currentMachine;
    return machine < static_cast<int>(kMachineCount) ? machine : 0;
}

// "%.Nf" without the process locale: a Qt program runs with the user's locale, where
// printf would write a decimal comma that the fields then read back differently.
inline std::string formatFixed(double value, int decimals)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return "0";
    std::string text(buffer, result.ptr);
    if (text.starts_with("-") && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1); // no "-0.00"
    return text;
}

} // namespace kvt
