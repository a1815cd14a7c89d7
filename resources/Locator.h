#pragma once

#include "platform/win32.h"
#include "resources/WideString.h"

// A locator names an image by one UTF-16 string:
//   res://0x<8 or 16 hex digits>/<name>   the RCDATA resource <name> of the module with that handle value
//   file://<path>                         the file at <path>
//   anything else                         a file path as a whole
// Scheme words match in lower case only; "0x" must be a zero and a lower-case x; digits may be in
// either case and are written in lower case, as many as a pointer has (16 on a 64-bit build).

// Writes the locator of name into out: a resource locator when module is given, else "file://"
// and the name; a null name adds nothing. False when memory runs out (out then holds what was
// written so far).
bool makeLocator(HMODULE module, LPCWSTR name, WideString& out);

struct ParsedLocator {
    enum class Kind { Invalid, Resource, File };
    Kind kind = Kind::Invalid;
    HMODULE module = nullptr;  // Resource: the module the handle value names
    LPCWSTR name = nullptr;    // Resource: tail of the locator after the "/"
    LPCWSTR path = nullptr;    // File: tail of the locator (not a copy)
};

// Never rejects a name or path (those fail when the image is loaded); a null locator is invalid.
ParsedLocator parseLocator(LPCWSTR locator);
