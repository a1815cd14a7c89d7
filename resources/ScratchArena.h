#pragma once

// The process's scratch arena (made by guiStartup, destroyed by guiShutdown). False when its buffer
// cannot be had; scratch requests then fall back to the heap.
bool createScratchArena();
void destroyScratchArena();
