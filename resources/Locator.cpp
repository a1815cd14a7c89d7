// Locators: one UTF-16 string naming an image in a module's resources or in a file.

#include "resources/Locator.h"

#include <cstdint>
#include <iterator>

namespace {

constexpr WCHAR RESOURCE_SCHEME[] = TEXT("res://");
constexpr WCHAR FILE_SCHEME[] = TEXT("file://");
constexpr int HANDLE_DIGITS = 8;

// Whether text starts with prefix, code unit for code unit.
bool startsWith(LPCWSTR text, LPCWSTR prefix)
{
    for (; *prefix != 0; ++text, ++prefix) {
        if (*text != *prefix) return false;
    }
    return true;
}

int hexDigitValue(WCHAR c)
{
    if (c >= TEXT('0') && c <= TEXT('9')) return c - TEXT('0');
    if (c >= TEXT('a') && c <= TEXT('f')) return c - TEXT('a') + 10;
    if (c >= TEXT('A') && c <= TEXT('F')) return c - TEXT('A') + 10;
    return -1;
}

// "0x", exactly 8 hexadecimal digits, then "/" and the name.
ParsedLocator parseResource(LPCWSTR text)
{
    if (text[0] != TEXT('0') || text[1] != TEXT('x')) return {};
    text += 2;
    std::uint32_t value = 0;
    for (int i = 0; i < HANDLE_DIGITS; ++i, ++text) {
        const int digit = hexDigitValue(*text);
        if (digit < 0) return {};
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    if (*text != TEXT('/')) return {};

    ParsedLocator parsed;
    parsed.kind = ParsedLocator::Kind::Resource;
    parsed.module = reinterpret_cast<HMODULE>(std::uintptr_t{value});
    parsed.name = text + 1;
    return parsed;
}

}  // namespace

bool makeLocator(HMODULE module, LPCWSTR name, WideString& out)
{
    if (module != nullptr) {
        // "res://0x" + 8 lower-case digits + "/"
        WCHAR prefix[100] = TEXT("res://0x");
        const auto value = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(module));
        for (int i = 0; i < HANDLE_DIGITS; ++i) {
            prefix[8 + i] = TEXT("0123456789abcdef")[(value >> (4 * (HANDLE_DIGITS - 1 - i))) & 0xF];
        }
        prefix[8 + HANDLE_DIGITS] = TEXT('/');
        if (!out.assign(prefix)) return false;
    } else if (!out.assign(FILE_SCHEME)) {
        return false;
    }
    return out.append(name);
}

ParsedLocator parseLocator(LPCWSTR locator)
{
    if (locator == nullptr) return {};
    if (startsWith(locator, RESOURCE_SCHEME)) return parseResource(locator + std::size(RESOURCE_SCHEME) - 1);

    ParsedLocator parsed;
    parsed.kind = ParsedLocator::Kind::File;
    parsed.path = startsWith(locator, FILE_SCHEME) ? locator + std::size(FILE_SCHEME) - 1 : locator;
    return parsed;
}
