#include "tooldb/fusion_tool_library.h"

#include "common/code_page.h"
#include "common/json_value.h"
#include "common/number_format.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace kvt {

namespace {

constexpr ToolTypeMapping kTypes[] = {
    {76050, "flat end mill"},
    {76051, "flat end mill"},
    {76052, "radius mill"},
    {76053, "ball end mill"},
    {76054, "thread mill"},
    {76055, "chamfer mill"},
    {76056, "form mill"},
    {76057, "drill"},
    {76058, "drill"},
    {76059, "spot drill"},
    {76060, "drill"},
    {76061, "tap right hand"},
    {76062, "slot mill"},
    {76063, "slot mill"},
    {76064, "slot mill"},
    {76065, "slot mill"},
    {76066, "slot mill"},
    {76067, "slot mill"},
    {76068, "face mill"},
    {76069, "face mill"},
    {76070, "counter bore"},
    {76071, "counter sink"},
    {76072, "counter sink"},
    {76073, "reamer"},
    {76074, "probe"},
    {76050, "bull nose end mill"},
    {76056, "dovetail mill"},
    {76056, "lollipop mill"},
    {76056, "tapered mill"},
    {76059, "center drill"},
    {76061, "tap left hand"},
};

// The geometry key that holds the angle or radius of a tool of this type.
std::string_view angleKey(std::string_view type)
{
    if (type == "drill" || type == "spot drill" || type == "center drill" || type == "counter sink")
        return "SIG";
    if (type == "chamfer mill")
        return "TA";
    return "RE";
}

bool isAngle(std::string_view key)
{
    return key != "RE";
}

struct Reading {
    ExchangeReadResult& result;
    ExchangeUnit unit;
    std::size_t entry; // from 1, for messages

    bool fail(ExchangeError error, std::string detail)
    {
        result.error = error;
        result.detail = "data[" + std::to_string(entry) + "] " + detail;
        return false;
    }

    // A number member; absent or null leaves the field as it is. `scale` converts to
    // record units.
    bool number(
        const JsonValue* object, std::string_view key, float& into, double scale, ExchangeTool& tool, ToolField field)
    {
        const JsonValue* value = object ? object->find(key) : nullptr;
        if (!value || value->type() == JsonValue::Type::Null)
            return true;
        const std::optional<double> parsed = value->toDouble();
        const std::optional<float> stored = parsed ? exchangeNumberValue(*parsed, scale) : std::nullopt;
        if (!stored)
            return fail(ExchangeError::BadNumber, std::string(key));
        into = *stored;
        tool.carried |= fieldBit(field);
        return true;
    }

    bool text(const JsonValue& object, std::string_view key, ExchangeTool& tool, ToolField field)
    {
        const JsonValue* value = object.find(key);
        if (!value || value->type() == JsonValue::Type::Null)
            return true;
        if (value->type() != JsonValue::Type::String)
            return fail(ExchangeError::BadText, std::string(key));
        setToolText(tool.record, field, utf8ToUtf16(value->text()));
        tool.carried |= fieldBit(field);
        return true;
    }
};

// A stable identifier for a tool, made from its number and description, so that the
// same tool gets the same identifier from one export to the next.
std::string toolGuid(int number, std::u16string_view description)
{
    std::uint64_t hash = 1469598103934665603ull;
    auto mix = [&](std::uint64_t v) {
        hash ^= v;
        hash *= 1099511628211ull;
    };
    mix(static_cast<std::uint64_t>(number));
    for (char16_t c : description)
        mix(c);
    const std::string hex = cformat("%016llx", static_cast<unsigned long long>(hash));
    return cformat("4b565400-%s-4%s-8%s-%s", hex.substr(0, 4), hex.substr(4, 3), hex.substr(7, 3),
        hex.substr(10, 6) + cformat("%06i", number));
}

} // namespace

std::span<const ToolTypeMapping> fusionTypes()
{
    return kTypes;
}

