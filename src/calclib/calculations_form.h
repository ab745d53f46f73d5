#pragma once
// The calculations dialog without widgets: the calculator list and its search filter,
// the labels of each calculator's inputs and results, the input and result texts, the
// report collected from every calculation, and the block kept in the options record so
// that the last calculator and its inputs come back when the dialog reopens.

#include "calclib/gauge_blocks.h"
#include "common/message_boxes.h"
#include "common/text_lookup.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

struct CalcList;
struct WindowBlock;

inline constexpr int kCalculatorCount = 20;
inline constexpr int kCalcRows = 5;
inline constexpr int kPitchCalculator = 14; // the flange window asks for this one
inline constexpr int kDrillToMmCalculator = 15;
inline constexpr int kDrillToInchCalculator = 16;
inline constexpr int kRoughnessCalculator = 18;
inline constexpr int kGaugeStackCalculator = 19;

struct CalcText {
    int id = 0;
    std::string_view builtin;
    // Id 0: a text that is the same in every language (a unit sign), or none.
    std::string text(const TextLookup& texts) const { return id ? texts.text(id, builtin) : std::string(builtin); }
};

struct CalculatorDescription {
    CalcText name;
    int inputCount = 0;
    std::array<CalcText, kCalcRows> inputs;
    std::array<int, kCalcRows> minimumDecimals {}; // places the typed value must show
    int resultCount = 0;
    std::array<CalcText, kCalcRows> results;
    std::array<CalcText, kCalcRows> units; // behind the value in the report and the copy
    int picture = 0; // 0 none, else the picture the dialog draws beside the rows
    std::array<CalcText, kCalcRows> resultTips {}; // tooltips of the result fields
};

// The calculators in the order of their numbers: the eighteen shop calculators, then
// surface roughness and gauge-block stacks.
const std::array<CalculatorDescription, kCalculatorCount>& calculatorDescriptions();

// The calculators whose name contains the search text, compared without regard to case
// (ASCII and the Latin-1 letters, so "ä" finds "Ä"); an empty text keeps all.
std::vector<int> filterCalculators(std::string_view search, const TextLookup& texts);

// What the form keeps in the calculations window's block of the options record.
struct CalculationsBlock {
    std::int32_t calculator;
    float inputs[kCalcRows];
    std::int32_t gaugeSet; // added later: older files hold 0, the first set
};

// The calculator list in the state block the program allocates for it: every
// calculator's name and number, the filtered copy shown in the combo box and one match
// flag per calculator.
struct CalcListEntry {
    char16_t name[256];
    std::int32_t number;
};
struct CalcListLayout {
    CalcListEntry all[kCalculatorCount];
    CalcListEntry shown[kCalculatorCount];
    std::uint8_t match[kCalculatorCount];
    std::int32_t shownCount;
};
// Fills the list for the search text; returns the calculators shown.
std::vector<int> fillCalcList(CalcList& list, std::string_view search, const TextLookup& texts);

class CalculationsForm {
public:
    explicit CalculationsForm(const TextLookup& texts);
    ~CalculationsForm();

    int calculator() const { return m_calculator; }
    // Selects a calculator (clamped to 0..17); its results are cleared.
    void selectCalculator(int calculator);
    const CalculatorDescription& description() const;

    const std::string& inputText(int row) const { return m_inputs.at(static_cast<std::size_t>(row)); }
    void setInputText(int row, std::string text);
    const std::string& resultText(int row) const { return m_results.at(static_cast<std::size_t>(row)); }
    std::string inputLabel(int row) const;
    std::string resultLabel(int row) const;

    // Runs the selected calculator on the input texts. Without a result (a zero divisor,
    // a cut input) the results stay as they were. A message to show is returned; an
    // input cut at a character not allowed is written back without one.
    std::optional<MessageBoxRequest> calculate();

    // The shown results with their labels, one a line, with units when asked for.
    std::string clipboardText(bool withUnits) const;

    // The report of every calculation since the dialog opened (UTF-8, CR LF).
    std::string reportText(int languageCode, const std::string& stamp) const;
    bool hasReport() const { return !m_reportLines.empty(); }

    CalculationsBlock block() const;
    // Restores a kept block; a damaged index or value (NaN, out of range) counts as 0.
    void restore(const CalculationsBlock& block);
    // The flange window's request: the pitch calculator with the hole diameter in both
    // diameter fields.
    void preselectPitch(float holeDiameter);
    // The pitch of the last successful pitch calculation, for the way back.
    std::optional<double> lastPitch() const { return m_lastPitch; }

    // The gauge-block sets the stack calculator chooses from (the defaults until the
    // user's file is loaded) and the one chosen.
    const std::vector<calc::GaugeBlockSet>& gaugeSets() const { return m_gaugeSets; }
    int gaugeSet() const { return m_gaugeSet; }
    void setGaugeSet(int set);
    // Replaces the sets (from the file or the editor); the choice stays where it can.
    void setGaugeSets(std::vector<calc::GaugeBlockSet> sets);
    // Reads the user's sets; a message when the file is damaged (the sets stay).
    std::optional<MessageBoxRequest> loadGaugeSets(const std::filesystem::path& dataDirectory);
    // Writes the sets and takes them over; a message (and nothing changed) on failure.
    std::optional<MessageBoxRequest> saveGaugeSets(
        const std::filesystem::path& dataDirectory, std::vector<calc::GaugeBlockSet> sets);
    // The text of a result field's tooltip; empty for none.
    std::string resultTip(int row) const;

private:
    std::optional<MessageBoxRequest> readInputs(std::array<double, kCalcRows>& values);
    void setResult(int row, std::string text);
    void appendReport();

    const TextLookup& m_texts;
    int m_calculator = 0;
    std::array<std::string, kCalcRows> m_inputs;
    std::array<std::string, kCalcRows> m_results;
    std::vector<std::string> m_reportLines;
    std::optional<double> m_lastPitch;
    std::vector<calc::GaugeBlockSet> m_gaugeSets;
    int m_gaugeSet = 0;
    // Prepared for the chosen set on its first use; dropped when the sets change.
    mutable std::unique_ptr<calc::GaugeStackSolver> m_solver;
    mutable int m_solverSet = -1;
    const calc::GaugeStackSolver& solver() const;
    std::optional<MessageBoxRequest> calculateGaugeStack();
};

} // namespace kvt
