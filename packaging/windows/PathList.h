#pragma once

// A PATH value as a list of folders separated by ';', edited so that adding a folder and removing it
// again gives back the value as it was, whatever else it holds (empty entries, a trailing ';').

#include <string>

// The value with folder as its last entry; unchanged when an entry already names it.
std::wstring withFolder(const std::wstring& path, const std::wstring& folder);

// The value without the entries that name folder; every other entry, and the separators between
// them, stay as they are.
std::wstring withoutFolder(const std::wstring& path, const std::wstring& folder);
