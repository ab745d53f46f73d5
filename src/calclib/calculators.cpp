#include "calclib/calculators.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numeric>

namespace kvt::calc {

namespace {

// Enough to absorb the binary error of a decimal typed by a user after a few operations,
// far below anything the results show.
double guard(double scaled)
{
    return std::fabs(scaled) * 1e-12 + 1e-9;
}

double fractionValue(const InchFraction& f)
{
    return f.numerator == 0 || f.denominator == 0 ? f.whole : f.whole + double(f.numerator) / f.denominator;
}

// Letter sizes A to Z in inches.
constexpr std::array<double, 26> kLetterDrills = {0.234, 0.238, 0.242, 0.246, 0.25, 0.257, 0.261, 0.266, 0.272, 0.277,
    0.281, 0.29, 0.295, 0.302, 0.316, 0.323, 0.332, 0.339, 0.348, 0.358, 0.368, 0.377, 0.386, 0.397, 0.404, 0.413};

// Number sizes 1 to 88 in inches; 89 to 104 follow a rule.
constexpr std::array<double, 88> kNumberDrills = {0.228, 0.221, 0.213, 0.209, 0.2055, 0.204, 0.201, 0.199, 0.196,
    0.1935, 0.191, 0.189, 0.185, 0.182, 0.18, 0.177, 0.173, 0.1695, 0.166, 0.161, 0.159, 0.157, 0.154, 0.152, 0.1495,
    0.147, 0.144, 0.1405, 0.136, 0.1285, 0.12, 0.116, 0.113, 0.111, 0.11, 0.1065, 0.104, 0.1015, 0.0995, 0.098, 0.096,
    0.0935, 0.089, 0.086, 0.082, 0.081, 0.0785, 0.076, 0.073, 0.07, 0.067, 0.0635, 0.0595, 0.055, 0.052, 0.0465, 0.043,
    0.042, 0.041, 0.04, 0.039, 0.038, 0.037, 0.036, 0.035, 0.033, 0.032, 0.031, 0.0292, 0.028, 0.026, 0.025, 0.024,
    0.0225, 0.021, 0.02, 0.018, 0.016, 0.0145, 0.0135, 0.013, 0.0125, 0.012, 0.0115, 0.011, 0.0105, 0.01, 0.0095};

double numberDrillInches(int number)
{
    if (number <= static_cast<int>(kNumberDrills.size()))
        return kNumberDrills[static_cast<std::size_t>(number - 1)];
    // 0.0091 at 89, 0.0004 less per number: counted in ten-thousandths so that 104 is
    // exactly 0.0031 and not 0.0031000000000000003.
    return (91 - 4 * (number - 89)) / 10000.0;
}

} // namespace

double truncGuarded(double value)
{
    const double magnitude = std::floor(std::fabs(value) + guard(value));
    return value < 0 ? -magnitude : magnitude;
}

double roundTo(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double magnitude = truncGuarded((std::fabs(value) + 5.0 * std::pow(10.0, -(decimals + 1))) * scale) / scale;
    return value < 0 ? -magnitude : magnitude;
}

DegreesMinutesSeconds decimalToDms(double degrees)
{
    const double magnitude = std::fabs(degrees);
    const double whole = std::floor(magnitude);
    // The minutes and seconds are cut from one count of seconds, so that 12.51 gives
    // 30 m 36 s and not 30 m 35 s from 0.50999... minutes.
    const double totalSeconds = truncGuarded((magnitude - whole) * 3600.0);
    DegreesMinutesSeconds dms;
    dms.degrees = static_cast<std::int32_t>(std::fmin(whole, 2147483647.0));
    dms.minutes = static_cast<std::int32_t>(totalSeconds / 60.0);
    dms.seconds = static_cast<std::int32_t>(totalSeconds - dms.minutes * 60.0);
    if (dms.minutes == 60) { // the guard carried a hair below a full degree over
        dms.minutes = 0;
        dms.degrees += 1;
    }
    if (degrees < 0) {
        if (dms.degrees != 0)
            dms.degrees = -dms.degrees;
        else if (dms.minutes != 0)
            dms.minutes = -dms.minutes;
        else
            dms.seconds = -dms.seconds;
    }
    return dms;
}

double dmsToDecimal(double degrees, double minutes, double seconds)
{
    const double fraction = (seconds / 60.0 + minutes) / 60.0;
    // -12 30 36 is -12.51: the minutes and seconds deepen a negative angle.
    return degrees < 0 ? degrees - fraction : degrees + fraction;
}

InchFraction fractionOf128ths(double millimetres)
{
    const double x = std::fabs(millimetres);
    InchFraction f;
    const double whole = truncGuarded(x / kMmPerInch);
    // The remainder in thousandths of a millimetre, then the 128ths in hundredths
    // (5.03937 128ths per millimetre); counted in integers so that the final rounding
    // of a half is exact.
    const double rest = truncGuarded((x - whole * kMmPerInch + 0.0005) * 1000.0);
    const long long hundredths = std::llabs(static_cast<long long>(truncGuarded(rest * 0.503937 + 0.5)));
    int n = static_cast<int>((hundredths + 50) / 100);
    f.whole = static_cast<std::int32_t>(std::fmin(whole, 2147483646.0));
    if (n >= 128) {
        f.whole += 1;
        return f;
    }
    if (n == 0)
        return f;
    const int divisor = std::gcd(n, 128);
    f.numerator = n / divisor;
    f.denominator = 128 / divisor;
    return f;
}

FractionResult mmToFraction(double millimetres)
{
    FractionResult result;
    result.fraction = fractionOf128ths(millimetres);
    const double inches = fractionValue(result.fraction);
    result.back = roundTo(inches * kMmPerInch, 5);
    result.estimated = std::fabs(inches - roundTo(std::fabs(millimetres) / kMmPerInch, 5)) > 0.001 + 1e-12;
    return result;
}

FractionResult decimalInchToFraction(double inches)
{
    FractionResult result;
    result.fraction = fractionOf128ths(inches * kMmPerInch);
    result.back = fractionValue(result.fraction);
    result.estimated = std::fabs(result.back - std::fabs(inches)) > 0.001 + 1e-12;
    return result;
}

namespace {

std::optional<double> fractionInches(double whole, double numerator, double denominator)
{
    if (denominator == 0.0) {
        // Whole inches written as the fraction calculator 4 gives them ("2 0 0").
        if (numerator == 0.0)
            return roundTo(whole, 3);
        return std::nullopt;
    }
    return roundTo(whole + numerator / denominator, 3);
}

} // namespace

std::optional<double> fractionToMm(double whole, double numerator, double denominator)
{
    const auto inches = fractionInches(whole, numerator, denominator);
    if (!inches)
        return std::nullopt;
    return roundTo(*inches * kMmPerInch, 5);
}

std::optional<double> fractionToInch(double whole, double numerator, double denominator)
{
    return fractionInches(whole, numerator, denominator);
}

double mmToInch(double millimetres)
{
    return roundTo(millimetres / kMmPerInch, 5);
}

double inchToMm(double inches)
{
    return roundTo(inches * kMmPerInch, 5);
}

std::optional<std::int64_t> dwellMilliseconds(double revolutionsPerMinute, double revolutions)
{
    if (!(revolutionsPerMinute > 0.0) || !(revolutions > 0.0))
        return std::nullopt;
    const double ms = roundTo(60000.0 / revolutionsPerMinute * revolutions, 0);
    if (!std::isfinite(ms) || ms > double(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int64_t>(ms);
}

std::optional<double> torqueOffsetV1(double torque, double functionalLength, double toolLength)
{
    if (functionalLength == 0.0 || toolLength == 0.0 || functionalLength + toolLength == 0.0)
        return std::nullopt;
    return torque * functionalLength / (functionalLength + toolLength);
}

std::optional<double> torqueOffsetV2(
    double torque, double functionalLength, double standardGauge, double specialGauge, double adapterGauge)
{
    if (specialGauge == 0.0)
        return std::nullopt;
    double k = 0.0;
    if (standardGauge == 0.0)
        k = functionalLength + specialGauge;
    else if (adapterGauge == 0.0)
        k = (functionalLength - standardGauge) + specialGauge;
    else
        k = (functionalLength - standardGauge) + specialGauge + adapterGauge;
    if (k == 0.0)
        return std::nullopt;
    return torque * functionalLength / k;
}

ThermalResult thermalExpansion(double length, double startTemperature, double endTemperature, double alpha)
{
    ThermalResult result;
    const double rise = endTemperature - startTemperature;
    if (rise > kMaxTemperatureRise + guard(rise)) {
        result.error = ThermalError::RiseTooLarge;
        return result;
    }
    result.value.change = alpha * 1e-6 * length * rise;
    result.value.newLength = length + result.value.change;
    if (length != 0.0)
        result.value.ratio = result.value.newLength / length;
    return result;
}

double nmToFootPounds(double newtonMetres)
{
    return roundTo(newtonMetres * 0.73756215, 3);
}

double footPoundsToNm(double footPounds)
{
    return roundTo(footPounds * 1.35581795, 3);
}

PitchResult holePitch(double diameter1, double diameter2, double innerDistance, double outerDistance)
{
    const double radii = diameter1 / 2.0 + diameter2 / 2.0;
    PitchResult result;
    if (innerDistance == 0.0 && outerDistance == 0.0) {
        result.error = PitchError::NothingGiven;
        return result;
    }
    if (innerDistance == 0.0) {
        result.pitch = outerDistance - radii;
        return result;
    }
    result.pitch = radii + innerDistance;
    if (outerDistance != 0.0) {
        const double fromOuter = outerDistance - radii;
        if (std::fabs(result.pitch - fromOuter) > 0.001 + guard(result.pitch))
            result.error = PitchError::Contradiction;
    }
    return result;
}

std::optional<DrillSize> usDrillSize(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    DrillSize size;
    if (text.size() == 1 && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'))) {
        const char upper = text[0] >= 'a' ? static_cast<char>(text[0] - 'a' + 'A') : text[0];
        size.inches = kLetterDrills[static_cast<std::size_t>(upper - 'A')];
        return size;
    }
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    unsigned long long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error == std::errc::result_out_of_range)
        number = std::numeric_limits<unsigned long long>::max();
    else if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (number == 0)
        return std::nullopt;
    if (number > kLargestDrillNumber) {
        number = kLargestDrillNumber;
        size.clampedNumber = kLargestDrillNumber;
    }
    size.inches = numberDrillInches(static_cast<int>(number));
    return size;
}

double drillInchesToMm(double inches)
{
    return roundTo(inches * kMmPerInch, 5);
}

HoleCentre holeCentre(double x1, double x2, double y1, double y2)
{
    HoleCentre c;
    c.centreX = (x1 + x2) / 2.0;
    c.centreY = (y1 + y2) / 2.0;
    c.diameterX = std::fabs(x1 - x2);
    c.diameterY = std::fabs(y1 - y2);
    c.meanDiameter = (c.diameterX + c.diameterY) / 2.0;
    return c;
}

std::optional<Roughness> turningRoughness(double feed, double noseRadius)
{
    if (!(feed > 0.0) || !(noseRadius > 0.0))
        return std::nullopt;
    Roughness r;
    r.rz = feed * feed / (8.0 * noseRadius) * 1000.0;
    r.ra = feed * feed / (32.0 * noseRadius) * 1000.0;
    return r;
}

} // namespace kvt::calc