ExchangeReadResult parseFusionToolLibrary(std::string_view json)
{
    ExchangeReadResult result;
    const JsonParseResult parsed = parseJson(json);
    if (!parsed.ok) {
        result.error = ExchangeError::BadJson;
        result.line = parsed.line;
        result.detail = parsed.reason;
        return result;
    }
    const JsonValue* data = parsed.value.find("data");
    if (!data || !data->isArray()) {
        result.error = ExchangeError::MissingHeader;
        result.detail = "data";
        return result;
    }
    if (data->items().size() > kExchangeMaxTools) {
        result.error = ExchangeError::TooManyTools;
        return result;
    }
    for (std::size_t i = 0; i < data->items().size(); ++i) {
        const JsonValue& item = data->items()[i];
        Reading reading {result, ExchangeUnit::Millimetre, i + 1};
        if (!item.isObject()) {
            reading.fail(ExchangeError::BadJson, "");
            result.tools.clear();
            return result;
        }
        ExchangeTool tool;
        const JsonValue* type = item.find("type");
        tool.type = type && type->type() == JsonValue::Type::String ? type->text() : std::string();
        tool.notATool = tool.type == "holder" || tool.type == "shaft";
        const JsonValue* unit = item.find("unit");
        const std::string unitText = unit ? unit->text() : std::string();
        if (unitText == "inches") {
            reading.unit = ExchangeUnit::Inch;
        } else if (!unitText.empty() && unitText != "millimeters") {
            reading.fail(ExchangeError::BadUnit, unitText);
            result.tools.clear();
            return result;
        }
        result.unit = reading.unit;
        const double length = lengthScale(reading.unit);
        const JsonValue* post = item.find("post-process");
        const JsonValue* number = post ? post->find("number") : nullptr;
        const std::optional<double> n = number ? number->toDouble() : std::nullopt;
        if (!tool.notATool) {
            if (!n || *n < 0 || *n > 1e9 || std::floor(*n) != *n) {
                reading.fail(ExchangeError::BadNumber, "post-process number");
                result.tools.clear();
                return result;
            }
            tool.number = static_cast<int>(*n);
        }
        const JsonValue* geometry = item.find("geometry");
        const JsonValue* presets = nullptr;
        if (const JsonValue* start = item.find("start-values"))
            presets = start->find("presets");
        const JsonValue* preset
            = presets && presets->isArray() && !presets->items().empty() ? &presets->items()[0] : nullptr;
        float diameter = 0.0f;
        float teeth = 0.0f;
        const std::string_view key = angleKey(tool.type);
        bool ok = reading.text(item, "description", tool, ToolField::Description)
            && reading.text(item, "vendor", tool, ToolField::Maker)
            && reading.text(item, "product-id", tool, ToolField::OrderNumber)
            && (!post || reading.text(*post, "comment", tool, ToolField::NcData))
            && reading.number(geometry, "DC", diameter, length, tool, ToolField::Radius)
            && reading.number(geometry, "OAL", tool.record.length, length, tool, ToolField::Length)
            && reading.number(geometry, "NOF", teeth, 1.0, tool, ToolField::Teeth)
            && reading.number(
                geometry, key, tool.record.angleOrRadius, isAngle(key) ? 1.0 : length, tool, ToolField::AngleOrRadius)
            && reading.number(
                preset, "v_c", tool.record.cuttingSpeed, speedScale(reading.unit), tool, ToolField::CuttingSpeed)
            && reading.number(preset, "f_z", tool.record.feedPerTooth, length, tool, ToolField::FeedPerTooth)
            && reading.number(preset, "f_n", tool.record.feedPerRevolution, length, tool, ToolField::FeedPerRevolution)
            && reading.number(preset, "n", tool.record.spindleSpeed, 1.0, tool, ToolField::SpindleSpeed)
            && reading.number(preset, "v_f", tool.record.feedRate, length, tool, ToolField::FeedRate);
        if (ok && (teeth < 0.0f || teeth > 65535.0f || std::floor(teeth) != teeth))
            ok = reading.fail(ExchangeError::BadNumber, "NOF");
        if (!ok) {
            result.tools.clear();
            return result;
        }
        // Libraries leave the comment empty unless someone typed one; an empty comment
        // must not wipe the NC data of the tool it replaces.
        if (!hasNcData(tool.record))
            tool.carried &= ~fieldBit(ToolField::NcData);
        tool.record.radius = diameter / 2.0f;
        tool.record.teeth = static_cast<std::uint16_t>(teeth);
        result.tools.push_back(std::move(tool));
    }
    if (result.tools.empty())
        result.error = ExchangeError::Empty;
    return result;
}

