#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/win32.h"

// Texts of WCHAR code units (UTF-16 on every platform) that the program builds, compares and
// passes to the platform by their c_str(); WideString is the record kept inside the resources.
using WideText = std::basic_string<WCHAR>;
using WideTextView = std::basic_string_view<WCHAR>;

// A path of the file system as WCHAR text, for the platform's wide file calls.
inline WideText widePath(const std::filesystem::path& path)
{
    return path.string<WCHAR>();
}
