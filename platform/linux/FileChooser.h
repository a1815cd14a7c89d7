#pragma once

// The Open dialog's filter for FLTK (platform-internal).

#include <string>

#include "platform/win32.h"

// lpstrFilter's "Name\0*.a;*.b\0...\0\0" as FLTK's "Name\t*.{a,b}\n...". FLTK shows each filter as
// its name followed by "(pattern)", so a name that already ends with its pattern in parentheses,
// as Windows filter names do, is given without it: the dialog shows the name as Windows does.
std::string fltkFilter(LPCWSTR filter);
