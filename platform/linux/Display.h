#pragma once

// The resolution programs are given (platform-internal): Windows reports 96 dots per inch to a
// program that does not declare itself DPI-aware, whatever the screen, and scales its windows
// instead. Fonts and dialog units are worked out at this resolution here too, so text is laid out
// the same on every screen, in the window and offscreen alike.
constexpr int LOGICAL_DOTS_PER_INCH = 96;
