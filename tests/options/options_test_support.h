#pragma once
// Shared helpers of the options tests: a temporary folder, big records on the heap,
// and whole-file byte access.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "options/options_record.h"

namespace kvt::test {

class TempFolder {
public:
    TempFolder()
    {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() / ("kvt_options_" + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

inline std::unique_ptr<OptionsRecord> newRecord()
{
    return std::make_unique<OptionsRecord>(); // value-initialised: all zero
}

inline std::uint8_t* bytesOf(OptionsRecord& record)
{
    return reinterpret_cast<std::uint8_t*>(&record);
}

// Every byte of the record from a seeded generator, so that any moved, lost or
// repeated block shows up in a byte compare.
inline void fillPattern(OptionsRecord& record, std::uint32_t seed)
{
    std::uint64_t state = 0x9E3779B97F4A7C15ULL * (seed + 1); // xorshift64: fast in a debug build
    std::uint8_t* bytes = bytesOf(record);
    for (std::size_t i = 0; i < sizeof(OptionsRecord); i += 8) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        std::memcpy(bytes + i, &state, std::min<std::size_t>(8, sizeof(OptionsRecord) - i));
    }
}

inline std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::vector<std::uint8_t> bytes(in ? static_cast<std::size_t>(in.tellg()) : 0);
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

inline void writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::size_t leftoverTemporaryFiles(const std::filesystem::path& folder)
{
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".tmp") != std::string::npos) {
            ++count;
        }
    }
    return count;
}

} // namespace kvt::test
