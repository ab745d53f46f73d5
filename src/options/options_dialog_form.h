#pragma once
// The options dialog as a whole: its pages edit the options record and the central state
// in place, and this form decides what survives. Apply (and OK) asks the controller to
// write the options; Cancel takes back everything changed since the dialog opened or
// since the last Apply, on every page, so nothing typed by mistake is kept.

#include "options/options_dialog_context.h"
#include "options/options_general_form.h"
#include "options/options_machine2_form.h"
#include "options/options_machine_form.h"

#include <memory>

namespace kvt {

inline constexpr int kOptionsCaptionId = 66928;
inline constexpr std::string_view kOptionsCaption = "*Kalvora Tools 2025 Optionen";
inline constexpr int kGeneralPageTitleId = 66925;
inline constexpr std::string_view kGeneralPageTitle = "*Optionen Allgemein";
inline constexpr int kMachinePage1TitleId = 66926;
inline constexpr std::string_view kMachinePage1Title = "*Maschinenfunktionen 1";
inline constexpr int kMachinePage2TitleId = 66927;
inline constexpr std::string_view kMachinePage2Title = "*Maschinenfunktionen 2";

class OptionsDialogForm {
public:
    explicit OptionsDialogForm(OptionsDialogContext& context);
    ~OptionsDialogForm();
    OptionsDialogForm(const OptionsDialogForm&) = delete;
    OptionsDialogForm& operator=(const OptionsDialogForm&) = delete;

    OptionsGeneralForm& general() { return m_general; }
    OptionsMachineForm& machine() { return m_machine; }
    OptionsMachine2Form& machine2() { return m_machine2; }

    // True when a page changed something that is not yet applied.
    bool pending() const;
    // Asks for the options to be written when a page changed anything, and makes the
    // applied values the ones a later Cancel returns to.
    void apply();
    // Takes back what changed since the dialog opened or since the last apply.
    void cancel();

private:
    struct Snapshot;
    void takeSnapshot();

    OptionsDialogContext& m_context;
    OptionsGeneralForm m_general;
    OptionsMachineForm m_machine;
    OptionsMachine2Form m_machine2;
    std::unique_ptr<Snapshot> m_snapshot;
};

} // namespace kvt
