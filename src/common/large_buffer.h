#pragma once
// Buffers of several megabytes that are filled at once (the options record and the
// buffers of its file). Each fresh 4 KiB page costs the kernel a fault on first touch,
// and for the 9.67 MB record those faults were most of what reading the options file
// cost; where the system offers it, such a buffer asks for huge pages instead.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kvt {

// Asks the system to back the whole 2 MiB pages inside [data, data + size) with huge
// pages. Only a hint: it changes no byte and may do nothing.
void adviseHugePages(void* data, std::size_t size);

struct LargeBufferDeleter {
    void operator()(std::uint8_t* data) const;
};
using LargeBuffer = std::unique_ptr<std::uint8_t[], LargeBufferDeleter>;

// Uninitialised memory of at least size bytes, aligned for huge pages; nullptr when
// there is not enough memory.
LargeBuffer allocateLargeBuffer(std::size_t size);

} // namespace kvt
