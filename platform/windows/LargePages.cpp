// Large pages for large arrays.

#include "platform/win32.h"

// Windows gives large pages only to programs holding the right to lock pages in memory, and only
// through VirtualAlloc: an array from the heap keeps its ordinary pages.
void VexoPreferLargePages(LPVOID, SIZE_T) {}
