// The power group of the cutting data window: chip thinning, mean chip thickness,
// specific cutting force, power and torque as the window shows them (metric and inch),
// the reasons it shows none, the saved block (older files read as collapsed) and the
// file of the user's material groups.

#include "common/clock.h"
#include "common/text_lookup.h"
#include "machining/cutting_data/cutting_data_form.h"
#include "machining/cutting_data/cutting_power.h"
#include "options/window_blocks.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kvt {
namespace {

using StepTable = std::array<float, kSpeedStepTableSize>;

StepTable machineSteps()
{
    StepTable table {};
    table[0] = 1000;
    table[1] = 1250;
    table[2] = 1600;
    return table;
}

void type(CuttingDataForm& form, CuttingInput input, std::string text)
{
    ASSERT_TRUE(form.setInputText(input, text)) << text;
}

void type(CuttingDataForm& form, PowerInput input, std::string text)
{
    ASSERT_TRUE(form.setPowerInputText(input, text)) << text;
}

// A roughing pass: D, vc, fz, z, ae, ap in the unit system's units.
CuttingDataForm pass(int unitSystem, const char* d, const char* vc, const char* fz, const char* ae, const char* ap)
{
    CuttingDataForm form(unitSystem);
    form.setFeedMode(FeedMode::PerTooth);
    type(form, CuttingInput::Diameter, d);
    type(form, CuttingInput::CuttingSpeed, vc);
    type(form, CuttingInput::FeedPerTooth, fz);
    type(form, CuttingInput::Teeth, "4");
    type(form, PowerInput::WidthOfCut, ae);
    type(form, PowerInput::DepthOfCut, ap);
    return form;
}

struct PowerCase {
    const char* name;
    int unitSystem;
    const char* d;
    const char* vc;
    const char* fz;
    const char* ae;
    const char* ap;
    const char* leadAngle;
    int material;
    // factor, compensated fz, hex, hm, kc, Pc, Pc at the spindle, Mc: theoretical column
    std::array<const char*, kPowerResultCount> theoretical;
    // Pc, Pc at the spindle, Mc at the step speed 1250
    std::array<const char*, 3> corrected;
};

class PowerTextTest : public ::testing::TestWithParam<PowerCase> { };

TEST_P(PowerTextTest, ShowsTheTextsTheUserReads)
{
    const PowerCase& c = GetParam();
    CuttingDataForm form = pass(c.unitSystem, c.d, c.vc, c.fz, c.ae, c.ap);
    type(form, PowerInput::LeadAngle, c.leadAngle);
    form.setMaterialGroup(c.material);
    const StepTable steps = machineSteps();
    ASSERT_TRUE(form.calculateCommand(steps));
    EXPECT_EQ(form.powerStatus(), PowerStatus::Ok);
    for (int i = 0; i < kPowerResultCount; ++i)
        EXPECT_EQ(form.powerResultText(PowerColumn::Theoretical, static_cast<PowerResult>(i)), c.theoretical[i])
            << "row " << i;
    EXPECT_EQ(form.powerResultText(PowerColumn::Corrected, PowerResult::NetPower), c.corrected[0]);
    EXPECT_EQ(form.powerResultText(PowerColumn::Corrected, PowerResult::SpindlePower), c.corrected[1]);
    EXPECT_EQ(form.powerResultText(PowerColumn::Corrected, PowerResult::Torque), c.corrected[2]);
    // The thickness figures do not depend on the speed.
    EXPECT_EQ(form.powerResultText(PowerColumn::Corrected, PowerResult::MeanChipThickness), c.theoretical[3]);
}

INSTANTIATE_TEST_SUITE_P(Cases, PowerTextTest,
    ::testing::Values(
        // The worked example: n 1273, vf 763.8, hm 0.1432, kc 2300.2, Pc 3.660 kW, 4.575 kW
        // at eta 0.8, Mc 27.46 N·m; ae = D/2 thins nothing (factor 1).
        PowerCase {"WorkedExampleSteel", 0, "50", "200", "0.15", "25", "5", "90", 0,
            {"1.000", " 0.150", " 0.150", " 0.143", "2300", "3.66", "4.58", "27.5"}, {"3.59", "4.49", "27.5"}},
        // The same pass in wrought aluminium (700 / 0.25): half the power.
        PowerCase {"WorkedExampleAluminium", 0, "50", "200", "0.15", "25", "5", "90", 4,
            {"1.000", " 0.150", " 0.150", " 0.143", "1138", "1.81", "2.26", "13.6"}, {"1.78", "2.22", "13.6"}},
        // ae = D/10: factor 2·sqrt(0.1 - 0.01) = 0.6, fz 0.15 needs 0.25 for a 0.15 chip.
        PowerCase {"SmallWidthThinsTheChip", 0, "50", "200", "0.15", "5", "5", "90", 0,
            {"0.600", " 0.250", " 0.090", " 0.150", "2278", "0.72", "0.91", "5.4"}, {"0.71", "0.89", "5.4"}},
        // A 45° lead angle thins the chip once more by sin 45°.
        PowerCase {"LeadAngle45", 0, "50", "200", "0.15", "10", "2", "45", 0,
            {"0.800", " 0.265", " 0.085", " 0.105", "2461", "0.63", "0.78", "4.7"}, {"0.62", "0.77", "4.7"}},
        // Inch: 2 in cutter, 656 ft/min, 0.006 in per tooth, ae 1 in, ap 0.2 in: n 1252,
        // Pc 3.762 kW = 5.045 HP, Mc 28.70 N·m = 21.16 lbf·ft.
        PowerCase {"InchShowsHorsepowerAndPoundFeet", 1, "2", "656", "0.006", "1", "0.2", "90", 0,
            {"1.000", "0.0060", "0.0060", "0.0057", "2292", "5.05", "6.31", "21.2"}, {"5.04", "6.30", "21.2"}}),
    [](const ::testing::TestParamInfo<PowerCase>& info) { return info.param.name; });

TEST(CuttingPowerTest, ChipThinningAtTheEdgeOfHalfTheDiameter)
{
    // Exactly D/2 and above: no thinning; just below: a factor a hair under 1.
    EXPECT_DOUBLE_EQ(chipThinning(0.1, 25.0, 50.0, 90.0).factor, 1.0);
    EXPECT_DOUBLE_EQ(chipThinning(0.1, 40.0, 50.0, 90.0).factor, 1.0);
    EXPECT_DOUBLE_EQ(chipThinning(0.1, 40.0, 50.0, 90.0).compensatedFeedPerTooth, 0.1);
    EXPECT_LT(chipThinning(0.1, 24.9, 50.0, 90.0).factor, 1.0);
    // Full slot: the arc is 90°, hm = 2 fz / pi.
    EXPECT_NEAR(meanChipThickness(0.1, 50.0, 50.0, 90.0), 0.2 / 3.14159265358979, 1e-12);
}

TEST(CuttingPowerTest, TheGroupSaysWhyItShowsNothing)
{
    const StepTable steps = machineSteps();
    struct Case {
        const char* ae;
        const char* ap;
        const char* angle;
        const char* eta;
        PowerStatus status;
        const char* text;
    };
    const Case cases[] = {
        {"0", "5", "90", "0.8", PowerStatus::MissingInput, "*ae, ap, fz und Zähne angeben"},
        {"51", "5", "90", "0.8", PowerStatus::WidthAboveDiameter, "*ae darf nicht größer als D sein"},
        {"50", "5", "90", "0.8", PowerStatus::Ok, ""}, // ae = D, a full slot, is allowed
        {"25", "5", "0", "0.8", PowerStatus::LeadAngleOutOfRange, "*κr muss über 0 und höchstens 90° sein"},
        {"25", "5", "90.5", "0.8", PowerStatus::LeadAngleOutOfRange, "*κr muss über 0 und höchstens 90° sein"},
        {"25", "5", "90", "0", PowerStatus::EfficiencyOutOfRange, "*η muss über 0 und höchstens 1 sein"},
        {"25", "5", "90", "1.01", PowerStatus::EfficiencyOutOfRange, "*η muss über 0 und höchstens 1 sein"},
        {"25", "5", "90", "1", PowerStatus::Ok, ""},
    };
    BuiltinTexts texts;
    for (const Case& c : cases) {
        CuttingDataForm form = pass(0, "50", "200", "0.15", c.ae, c.ap);
        type(form, PowerInput::LeadAngle, c.angle);
        type(form, PowerInput::Efficiency, c.eta);
        ASSERT_TRUE(form.calculateCommand(steps));
        EXPECT_EQ(form.powerStatus(), c.status) << c.ae << " " << c.angle << " " << c.eta;
        EXPECT_EQ(CuttingDataForm::powerStatusText(form.powerStatus(), texts), c.text);
        EXPECT_EQ(
            form.powerResultText(PowerColumn::Theoretical, PowerResult::NetPower).empty(), c.status != PowerStatus::Ok);
    }

    // A machine without speed steps: the theoretical column only.
    CuttingDataForm noSteps = pass(0, "50", "200", "0.15", "25", "5");
    const StepTable empty {};
    ASSERT_TRUE(noSteps.calculateCommand(empty));
    EXPECT_EQ(noSteps.powerResultText(PowerColumn::Theoretical, PowerResult::Torque), "27.5");
    EXPECT_EQ(noSteps.powerResultText(PowerColumn::Corrected, PowerResult::Torque), "");

    CuttingDataForm perRevolution = pass(0, "50", "200", "0.15", "25", "5");
    perRevolution.setFeedMode(FeedMode::PerRevolution);
    ASSERT_TRUE(perRevolution.calculateCommand(steps));
    EXPECT_EQ(perRevolution.powerStatus(), PowerStatus::NotPerTooth);
}

TEST(CuttingPowerTest, BlockOfAnOlderFileReadsCollapsedWithDefaults)
{
    // An older file: the first 44 bytes of the block as before, zeros behind them.
    WindowBlock stored {};
    CuttingDataForm older(0);
    const CuttingDataBlock before = older.store(false);
    std::memcpy(stored.bytes, &before, 41);
    CuttingDataForm form(0);
    form.setPowerGroupOpen(true);
    form.fill(readWindowBlock<CuttingDataBlock>(stored));
    EXPECT_FALSE(form.powerGroupOpen());
    EXPECT_EQ(form.powerInputValue(PowerInput::LeadAngle), 90.0f);
    EXPECT_EQ(form.powerInputValue(PowerInput::Efficiency), 0.8f);
    EXPECT_EQ(form.materialGroup(), 0);

    // What the group stores comes back, ae and ap through millimetres.
    CuttingDataForm inch = pass(1, "2", "656", "0.006", "1", "0.2");
    inch.setPowerGroupOpen(true);
    inch.setMaterialGroup(4);
    type(inch, PowerInput::LeadAngle, "45");
    const CuttingDataBlock block = inch.store(false);
    EXPECT_EQ(block.powerGroupOpen, 1);
    EXPECT_FLOAT_EQ(block.widthOfCut, 25.40005f);
    CuttingDataForm again(1);
    again.fill(block);
    EXPECT_TRUE(again.powerGroupOpen());
    EXPECT_EQ(again.materialGroup(), 4);
    EXPECT_EQ(again.powerInputText(PowerInput::WidthOfCut), "1.0000");
    EXPECT_EQ(again.powerInputText(PowerInput::LeadAngle), "45.0000");

    // A damaged index falls back to the first group.
    CuttingDataBlock damaged = block;
    damaged.materialGroup = 99;
    again.fill(damaged);
    EXPECT_EQ(again.materialGroup(), 0);
}

TEST(CuttingPowerTest, ReportHasTheGroupOnlyWhenOpen)
{
    CuttingDataForm form = pass(0, "50", "200", "0.15", "25", "5");
    const StepTable steps = machineSteps();
    ASSERT_TRUE(form.calculateCommand(steps));
    BuiltinTexts texts;
    const LocalDateTime time {};
    EXPECT_EQ(form.reportText(texts, 49, time).find("Leistung"), std::string::npos);
    form.setPowerGroupOpen(true);
    const std::string report = form.reportText(texts, 49, time);
    for (const char* line : {"*Schnittbreite ae [mm]\t: 25\r\n", "*Wirkungsgrad η\t: 0.8\r\n",
             "*Werkstoffgruppe (kc1 / mc)\t: *Stahl ab 0,25 % C, geglüht (1500 / 0.22)\r\n",
             "*Mittlere Spanungsdicke hm [mm], *theoretisch\t:  0.143\r\n",
             "*Schnittleistung Pc [kW], *theoretisch\t: 3.66\r\n",
             "*Leistung an der Spindel [kW], *Drehzahlstufe\t: 4.49\r\n",
             "*Drehmoment Mc [N·m], *Drehzahlstufe\t: 27.5\r\n"})
        EXPECT_NE(report.find(line), std::string::npos) << line;
}

class MaterialFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path()
            / ("kvt_material_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    void write(const std::string& bytes) { std::ofstream(folder / kMaterialFileName, std::ios::binary) << bytes; }
    std::filesystem::path folder;
};

TEST_F(MaterialFileTest, SavedGroupsComeBackAndDamagedFilesAreRefusedWhole)
{
    EXPECT_FALSE(loadMaterialFile(folder).damaged); // no file yet: nothing, no complaint
    const std::vector<MaterialGroup> groups = {{0, "Messing CuZn39Pb3", 780.0, 0.18}, {0, "Inconel 718", 2800, 0.25}};
    ASSERT_TRUE(saveMaterialFile(folder, groups, nullptr));
    const MaterialFileLoad load = loadMaterialFile(folder);
    ASSERT_FALSE(load.damaged);
    ASSERT_EQ(load.groups.size(), 2u);
    EXPECT_EQ(load.groups[0].name, "Messing CuZn39Pb3");
    EXPECT_EQ(load.groups[1].kc1, 2800.0);
    EXPECT_EQ(load.groups[1].mc, 0.25);

    struct Damage {
        const char* bytes;
        int line;
    };
    const Damage damages[] = {
        {"", 1},
        {"something else\n", 1},
        {"KVT-MATERIAL-GROUPS 1\nGood\t700\t0.25\nBad\t700\n", 3},
        {"KVT-MATERIAL-GROUPS 1\nNegative\t-700\t0.25\n", 2},
        {"KVT-MATERIAL-GROUPS 1\nHuge\t70000\t0.25\n", 2},
        {"KVT-MATERIAL-GROUPS 1\nSteep\t700\t1.5\n", 2},
        {"KVT-MATERIAL-GROUPS 1\n\t700\t0.25\n", 2},
        {"KVT-MATERIAL-GROUPS 1\nComma\t700,5\t0.25\n", 2},
    };
    for (const Damage& d : damages) {
        write(d.bytes);
        const MaterialFileLoad bad = loadMaterialFile(folder);
        EXPECT_TRUE(bad.damaged) << d.bytes;
        EXPECT_TRUE(bad.groups.empty());
        EXPECT_EQ(bad.errorLine, d.line) << d.bytes;
    }

    // Saving over a damaged file keeps it aside first.
    write("KVT-MATERIAL-GROUPS 1\nhand typed\t7OO\t0.25\n");
    ASSERT_TRUE(saveMaterialFile(folder, groups, nullptr));
    std::ifstream kept(folder / kDamagedMaterialFileName, std::ios::binary);
    const std::string keptBytes((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
    EXPECT_EQ(keptBytes, "KVT-MATERIAL-GROUPS 1\nhand typed\t7OO\t0.25\n");
    EXPECT_EQ(loadMaterialFile(folder).groups.size(), 2u);
}

TEST_F(MaterialFileTest, EveryDamagedFileIsKeptAndASaveWithoutACopyIsRefused)
{
    const auto read = [](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::vector<MaterialGroup> groups = {{0, "Inconel 718", 2800, 0.25}};
    const std::string damages[] = {"KVT-MATERIAL-GROUPS 1\nfirst\t7OO\t0.25\n", "second\t700\n"};
    for (const std::string& damage : damages) {
        write(damage);
        std::string error;
        ASSERT_TRUE(saveMaterialFile(folder, groups, &error)) << error;
        EXPECT_EQ(loadMaterialFile(folder).groups.size(), 1u);
    }
    EXPECT_EQ(read(folder / kDamagedMaterialFileName), damages[0]);
    EXPECT_EQ(read(folder / "CuttingMaterials.damaged2.txt"), damages[1]);

    for (int number = 3; number <= 999; ++number)
        std::ofstream(folder / ("CuttingMaterials.damaged" + std::to_string(number) + ".txt")) << number;
    write("third damage");
    std::string error;
    EXPECT_FALSE(saveMaterialFile(folder, groups, &error));
    EXPECT_EQ(error,
        std::string("CuttingMaterials.damaged.txt ... CuttingMaterials.damaged999.txt: ") + std::strerror(EEXIST));
    EXPECT_EQ(read(folder / kMaterialFileName), "third damage");
}

TEST(CuttingPowerTest, UserGroupsFollowTheBuiltInOnes)
{
    CuttingDataForm form(0);
    ASSERT_EQ(form.materialGroups().size(), 6u);
    const double table[6][2] = {{1500, 0.22}, {1775, 0.24}, {2150, 0.20}, {1350, 0.28}, {700, 0.25}, {2110, 0.22}};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(form.materialGroups()[i].kc1, table[i][0]);
        EXPECT_EQ(form.materialGroups()[i].mc, table[i][1]);
    }
    form.setUserMaterialGroups({{0, "Messing", 780.0, 0.18}});
    form.setMaterialGroup(6);
    BuiltinTexts texts;
    EXPECT_EQ(form.materialName(6, texts), "Messing (780 / 0.18)");
    form.setUserMaterialGroups({});
    EXPECT_EQ(form.materialGroup(), 0); // the chosen group is gone
}

} // namespace
} // namespace kvt
