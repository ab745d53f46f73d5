#pragma once
// The options dialog edits the options record and the central state in place. Its page
// forms are plain C++: they get what they touch through this context, so the same forms
// run in the Qt dialog and in tests.

#include "common/clock.h"
#include "common/message_boxes.h"
#include "common/number_format.h"
#include "common/text_lookup.h"
#include "options/options_record.h"
#include "state/app_message.h"
#include "state/open_dialog_data.h"

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

} // namespace kvt
