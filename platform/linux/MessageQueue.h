#pragma once

// The thread's message queue (platform-internal): what backends post their events into.

#include "platform/win32.h"

// Drops every queued message of a window that is being destroyed.
void removeQueuedMessages(HWND window);

// Lets the display backend turn its pending events into messages without waiting; PeekMessageW
// calls it first. Null (the default) when no display is in use.
using EventPump = void (*)();
void setEventPump(EventPump pump);