ExchangeWriteResult composeFusionToolLibrary(
    std::span<const ExportTool> tools, ExchangeUnit unit, const TextLookup& texts)
{
    ExchangeWriteResult result;
    const double length = lengthScale(unit);
    const int decimals = unit == ExchangeUnit::Inch ? 4 : 3;
    JsonValue data = JsonValue::array();
    for (const ExportTool& tool : tools) {
        const ToolRecord& r = tool.record;
        const float floats[] = {r.radius, r.length, r.angleOrRadius, r.cuttingSpeed, r.feedPerTooth,
            r.feedPerRevolution, r.spindleSpeed, r.feedRate};
        const ToolField fields[]
            = {ToolField::Radius, ToolField::Length, ToolField::AngleOrRadius, ToolField::CuttingSpeed,
                ToolField::FeedPerTooth, ToolField::FeedPerRevolution, ToolField::SpindleSpeed, ToolField::FeedRate};
        for (std::size_t i = 0; i < std::size(floats); ++i) {
            if (!std::isfinite(floats[i]))
                return refuseExport({tool.number, ExportNoticeKind::BadNumber, fields[i], 0});
        }
        for (ToolField field : {ToolField::Description, ToolField::NcData, ToolField::Maker, ToolField::OrderNumber}) {
            const ToolTextProblem problem = toolTextProblem(toolText(r, field));
            if (problem == ToolTextProblem::ZeroCharacter || problem == ToolTextProblem::BrokenCharacter)
                return refuseExport({tool.number, ExportNoticeKind::BadText, field, 0});
        }
        const std::string type = typeForCategory(kTypes, texts, toolText(r, ToolField::Category), kFusionFallbackType);
        JsonValue entry = JsonValue::object();
        entry.set("description", JsonValue::string(utf16ToUtf8(toolText(r, ToolField::Description))));
        JsonValue geometry = JsonValue::object();
        geometry.set("DC", JsonValue::number(exchangeNumberText(r.radius * 2.0f, length, decimals)));
        geometry.set("NOF", JsonValue::number(std::to_string(r.teeth)));
        geometry.set("OAL", JsonValue::number(exchangeNumberText(r.length, length, decimals)));
        const std::string_view key = angleKey(type);
        geometry.set(
            key, JsonValue::number(exchangeNumberText(r.angleOrRadius, isAngle(key) ? 1.0 : length, decimals)));
        entry.set("geometry", std::move(geometry));
        entry.set("guid", JsonValue::string(toolGuid(tool.number, toolText(r, ToolField::Description))));
        JsonValue post = JsonValue::object();
        post.set("comment", JsonValue::string(utf16ToUtf8(toolText(r, ToolField::NcData))));
        post.set("diameter-offset", JsonValue::number(std::to_string(tool.number)));
        post.set("length-offset", JsonValue::number(std::to_string(tool.number)));
        post.set("live", JsonValue::boolean(true));
        post.set("manual-tool-change", JsonValue::boolean(false));
        post.set("number", JsonValue::number(std::to_string(tool.number)));
        post.set("turret", JsonValue::number("0"));
        entry.set("post-process", std::move(post));
        entry.set("product-id", JsonValue::string(utf16ToUtf8(toolText(r, ToolField::OrderNumber))));
        JsonValue preset = JsonValue::object();
        preset.set("name", JsonValue::string("Kalvora Tools"));
        preset.set("f_n", JsonValue::number(exchangeNumberText(r.feedPerRevolution, length, decimals)));
        preset.set("f_z", JsonValue::number(exchangeNumberText(r.feedPerTooth, length, decimals)));
        preset.set("n", JsonValue::number(exchangeNumberText(r.spindleSpeed, 1.0, 0)));
        preset.set("v_c", JsonValue::number(exchangeNumberText(r.cuttingSpeed, speedScale(unit), 3)));
        preset.set("v_f", JsonValue::number(exchangeNumberText(r.feedRate, length, decimals)));
        JsonValue presets = JsonValue::array();
        presets.append(std::move(preset));
        JsonValue start = JsonValue::object();
        start.set("presets", std::move(presets));
        entry.set("start-values", std::move(start));
        entry.set("type", JsonValue::string(type));
        entry.set("unit", JsonValue::string(unit == ExchangeUnit::Inch ? "inches" : "millimeters"));
        entry.set("vendor", JsonValue::string(utf16ToUtf8(toolText(r, ToolField::Maker))));
        data.append(std::move(entry));
        ++result.toolsWritten;
    }
    JsonValue root = JsonValue::object();
    root.set("data", std::move(data));
    root.set("version", JsonValue::number("13"));
    result.bytes = writeJson(root);
    return result;
}

} // namespace kvt
