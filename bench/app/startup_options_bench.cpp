// What the start-up's main thread pays for the options before the first window: the
// whole read (key, file, AES) as it was done at its time, against taking the file that
// the key thread read ahead while Qt started. Each iteration starts from a fresh
// storage and a fresh record, as a start does; setting up and the read ahead itself are
// not timed.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "app/options_storage_file.h"
#include "app/state_block_set.h"

namespace {

class BenchFolder {
public:
    BenchFolder()
        : m_path(
            std::filesystem::temp_directory_path() / ("kvt_startup_bench_" + std::to_string(std::random_device {}())))
    {
        std::filesystem::create_directories(m_path);
    }
    ~BenchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

bool writeOptions(const std::filesystem::path& file)
{
    auto record = std::make_unique<kvt::OptionsRecord>();
    record->settings.changed = 1;
    kvt::OptionsStorageFile storage;
    return !storage.write(file, *record).has_value();
}

void readAtStart(benchmark::State& state, bool ahead)
{
    BenchFolder folder;
    const auto file = kvt::optionsFilePath(folder.path());
    if (!writeOptions(file)) {
        state.SkipWithError("write failed");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        // The record as the start allocates it: zero pages, mapped on first touch.
        auto blocks = std::make_unique<kvt::StateBlockSet>();
        blocks->allocate(kvt::StateBlock::Options);
        auto storage = std::make_unique<kvt::OptionsStorageFile>(ahead ? file : std::filesystem::path());
        storage->finishReadAhead();
        state.ResumeTiming();
        if (storage->read(file, *blocks->options()).failure != kvt::OptionsReadFailure::None
            || storage->lastReadWasAhead() != ahead) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(blocks->options()->settings.changed);
        state.PauseTiming();
        storage.reset();
        blocks.reset();
        state.ResumeTiming();
    }
}

void BM_StartupOptionsReadWhole(benchmark::State& state)
{
    readAtStart(state, false);
}
BENCHMARK(BM_StartupOptionsReadWhole)->Unit(benchmark::kMillisecond);

void BM_StartupOptionsTakenFromReadAhead(benchmark::State& state)
{
    readAtStart(state, true);
}
BENCHMARK(BM_StartupOptionsTakenFromReadAhead)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
