// Locators: one UTF-16 string naming an image in a module's resources or in a file.

#include "resources/Locator.h"

#include <cstdint>
#include <iterator>

namespace {

constexpr WCHAR RESOURCE_SCHEME[] = TEXT("res://");
constexpr WCHAR FILE_SCHEME[] = TEXT("file://");
// A module handle is written with as many digits as a pointer has (8 on a 32-bit build, 16 on a
// 64-bit one, where programs are loaded above 4 GB); both lengths are read on every build.
constexpr int SHORT_HANDLE_DIGITS = 8;
constexpr int LONG_HANDLE_DIGITS = 16;
constexpr int HANDLE_DIGITS = sizeof(void*) * 2;

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

// "0x", exactly 8 or 16 hexadecimal digits, then "/" and the name. A value wider than a pointer
// names no module of this program.
ParsedLocator parseResource(LPCWSTR text)
{
    if (text[0] != TEXT('0') || text[1] != TEXT('x')) return {};
    text += 2;
    std::uint64_t value = 0;
    int digits = 0;
    for (int digit; digits < LONG_HANDLE_DIGITS && (digit = hexDigitValue(*text)) >= 0; ++digits, ++text) {
        value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    if ((digits != SHORT_HANDLE_DIGITS && digits != LONG_HANDLE_DIGITS) || *text != TEXT('/')) return {};
    if (static_cast<std::uintptr_t>(value) != value) return {};

    ParsedLocator parsed;
    parsed.kind = ParsedLocator::Kind::Resource;
    parsed.module = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(value));
    parsed.name = text + 1;
    return parsed;
}

}  // namespace

bool makeLocator(HMODULE module, LPCWSTR name, WideString& out)
{
    if (module != nullptr) {
        // "res://0x" + the handle's lower-case digits + "/"
        WCHAR prefix[100] = TEXT("res://0x");
        const auto value = reinterpret_cast<std::uintptr_t>(module);
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
