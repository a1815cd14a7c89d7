// The process-wide scratch arena.

#include "resources/ScratchArena.h"

#include <cstdlib>
#include <cstring>

namespace {

ScratchArena* arena = nullptr;

struct BlockHeader {
    std::uint32_t offset;  // of this header in the buffer
    std::uint32_t bytes;   // asked for
};
static_assert(sizeof(BlockHeader) == ScratchArena::HEADER_SIZE);

// Blocks are laid out at multiples of 8 so that pointer tables in them are aligned.
constexpr std::uint64_t BLOCK_ALIGNMENT = 8;

std::uint64_t footprint(std::uint32_t bytes)
{
    return ScratchArena::HEADER_SIZE + (bytes + BLOCK_ALIGNMENT - 1) / BLOCK_ALIGNMENT * BLOCK_ALIGNMENT;
}

}  // namespace

bool createScratchArena()
{
    destroyScratchArena();
    arena = static_cast<ScratchArena*>(std::calloc(1, sizeof(ScratchArena)));
    if (arena == nullptr) return false;
    arena->top = -1;
    arena->buffer = static_cast<unsigned char*>(std::calloc(1, ScratchArena::CAPACITY));
    if (arena->buffer == nullptr) return false;
    arena->capacity = ScratchArena::CAPACITY;
    return true;
}

void destroyScratchArena()
{
    if (arena == nullptr) return;
    std::free(arena->buffer);
    std::free(arena);
    arena = nullptr;
}

const ScratchArena* scratchArena()
{
    return arena;
}

void* scratchAlloc(std::uint32_t bytes)
{
    if (arena == nullptr || arena->used + footprint(bytes) > arena->capacity) {
        return std::calloc(1, bytes);
    }
    const BlockHeader header{arena->used, bytes};
    unsigned char* at = arena->buffer + arena->used;
    std::memcpy(at, &header, sizeof header);
    arena->top = static_cast<std::int32_t>(arena->used);
    arena->used += static_cast<std::uint32_t>(footprint(bytes));
    return at + ScratchArena::HEADER_SIZE;
}

bool scratchFree(void* block)
{
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    const auto start = reinterpret_cast<std::uintptr_t>(arena != nullptr ? arena->buffer : nullptr);
    if (arena != nullptr && arena->buffer != nullptr && address >= start && address < start + arena->capacity) {
        // Only the most recent block, at exactly the address it was handed out at, rewinds.
        if (address < start + ScratchArena::HEADER_SIZE) return false;
        BlockHeader header;
        std::memcpy(&header, static_cast<unsigned char*>(block) - ScratchArena::HEADER_SIZE, sizeof header);
        if (static_cast<std::int64_t>(header.offset) != arena->top ||
            address != start + header.offset + ScratchArena::HEADER_SIZE) {
            return false;
        }
        arena->used = header.offset;
        return true;
    }
    std::free(block);
    return true;
}
