#include "calclib/gauge_blocks.h"

#include "common/atomic_file.h"
#include "common/number_format.h"

#include <algorithm>
#include <array>
#include <functional>
#include <unordered_map>

namespace kvt::calc {

namespace {

constexpr std::string_view kFileHeader = "KVT-GAUGE-BLOCK-SETS 1";
constexpr std::int64_t W = kGaugeUnitsPerWhole;

// `count` sizes from `first` on, `step` apart (all in ten-thousandths).
void addSeries(std::vector<std::int64_t>& sizes, std::int64_t first, std::int64_t step, int count)
{
    for (int i = 0; i < count; ++i)
        sizes.push_back(first + step * i);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::vector<GaugeBlockSet> defaultGaugeBlockSets()
{
    std::vector<GaugeBlockSet> sets(4);
    sets[0].name = "112 (mm)";
    sets[0].sizes.push_back(10'005); // 1.0005
    addSeries(sets[0].sizes, 10'010, 10, 9); // 1.001 to 1.009
    addSeries(sets[0].sizes, 10'100, 100, 49); // 1.01 to 1.49
    addSeries(sets[0].sizes, 5'000, 5'000, 49); // 0.5 to 24.5
    addSeries(sets[0].sizes, 250'000, 250'000, 4); // 25 to 100

    sets[1].name = "87 (mm)";
    addSeries(sets[1].sizes, 10'010, 10, 9); // 1.001 to 1.009
    addSeries(sets[1].sizes, 10'100, 100, 49); // 1.01 to 1.49
    addSeries(sets[1].sizes, 5'000, 5'000, 19); // 0.5 to 9.5
    addSeries(sets[1].sizes, 100'000, 100'000, 10); // 10 to 100

    sets[2].name = "83 (mm)";
    sets[2].sizes.push_back(10'050); // 1.005
    addSeries(sets[2].sizes, 10'100, 100, 49); // 1.01 to 1.49
    addSeries(sets[2].sizes, 16'000, 1'000, 4); // 1.6 to 1.9
    addSeries(sets[2].sizes, 5'000, 5'000, 19); // 0.5 to 9.5
    addSeries(sets[2].sizes, 100'000, 100'000, 10); // 10 to 100

    sets[3].name = "81 (inch)";
    sets[3].unit = GaugeUnit::Inch;
    addSeries(sets[3].sizes, 1'001, 1, 9); // 0.1001 to 0.1009
    addSeries(sets[3].sizes, 1'010, 10, 49); // 0.101 to 0.149
    addSeries(sets[3].sizes, 500, 500, 19); // 0.050 to 0.950
    addSeries(sets[3].sizes, 10'000, 10'000, 4); // 1 to 4
    return sets;
}

std::optional<std::int64_t> parseGaugeLength(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    std::int64_t whole = 0;
    std::int64_t fraction = 0;
    int wholeDigits = 0;
    int fractionDigits = 0;
    bool point = false;
    for (char c : text) {
        if (c == '.' || c == ',') {
            if (point)
                return std::nullopt;
            point = true;
        } else if (!isDigit(c)) {
            return std::nullopt;
        } else if (!point) {
            // Far beyond any stack; also keeps the sum below overflow.
            if (++wholeDigits > 9)
                return std::nullopt;
            whole = whole * 10 + (c - '0');
        } else if (fractionDigits < 4) {
            fraction = fraction * 10 + (c - '0');
            ++fractionDigits;
        } else if (c != '0') {
            return std::nullopt; // finer than a ten-thousandth
        }
    }
    if (wholeDigits == 0 && fractionDigits == 0)
        return std::nullopt;
    for (int i = fractionDigits; i < 4; ++i)
        fraction *= 10;
    const std::int64_t units = whole * W + fraction;
    if (units <= 0)
        return std::nullopt;
    return units;
}

std::string formatGaugeLength(std::int64_t units, GaugeUnit unit)
{
    const std::int64_t whole = units / W;
    const std::int64_t fraction = units % W;
    if (unit == GaugeUnit::Inch || fraction % 10 != 0)
        return cformat("%lld.%04lld", static_cast<long long>(whole), static_cast<long long>(fraction));
    return cformat("%lld.%03lld", static_cast<long long>(whole), static_cast<long long>(fraction / 10));
}

bool gaugeSizesAcceptable(const std::vector<std::int64_t>& sizes)
{
    if (sizes.empty() || sizes.size() > kMaxGaugeBlocks)
        return false;
    std::int64_t total = 0;
    for (std::int64_t size : sizes) {
        if (size <= 0 || size > kMaxGaugeBlockWhole * W)
            return false;
        total += size;
    }
    return total <= kMaxGaugeSetTotalWhole * W;
}

namespace {

// A split is worth it while every choice of fine blocks can be tried (2^16 of them) and
// the table of coarse sums stays a few megabytes.
constexpr std::size_t kMaxFineBlocks = 16;
constexpr double kMaxCoarseTable = 16'000'000; // bytes: one row per coarse block
constexpr std::array<std::int64_t, 16> kStepCandidates
    = {1, 2, 5, 10, 20, 25, 50, 100, 200, 250, 500, 1'000, 2'000, 2'500, 5'000, 10'000};

} // namespace

GaugeStackSolver::GaugeStackSolver(std::vector<std::int64_t> sizes)
{
    if (!gaugeSizesAcceptable(sizes))
        return;
    m_sizes = std::move(sizes);
    std::sort(m_sizes.begin(), m_sizes.end(), std::greater<>());
    for (std::int64_t size : m_sizes)
        m_total += size;

    // The step that makes the least work: building the coarse table costs blocks x table
    // length once, each height costs one look-up per choice of fine blocks.
    std::int64_t best = 0;
    double bestCost = 0.0;
    for (std::int64_t step : kStepCandidates) {
        std::size_t fine = 0;
        std::int64_t coarseTotal = 0;
        for (std::int64_t size : m_sizes) {
            if (size % step != 0)
                ++fine;
            else
                coarseTotal += size;
        }
        const double table
            = static_cast<double>(m_sizes.size() - fine + 1) * static_cast<double>(coarseTotal / step + 1);
        if (fine > kMaxFineBlocks || table > kMaxCoarseTable)
            continue;
        const double cost = table + 64.0 * static_cast<double>(std::int64_t {1} << fine);
        if (best == 0 || cost < bestCost) {
            best = step;
            bestCost = cost;
        }
    }
    if (best != 0)
        prepareSplit(best);
    else
        prepareSearch();
}

void GaugeStackSolver::prepareSplit(std::int64_t step)
{
    m_step = step;
    std::int64_t coarseTotal = 0;
    for (std::int64_t size : m_sizes) {
        if (size % step != 0) {
            m_fine.push_back(size);
        } else {
            m_coarse.push_back(size / step);
            coarseTotal += size / step;
        }
    }
    const std::uint32_t choices = std::uint32_t {1} << m_fine.size();
    m_fineChoices.reserve(choices);
    for (std::uint32_t mask = 0; mask < choices; ++mask) {
        FineChoice choice {0, mask, 0};
        for (std::size_t k = 0; k < m_fine.size(); ++k) {
            if (mask & (std::uint32_t {1} << k)) {
                choice.sum += m_fine[k];
                ++choice.count;
            }
        }
        m_fineChoices.push_back(choice);
    }
    std::stable_sort(m_fineChoices.begin(), m_fineChoices.end(),
        [](const FineChoice& a, const FineChoice& b) { return a.count < b.count; });

    // One row per coarse block, from the last upwards: row i holds the fewest blocks
    // from i on for every sum, so that the blocks of a stack can be read off row by row.
    m_coarseLength = static_cast<std::size_t>(coarseTotal + 1);
    const std::size_t rows = m_coarse.size() + 1;
    m_coarseCount.assign(rows * m_coarseLength, kNone);
    m_coarseCount[m_coarse.size() * m_coarseLength] = 0;
    for (std::size_t i = m_coarse.size(); i-- > 0;) {
        const std::uint8_t* next = &m_coarseCount[(i + 1) * m_coarseLength];
        std::uint8_t* here = &m_coarseCount[i * m_coarseLength];
        const auto w = static_cast<std::size_t>(m_coarse[i]);
        std::copy(next, next + m_coarseLength, here);
        for (std::size_t q = w; q < m_coarseLength; ++q) {
            const std::uint8_t rest = next[q - w];
            if (rest != kNone && rest + 1 < here[q])
                here[q] = static_cast<std::uint8_t>(rest + 1);
        }
    }
}

std::optional<std::vector<std::int64_t>> GaugeStackSolver::solveSplit(std::int64_t height) const
{
    int bestCount = kNone;
    const FineChoice* bestChoice = nullptr;
    std::size_t bestRest = 0;
    for (const FineChoice& choice : m_fineChoices) {
        if (choice.count >= bestCount)
            break; // fewest first: nothing later can be better
        const std::int64_t rest = height - choice.sum;
        if (rest < 0 || rest % m_step != 0 || rest / m_step >= static_cast<std::int64_t>(m_coarseLength))
            continue;
        const auto q = static_cast<std::size_t>(rest / m_step);
        const std::uint8_t coarse = m_coarseCount[q];
        if (coarse != kNone && choice.count + coarse < bestCount) {
            bestCount = choice.count + coarse;
            bestChoice = &choice;
            bestRest = q;
        }
    }
    if (!bestChoice)
        return std::nullopt;
    std::vector<std::int64_t> chosen;
    // Walk the rows: a block belongs to the stack when the rest can still be made with
    // one block fewer from the next row on.
    std::size_t q = bestRest;
    for (std::size_t i = 0; i < m_coarse.size() && q != 0; ++i) {
        const auto w = static_cast<std::size_t>(m_coarse[i]);
        const std::uint8_t here = m_coarseCount[i * m_coarseLength + q];
        if (w <= q && m_coarseCount[(i + 1) * m_coarseLength + q - w] + 1 == here) {
            chosen.push_back(m_coarse[i] * m_step);
            q -= w;
        }
    }
    for (std::size_t k = 0; k < m_fine.size(); ++k) {
        if (bestChoice->mask & (std::uint32_t {1} << k))
            chosen.push_back(m_fine[k]);
    }
    std::sort(chosen.begin(), chosen.end(), std::greater<>());
    return chosen;
}

void GaugeStackSolver::prepareSearch()
{
    const std::size_t n = m_sizes.size();
    m_prefix.assign(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i)
        m_prefix[i + 1] = m_prefix[i] + m_sizes[i];

    // Every sum some selection reaches, one bit each: adding a block shifts the bits
    // reached so far by its size. It answers "not possible" at once, where the search
    // would have to try every selection to be sure.
    const std::size_t words = static_cast<std::size_t>(m_total / 64 + 1);
    m_reachable.assign(words, 0);
    m_reachable[0] = 1;
    std::int64_t reachedTop = 0;
    for (std::int64_t size : m_sizes) {
        const auto wordShift = static_cast<std::size_t>(size / 64);
        const auto bitShift = static_cast<unsigned>(size % 64);
        reachedTop += size;
        const auto top = static_cast<std::size_t>(reachedTop / 64);
        for (std::size_t w = top + 1; w-- > wordShift;) {
            const std::size_t from = w - wordShift;
            std::uint64_t shifted = m_reachable[from] << bitShift;
            if (bitShift != 0 && from > 0)
                shifted |= m_reachable[from - 1] >> (64 - bitShift);
            m_reachable[w] |= shifted;
        }
    }

    m_residueCount.assign((n + 1) * static_cast<std::size_t>(W), kNone);
    m_residueCount[n * static_cast<std::size_t>(W)] = 0;
    for (std::size_t i = n; i-- > 0;) {
        const std::uint8_t* next = &m_residueCount[(i + 1) * static_cast<std::size_t>(W)];
        std::uint8_t* here = &m_residueCount[i * static_cast<std::size_t>(W)];
        const auto shift = static_cast<std::size_t>(m_sizes[i] % W);
        for (std::size_t r = 0; r < static_cast<std::size_t>(W); ++r) {
            const std::uint8_t rest = next[r >= shift ? r - shift : r + static_cast<std::size_t>(W) - shift];
            const std::uint8_t with = rest == kNone ? kNone : static_cast<std::uint8_t>(rest + 1);
            here[r] = std::min(next[r], with);
        }
    }
}

int GaugeStackSolver::lowerBound(std::size_t from, std::int64_t target) const
{
    return m_residueCount[from * static_cast<std::size_t>(W) + static_cast<std::size_t>(target % W)];
}

bool GaugeStackSolver::search(
    std::int64_t target, std::size_t from, int left, std::vector<std::int64_t>& chosen, FailedStates& failed) const
{
    if (target == 0)
        return true;
    if (left <= 0 || from >= m_sizes.size() || lowerBound(from, target) > left)
        return false;
    const std::size_t n = m_sizes.size();
    // The largest blocks still free cannot reach the height: nothing from here can.
    if (m_prefix[std::min(n, from + static_cast<std::size_t>(left))] - m_prefix[from] < target)
        return false;
    // Failing with these blocks means failing with fewer of them, and with fewer picks.
    const std::uint64_t key = static_cast<std::uint64_t>(target) << 8 | static_cast<std::uint64_t>(left);
    if (const auto known = failed.find(key); known != failed.end() && known->second <= from)
        return false;
    // Skip the blocks longer than what is left (the sizes fall).
    const auto first = static_cast<std::size_t>(
        std::lower_bound(m_sizes.begin() + static_cast<std::ptrdiff_t>(from), m_sizes.end(), target, std::greater<>())
        - m_sizes.begin());
    for (std::size_t i = first; i < n; ++i) {
        const std::int64_t size = m_sizes[i];
        // Of several equal blocks the first one stands for all at this place.
        if (i > first && size == m_sizes[i - 1])
            continue;
        // With this block and the largest ones after it the height is out of reach, and
        // every later block is shorter still.
        const std::size_t end = std::min(n, i + static_cast<std::size_t>(left));
        if (size + (m_prefix[end] - m_prefix[i + 1]) < target)
            break;
        chosen.push_back(size);
        if (search(target - size, i + 1, left - 1, chosen, failed))
            return true;
        chosen.pop_back();
    }
    auto [entry, inserted] = failed.try_emplace(key, from);
    if (!inserted)
        entry->second = std::min(entry->second, from);
    return false;
}

std::optional<std::vector<std::int64_t>> GaugeStackSolver::solveSearch(std::int64_t height) const
{
    const auto bit = static_cast<std::size_t>(height);
    if (((m_reachable[bit / 64] >> (bit % 64)) & 1u) == 0)
        return std::nullopt;
    // No fewer blocks than the fine digits need, nor than the longest blocks need.
    int fewest = lowerBound(0, height);
    while (m_prefix[static_cast<std::size_t>(fewest)] < height)
        ++fewest;
    std::vector<std::int64_t> chosen;
    FailedStates failed;
    for (int count = fewest; count <= static_cast<int>(m_sizes.size()); ++count) {
        chosen.clear();
        if (search(height, 0, count, chosen, failed))
            return chosen;
    }
    return std::nullopt; // not reached: the height is reachable
}

std::optional<std::vector<std::int64_t>> GaugeStackSolver::solve(std::int64_t height) const
{
    if (m_sizes.empty() || height <= 0 || height > m_total)
        return std::nullopt;
    return m_step != 0 ? solveSplit(height) : solveSearch(height);
}

std::string formatGaugeSizes(const std::vector<std::int64_t>& sizes, GaugeUnit unit)
{
    std::string text;
    for (std::int64_t size : sizes) {
        if (!text.empty())
            text += ' ';
        text += formatGaugeLength(size, unit);
    }
    return text;
}

std::optional<std::vector<std::int64_t>> parseGaugeSizes(std::string_view text, std::string* bad)
{
    std::vector<std::int64_t> sizes;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == ';' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != ';' && text[end] != '\r'
            && text[end] != '\n')
            ++end;
        const std::string_view entry = text.substr(i, end - i);
        const auto size = parseGaugeLength(entry);
        if (!size || *size > kMaxGaugeBlockWhole * W) {
            if (bad)
                *bad = std::string(entry);
            return std::nullopt;
        }
        sizes.push_back(*size);
        i = end;
    }
    return sizes;
}

std::string writeGaugeBlockSets(const std::vector<GaugeBlockSet>& sets)
{
    std::string text(kFileHeader);
    text += '\n';
    for (const GaugeBlockSet& set : sets) {
        std::string name = set.name;
        std::replace_if(
            name.begin(), name.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
        text += "set\t" + name + '\t' + (set.unit == GaugeUnit::Inch ? "inch" : "mm") + '\t';
        // Four decimals in both units, so that reading gives back the same integers.
        for (std::size_t k = 0; k < set.sizes.size(); ++k) {
            if (k)
                text += ' ';
            text += cformat(
                "%lld.%04lld", static_cast<long long>(set.sizes[k] / W), static_cast<long long>(set.sizes[k] % W));
        }
        text += '\n';
    }
    return text;
}

GaugeSetsReadResult readGaugeBlockSets(std::string_view text)
{
    GaugeSetsReadResult result;
    std::vector<GaugeBlockSet> sets;
    int lineNumber = 0;
    bool headerSeen = false;
    auto fail = [&](const char* detail) {
        result.errorLine = lineNumber;
        result.errorDetail = detail;
        return result;
    };
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!headerSeen) {
            if (line != kFileHeader)
                return fail("not a gauge-block set file");
            headerSeen = true;
            continue;
        }
        if (line.empty())
            continue;
        std::vector<std::string_view> parts;
        for (std::size_t start = 0;;) {
            const std::size_t tab = line.find('\t', start);
            parts.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
            if (tab == std::string_view::npos)
                break;
            start = tab + 1;
        }
        if (parts.size() != 4 || parts[0] != "set")
            return fail("a line is not a set");
        GaugeBlockSet set;
        set.name = std::string(parts[1]);
        if (set.name.empty())
            return fail("a set has no name");
        if (parts[2] == "mm")
            set.unit = GaugeUnit::Millimetre;
        else if (parts[2] == "inch")
            set.unit = GaugeUnit::Inch;
        else
            return fail("unknown unit");
        auto sizes = parseGaugeSizes(parts[3]);
        if (!sizes || !gaugeSizesAcceptable(*sizes))
            return fail("sizes out of range");
        set.sizes = std::move(*sizes);
        sets.push_back(std::move(set));
    }
    if (!headerSeen) {
        lineNumber = 1;
        return fail("empty file");
    }
    if (sets.empty())
        return fail("no set");
    result.sets = std::move(sets);
    return result;
}

std::string formatGaugeSetsForEditing(const std::vector<GaugeBlockSet>& sets)
{
    std::string text;
    for (const GaugeBlockSet& set : sets) {
        text += set.name + "; " + (set.unit == GaugeUnit::Inch ? "inch" : "mm") + "; "
            + formatGaugeSizes(set.sizes, set.unit) + '\n';
    }
    return text;
}

GaugeSetsReadResult parseGaugeSetsFromEditing(std::string_view text)
{
    GaugeSetsReadResult result;
    std::vector<GaugeBlockSet> sets;
    int lineNumber = 0;
    auto trim = [](std::string_view part) {
        while (!part.empty() && (part.front() == ' ' || part.front() == '\t'))
            part.remove_prefix(1);
        while (!part.empty() && (part.back() == ' ' || part.back() == '\t' || part.back() == '\r'))
            part.remove_suffix(1);
        return part;
    };
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        if (line.empty())
            continue;
        const std::size_t first = line.find(';');
        const std::size_t second = first == std::string_view::npos ? first : line.find(';', first + 1);
        GaugeBlockSet set;
        if (second == std::string_view::npos) {
            result.errorLine = lineNumber;
            result.errorDetail = "name; unit; sizes expected";
            return result;
        }
        set.name = std::string(trim(line.substr(0, first)));
        const std::string_view unit = trim(line.substr(first + 1, second - first - 1));
        auto sizes = parseGaugeSizes(line.substr(second + 1), &result.errorDetail);
        const bool unitKnown = unit == "mm" || unit == "inch";
        if (set.name.empty() || set.name.find('\t') != std::string::npos || !unitKnown || !sizes
            || !gaugeSizesAcceptable(*sizes)) {
            result.errorLine = lineNumber;
            if (result.errorDetail.empty())
                result.errorDetail = !unitKnown ? std::string(unit) : std::string("sizes");
            return result;
        }
        set.unit = unit == "inch" ? GaugeUnit::Inch : GaugeUnit::Millimetre;
        set.sizes = std::move(*sizes);
        sets.push_back(std::move(set));
    }
    if (sets.empty()) {
        result.errorLine = 1;
        result.errorDetail = "no set";
        return result;
    }
    result.sets = std::move(sets);
    return result;
}

GaugeSetsLoad loadGaugeBlockSets(const std::filesystem::path& dataDirectory)
{
    GaugeSetsLoad load;
    const SmallFile file = readSmallFile(dataDirectory / kGaugeSetFileName, 1024 * 1024);
    if (file.status == SmallFileStatus::Missing) {
        load.sets = defaultGaugeBlockSets();
        return load;
    }
    if (file.status != SmallFileStatus::Read) {
        load.damaged = true;
        return load;
    }
    GaugeSetsReadResult read = readGaugeBlockSets(file.bytes);
    if (read.errorLine != 0) {
        load.damaged = true;
        load.errorLine = read.errorLine;
        return load;
    }
    load.sets = std::move(read.sets);
    return load;
}

bool saveGaugeBlockSets(
    const std::filesystem::path& dataDirectory, const std::vector<GaugeBlockSet>& sets, std::string* error)
{
    const std::filesystem::path path = dataDirectory / kGaugeSetFileName;
    // A damaged file may hold sets the user typed by hand: it is kept aside, not lost,
    // and an earlier copy is never replaced.
    if (loadGaugeBlockSets(dataDirectory).damaged
        && !keepDamagedCopy(path, {"GaugeBlockSets.damaged", ".txt"}, error).has_value())
        return false;
    return writeFileAtomically(path, writeGaugeBlockSets(sets), error);
}

} // namespace kvt::calc
