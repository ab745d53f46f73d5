#pragma once
// The tool editor without its widgets: one tool's record being edited, the texts of its
// fields in the display unit system, checking what is typed, the dates, the picture's
// rotation, the hand-over to the cutting data window and the values it hands back, and
// the tool's report. Nothing reaches the table until the window saves the record.

#include "common/clock.h"
#include "common/field_description.h"
#include "common/text_lookup.h"
#include "tooldb/tool_record.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kvt {

struct ToolHandOver;

// The fields of the editor, in the order of the dialog. The picture path and the
// picture's rotation have controls of their own.
inline constexpr std::array<ToolField, 20> kEditorFields = {
    ToolField::NcData,
    ToolField::Description,
    ToolField::Maker,
    ToolField::OrderNumber,
    ToolField::Category,
    ToolField::ReplacementDate,
    ToolField::LastChangeDate,
    ToolField::Length,
    ToolField::Radius,
    ToolField::LengthTolerance,
    ToolField::RadiusTolerance,
    ToolField::AngleOrRadius,
    ToolField::Teeth,
    ToolField::CuttingSpeed,
    ToolField::FeedPerRevolution,
    ToolField::AxialFeedPerRevolution,
    ToolField::FeedPerTooth,
    ToolField::AxialFeedRate,
    ToolField::FeedRate,
    ToolField::SpindleSpeed,
};

// Dates are stored day first ("07.03.2025").
inline constexpr std::size_t kToolDateCharacters = 10;

class ToolEditorForm {
public:
    ToolEditorForm(const TextLookup& texts, int unitSystem, int languageCode);

    void load(const ToolRecord& record);
    const ToolRecord& record() const { return m_record; }

    // Numbers and the diameter: texts of the text fields are their own descriptions.
    static bool isNumeric(ToolField field);
    static bool isDate(ToolField field);
    static const FieldDescription& description(ToolField field);
    static const FieldDescription& diameterDescription();

    // The text a field shows: numbers in the display unit system, "---" for 0; dates
    // year first for English.
    std::string fieldText(ToolField field) const;
    // Twice the radius, "---" when the radius is 0.
    std::string diameterText() const;
    std::string caption(ToolField field) const;
    std::string diameterCaption() const;

    // What the user typed into a field. A text that cannot be stored is refused with
    // the message for the user (the record keeps its value); a number that does not
    // parse keeps the value as well and gives an empty message, since the field already
    // shows the cut text. nullopt when the text was taken.
    std::optional<std::string> setFieldText(ToolField field, std::string_view text);

    void setCategory(std::string_view text);
    void setPicturePath(std::u16string_view path);
    // A quarter turn further: 0, 1, 2, 3 and back to 0.
    void rotatePicture();
    int pictureRotation() const;

    // "*Wechsel": today is the replacement date.
    void setReplacementDate(const LocalDateTime& now);
    // "*Speichern": today is the date of the last change; the record to store.
    const ToolRecord& save(const LocalDateTime& now);
    // "*Clear": every field empty (the table changes only on saving).
    void clear();

    // "*Erm": the values the cutting data window starts from (metric). The return area
    // is cleared, so that only a fresh answer of the cutting data window counts.
    void handOver(ToolHandOver& handOver) const;
    // The values the cutting data window handed back, taken into the record.
    void takeReturn(const ToolHandOver& returned);

    // The "TDW" report of the tool with its number.
    std::string reportText(int toolNumber, const LocalDateTime& time) const;

private:
    std::string formatValue(ToolField field, float metric) const;

    const TextLookup& m_texts;
    int m_unitSystem;
    int m_languageCode;
    ToolRecord m_record {};
};

// The stored date (day first) as the language shows it: year first for English.
std::string displayedToolDate(std::u16string_view stored, int languageCode);
// Today as stored: "07.03.2025".
std::u16string storedToolDate(const LocalDateTime& now);

} // namespace kvt
