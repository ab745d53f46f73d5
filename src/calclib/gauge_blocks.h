#pragma once
// Gauge-block stacks: the fewest blocks of a set whose sizes add up exactly to a height,
// each block of the set used at most once, and the block sets themselves (the usual
// compositions as defaults, the user's own sets in a small text file).
//
// Everything is counted in whole ten-thousandths of the set's unit (0.1 µm for a metric
// set, 0.0001 inch for an inch set). Whole micrometres are not fine enough: the
// 112-piece set has a 1.0005 mm block. Working in integers keeps every sum exact.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kvt::calc {

// Ten-thousandths of the set's unit per unit.
inline constexpr std::int64_t kGaugeUnitsPerWhole = 10'000;
// Limits of a set the user may keep: the solver's tables grow with the number of blocks
// and with their total length, and no maker sells a case beyond them.
inline constexpr std::size_t kMaxGaugeBlocks = 250;
inline constexpr std::int64_t kMaxGaugeBlockWhole = 1'000; // the longest block, mm or inch
inline constexpr std::int64_t kMaxGaugeSetTotalWhole = 5'000; // all blocks together

enum class GaugeUnit : int { Millimetre = 0, Inch = 1 };

struct GaugeBlockSet {
    std::string name; // UTF-8, no tab and no line break
    GaugeUnit unit = GaugeUnit::Millimetre;
    std::vector<std::int64_t> sizes; // ten-thousandths, each > 0, in the order the user keeps them
};

// The 112, 87 and 83 piece metric sets and the 81 piece inch set.
std::vector<GaugeBlockSet> defaultGaugeBlockSets();

// A length typed in the set's unit ("58.345", "0.1005") as ten-thousandths; nullopt when
// it is not a plain positive decimal number or has a digit finer than a ten-thousandth
// (no set can make that). Point or comma as the decimal mark.
std::optional<std::int64_t> parseGaugeLength(std::string_view text);
// "1.0005", "1.340", "50.000" for a metric set (three decimals, four when the fourth is
// needed); always four decimals for an inch set ("0.1005", "4.0000").
std::string formatGaugeLength(std::int64_t units, GaugeUnit unit);

// Whether the sizes are a set the solver takes: 1 to kMaxGaugeBlocks blocks, each > 0 and
// at most kMaxGaugeBlockWhole, all together at most kMaxGaugeSetTotalWhole.
bool gaugeSizesAcceptable(const std::vector<std::int64_t>& sizes);

// Finds the fewest blocks for heights from one set. Building it prepares tables for the
// set (a few milliseconds for the usual sets); each solve() then works on them. Sizes
// that gaugeSizesAcceptable() refuses give a solver that finds nothing.
//
// The usual sets are a few "fine" blocks that settle the last digits (1.0005, 1.001 to
// 1.009) and many "coarse" blocks that are all multiples of one step (0.01 mm). The
// solver picks such a step; then every choice of fine blocks is tried, and the fewest
// coarse blocks for the rest are read from a table made once per set. A set without
// that shape is searched block by block instead, fewest first, with the same result.
class GaugeStackSolver {
public:
    explicit GaugeStackSolver(std::vector<std::int64_t> sizes);

    // The blocks of a fewest-blocks stack, largest first, that add up to exactly the
    // height; nullopt when no selection of the set's blocks does.
    std::optional<std::vector<std::int64_t>> solve(std::int64_t height) const;

    std::size_t blockCount() const { return m_sizes.size(); }
    // The coarse step in ten-thousandths, 0 when the set is searched block by block.
    std::int64_t coarseStep() const { return m_step; }

private:
    static constexpr std::uint8_t kNone = 255;
    // (remaining height << 8 | picks left) -> the lowest first index from which the search
    // has failed; any later start fails as well.
    using FailedStates = std::unordered_map<std::uint64_t, std::size_t>;

