#include "common/units.h"

#include <array>
#include <cmath>
#include <string_view>

namespace kvt {

namespace {

double power10(int n)
{
    double p = 1.0;
    for (int i = 0; i < n; ++i)
        p *= 10.0;
    return p;
}

// Builds a value, narrowing the product to float first for unit kind 1: the float
// windows always did, and the double variants must give the same stored values.
double convert(int unitSystem, int unitKind, double value, bool toMetricDirection, int displayDecimals, bool& done)
{
    done = false;
    if (unitSystem == kUnitSystemMetric) {
        done = true;
        return value;
    }
    if (unitSystem != kUnitSystemInch || unitKind < 1 || unitKind > 7)
        return value;
    done = true;
    double factor = 0.0;
    switch (unitKind) {
    case 1:
    case 5:
        factor = kMillimetresPerInch;
        break;
    case 6:
        factor = kMetresPerFoot;
        break;
    default:
        return value;
    }
    double product = toMetricDirection ? value * factor : value / factor;
    if (unitKind == 1)
        product = static_cast<float>(product);
    return roundDecimals(product, toMetricDirection ? 5 : displayDecimals);
}

struct UnitTexts {
    std::string_view metric;
    std::string_view inch;
};

// Index = unit kind - 1.
constexpr std::array<UnitTexts, 14> kUnitTexts = {{
    {"[mm]", "[inch]"},
    {"[mm/min]", "[inch/min]"},
    {"[mm/U]", "[inch/U]"},
    {"[m/min]", "[ft/min]"},
    {"[U/min]", "[U/min]"},
    {"[m]", "[ft]"},
    {"[°]", "[°]"},
    {"[%]", "[%]"},
    {"[s]", "[s]"},
    {"[ms]", "[ms]"},
    {"[l]", "[gal]"},
    {"[mm²]", "[inch²]"},
    {"[kg]", "[lb]"},
    {"[°C]", "[°F]"},
}};

} // namespace

double roundDecimals(double value, int decimals)
{
    const double scale = power10(decimals);
    const double shifted = (value + 5.0 / (scale * 10.0)) * scale;
    // Beyond the 64-bit range (or not a number) there is nothing to truncate.
    if (!(std::fabs(shifted) < 9.2e18))
        return value;
    return static_cast<double>(static_cast<std::int64_t>(shifted)) / scale;
}

float toMetric(int unitSystem, int unitKind, float value)
{
    bool done = false;
    const double converted = convert(unitSystem, unitKind, value, true, 5, done);
    return done ? static_cast<float>(converted) : value;
}

double toMetric(int unitSystem, int unitKind, double value)
{
    bool done = false;
    return convert(unitSystem, unitKind, value, true, 5, done);
}

float toDisplay(int unitSystem, int unitKind, float value)
{
    bool done = false;
    const double converted = convert(unitSystem, unitKind, value, false, 5, done);
    return done ? static_cast<float>(converted) : value;
}

double toDisplay(int unitSystem, int unitKind, double value)
{
    bool done = false;
    return convert(unitSystem, unitKind, value, false, unitKind == 1 ? 4 : 5, done);
}

double millilitresToUsFluidOunces(double millilitres)
{
    return roundDecimals(millilitres / kMillilitresPerUsFluidOunce, 3);
}

double millilitresToImperialFluidOunces(double millilitres)
{
    return roundDecimals(millilitres / kMillilitresPerImperialFluidOunce, 3);
}

double mixedFraction(std::int32_t whole, std::int32_t numerator, std::int32_t denominator)
{
    const double fraction = denominator == 0 ? 0.0 : static_cast<double>(numerator) / denominator;
    return roundDecimals(whole + fraction, 3);
}

std::string unitText(const TextLookup& texts, int unitSystem, int unitKind)
{
    if (unitKind < 1 || unitKind > static_cast<int>(kUnitTexts.size()))
        return {}; // kind 15 and kNoUnit: no unit text
    const UnitTexts& entry = kUnitTexts[static_cast<std::size_t>(unitKind - 1)];
    if (unitSystem == kUnitSystemMetric)
        return texts.text(kMetricUnitTextIdBase + unitKind, entry.metric);
    if (unitSystem == kUnitSystemInch)
        return texts.text(kInchUnitTextIdBase + unitKind, entry.inch);
    return {};
}

std::string unitLabel(const TextLookup& texts, int labelId, std::string_view builtinLabel, int unitSystem, int unitKind)
{
    std::string label = texts.text(labelId, builtinLabel);
    const std::string unit = unitText(texts, unitSystem, unitKind);
    if (!unit.empty()) {
        if (!label.empty() && label.back() != ' ')
            label += ' ';
        label += unit;
    }
    return label;
}

} // namespace kvt
