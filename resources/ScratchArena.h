#pragma once

#include <cstdint>

// The process's scratch arena: a 16384-byte last-in-first-out allocator for short-lived tables (the
// image decoder's row pointers). Each block is preceded by an 8-byte header, its own offset and the
// bytes asked for; blocks are not cleared. Only the most recent block can be given back, and giving
// it back rewinds the arena to where that block started; the arena remembers no older block.
// Requests that do not fit go to the process heap, zero-filled. Main thread only.
struct ScratchArena {
    static constexpr std::uint32_t CAPACITY = 16384;
    static constexpr std::uint32_t HEADER_SIZE = 8;

    unsigned char* buffer;    // null if its allocation failed
    std::uint32_t capacity;   // CAPACITY with a buffer, else 0
    std::uint32_t used;       // where the next block's header goes
    std::int32_t top;         // offset of the most recent block's header; -1 for none
};

// Creates the process's arena (from guiStartup). False if it could not be made, or only without
// its buffer; every request then goes to the heap.
bool createScratchArena();
// Frees the arena and its buffer (from guiShutdown); blocks still out are lost with it.
void destroyScratchArena();
// The process's arena, or null; for inspection.
const ScratchArena* scratchArena();

// n bytes from the arena, or zero-filled from the heap when there is no room (or no arena); null
// only when the heap is exhausted. Arena blocks start 8-byte aligned.
void* scratchAlloc(std::uint32_t bytes);
// Gives a block back. An arena block is released only if it is the most recent one (false
// otherwise, and nothing changes); anything else is freed to the heap (null does nothing) and true.
bool scratchFree(void* block);
