// The NC editor's text work on large programs: whole-text colouring, renumbering and
// the tool-offset check, each beside a plain reference on the same input in the same
// run (a naive C++ loop, or sed and grep on the same file), so the ratio can be
// read off directly.

#include "common/number_format.h"
#include "serial/nc_colour.h"
#include "serial/nc_renumber.h"
#include "serial/nc_tool_check.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace kvt;

// A milling program: a tool table block, then motion blocks with block numbers, tool
// calls, comments and feeds. About 25 bytes a line.
std::u16string makeProgram(std::size_t lines)
{
    std::string text = "%\r\n";
    text.reserve(lines * 26 + 64);
    for (int tool = 1; tool <= 60; ++tool)
        text += cformat("D%02i L+%.3f R+%.3f\r\n", tool, 50.0 + tool, tool * 0.5);
    for (std::size_t n = 1; n <= lines; ++n) {
        switch (n % 8) {
        case 0:
            text += cformat("N%i T%i M6 (TOOL)\r\n", n * 10, n % 60 + 1);
            break;
        case 1:
            text += cformat("N%i G41 D%02i\r\n", n * 10, n % 60 + 1);
            break;
        default:
            text += cformat("N%i G01 X%.2f Y%.1f\r\n", n * 10, (n % 5000) * 0.25, (n % 300) * 0.5);
        }
    }
    return std::u16string(text.begin(), text.end());
}

const std::u16string& program100k()
{
    static const std::u16string text = makeProgram(100'000);
    return text;
}

const std::u16string& program10MB()
{
    static const std::u16string text = [] {
        std::u16string t = makeProgram(420'000);
        t.resize(std::min<std::size_t>(t.size(), 10'000'000));
        return t;
    }();
    return text;
}

NcColourTable typicalTable()
{
    NcColourTable table;
    for (const char16_t* word : {u"G00", u"G01", u"G02", u"G03", u"G41", u"G42", u"G40", u"M3", u"M5", u"M6", u"M30"})
        table.addWord(word, 0x0000FF);
    for (const char16_t* word : {u"X", u"Y", u"Z"})
        table.addWord(word, 0x00FF00);
    for (const char16_t* word : {u"T", u"D", u"F", u"S"})
        table.addWord(word, 0xFF0000);
    table.addPair(u"(", u")", 0x808080);
    table.addPair(u";", u"", 0x808080);
    return table;
}

std::string narrow(std::u16string_view text)
{
    return std::string(text.begin(), text.end());
}

// Writes the program once to a file for the command-line references.
std::string programFile(const std::u16string& text, const char* name)
{
    const auto path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path, std::ios::binary) << narrow(text);
    return path.string();
}

void runShell(benchmark::State& state, const std::string& command)
{
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("reference command failed");
            break;
        }
    }
}

void setBytes(benchmark::State& state, std::size_t units)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * units));
    state.counters["MB"] = static_cast<double>(units) / 1e6;
}

// --- colouring --------------------------------------------------------------------------

void colour(benchmark::State& state, const std::u16string& text)
{
    const NcColourTable table = typicalTable();
    std::size_t ranges = 0;
    for (auto _ : state) {
        ColourRangeList list;
        colourWholeText(table, text, list);
        ranges = list.ranges().size();
        benchmark::DoNotOptimize(list.ranges().data());
    }
    state.counters["ranges"] = static_cast<double>(ranges);
    setBytes(state, text.size());
}

void BM_Colour_100kLines(benchmark::State& state)
{
    colour(state, program100k());
}
BENCHMARK(BM_Colour_100kLines)->Unit(benchmark::kMillisecond);

void BM_Colour_10MB(benchmark::State& state)
{
    colour(state, program10MB());
}
BENCHMARK(BM_Colour_10MB)->Unit(benchmark::kMillisecond);

// The plain way: each entry searched with a case-blind comparison, no folded copy.
void BM_ColourReferenceNaive_100kLines(benchmark::State& state)
{
    const NcColourTable table = typicalTable();
    const std::u16string& text = program100k();
    const auto blind = [](char16_t a, char16_t b) { return foldCase(a) == foldCase(b); };
    for (auto _ : state) {
        std::vector<ColourRange> ranges;
        for (const auto& word : table.words()) {
            for (auto it = std::search(text.begin(), text.end(), word.text.begin(), word.text.end(), blind);
                 it != text.end(); it = std::search(it + static_cast<std::ptrdiff_t>(word.text.size()), text.end(),
                                       word.text.begin(), word.text.end(), blind)) {
                const auto at = static_cast<std::uint32_t>(it - text.begin());
                ranges.push_back({at, at + static_cast<std::uint32_t>(word.text.size()), word.colour});
            }
        }
        benchmark::DoNotOptimize(ranges.data());
    }
    setBytes(state, text.size());
}
BENCHMARK(BM_ColourReferenceNaive_100kLines)->Unit(benchmark::kMillisecond);

