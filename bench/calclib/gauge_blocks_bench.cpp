// The gauge-block answer for the 112-piece set: the goal is under 50 ms for any height.
// Measured are the tables made once per set, the slowest single height over the whole
// range (every height in whole ten-thousandths up to the sum of all blocks is timed once
// to find it), a height no stack makes (every choice of fine blocks is tried), and a
// first answer with the tables still to be made.

#include "calclib/gauge_blocks.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

namespace {

using kvt::calc::GaugeStackSolver;

const std::vector<std::int64_t>& set112()
{
    static const std::vector<std::int64_t> sizes = kvt::calc::defaultGaugeBlockSets().front().sizes;
    return sizes;
}

std::int64_t total112()
{
    std::int64_t total = 0;
    for (std::int64_t size : set112())
        total += size;
    return total;
}

// The slowest height, found once by timing every height of the range with its
// neighbours (steps of 0.0005 mm, the set's finest step).
std::int64_t slowestHeight(const GaugeStackSolver& solver)
{
    static std::int64_t slowest = 0;
    if (slowest != 0)
        return slowest;
    double worst = -1.0;
    for (std::int64_t height = 5; height <= total112(); height += 5) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(solver.solve(height));
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (took > worst) {
            worst = took;
            slowest = height;
        }
    }
    return slowest;
}

void BM_Build112(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(GaugeStackSolver(set112()));
}
BENCHMARK(BM_Build112)->Unit(benchmark::kMillisecond);

void BM_SlowestHeight112(benchmark::State& state)
{
    const GaugeStackSolver solver(set112());
    const std::int64_t height = slowestHeight(solver);
    state.SetLabel("height " + std::to_string(height / 10'000) + "." + std::to_string(height % 10'000));
    for (auto _ : state)
        benchmark::DoNotOptimize(solver.solve(height));
}
BENCHMARK(BM_SlowestHeight112)->Unit(benchmark::kMicrosecond);

void BM_WholeRange112(benchmark::State& state)
{
    // Every 0.0005 mm from 0 to the sum of all blocks: the mean time per height.
    const GaugeStackSolver solver(set112());
    std::int64_t heights = 0;
    for (auto _ : state) {
        for (std::int64_t height = 5; height <= total112(); height += 5) {
            benchmark::DoNotOptimize(solver.solve(height));
            ++heights;
        }
    }
    state.SetItemsProcessed(heights);
}
BENCHMARK(BM_WholeRange112)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ImpossibleHeight112(benchmark::State& state)
{
    const GaugeStackSolver solver(set112());
    for (auto _ : state)
        benchmark::DoNotOptimize(solver.solve(4'000'003)); // 400.0003 mm: no 0.1 µm block
}
BENCHMARK(BM_ImpossibleHeight112)->Unit(benchmark::kMicrosecond);

void BM_FirstAnswer112(benchmark::State& state)
{
    // Tables made and one answer, as on the first "*Berechnen" with a set.
    for (auto _ : state) {
        const GaugeStackSolver solver(set112());
        benchmark::DoNotOptimize(solver.solve(583'450));
    }
}
BENCHMARK(BM_FirstAnswer112)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
