#pragma once
// Chip thickness, specific cutting force, cutting power and torque of a milling pass,
// and the material groups they need. All values metric: mm, m/min, mm/min, rev/min,
// N/mm², kW, N·m; angles in degrees.
//
// The model is the usual one of the tool makers' catalogues: the mean chip thickness hm
// over the engagement arc gives the specific cutting force kc = kc1 · hm^-mc (kc1 for a
// chip of 1 mm x 1 mm), and kc times the chip volume per minute gives the net power.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

struct MaterialGroup {
    int nameId = 0; // language text of a built-in group; 0 for a group the user added
    std::string name; // built-in German text ('*') or the user's own name (UTF-8)
    double kc1 = 0.0; // N/mm²
    double mc = 0.0; // rise of the kc curve, 0 < mc < 1
};

// The built-in groups; the user's groups follow them in the window's list.
const std::vector<MaterialGroup>& defaultMaterialGroups();

// Limits of a group the user may add: beyond them the figures are typing errors.
inline constexpr double kMaxKc1 = 10'000.0; // N/mm²
inline constexpr double kMaxMc = 0.9;
inline constexpr std::size_t kMaxMaterialNameLength = 60; // bytes of UTF-8
inline constexpr std::size_t kMaxUserMaterialGroups = 200;
bool materialGroupAcceptable(const MaterialGroup& group);

// Radial chip thinning for a width of cut ae on a cutter of diameter D with the lead
// angle kr. Up to ae = D/2 the chip is thinner than the feed per tooth:
// hex = 2 · fz · sin kr · sqrt(ae/D - (ae/D)²); above D/2 it is fz · sin kr.
struct ChipThinning {
    double factor = 1.0; // 2 · sqrt(ae/D - (ae/D)²), 1 for ae >= D/2
    double hex = 0.0; // largest chip thickness, mm
    double compensatedFeedPerTooth = 0.0; // the fz that gives hex = the fz typed, mm
};
ChipThinning chipThinning(double feedPerTooth, double widthOfCut, double diameter, double leadAngle);

// hm = sin kr · 180 · ae · fz / (pi · D · arcsin(ae/D)), the arcsine in degrees, mm.
double meanChipThickness(double feedPerTooth, double widthOfCut, double diameter, double leadAngle);

// kc = kc1 · hm^-mc, N/mm².
double specificCuttingForce(double kc1, double mc, double meanChipThickness);

// Pc = ap · ae · vf · kc / (60 · 10^6), kW.
double cuttingPower(double depthOfCut, double widthOfCut, double feedRate, double specificForce);

// Mc = Pc · 30000 / (pi · n), N·m; 0 for a speed of 0.
double cuttingTorque(double power, double spindleSpeed);

// What keeps a power calculation from giving a result.
enum class PowerProblem {
    None,
    MissingInput, // ae, ap or fz is 0
    WidthAboveDiameter, // ae > D
    LeadAngleOutOfRange, // kr not in (0, 90]
    EfficiencyOutOfRange, // eta not in (0, 1]
};
PowerProblem checkPowerInputs(
    double diameter, double feedPerTooth, double widthOfCut, double depthOfCut, double leadAngle, double efficiency);

// Conversions for the inch display.
inline constexpr double kHorsepowerPerKilowatt = 1.0 / 0.745699872; // mechanical horsepower
inline constexpr double kPoundFeetPerNewtonMetre = 0.737562149;

// The user's groups as a text file: a first line naming the format, then one group a
// line, "name<TAB>kc1<TAB>mc". Written through a temporary file and a rename.
std::string writeMaterialGroups(const std::vector<MaterialGroup>& userGroups);
struct MaterialReadResult {
    std::vector<MaterialGroup> groups; // empty unless the whole file is sound
    int errorLine = 0; // 0: the file is sound; else the first damaged line (1-based)
};
// All or nothing: one damaged line rejects the file, so that a half-read file never
// stands in for what the user saved.
MaterialReadResult readMaterialGroups(std::string_view text);

// The file in the data directory. Loading a missing file gives no groups and no
// problem; a damaged one gives no groups and `damaged`.
inline constexpr std::string_view kMaterialFileName = "CuttingMaterials.txt";
// The first copy of a damaged file; later ones are "CuttingMaterials.damaged2.txt", ...
inline constexpr std::string_view kDamagedMaterialFileName = "CuttingMaterials.damaged.txt";
struct MaterialFileLoad {
    std::vector<MaterialGroup> groups;
    bool damaged = false;
    int errorLine = 0; // the first damaged line, 0 when the file could not be read at all
};
MaterialFileLoad loadMaterialFile(const std::filesystem::path& dataDirectory);
// Replaces the file through a temporary file and a rename. When the file on the disk is
// damaged it is first copied aside under the first free copy name
// (kDamagedMaterialFileName, then numbered), so that what the user typed into it by hand
// is not lost; without a copy nothing is written. False with a reason when it could not
// be written.
bool saveMaterialFile(
    const std::filesystem::path& dataDirectory, const std::vector<MaterialGroup>& groups, std::string* error);

} // namespace kvt
