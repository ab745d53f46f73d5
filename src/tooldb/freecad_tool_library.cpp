#include "tooldb/freecad_tool_library.h"

#include "common/code_page.h"
#include "common/json_value.h"
#include "common/number_format.h"

#include <cmath>
#include <cstdint>

namespace kvt {

namespace {

constexpr std::size_t kFileNameDescription = 40;

constexpr ToolTypeMapping kShapes[] = {
    {76050, "endmill.fcstd"},
    {76051, "endmill.fcstd"},
    {76052, "bullnose.fcstd"},
    {76053, "ballend.fcstd"},
    {76054, "thread-mill.fcstd"},
    {76055, "chamfer.fcstd"},
    {76056, "dovetail.fcstd"},
    {76057, "drill.fcstd"},
    {76058, "drill.fcstd"},
    {76059, "drill.fcstd"},
    {76060, "drill.fcstd"},
    {76061, "drill.fcstd"},
    {76062, "slittingsaw.fcstd"},
    {76063, "slittingsaw.fcstd"},
    {76064, "slittingsaw.fcstd"},
    {76065, "slittingsaw.fcstd"},
    {76066, "slittingsaw.fcstd"},
    {76067, "slittingsaw.fcstd"},
    {76068, "endmill.fcstd"},
    {76069, "endmill.fcstd"},
    {76070, "endmill.fcstd"},
    {76071, "chamfer.fcstd"},
    {76072, "chamfer.fcstd"},
    {76073, "drill.fcstd"},
    {76074, "probe.fcstd"},
    {76071, "v-bit.fcstd"},
};

enum class Quantity { Length, Angle, Speed, Count };

// The key of the angle or radius for a shape.
std::string_view angleKey(std::string_view shape)
{
    if (shape == "drill.fcstd")
        return "TipAngle";
    if (shape == "chamfer.fcstd" || shape == "v-bit.fcstd")
        return "CuttingEdgeAngle";
    return "CornerRadius";
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// A quantity in record units (mm, degrees, m/min); none for a text FreeCAD would not
// write for it.
std::optional<double> quantity(const JsonValue& value, Quantity kind)
{
    if (value.type() == JsonValue::Type::Number)
        return value.toDouble();
    if (value.type() != JsonValue::Type::String)
        return std::nullopt;
    const std::string_view text = trim(value.text());
    std::size_t split = 0;
    while (split < text.size()
        && ((text[split] >= '0' && text[split] <= '9') || text[split] == '.' || text[split] == ',' || text[split] == '-'
            || text[split] == '+'))
        ++split;
    const std::optional<double> number = parseExchangeNumber(text.substr(0, split));
    if (!number)
        return std::nullopt;
    const std::string_view unit = trim(text.substr(split));
    struct Unit {
        Quantity kind;
        std::string_view name;
        double factor;
    };
    static constexpr Unit kUnits[] = {
        {Quantity::Length, "", 1.0},
        {Quantity::Length, "mm", 1.0},
        {Quantity::Length, "cm", 10.0},
        {Quantity::Length, "m", 1000.0},
        {Quantity::Length, "um", 0.001},
        {Quantity::Length, "\xC2\xB5m", 0.001},
        {Quantity::Length, "in", kExchangeMillimetresPerInch},
        {Quantity::Length, "\"", kExchangeMillimetresPerInch},
        {Quantity::Angle, "", 1.0},
        {Quantity::Angle, "\xC2\xB0", 1.0},
        {Quantity::Angle, "deg", 1.0},
        {Quantity::Speed, "", 1.0},
        {Quantity::Speed, "m/min", 1.0},
        {Quantity::Speed, "mm/min", 0.001},
        {Quantity::Speed, "ft/min", kExchangeMetresPerFoot},
        {Quantity::Count, "", 1.0},
    };
    for (const Unit& u : kUnits) {
        if (u.kind == kind && u.name == unit)
            return *number * u.factor;
    }
    return std::nullopt;
}

std::string lengthText(float value)
{
    return exchangeNumberText(value, 1.0, 3) + " mm";
}

} // namespace

std::span<const ToolTypeMapping> freeCadShapes()
{
    return kShapes;
}

bool safeFreeCadBitPath(std::string_view path)
{
    if (path.empty() || path.front() == '/' || path.front() == '\\' || path.find(':') != std::string_view::npos
        || !path.ends_with(".fctb") || path.find('\0') != std::string_view::npos)
        return false;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = path.find_first_of("/\\", start);
        const std::string_view part = path.substr(start, end == std::string_view::npos ? end : end - start);
        if (part == "..")
            return false;
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return true;
}

std::string freeCadBitFileName(int number, std::u16string_view description)
{
    std::string name = cformat("T%03i", number);
    std::string rest;
    for (char16_t c : description) {
        if (rest.size() == kFileNameDescription)
            break;
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-'
            || c == u'_';
        rest += plain ? static_cast<char>(c) : '_';
    }
    if (!rest.empty())
        name += "_" + rest;
    return name + ".fctb";
}

FreeCadLibrary parseFreeCadLibrary(std::string_view json)
{
    FreeCadLibrary library;
    ExchangeReadResult& status = library.status;
    const JsonParseResult parsed = parseJson(json);
    if (!parsed.ok) {
        status.error = ExchangeError::BadJson;
        status.line = parsed.line;
        status.detail = parsed.reason;
        return library;
    }
    const JsonValue* tools = parsed.value.find("tools");
    if (!tools || !tools->isArray()) {
        status.error = ExchangeError::MissingHeader;
        return library;
    }
    if (tools->items().size() > kExchangeMaxTools) {
        status.error = ExchangeError::TooManyTools;
        return library;
    }
    for (std::size_t i = 0; i < tools->items().size(); ++i) {
        const JsonValue& item = tools->items()[i];
        const JsonValue* nr = item.find("nr");
        const JsonValue* path = item.find("path");
        const std::optional<double> number = nr ? nr->toDouble() : std::nullopt;
        if (!number || *number < 0 || *number > 1e9 || std::floor(*number) != *number) {
            status.error = ExchangeError::BadNumber;
            status.detail = "tools[" + std::to_string(i + 1) + "] nr";
            library.entries.clear();
            return library;
        }
        if (!path || path->type() != JsonValue::Type::String) {
            status.error = ExchangeError::MissingColumn;
            status.detail = "tools[" + std::to_string(i + 1) + "] path";
            library.entries.clear();
            return library;
        }
        library.entries.push_back({static_cast<int>(*number), path->text()});
    }
    if (library.entries.empty())
        status.error = ExchangeError::Empty;
    return library;
}

ExchangeReadResult parseFreeCadBit(std::string_view json, int number)
{
    ExchangeReadResult result;
    const JsonParseResult parsed = parseJson(json);
    if (!parsed.ok) {
        result.error = ExchangeError::BadJson;
        result.line = parsed.line;
        result.detail = parsed.reason;
        return result;
    }
    const JsonValue& bit = parsed.value;
    ExchangeTool tool;
    tool.number = number;
    if (const JsonValue* name = bit.find("name"); name && name->type() == JsonValue::Type::String) {
        setToolText(tool.record, ToolField::Description, utf8ToUtf16(name->text()));
        tool.carried |= fieldBit(ToolField::Description);
    }
    if (const JsonValue* shape = bit.find("shape"); shape && shape->type() == JsonValue::Type::String)
        tool.type = shape->text();
    // Parameters and attributes are looked up in both sections: where a value stands
    // depends on the shape and on the FreeCAD version that wrote it.
    auto find = [&](std::string_view key) -> const JsonValue* {
        for (std::string_view section : {"parameter", "attribute"}) {
            if (const JsonValue* values = bit.find(section); values && values->isObject()) {
                if (const JsonValue* value = values->find(key))
                    return value;
            }
        }
        return nullptr;
    };
    auto read = [&](std::string_view key, Quantity kind, float& into, ToolField field) {
        const JsonValue* value = find(key);
        if (!value)
            return true;
        const std::optional<double> parsedValue = quantity(*value, kind);
        const std::optional<float> stored = parsedValue ? exchangeNumberValue(*parsedValue, 1.0) : std::nullopt;
        if (!stored) {
            result.error = ExchangeError::BadNumber;
            result.detail = std::string(key) + " " + value->text();
            return false;
        }
        into = *stored;
        tool.carried |= fieldBit(field);
        return true;
    };
    float diameter = 0.0f;
    float flutes = 0.0f;
    const std::string_view angle = angleKey(tool.type);
    const bool ok = read("Diameter", Quantity::Length, diameter, ToolField::Radius)
        && read("Length", Quantity::Length, tool.record.length, ToolField::Length)
        && read("Flutes", Quantity::Count, flutes, ToolField::Teeth)
        && read(angle, angle == "CornerRadius" ? Quantity::Length : Quantity::Angle, tool.record.angleOrRadius,
            ToolField::AngleOrRadius)
        && read("Chipload", Quantity::Length, tool.record.feedPerTooth, ToolField::FeedPerTooth)
        && read("FeedPerRevolution", Quantity::Length, tool.record.feedPerRevolution, ToolField::FeedPerRevolution)
        && read("SurfaceSpeed", Quantity::Speed, tool.record.cuttingSpeed, ToolField::CuttingSpeed);
    if (!ok)
        return result;
    if (flutes < 0.0f || flutes > 65535.0f || std::floor(flutes) != flutes) {
        result.error = ExchangeError::BadNumber;
        result.detail = "Flutes";
        return result;
    }
    tool.record.radius = diameter / 2.0f;
    tool.record.teeth = static_cast<std::uint16_t>(flutes);
    result.tools.push_back(std::move(tool));
    return result;
}

ExchangeWriteResult composeFreeCadLibrary(std::span<const ExportTool> tools, const TextLookup& texts)
{
    ExchangeWriteResult result;
    JsonValue entries = JsonValue::array();
    for (const ExportTool& tool : tools) {
        const ToolRecord& r = tool.record;
        const float floats[]
            = {r.radius, r.length, r.angleOrRadius, r.feedPerTooth, r.feedPerRevolution, r.cuttingSpeed};
        const ToolField fields[] = {ToolField::Radius, ToolField::Length, ToolField::AngleOrRadius,
            ToolField::FeedPerTooth, ToolField::FeedPerRevolution, ToolField::CuttingSpeed};
        for (std::size_t i = 0; i < std::size(floats); ++i) {
            if (!std::isfinite(floats[i]))
                return refuseExport({tool.number, ExportNoticeKind::BadNumber, fields[i], 0});
        }
        const std::u16string_view description = toolText(r, ToolField::Description);
        const ToolTextProblem problem = toolTextProblem(description);
        if (problem == ToolTextProblem::ZeroCharacter || problem == ToolTextProblem::BrokenCharacter)
            return refuseExport({tool.number, ExportNoticeKind::BadText, ToolField::Description, 0});
        const std::string shape
            = typeForCategory(kShapes, texts, toolText(r, ToolField::Category), kFreeCadFallbackShape);
        const std::string_view angle = angleKey(shape);
        JsonValue parameter = JsonValue::object();
        parameter.set("Diameter", JsonValue::string(lengthText(r.radius * 2.0f)));
        parameter.set("Flutes", JsonValue::number(std::to_string(r.teeth)));
        parameter.set("Length", JsonValue::string(lengthText(r.length)));
        parameter.set(angle,
            JsonValue::string(angle == "CornerRadius" ? lengthText(r.angleOrRadius)
                                                      : exchangeNumberText(r.angleOrRadius, 1.0, 3) + " \xC2\xB0"));
        JsonValue attribute = JsonValue::object();
        attribute.set("Chipload", JsonValue::string(lengthText(r.feedPerTooth)));
        attribute.set("FeedPerRevolution", JsonValue::string(lengthText(r.feedPerRevolution)));
        attribute.set("SurfaceSpeed", JsonValue::string(exchangeNumberText(r.cuttingSpeed, 1.0, 3) + " m/min"));
        JsonValue bit = JsonValue::object();
        bit.set("version", JsonValue::number("2"));
        bit.set("name", JsonValue::string(utf16ToUtf8(description)));
        bit.set("shape", JsonValue::string(shape));
        bit.set("parameter", std::move(parameter));
        bit.set("attribute", std::move(attribute));
        const std::string file = freeCadBitFileName(tool.number, description);
        result.sideFiles.push_back({file, writeJson(bit)});
        JsonValue entry = JsonValue::object();
        entry.set("nr", JsonValue::number(std::to_string(tool.number)));
        entry.set("path", JsonValue::string(file));
        entries.append(std::move(entry));
        ++result.toolsWritten;
    }
    JsonValue library = JsonValue::object();
    library.set("version", JsonValue::number("1"));
    library.set("tools", std::move(entries));
    result.bytes = writeJson(library);
    return result;
}

} // namespace kvt
