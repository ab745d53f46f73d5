#pragma once
// The zip container some programs wrap their files in (a CAM system's ".tools" tool
// library is a zip file holding one JSON file). Reads stored and deflated entries and
// writes deflated ones, with zlib for the compression. No zip64, no encryption, no
// multi-part archives: a file that needs them is refused with a reason, never guessed at.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

struct ZipEntry {
    std::string name; // as stored, '/' between folders
    std::string data;
};

struct ZipReadResult {
    bool ok = false;
    std::string reason; // plain English, for the diagnostic part of a message
    std::vector<ZipEntry> entries;
};

// Reads every entry; the sum of the unpacked sizes may not exceed `maxUnpackedBytes`
// (a small file that unpacks to gigabytes is refused before it is unpacked). Each entry's
// checksum is verified.
ZipReadResult readZip(std::string_view bytes, std::size_t maxUnpackedBytes);

// A zip file of the entries, deflated, with a fixed time stamp so that the same entries
// give the same bytes.
std::string writeZip(const std::vector<ZipEntry>& entries);

// True when the bytes start like a zip file.
bool looksLikeZip(std::string_view bytes);

} // namespace kvt
