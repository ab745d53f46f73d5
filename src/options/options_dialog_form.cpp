#include "options/options_dialog_form.h"

#include <algorithm>
#include <cstring>

namespace kvt {

struct OptionsDialogForm::Snapshot {
    GlobalSettings settings;
    std::int32_t startPage;
    std::int32_t languageCode;
    std::uint8_t languageChanged;
    std::uint8_t optionsWritten;
    int machineIndex;
    MachineRecord machine; // about 1 MB, so the snapshot lives on the heap
};

OptionsDialogForm::OptionsDialogForm(OptionsDialogContext& context)
    : m_context(context)
    , m_general(context)
    , m_machine(context)
    , m_machine2(context)
    , m_snapshot(std::make_unique<Snapshot>())
{
    takeSnapshot();
}

OptionsDialogForm::~OptionsDialogForm() = default;

void OptionsDialogForm::takeSnapshot()
{
    Snapshot& s = *m_snapshot;
    s.settings = m_context.options.settings;
    s.startPage = m_context.state.startPage;
    s.languageCode = m_context.state.languageCode;
    s.languageChanged = m_context.state.languageChanged;
    s.optionsWritten = m_context.state.optionsWritten;
    s.machineIndex = currentMachineIndex(m_context.options);
    std::memcpy(&s.machine, &m_context.options.machines[s.machineIndex], sizeof(MachineRecord));
}

bool OptionsDialogForm::pending() const
{
    const auto& bytes = m_context.options.settings.dialogChanged;
    return std::any_of(std::begin(bytes), std::end(bytes), [](std::uint8_t b) { return b != 0; });
}

void OptionsDialogForm::apply()
{
    if (pending()) {
        m_context.options.settings.changed = 1;
        m_context.send(AppMessage::SaveOptions);
        std::fill(std::begin(m_context.options.settings.dialogChanged),
            std::end(m_context.options.settings.dialogChanged), std::uint8_t {0});
    }
    takeSnapshot();
}

void OptionsDialogForm::cancel()
{
    const Snapshot& s = *m_snapshot;
    const std::uint8_t changedNow = m_context.options.settings.changed;
    // The options may have been written while the dialog was open (the delayed write
    // after start runs inside the dialog's event loop); the file then holds values that
    // are now taken back and must be written again.
    const bool writtenMeanwhile = m_context.state.optionsWritten != s.optionsWritten;
    m_context.options.settings = s.settings;
    // A window may have marked the options changed before the dialog opened; that write
    // is still due, so cancel never clears the flag.
    m_context.options.settings.changed = (s.settings.changed == 1 || writtenMeanwhile || changedNow == 1) ? 1 : 0;
    m_context.state.startPage = s.startPage;
    m_context.state.languageCode = s.languageCode;
    m_context.state.languageChanged = s.languageChanged;
    std::memcpy(&m_context.options.machines[s.machineIndex], &s.machine, sizeof(MachineRecord));
}

} // namespace kvt
