#pragma once
// Renumbering the block numbers of an NC program, and the form of the dialog
// "*NC Datei, Zeilen durchzählen".
//
// A block number is only replaced where it stands at the start of a line that is not
// the first, in the current format, followed by one space and a letter or digit; a
// number run straight into its word ("N20G01") or followed by a comment ("N30 (") is
// left alone. Each found number is first replaced by a marker, then the markers are
// numbered from the start value in steps.

#include "common/text_lookup.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kvt {

// A line-number format such as "N0010": an address letter when the first character is
// alphabetic, the count of digits as the field width, the digits as a number.
struct NcLineFormat {
    char16_t letter = 0; // 0: no address letter
    int width = 0;
    std::int64_t number = 0;

    static NcLineFormat parse(std::u16string_view format);
};

struct RenumberRequest {
    NcLineFormat current;
    NcLineFormat next;
    std::int64_t start = 0;
    std::int64_t step = 1; // 0 is taken as 1
};

struct RenumberResult {
    std::u16string text;
    std::uint32_t renumbered = 0; // block numbers replaced
};

// Renumbers a program text. Empty when `cancel` was set on the way; `progress` (when
// given) counts the lines passed.
std::optional<RenumberResult> renumberNcText(std::u16string_view text, const RenumberRequest& request,
    const std::atomic<bool>* cancel = nullptr, std::atomic<std::uint32_t>* progress = nullptr);

// The dialog's fields and commands, without the dialog.
class NcRenumberForm {
public:
    static constexpr int kMinStep = 1;
    static constexpr int kMaxStep = 20;

    // Opens with both formats set to the machine's line-number format, start 0, step 1.
    explicit NcRenumberForm(std::u16string_view machineFormat);

    const std::u16string& currentFormat() const { return m_current; }
    const std::u16string& newFormat() const { return m_new; }
    const std::string& startText() const { return m_start; }
    int step() const { return m_step; }
    bool counting() const { return m_counting; } // the cancel button is shown

    void setCurrentFormat(std::u16string_view text) { m_current = text; }
    void setNewFormat(std::u16string_view text) { m_new = text; }
    void setStartText(std::string_view text) { m_start = text; }
    // The up-down control runs from 1 to 20; a step of 0 counts by 1.
    void setStep(int step);

    // "*Zählen": the request for the worker, or empty with `message` set when the start
    // value is not a whole number from 0 up.
    std::optional<RenumberRequest> count(const TextLookup& texts, std::string& message);
    // The worker ended with a new text: the new format becomes the machine's format
    // when it differs (returned when so).
    std::optional<std::u16string> finished();
    // "*Zählen abbrechen": the caller ends the worker and reloads the file from disk.
    void cancelled() { m_counting = false; }

private:
    std::u16string m_current;
    std::u16string m_new;
    std::string m_start;
    int m_step = kMinStep;
    bool m_counting = false;
};

} // namespace kvt
