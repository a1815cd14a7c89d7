#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/win32.h"

// Texts of WCHAR code units (UTF-16 on every platform) that the program builds, compares and
// passes to the platform by their c_str(); WideString is the record kept inside the resources.
using WideText = std::basic_string<WCHAR>;
using WideTextView = std::basic_string_view<WCHAR>;

// UTF-8 form of a UTF-16 text, for messages, output and libraries that take UTF-8 names.
inline std::string toUtf8(LPCWSTR text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back();  // the terminator
    return bytes;
}

// A path of the file system as WCHAR text, for the platform's wide file calls.
inline WideText widePath(const std::filesystem::path& path)
{
    return path.string<WCHAR>();
}
