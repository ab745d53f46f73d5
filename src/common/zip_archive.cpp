#include "common/zip_archive.h"

#include <zlib.h>

#include <cstdint>
#include <limits>

namespace kvt {

namespace {

constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint32_t kCentralHeader = 0x02014b50;
constexpr std::uint32_t kEndOfCentralDirectory = 0x06054b50;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kEncryptedFlag = 0x0001;
constexpr std::uint16_t kUtf8NameFlag = 0x0800;
// 1 January 2020, 00:00, in MS-DOS form: fixed, so that an export is reproducible.
constexpr std::uint16_t kDosDate = ((2020 - 1980) << 9) | (1 << 5) | 1;
constexpr std::uint16_t kDosTime = 0;

std::uint16_t u16(std::string_view b, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8));
}

std::uint32_t u32(std::string_view b, std::size_t at)
{
    return static_cast<std::uint32_t>(u16(b, at)) | (static_cast<std::uint32_t>(u16(b, at + 2)) << 16);
}

void put16(std::string& out, std::uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void put32(std::string& out, std::uint32_t v)
{
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

std::uint32_t crcOf(std::string_view data)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    std::size_t done = 0;
    while (done < data.size()) {
        const auto chunk = static_cast<uInt>(std::min<std::size_t>(data.size() - done, 1u << 30));
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data() + done), chunk);
        done += chunk;
    }
    return static_cast<std::uint32_t>(crc);
}

