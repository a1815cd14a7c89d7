#pragma once

#include "platform/win32.h"
#include "widgets/CaptureHost.h"

// Start-up and shut-down of the widget toolkit and the image subsystem, once each per process.

// Stores host as the toolkit's capture host and the program's own module handle as the module the
// skins are loaded from, and creates the scratch arena. Returns whether the arena was created
// (without it, scratch requests fall back to the heap). Call before the first widget is created.
bool guiStartup(CaptureHost* host);
// Destroys every texture of the texture cache, then the scratch arena.
void guiShutdown();

// The host given to guiStartup (null before it).
CaptureHost* guiCaptureHost();
// The module whose resources hold the skins (null before guiStartup).
HMODULE guiModuleHandle();
