#pragma once
// The first machine page of the options dialog: name, spindle speed steps, dividing
// head, vice jaw height and parallels of the current machine. The lists are checked
// as a whole when their field is left; a list with a mistake is refused with a message
// and the machine keeps its former list, so a half-read list is never stored.

#include "options/machine_data.h"
#include "options/options_dialog_context.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

enum class ListProblem {
    None,
    Umlaut, // refused by the number-list extraction with its own message
    BadEntry, // a character or a value that does not belong in the list
    TooMany,
    DepthGreaterThanHeight, // parallels only
};

template<typename T> struct ParsedList {
    ListProblem problem = ListProblem::None;
    std::vector<T> values;
};

struct ParallelSize {
    float height; // mm
    float depth; // mm
};

inline constexpr std::int32_t kMaxSpindleSpeed = 999'999; // rev/min; more is a typing slip

// Whole numbers separated by blanks, line breaks, commas or semicolons. Speeds come
// back in ascending order without repeats; at most 250, each 1 to kMaxSpindleSpeed.
ParsedList<float> parseSpeedSteps(std::string_view text);
// Hole counts of the index plates, 1 to 65535, at most 360, kept in the order typed:
// the dividing head window takes the first fitting circle of the list.
ParsedList<std::uint16_t> parseIndexPlates(std::string_view text);
// Pairs of height and depth in the display unit ("10 x 8", one per line, or "10 8 20 8"),
// decimals with a point or a comma between digits. Returned in millimetres, sorted by
// height; at most kMaxParallels, heights above 0, no depth greater than its height.
ParsedList<ParallelSize> parseParallels(std::string_view text, int unitSystem);

inline constexpr int kListErrorCaptionId = 65470;
inline constexpr std::string_view kListErrorCaption = "Error";

class OptionsMachineForm {
public:
    explicit OptionsMachineForm(OptionsDialogContext& context);

    int machineIndex() const { return currentMachineIndex(m_context.options); }

    std::string nameText() const;
    void setName(std::string_view utf8);

    // Lists as the fields show them, one entry per line.
    std::string speedStepsText() const;
    std::string indexPlatesText() const;
    std::string parallelsText() const;
    // Each returns false after telling the user what is wrong; the stored list is then
    // the one from before and the field keeps the text for correction.
    bool setSpeedSteps(std::string_view text);
    bool setIndexPlates(std::string_view text);
    bool setParallels(std::string_view text);

    std::string crankTurnsText() const;
    std::string jawHeightText() const; // display unit
    std::string jawHeightLabel() const; // caption with the length unit
    std::string parallelsLabel() const;
    // Single-value fields; false when the text was refused or cut (the user was told).
    bool setCrankTurns(std::string& text);
    bool setJawHeight(std::string& text);

    // "*Maschine löschen": after a question, empties everything of the machine that the
    // options pages edit and keeps its tool table. True when the machine was cleared.
    bool deleteMachine();
    // Writes the serial settings a cleared machine starts from; their layout belongs to
    // the serial link, which the dialog knows and this form does not.
    void setSerialReset(std::function<void(MachineRecord&)> reset) { m_serialReset = std::move(reset); }

    bool changed() const { return m_context.options.settings.dialogChanged[kMachinePage1] == 1; }

private:
    MachineRecord& machine() const { return m_context.options.machines[machineIndex()]; }
    MachineData& data() const { return machineData(machine()); }
    void markChanged() { m_context.options.settings.dialogChanged[kMachinePage1] = 1; }
    std::string text(int id, std::string_view builtin) const { return m_context.texts.text(id, builtin); }
    void showListError(int textId, std::string_view builtin, std::string_view detail = {});
    std::string lengthText(float millimetres) const;
    void setNoParallelsSlot();

    OptionsDialogContext& m_context;
    std::function<void(MachineRecord&)> m_serialReset;
};

} // namespace kvt
