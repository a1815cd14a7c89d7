#pragma once

// The keyboard state of the thread (platform-internal), as GetKeyState sees it on Windows: it
// follows the key messages as they are taken from the queue, so it describes the keyboard at the
// time of the message being handled, not of the latest event.

#include "platform/win32.h"

void recordKeyMessage(const MSG& message);
bool isKeyDown(WPARAM virtualKey);
// Forgets every pressed key (the window lost the keyboard, so no key-up may come).
void clearKeyState();
