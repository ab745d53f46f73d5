#include "machining/cutting_data/cutting_power.h"

#include "common/atomic_file.h"
#include "common/field_validation.h"
#include "common/number_format.h"

#include <cmath>
#include <numbers>

namespace kvt {

namespace {

constexpr std::string_view kFileHeader = "KVT-MATERIAL-GROUPS 1";

double sinDegrees(double degrees)
{
    return std::sin(degrees * std::numbers::pi / 180.0);
}

// A number as the file holds it: digits and one point, nothing else.
std::optional<double> fileNumber(std::string_view text)
{
    if (text.empty() || text.size() > 20)
        return std::nullopt;
    for (char c : text) {
        if ((c < '0' || c > '9') && c != '.')
            return std::nullopt;
    }
    std::string checked(text);
    ParseResult parsed;
    if (!validateField(checked, InputClass::Unsigned, ValueKind::Double, parsed) || !std::isfinite(parsed.doubleValue))
        return std::nullopt;
    return parsed.doubleValue;
}

} // namespace

const std::vector<MaterialGroup>& defaultMaterialGroups()
{
    static const std::vector<MaterialGroup> groups = {
        {71601, "*Stahl ab 0,25 % C, geglüht", 1500.0, 0.22},
        {71602, "*Stahl niedriglegiert, geglüht", 1775.0, 0.24},
        {71603, "*Nichtrostender Stahl, austenitisch", 2150.0, 0.20},
        {71604, "*Grauguss", 1350.0, 0.28},
        {71605, "*Aluminium-Knetlegierung", 700.0, 0.25},
        {71606, "*Titan, Alpha-Beta-Legierung", 2110.0, 0.22},
    };
    return groups;
}

bool materialGroupAcceptable(const MaterialGroup& group)
{
    if (group.name.empty() || group.name.size() > kMaxMaterialNameLength)
        return false;
    for (char c : group.name) {
        if (c == '\t' || c == '\r' || c == '\n')
            return false;
    }
    return std::isfinite(group.kc1) && group.kc1 > 0.0 && group.kc1 <= kMaxKc1 && std::isfinite(group.mc)
        && group.mc > 0.0 && group.mc <= kMaxMc;
}

ChipThinning chipThinning(double feedPerTooth, double widthOfCut, double diameter, double leadAngle)
{
    ChipThinning result;
    const double sine = sinDegrees(leadAngle);
    if (diameter > 0.0 && widthOfCut > 0.0 && widthOfCut * 2.0 < diameter) {
        const double ratio = widthOfCut / diameter;
        result.factor = 2.0 * std::sqrt(ratio - ratio * ratio);
    }
    result.hex = feedPerTooth * sine * result.factor;
    const double thinning = sine * result.factor;
    result.compensatedFeedPerTooth = thinning > 0.0 ? feedPerTooth / thinning : 0.0;
    return result;
}

double meanChipThickness(double feedPerTooth, double widthOfCut, double diameter, double leadAngle)
{
    if (!(diameter > 0.0) || !(widthOfCut > 0.0))
        return 0.0;
    const double ratio = std::fmin(widthOfCut / diameter, 1.0);
    const double arcDegrees = std::asin(ratio) * 180.0 / std::numbers::pi;
    return sinDegrees(leadAngle) * 180.0 * widthOfCut * feedPerTooth / (std::numbers::pi * diameter * arcDegrees);
}

double specificCuttingForce(double kc1, double mc, double meanChipThickness)
{
    if (!(meanChipThickness > 0.0))
        return 0.0;
    return kc1 * std::pow(meanChipThickness, -mc);
}

double cuttingPower(double depthOfCut, double widthOfCut, double feedRate, double specificForce)
{
    return depthOfCut * widthOfCut * feedRate * specificForce / 60e6;
}

double cuttingTorque(double power, double spindleSpeed)
{
    if (!(spindleSpeed > 0.0))
        return 0.0;
    return power * 30000.0 / (std::numbers::pi * spindleSpeed);
}

PowerProblem checkPowerInputs(
    double diameter, double feedPerTooth, double widthOfCut, double depthOfCut, double leadAngle, double efficiency)
{
    if (!(diameter > 0.0) || !(feedPerTooth > 0.0) || !(widthOfCut > 0.0) || !(depthOfCut > 0.0))
        return PowerProblem::MissingInput;
    if (widthOfCut > diameter)
        return PowerProblem::WidthAboveDiameter;
    if (!(leadAngle > 0.0) || leadAngle > 90.0)
        return PowerProblem::LeadAngleOutOfRange;
    if (!(efficiency > 0.0) || efficiency > 1.0)
        return PowerProblem::EfficiencyOutOfRange;
    return PowerProblem::None;
}

std::string writeMaterialGroups(const std::vector<MaterialGroup>& userGroups)
{
    std::string text(kFileHeader);
    text += '\n';
    for (const MaterialGroup& group : userGroups)
        text += group.name + '\t' + cformat("%.6g", group.kc1) + '\t' + cformat("%.6g", group.mc) + '\n';
    return text;
}

MaterialReadResult readMaterialGroups(std::string_view text)
{
    MaterialReadResult result;
    std::vector<MaterialGroup> groups;
    int lineNumber = 0;
    bool headerSeen = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!headerSeen) {
            if (line != kFileHeader) {
                result.errorLine = lineNumber;
                return result;
            }
            headerSeen = true;
            continue;
        }
        if (line.empty())
            continue;
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        MaterialGroup group;
        std::optional<double> kc1;
        std::optional<double> mc;
        if (tab2 != std::string_view::npos && line.find('\t', tab2 + 1) == std::string_view::npos) {
            group.name = std::string(line.substr(0, tab1));
            kc1 = fileNumber(line.substr(tab1 + 1, tab2 - tab1 - 1));
            mc = fileNumber(line.substr(tab2 + 1));
        }
        if (!kc1 || !mc || groups.size() >= kMaxUserMaterialGroups) {
            result.errorLine = lineNumber;
            return result;
        }
        group.kc1 = *kc1;
        group.mc = *mc;
        if (!materialGroupAcceptable(group)) {
            result.errorLine = lineNumber;
            return result;
        }
        groups.push_back(std::move(group));
    }
    if (!headerSeen) {
        result.errorLine = 1; // an empty file is not one this program wrote
        return result;
    }
    result.groups = std::move(groups);
    return result;
}

MaterialFileLoad loadMaterialFile(const std::filesystem::path& dataDirectory)
{
    MaterialFileLoad load;
    // Two hundred groups of sixty characters fit well below this.
    const SmallFile file = readSmallFile(dataDirectory / kMaterialFileName, 64 * 1024);
    if (file.status == SmallFileStatus::Missing)
        return load;
    if (file.status != SmallFileStatus::Read) {
        load.damaged = true;
        return load;
    }
    MaterialReadResult read = readMaterialGroups(file.bytes);
    if (read.errorLine != 0) {
        load.damaged = true;
        load.errorLine = read.errorLine;
        return load;
    }
    load.groups = std::move(read.groups);
    return load;
}

bool saveMaterialFile(
    const std::filesystem::path& dataDirectory, const std::vector<MaterialGroup>& groups, std::string* error)
{
    const std::filesystem::path path = dataDirectory / kMaterialFileName;
    if (loadMaterialFile(dataDirectory).damaged
        && !keepDamagedCopy(path, {"CuttingMaterials.damaged", ".txt"}, error).has_value())
        return false;
    return writeFileAtomically(path, writeMaterialGroups(groups), error);
}

} // namespace kvt
