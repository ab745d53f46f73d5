#pragma once
// The calculations dialog without widgets: the calculator list and its search filter,
// the labels of each calculator's inputs and results, the input and result texts, the
// report collected from every calculation, and the block kept in the options record so
// that the last calculator and its inputs come back when the dialog reopens.

#include "common/message_boxes.h"
#include "common/text_lookup.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

struct CalcList;
struct WindowBlock;

inline constexpr int kCalculatorCount = 18;
inline constexpr int kCalcRows = 5;
inline constexpr int kPitchCalculator = 14; // the flange window asks for this one
inline constexpr int kDrillToMmCalculator = 15;
inline constexpr int kDrillToInchCalculator = 16;

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
};

// The eighteen calculators in the order of their numbers.
const std::array<CalculatorDescription, kCalculatorCount>& calculatorDescriptions();

// The calculators whose name contains the search text, compared without regard to case
// (ASCII and the Latin-1 letters, so "ä" finds "Ä"); an empty text keeps all.
std::vector<int> filterCalculators(std::string_view search, const TextLookup& texts);

// What the form keeps in the calculations window's block of the options record.
struct CalculationsBlock {
    std::int32_t calculator;
    float inputs[kCalcRows];
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
};

} // namespace kvt