bool inflateRaw(std::string_view packed, std::size_t expected, std::string& out)
{
    z_stream stream {};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    out.assign(expected, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(expected);
    const int status = inflate(&stream, Z_FINISH);
    const bool complete = status == Z_STREAM_END && stream.total_out == expected;
    inflateEnd(&stream);
    return complete;
}

bool deflateRaw(std::string_view data, std::string& out)
{
    z_stream stream {};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    out.assign(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return status == Z_STREAM_END;
}

ZipReadResult refuse(std::string reason)
{
    ZipReadResult result;
    result.reason = std::move(reason);
    return result;
}

} // namespace

bool looksLikeZip(std::string_view bytes)
{
    return bytes.size() >= 4 && u32(bytes, 0) == kLocalHeader;
}

ZipReadResult readZip(std::string_view bytes, std::size_t maxUnpackedBytes)
{
    if (bytes.size() < kEndRecordSize)
        return refuse("not a zip file");
    // The end record sits at the end, after a comment of at most 65535 bytes.
    std::size_t end = std::string_view::npos;
    const std::size_t earliest = bytes.size() > kEndRecordSize + 0xFFFF ? bytes.size() - kEndRecordSize - 0xFFFF : 0;
    for (std::size_t at = bytes.size() - kEndRecordSize + 1; at-- > earliest;) {
        if (u32(bytes, at) == kEndOfCentralDirectory) {
            end = at;
            break;
        }
    }
    if (end == std::string_view::npos)
        return refuse("not a zip file (no central directory)");
    const std::uint16_t disk = u16(bytes, end + 4);
    const std::uint16_t count = u16(bytes, end + 10);
    const std::uint32_t directorySize = u32(bytes, end + 12);
    const std::uint32_t directoryOffset = u32(bytes, end + 16);
    if (disk != 0 || u16(bytes, end + 6) != 0 || u16(bytes, end + 8) != count)
        return refuse("a zip file in several parts");
    if (count == 0xFFFF || directoryOffset == 0xFFFFFFFF)
        return refuse("a zip64 file");
    if (static_cast<std::size_t>(directoryOffset) + directorySize > end)
        return refuse("the zip directory is damaged");

    ZipReadResult result;
    std::size_t unpacked = 0;
    std::size_t at = directoryOffset;
    for (std::uint16_t i = 0; i < count; ++i) {
        if (at + kCentralHeaderSize > end || u32(bytes, at) != kCentralHeader)
            return refuse("the zip directory is damaged");
        const std::uint16_t flags = u16(bytes, at + 8);
        const std::uint16_t method = u16(bytes, at + 10);
        const std::uint32_t crc = u32(bytes, at + 16);
        const std::uint32_t packedSize = u32(bytes, at + 20);
        const std::uint32_t size = u32(bytes, at + 24);
        const std::uint16_t nameLength = u16(bytes, at + 28);
        const std::uint16_t extraLength = u16(bytes, at + 30);
        const std::uint16_t commentLength = u16(bytes, at + 32);
        const std::uint32_t localOffset = u32(bytes, at + 42);
        if (at + kCentralHeaderSize + nameLength + extraLength + commentLength > end)
            return refuse("the zip directory is damaged");
        ZipEntry entry;
        entry.name = std::string(bytes.substr(at + kCentralHeaderSize, nameLength));
        at += kCentralHeaderSize + nameLength + extraLength + commentLength;
        if (flags & kEncryptedFlag)
            return refuse("an encrypted zip entry");
        if (packedSize == 0xFFFFFFFF || size == 0xFFFFFFFF || localOffset == 0xFFFFFFFF)
            return refuse("a zip64 file");
        if (method != kStored && method != kDeflated)
            return refuse("a zip entry packed with an unknown method");
        if (size > maxUnpackedBytes || unpacked + size > maxUnpackedBytes)
            return refuse("the zip file unpacks to more than a tool library can hold");
        unpacked += size;
        if (static_cast<std::size_t>(localOffset) + kLocalHeaderSize > bytes.size()
            || u32(bytes, localOffset) != kLocalHeader)
            return refuse("a zip entry is damaged");
        const std::size_t dataAt
            = localOffset + kLocalHeaderSize + u16(bytes, localOffset + 26) + u16(bytes, localOffset + 28);
        if (dataAt + packedSize > bytes.size())
            return refuse("a zip entry is cut short");
        const std::string_view packed = bytes.substr(dataAt, packedSize);
        if (method == kStored) {
            if (packedSize != size)
                return refuse("a zip entry is damaged");
            entry.data = std::string(packed);
        } else if (!inflateRaw(packed, size, entry.data)) {
            return refuse("a zip entry cannot be unpacked");
        }
        if (crcOf(entry.data) != crc)
            return refuse("a zip entry fails its checksum");
        result.entries.push_back(std::move(entry));
    }
    result.ok = true;
    return result;
}

std::string writeZip(const std::vector<ZipEntry>& entries)
{
    std::string out;
    std::string directory;
    for (const ZipEntry& entry : entries) {
        std::string packed;
        std::uint16_t method = kDeflated;
        if (!deflateRaw(entry.data, packed) || packed.size() >= entry.data.size()) {
            packed = entry.data;
            method = kStored;
        }
        const std::uint32_t crc = crcOf(entry.data);
        const auto offset = static_cast<std::uint32_t>(out.size());
        auto header = [&](std::string& to, bool central) {
            put32(to, central ? kCentralHeader : kLocalHeader);
            if (central)
                put16(to, 20); // made by
            put16(to, 20); // needed to extract
            put16(to, kUtf8NameFlag);
            put16(to, method);
            put16(to, kDosTime);
            put16(to, kDosDate);
            put32(to, crc);
            put32(to, static_cast<std::uint32_t>(packed.size()));
            put32(to, static_cast<std::uint32_t>(entry.data.size()));
            put16(to, static_cast<std::uint16_t>(entry.name.size()));
            put16(to, 0); // extra
            if (central) {
                put16(to, 0); // comment
                put16(to, 0); // disk
                put16(to, 0); // internal attributes
                put32(to, 0); // external attributes
                put32(to, offset);
            }
            to += entry.name;
        };
        header(out, false);
        out += packed;
        header(directory, true);
    }
    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out += directory;
    put32(out, kEndOfCentralDirectory);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<std::uint16_t>(entries.size()));
    put16(out, static_cast<std::uint16_t>(entries.size()));
    put32(out, static_cast<std::uint32_t>(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

} // namespace kvt
