// Writing and reading the whole options file, key derivation and AES over the full
// record included, into a temporary folder. Both run at start-up, exit and after every
// options dialog; each should stay under 100 ms.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "options/openssl_options_cipher.h"
#include "options/options_file.h"

namespace {

class BenchFolder {
public:
    BenchFolder()
        : m_path(
            std::filesystem::temp_directory_path() / ("kvt_options_bench_" + std::to_string(std::random_device {}())))
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

std::unique_ptr<kvt::OptionsRecord> patternedRecord()
{
    auto record = std::make_unique<kvt::OptionsRecord>();
    auto* bytes = reinterpret_cast<unsigned char*>(record.get());
    for (std::size_t i = 0; i < sizeof(kvt::OptionsRecord); ++i) {
        bytes[i] = static_cast<unsigned char>(i * 131 + (i >> 12));
    }
    return record;
}

void BM_OptionsWrite(benchmark::State& state)
{
    BenchFolder folder;
    const auto path = kvt::optionsFilePath(folder.path());
    kvt::OpenSslOptionsCipher cipher;
    kvt::OptionsFile file(cipher);
    auto record = patternedRecord();
    for (auto _ : state) {
        record->settings.changed = 1;
        if (file.write(path, *record).status != kvt::OptionsStatus::Ok) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kvt::kOptionsStoredSize));
}
BENCHMARK(BM_OptionsWrite)->Unit(benchmark::kMillisecond);

void BM_OptionsRead(benchmark::State& state)
{
    BenchFolder folder;
    const auto path = kvt::optionsFilePath(folder.path());
    kvt::OpenSslOptionsCipher cipher;
    kvt::OptionsFile file(cipher);
    auto record = patternedRecord();
    record->settings.changed = 1;
    if (file.write(path, *record).status != kvt::OptionsStatus::Ok) {
        state.SkipWithError("write failed");
        return;
    }
    for (auto _ : state) {
        if (file.read(path, *record).status != kvt::OptionsStatus::Ok) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(record->settings.changed);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kvt::kOptionsStoredSize));
}
BENCHMARK(BM_OptionsRead)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
