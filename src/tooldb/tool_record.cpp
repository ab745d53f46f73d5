#include "tooldb/tool_record.h"

#include "common/code_page.h"
#include "common/text_lookup.h"

#include <algorithm>
#include <cstring>

namespace kvt {

namespace {

constexpr std::array<ToolFieldInfo, kToolFieldCount> kToolFields = {{
    {ToolField::NcData, ToolFieldKind::Text, offsetof(ToolRecord, ncData), kToolNcDataLength, 76010, "*NC Daten"},
    {ToolField::Description, ToolFieldKind::Text, offsetof(ToolRecord, description), kToolDescriptionLength, 76011,
        "*Beschreibung"},
    {ToolField::Category, ToolFieldKind::Text, offsetof(ToolRecord, category), kToolCategoryLength, 76014,
        "*kategorie"},
    {ToolField::Maker, ToolFieldKind::Text, offsetof(ToolRecord, maker), kToolMakerLength, 76012, "*Hersteller"},
    {ToolField::OrderNumber, ToolFieldKind::Text, offsetof(ToolRecord, orderNumber), kToolOrderNumberLength, 76013,
        "*Art.Nummer"},
    {ToolField::PicturePath, ToolFieldKind::Text, offsetof(ToolRecord, picturePath), kToolPicturePathLength, 76017,
        "*Bild"},
    {ToolField::ReplacementDate, ToolFieldKind::Text, offsetof(ToolRecord, replacementDate), kToolDateLength, 76015,
        "*Tausch-Datum"},
    {ToolField::LastChangeDate, ToolFieldKind::Text, offsetof(ToolRecord, lastChangeDate), kToolDateLength, 76016,
        "*Akt.-Datum"},
    {ToolField::PictureRotation, ToolFieldKind::Integer, offsetof(ToolRecord, pictureRotation), 0, 76018, "*Drehen"},
    {ToolField::Length, ToolFieldKind::Float, offsetof(ToolRecord, length), 0, 76019, "*Länge"},
    {ToolField::Radius, ToolFieldKind::Float, offsetof(ToolRecord, radius), 0, 76020, "*Radius"},
    {ToolField::LengthTolerance, ToolFieldKind::Float, offsetof(ToolRecord, lengthTolerance), 0, 76021, "*Länge Tol."},
    {ToolField::RadiusTolerance, ToolFieldKind::Float, offsetof(ToolRecord, radiusTolerance), 0, 76022, "*Radius Tol."},
    {ToolField::AngleOrRadius, ToolFieldKind::Float, offsetof(ToolRecord, angleOrRadius), 0, 76031, "*Winkel/Radius"},
    {ToolField::Teeth, ToolFieldKind::UnsignedShort, offsetof(ToolRecord, teeth), 0, 76023, "*Zähnezahl"},
    {ToolField::CuttingSpeed, ToolFieldKind::Float, offsetof(ToolRecord, cuttingSpeed), 0, 76024,
        "*Schnittgeschwindigkeit"},
    {ToolField::FeedPerRevolution, ToolFieldKind::Float, offsetof(ToolRecord, feedPerRevolution), 0, 76025,
        "*Vorschub pro Umdrehung"},
    {ToolField::AxialFeedPerRevolution, ToolFieldKind::Float, offsetof(ToolRecord, axialFeedPerRevolution), 0, 76026,
        "*Vorschub pro Umdrehung Axial"},
    {ToolField::FeedPerTooth, ToolFieldKind::Float, offsetof(ToolRecord, feedPerTooth), 0, 76027, "*Vorschub pro Zahn"},
    {ToolField::AxialFeedRate, ToolFieldKind::Float, offsetof(ToolRecord, axialFeedRate), 0, 76028, "*Vorschub Axial"},
    {ToolField::FeedRate, ToolFieldKind::Float, offsetof(ToolRecord, feedRate), 0, 76029, "*Vorschub"},
    {ToolField::SpindleSpeed, ToolFieldKind::Float, offsetof(ToolRecord, spindleSpeed), 0, 76030, "*Drehzahl"},
}};

constexpr bool fieldsInOrder()
{
    for (std::size_t i = 0; i < kToolFields.size(); ++i) {
        if (static_cast<std::size_t>(kToolFields[i].field) != i)
            return false;
    }
    return true;
}
static_assert(fieldsInOrder(), "the table is indexed by ToolField");

constexpr bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

bool isEmpty(const ToolRecord& record)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    return std::all_of(bytes, bytes + sizeof record, [](unsigned char b) { return b == 0; });
}

bool isPresent(const ToolRecord& record)
{
    return record.lastChangeDate[0] != u'\0';
}

bool hasNcData(const ToolRecord& record)
{
    return record.ncData[0] != u'\0';
}

const std::array<ToolFieldInfo, kToolFieldCount>& toolFields()
{
    return kToolFields;
}

const ToolFieldInfo& toolFieldInfo(ToolField field)
{
    const auto index = static_cast<std::size_t>(field);
    return kToolFields[index < kToolFields.size() ? index : 0];
}

std::string toolFieldLabel(const TextLookup& texts, ToolField field)
{
    const ToolFieldInfo& info = toolFieldInfo(field);
    return texts.text(info.labelId, info.label);
}

std::u16string_view toolText(const ToolRecord& record, ToolField field)
{
    const ToolFieldInfo& info = toolFieldInfo(field);
    if (info.kind != ToolFieldKind::Text)
        return {};
    // The text arrays are char16_t members of the record; the offset names one of them.
    const auto* text = reinterpret_cast<const char16_t*>(reinterpret_cast<const unsigned char*>(&record) + info.offset);
    return fixedText(std::span<const char16_t>(text, info.textLength));
}

bool setToolText(ToolRecord& record, ToolField field, std::u16string_view text)
{
    const ToolFieldInfo& info = toolFieldInfo(field);
    if (info.kind != ToolFieldKind::Text)
        return false;
    auto* array = reinterpret_cast<char16_t*>(reinterpret_cast<unsigned char*>(&record) + info.offset);
    return setFixedText(std::span<char16_t>(array, info.textLength), text);
}

ToolTextProblem toolTextProblem(std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\n' || c == u'\r')
            return ToolTextProblem::LineBreak;
        if (c == u'\0')
            return ToolTextProblem::ZeroCharacter;
        if (isHighSurrogate(c)) {
            if (i + 1 >= text.size() || !isLowSurrogate(text[i + 1]))
                return ToolTextProblem::BrokenCharacter;
            ++i;
        } else if (isLowSurrogate(c)) {
            return ToolTextProblem::BrokenCharacter;
        }
    }
    if (text.find(u" | ") != std::u16string_view::npos)
        return ToolTextProblem::Separator;
    if (text.ends_with(u" |"))
        return ToolTextProblem::SeparatorAtEnd;
    return ToolTextProblem::None;
}

std::string toolTextProblemMessage(const TextLookup& texts, ToolField field, ToolTextProblem problem)
{
    std::string reason;
    switch (problem) {
    case ToolTextProblem::None:
        return {};
    case ToolTextProblem::LineBreak:
        reason = texts.text(76101, "*Ein Zeilenumbruch ist hier nicht erlaubt.");
        break;
    case ToolTextProblem::Separator:
        reason = texts.text(76102, "*Die Zeichenfolge \" | \" ist hier nicht erlaubt.");
        break;
    case ToolTextProblem::SeparatorAtEnd:
        reason = texts.text(76103, "*Der Text darf nicht mit \" |\" enden.");
        break;
    case ToolTextProblem::ZeroCharacter:
    case ToolTextProblem::BrokenCharacter:
        reason = texts.text(76104, "*Der Text enthält ungültige Zeichen.");
        break;
    }
    return toolFieldLabel(texts, field) + ": " + reason + "\n"
        + texts.text(76105,
            "*Die Exportdatei der Werkzeugtabelle trennt ihre Felder mit \" | \" und ihre Zeilen mit Zeilenumbrüchen.");
}

} // namespace kvt
