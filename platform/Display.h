#pragma once

// Platform-internal: the display's vertical dots per inch; 96 when unknown and always 96 offscreen.
int displayDotsPerInch();
