#pragma once
// A window's inputs in its block of the options record. The block types are plain
// records of fixed-width fields; reading and writing them goes through here so that no
// window copies raw bytes itself and every block type is checked to fit.

#include "options/options_record.h"

#include <cstring>
#include <type_traits>

namespace kvt {

template<class Block>
inline constexpr bool kFitsWindowBlock = std::is_trivially_copyable_v<Block> && sizeof(Block) <= kWindowBlockSize;

template<class Block> Block readWindowBlock(const WindowBlock& stored)
{
    static_assert(std::is_trivially_copyable_v<Block>, "a window block is a plain record");
    static_assert(sizeof(Block) <= kWindowBlockSize, "the window block does not fit its part of the options record");
    Block block;
    std::memcpy(&block, stored.bytes, sizeof block);
    return block;
}

// Bytes behind the block type stay as they are: a later version may have put more there.
template<class Block> void writeWindowBlock(WindowBlock& stored, const Block& block)
{
    static_assert(std::is_trivially_copyable_v<Block>, "a window block is a plain record");
    static_assert(sizeof(Block) <= kWindowBlockSize, "the window block does not fit its part of the options record");
    std::memcpy(stored.bytes, &block, sizeof block);
}

// The block of the function window of a page; nullptr for a page without one.
WindowBlock* windowBlockOfPage(WindowBlocks& blocks, int page);
const WindowBlock* windowBlockOfPage(const WindowBlocks& blocks, int page);

} // namespace kvt