// grep printing the byte offset of every case-blind hit of the same words (into a pipe:
// grep stops at the first hit when its output is /dev/null).
void BM_ColourReferenceGrep_100kLines(benchmark::State& state)
{
    const std::string file = programFile(program100k(), "kvt_nc_bench_100k.nc");
    const std::string words = (std::filesystem::temp_directory_path() / "kvt_nc_bench_words.txt").string();
    std::ofstream(words) << "G00\nG01\nG02\nG03\nG41\nG42\nG40\nM3\nM5\nM6\nM30\nX\nY\nZ\nT\nD\nF\nS\n(\n;\n";
    runShell(state, "LC_ALL=C grep -o -b -i -F -f " + words + " " + file + " | wc -l > /dev/null");
    setBytes(state, program100k().size());
}
BENCHMARK(BM_ColourReferenceGrep_100kLines)->Unit(benchmark::kMillisecond)->UseRealTime();

// --- renumbering ------------------------------------------------------------------------

void renumber(benchmark::State& state, const std::u16string& text)
{
    const RenumberRequest request {NcLineFormat::parse(u"N10"), NcLineFormat::parse(u"N00010"), 10, 5};
    std::uint32_t renumbered = 0;
    for (auto _ : state) {
        const auto result = renumberNcText(text, request);
        renumbered = result->renumbered;
        benchmark::DoNotOptimize(result->text.data());
    }
    state.counters["blocks"] = renumbered;
    setBytes(state, text.size());
}

void BM_Renumber_100kLines(benchmark::State& state)
{
    renumber(state, program100k());
}
BENCHMARK(BM_Renumber_100kLines)->Unit(benchmark::kMillisecond);

void BM_Renumber_10MB(benchmark::State& state)
{
    renumber(state, program10MB());
}
BENCHMARK(BM_Renumber_10MB)->Unit(benchmark::kMillisecond);

// sed doing the same substitution (without the running number, which sed cannot count).
void BM_RenumberReferenceSed_100kLines(benchmark::State& state)
{
    const std::string file = programFile(program100k(), "kvt_nc_bench_100k.nc");
    runShell(state, "LC_ALL=C sed -E '2,$ s/^N[0-9]{1,10} ([A-Za-z0-9])/N00010 \\1/' " + file + " > /dev/null");
    setBytes(state, program100k().size());
}
BENCHMARK(BM_RenumberReferenceSed_100kLines)->Unit(benchmark::kMillisecond)->UseRealTime();

// --- tool offsets ---------------------------------------------------------------------

ToolNcDataList benchTools()
{
    std::vector<std::u16string> records;
    for (int tool = 1; tool <= 499; ++tool) {
        const std::string data = cformat("D%02i L+%.3f R+%.3f", tool, 50.0 + tool, tool * 0.5);
        records.emplace_back(data.begin(), data.end());
    }
    return ToolNcDataList(std::move(records));
}

void BM_ToolOffsetCheck_10MB(benchmark::State& state)
{
    const ToolNcDataList tools = benchTools();
    const std::u16string& text = program10MB();
    int result = 0;
    for (auto _ : state) {
        result = checkToolOffsets(text, u"D00", tools).result;
        benchmark::DoNotOptimize(result);
    }
    state.counters["result"] = result;
    setBytes(state, text.size());
}
BENCHMARK(BM_ToolOffsetCheck_10MB)->Unit(benchmark::kMillisecond);

// The plain way: one search through the text per tool number, then one per record.
void BM_ToolOffsetCheckReferenceNaive_10MB(benchmark::State& state)
{
    const ToolNcDataList tools = benchTools();
    const std::u16string& text = program10MB();
    for (auto _ : state) {
        int result = 0;
        for (int tool = 1; tool <= 499; ++tool) {
            const std::string w = cformat("D%02i", tool);
            const std::u16string word(w.begin(), w.end());
            const std::size_t at = text.find(word);
            if (at == std::u16string::npos)
                continue;
            const std::size_t end = text.find_first_of(u"\r\n", at);
            if (end == std::u16string::npos)
                continue;
            for (std::size_t r = 0; r < tools.recordCount(); ++r) {
                if (tools.ncData(r).find(word) != std::u16string_view::npos) {
                    result |= text.compare(at, end - at, tools.ncData(r)) != 0;
                    break;
                }
            }
        }
        benchmark::DoNotOptimize(result);
    }
    setBytes(state, text.size());
}
BENCHMARK(BM_ToolOffsetCheckReferenceNaive_10MB)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