    void prepareSplit(std::int64_t step);
    void prepareSearch();
    std::optional<std::vector<std::int64_t>> solveSplit(std::int64_t height) const;
    std::optional<std::vector<std::int64_t>> solveSearch(std::int64_t height) const;
    bool search(
        std::int64_t target, std::size_t from, int left, std::vector<std::int64_t>& chosen, FailedStates& failed) const;
    int lowerBound(std::size_t from, std::int64_t target) const;

    std::vector<std::int64_t> m_sizes; // largest first
    std::int64_t m_total = 0;

    // Split into fine and coarse blocks.
    std::int64_t m_step = 0;
    std::vector<std::int64_t> m_fine; // largest first
    struct FineChoice {
        std::int64_t sum;
        std::uint32_t mask; // bit k: m_fine[k] is used
        int count;
    };
    std::vector<FineChoice> m_fineChoices; // every choice of fine blocks, fewest first
    std::vector<std::int64_t> m_coarse; // in steps, largest first
    // m_coarseCount[i * m_coarseLength + q]: the fewest coarse blocks from index i on
    // adding up to q steps, kNone for none.
    std::size_t m_coarseLength = 0;
    std::vector<std::uint8_t> m_coarseCount;

    // Block by block.
    std::vector<std::int64_t> m_prefix; // m_prefix[i] = sum of the i largest blocks
    // m_reachable bit s: some selection of the blocks adds up to s ten-thousandths.
    std::vector<std::uint64_t> m_reachable;
    // m_residueCount[i * kGaugeUnitsPerWhole + r]: the fewest blocks from index i on whose
    // sum leaves the remainder r after whole units, kNone when none does.
    std::vector<std::uint8_t> m_residueCount;
};

// The user's sets as a text file: a first line naming the format, then one line per set,
// "set<TAB>name<TAB>mm|inch<TAB>size size size ...". Written through a temporary file and
// a rename by the caller.
std::string writeGaugeBlockSets(const std::vector<GaugeBlockSet>& sets);

struct GaugeSetsReadResult {
    std::vector<GaugeBlockSet> sets; // empty unless the whole file is sound
    int errorLine = 0; // 0: no error; else the first line that is damaged (1-based)
    std::string errorDetail; // what is wrong with it, in English words for the log and tests
};
// Reads the whole file or nothing: any damaged line rejects it all, so that a half-read
// file never replaces the sets the user had.
GaugeSetsReadResult readGaugeBlockSets(std::string_view text);

// The sets as the user edits them in the program, one set a line:
// "name; mm; 1.0005 1.001 ...". A damaged line is named in the result as in the file.
std::string formatGaugeSetsForEditing(const std::vector<GaugeBlockSet>& sets);
GaugeSetsReadResult parseGaugeSetsFromEditing(std::string_view text);

// The file in the data directory; a missing file gives the default sets, a damaged one
// none (and `damaged`), so that the caller keeps what it has and says so.
inline constexpr std::string_view kGaugeSetFileName = "GaugeBlockSets.txt";
// The first copy of a damaged file; later ones are "GaugeBlockSets.damaged2.txt", ...
inline constexpr std::string_view kDamagedGaugeSetFileName = "GaugeBlockSets.damaged.txt";
struct GaugeSetsLoad {
    std::vector<GaugeBlockSet> sets;
    bool damaged = false;
    int errorLine = 0;
};
GaugeSetsLoad loadGaugeBlockSets(const std::filesystem::path& dataDirectory);
// Through a temporary file and a rename; a damaged file is first copied aside under
// the first free copy name (kDamagedGaugeSetFileName, then numbered), and the save is
// refused when no copy could be made. False with a reason when it failed.
bool saveGaugeBlockSets(
    const std::filesystem::path& dataDirectory, const std::vector<GaugeBlockSet>& sets, std::string* error);

// A set's sizes typed as a list ("1.0005 1.001; 1.002\n50"): blanks, semicolons and line
// breaks separate them. nullopt (and the offending entry in `bad`) when an entry is not
// a size a block can have.
std::optional<std::vector<std::int64_t>> parseGaugeSizes(std::string_view text, std::string* bad = nullptr);
std::string formatGaugeSizes(const std::vector<std::int64_t>& sizes, GaugeUnit unit);

} // namespace kvt::calc
