#include "common/large_buffer.h"

#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace kvt {

namespace {

constexpr std::size_t kHugePageSize = std::size_t {2} << 20;

} // namespace

void adviseHugePages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t size)
{
#ifdef __linux__
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + kHugePageSize - 1) & ~(kHugePageSize - 1);
    const std::uintptr_t last = (begin + size) & ~(kHugePageSize - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

void LargeBufferDeleter::operator()(std::uint8_t* data) const
{
    std::free(data);
}

LargeBuffer allocateLargeBuffer(std::size_t size)
{
    // aligned_alloc wants a size that is a multiple of the alignment.
    const std::size_t rounded = (size + kHugePageSize - 1) / kHugePageSize * kHugePageSize;
    auto* data = static_cast<std::uint8_t*>(std::aligned_alloc(kHugePageSize, rounded == 0 ? kHugePageSize : rounded));
    if (data)
        adviseHugePages(data, rounded);
    return LargeBuffer(data);
}

} // namespace kvt
