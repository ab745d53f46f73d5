// Gauge-block stacks: the shipped sets, lengths as typed and shown, the solver against
// an exhaustive search, heights no set makes, and the sets' file and editing text.

#include "calclib/gauge_blocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace kvt::calc {
namespace {

const GaugeBlockSet& shipped(std::size_t index)
{
    static const std::vector<GaugeBlockSet> sets = defaultGaugeBlockSets();
    return sets.at(index);
}

std::string stackText(const std::optional<std::vector<std::int64_t>>& stack, GaugeUnit unit)
{
    if (!stack)
        return "not possible";
    std::string text;
    for (std::int64_t block : *stack)
        text += (text.empty() ? "" : " + ") + formatGaugeLength(block, unit);
    return text;
}

TEST(GaugeBlocksTest, ShippedSetsHaveTheirCompositions)
{
    struct Expect {
        const char* name;
        std::size_t count;
        std::int64_t smallest;
        std::int64_t largest;
        std::int64_t total;
    };
    const Expect expect[] = {
        {"112 (mm)", 112, 5'000, 1'000'000, 9'337'955},
        {"87 (mm)", 87, 5'000, 1'000'000, 7'152'950},
        {"83 (mm)", 83, 5'000, 1'000'000, 7'142'550},
        {"81 (inch)", 81, 500, 40'000, 265'295},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        const GaugeBlockSet& set = shipped(i);
        EXPECT_EQ(set.name, expect[i].name);
        EXPECT_EQ(set.sizes.size(), expect[i].count);
        EXPECT_EQ(*std::min_element(set.sizes.begin(), set.sizes.end()), expect[i].smallest);
        EXPECT_EQ(*std::max_element(set.sizes.begin(), set.sizes.end()), expect[i].largest);
        std::int64_t total = 0;
        for (std::int64_t size : set.sizes)
            total += size;
        EXPECT_EQ(total, expect[i].total) << set.name;
    }
    EXPECT_EQ(shipped(0).sizes.front(), 10'005); // 1.0005
    EXPECT_EQ(shipped(3).unit, GaugeUnit::Inch);
    EXPECT_EQ(shipped(3).sizes.front(), 1'001); // 0.1001 inch
}

TEST(GaugeBlocksTest, LengthsAsTypedAndAsShown)
{
    struct Case {
        const char* text;
        std::optional<std::int64_t> units;
    };
    const Case cases[] = {{"58.345", 583'450}, {"58,345", 583'450}, {" 1.0005 ", 10'005}, {"100", 1'000'000},
        {".5", 5'000}, {"1.00050", 10'005}, {"1.00051", std::nullopt}, {"0", std::nullopt}, {"", std::nullopt},
        {"-5", std::nullopt}, {"1.2.3", std::nullopt}, {"12a", std::nullopt}, {"1234567890", std::nullopt}};
    for (const Case& c : cases)
        EXPECT_EQ(parseGaugeLength(c.text), c.units) << c.text;
    EXPECT_EQ(formatGaugeLength(10'005, GaugeUnit::Millimetre), "1.0005");
    EXPECT_EQ(formatGaugeLength(13'400, GaugeUnit::Millimetre), "1.340");
    EXPECT_EQ(formatGaugeLength(500'000, GaugeUnit::Millimetre), "50.000");
    EXPECT_EQ(formatGaugeLength(1'001, GaugeUnit::Inch), "0.1001");
    EXPECT_EQ(formatGaugeLength(40'000, GaugeUnit::Inch), "4.0000");
}

TEST(GaugeBlocksTest, AcceptanceHeights)
{
    struct Case {
        std::size_t set;
        const char* height;
        const char* stack;
    };
    const Case cases[] = {
        {0, "58.345", "50.000 + 6.000 + 1.340 + 1.005"},
        {0, "37.785", "25.000 + 10.500 + 1.280 + 1.005"},
        {1, "58.345", "50.000 + 6.000 + 1.340 + 1.005"},
        {1, "37.785", "30.000 + 5.500 + 1.280 + 1.005"},
        {2, "58.345", "50.000 + 6.000 + 1.340 + 1.005"},
        {2, "37.785", "30.000 + 5.500 + 1.280 + 1.005"},
        {0, "1.0005", "1.0005"},
        {0, "101.0005", "100.000 + 1.0005"},
        {3, "1.2345", "1.0000 + 0.1340 + 0.1005"},
        // Heights no set can make: below the smallest block, a digit the set lacks, or
        // above all blocks together.
        {0, "0.1", "not possible"},
        {0, "1.0001", "not possible"},
        {1, "1.0005", "not possible"},
        {2, "1.001", "not possible"},
        {0, "933.7956", "not possible"},
        {0, "933.7955", ""}, // every block: checked for its count below
        {3, "0.0400", "not possible"},
    };
    for (const Case& c : cases) {
        const GaugeBlockSet& set = shipped(c.set);
        const GaugeStackSolver solver(set.sizes);
        const auto height = parseGaugeLength(c.height);
        ASSERT_TRUE(height) << c.height;
        const auto stack = solver.solve(*height);
        if (std::string(c.stack).empty()) {
            ASSERT_TRUE(stack);
            EXPECT_EQ(stack->size(), set.sizes.size());
            continue;
        }
        EXPECT_EQ(stackText(stack, set.unit), c.stack) << set.name << " " << c.height;
    }
}

// Every stack of at most `most` blocks, the fewest blocks for each height reached.
std::vector<std::uint8_t> exhaustive(const std::vector<std::int64_t>& sizes, int most, std::int64_t top)
{
    std::vector<std::uint8_t> fewest(static_cast<std::size_t>(top + 1), 255);
    std::vector<std::int64_t> sorted = sizes;
    std::sort(sorted.begin(), sorted.end());
    auto walk = [&](auto&& self, std::size_t from, int count, std::int64_t sum) -> void {
        if (count > 0 && fewest[static_cast<std::size_t>(sum)] > count)
            fewest[static_cast<std::size_t>(sum)] = static_cast<std::uint8_t>(count);
        if (count == most)
            return;
        for (std::size_t i = from; i < sorted.size(); ++i)
            self(self, i + 1, count + 1, sum + sorted[i]);
    };
    walk(walk, 0, 0, 0);
    return fewest;
}

TEST(GaugeBlocksTest, SolverAgreesWithAnExhaustiveSearchUpToFiveBlocks)
{
    const GaugeBlockSet& set = shipped(1); // 87 pieces
    std::vector<std::int64_t> sorted = set.sizes;
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    std::int64_t top = 0;
    for (int i = 0; i < 5; ++i)
        top += sorted[static_cast<std::size_t>(i)];
    const std::vector<std::uint8_t> fewest = exhaustive(set.sizes, 5, top);
    const GaugeStackSolver solver(set.sizes);

    std::mt19937_64 random(20261207);
    std::uniform_int_distribution<std::int64_t> anyHeight(1, top);
    std::uniform_int_distribution<int> blocks(1, 5);
    std::uniform_int_distribution<std::size_t> pick(0, set.sizes.size() - 1);
    int made = 0;
    for (int trial = 0; trial < 2000; ++trial) {
        std::int64_t height = 0;
        if (trial % 2 == 0) {
            // A height in whole micrometres anywhere in the range.
            height = anyHeight(random) / 10 * 10 + 10;
        } else {
            // A height some stack of up to five blocks makes.
            std::vector<std::size_t> chosen;
            const int count = blocks(random);
            while (static_cast<int>(chosen.size()) < count) {
                const std::size_t k = pick(random);
                if (std::find(chosen.begin(), chosen.end(), k) == chosen.end())
                    chosen.push_back(k);
            }
            for (std::size_t k : chosen)
                height += set.sizes[k];
        }
        const auto stack = solver.solve(height);
        const std::uint8_t best = height <= top ? fewest[static_cast<std::size_t>(height)] : 255;
        if (best != 255) {
            ASSERT_TRUE(stack) << height;
            EXPECT_EQ(stack->size(), best) << height;
            ++made;
        } else if (stack) {
            EXPECT_GT(stack->size(), 5u) << height; // more than five, or the search missed one
        }
        if (stack) {
            std::int64_t sum = 0;
            for (std::int64_t block : *stack)
                sum += block;
            EXPECT_EQ(sum, height);
            // Each block of the set at most once (the 87 set has no two equal blocks).
            std::vector<std::int64_t> used = *stack;
            std::sort(used.begin(), used.end());
            EXPECT_EQ(std::adjacent_find(used.begin(), used.end()), used.end()) << height;
            for (std::int64_t block : used)
                EXPECT_NE(std::find(set.sizes.begin(), set.sizes.end(), block), set.sizes.end());
        }
    }
    EXPECT_GT(made, 1000); // both halves of the sample were exercised
}

TEST(GaugeBlocksTest, EqualBlocksCountOncePerPieceAndOddSetsAreSearched)
{
    // Two pieces of 2.000: 4.000 takes both; 6.000 cannot be made from them.
    const GaugeStackSolver pair({20'000, 20'000, 10'005});
    EXPECT_EQ(stackText(pair.solve(40'000), GaugeUnit::Millimetre), "2.000 + 2.000");
    EXPECT_EQ(stackText(pair.solve(60'000), GaugeUnit::Millimetre), "not possible");
    // Sizes without a common step for the coarse blocks: searched block by block.
    std::vector<std::int64_t> odd;
    for (int i = 0; i < 40; ++i)
        odd.push_back(10'001 + 37 * i * i);
    const GaugeStackSolver searched(odd);
    EXPECT_EQ(searched.coarseStep(), 0);
    EXPECT_EQ(searched.solve(odd[3] + odd[17] + odd[30])->size(), 3u);
    EXPECT_FALSE(searched.solve(odd[0] - 1));
    EXPECT_EQ(GaugeStackSolver({}).solve(10'000), std::nullopt);
}

TEST(GaugeBlocksTest, FileRoundTripAndDamage)
{
    const std::string text = writeGaugeBlockSets(defaultGaugeBlockSets());
    const GaugeSetsReadResult read = readGaugeBlockSets(text);
    ASSERT_EQ(read.errorLine, 0);
    ASSERT_EQ(read.sets.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(read.sets[i].name, shipped(i).name);
        EXPECT_EQ(read.sets[i].unit, shipped(i).unit);
        EXPECT_EQ(read.sets[i].sizes, shipped(i).sizes);
    }
    struct Damage {
        std::string bytes;
        int line;
    };
    const Damage damages[] = {
        {"", 1},
        {"KVT-GAUGE-BLOCK-SETS 1\n", 1},
        {"KVT-GAUGE-BLOCK-SETS 1\nset\tA\tmm\t1.0 2.0\nset\tB\tfeet\t1.0\n", 3},
        {"KVT-GAUGE-BLOCK-SETS 1\nset\tA\tmm\t1.0 x\n", 2},
        {"KVT-GAUGE-BLOCK-SETS 1\nset\t\tmm\t1.0\n", 2},
        {"KVT-GAUGE-BLOCK-SETS 1\nset\tA\tmm\t2000\n", 2},
        {"KVT-GAUGE-BLOCK-SETS 1\nset\tA\tmm\n", 2},
    };
    for (const Damage& d : damages) {
        const GaugeSetsReadResult bad = readGaugeBlockSets(d.bytes);
        EXPECT_EQ(bad.errorLine, d.line) << d.bytes;
        EXPECT_TRUE(bad.sets.empty());
    }

    const auto folder = std::filesystem::temp_directory_path() / "kvt_gauge_sets_test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    EXPECT_EQ(loadGaugeBlockSets(folder).sets.size(), 4u); // no file: the shipped sets
    std::ofstream(folder / kGaugeSetFileName) << "KVT-GAUGE-BLOCK-SETS 1\nset\tA\tmm\t1.0 x\n";
    EXPECT_TRUE(loadGaugeBlockSets(folder).damaged);
    std::vector<GaugeBlockSet> mine = {{"Mein Satz", GaugeUnit::Millimetre, {10'000, 20'000}}};
    ASSERT_TRUE(saveGaugeBlockSets(folder, mine, nullptr));
    EXPECT_TRUE(std::filesystem::exists(folder / kDamagedGaugeSetFileName));
    EXPECT_EQ(loadGaugeBlockSets(folder).sets.at(0).name, "Mein Satz");
    std::filesystem::remove_all(folder);
}

TEST(GaugeBlocksTest, EveryDamagedFileIsKeptAndASaveWithoutACopyIsRefused)
{
    const auto folder = std::filesystem::temp_directory_path() / "kvt_gauge_sets_damage_test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto read = [](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::vector<GaugeBlockSet> mine = {{"Mein Satz", GaugeUnit::Millimetre, {10'000, 20'000}}};
    const std::string damages[] = {"KVT-GAUGE-BLOCK-SETS 1\nset\tA\tmm\t1.0 x\n", "set\tB\tmm\t1.0\n"};
    for (const std::string& damage : damages) {
        std::ofstream(folder / kGaugeSetFileName, std::ios::binary) << damage;
        std::string error;
        ASSERT_TRUE(saveGaugeBlockSets(folder, mine, &error)) << error;
        EXPECT_EQ(loadGaugeBlockSets(folder).sets.at(0).name, "Mein Satz");
    }
    EXPECT_EQ(read(folder / kDamagedGaugeSetFileName), damages[0]);
    EXPECT_EQ(read(folder / "GaugeBlockSets.damaged2.txt"), damages[1]);

    // With every copy name taken the damaged file is not replaced.
    for (int number = 3; number <= 999; ++number)
        std::ofstream(folder / ("GaugeBlockSets.damaged" + std::to_string(number) + ".txt")) << number;
    std::ofstream(folder / kGaugeSetFileName, std::ios::binary) << "third damage";
    std::string error;
    EXPECT_FALSE(saveGaugeBlockSets(folder, mine, &error));
    EXPECT_EQ(
        error, std::string("GaugeBlockSets.damaged.txt ... GaugeBlockSets.damaged999.txt: ") + std::strerror(EEXIST));
    EXPECT_EQ(read(folder / kGaugeSetFileName), "third damage");
    EXPECT_EQ(read(folder / kDamagedGaugeSetFileName), damages[0]);
    std::filesystem::remove_all(folder);
}

TEST(GaugeBlocksTest, EditingTextNamesTheDamagedLine)
{
    const GaugeSetsReadResult good = parseGaugeSetsFromEditing(formatGaugeSetsForEditing(defaultGaugeBlockSets()));
    ASSERT_EQ(good.errorLine, 0);
    EXPECT_EQ(good.sets.at(3).sizes, shipped(3).sizes);
    const GaugeSetsReadResult mine = parseGaugeSetsFromEditing("\n  Satz A ; mm ; 1.0005 2,5\n");
    ASSERT_EQ(mine.errorLine, 0);
    EXPECT_EQ(mine.sets.at(0).name, "Satz A");
    EXPECT_EQ(mine.sets.at(0).sizes, (std::vector<std::int64_t> {10'005, 25'000}));
    EXPECT_EQ(parseGaugeSetsFromEditing("A; mm; 1 2\nB; mm; 1 zwei\n").errorLine, 2);
    EXPECT_EQ(parseGaugeSetsFromEditing("A; mm; 1 2\nB; mm; 1 zwei\n").errorDetail, "zwei");
    EXPECT_EQ(parseGaugeSetsFromEditing("A; yards; 1\n").errorLine, 1);
    EXPECT_EQ(parseGaugeSetsFromEditing("A mm 1\n").errorLine, 1);
    EXPECT_EQ(parseGaugeSetsFromEditing("   \n").errorLine, 1); // no set at all
}

} // namespace
} // namespace kvt::calc
