#pragma once

// The display's resolution (platform-internal), for the fonts: 96 dots per inch offscreen or when
// the display does not say; otherwise the X screen's, from its size in pixels and millimetres.
int displayDotsPerInch();
