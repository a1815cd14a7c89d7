// The growable UTF-16 string used for locators, labels, face names and paths.

#include "resources/WideString.h"

#include <cstdlib>
#include <cstring>

namespace {

std::uint32_t textLength(LPCWSTR text)
{
    return text == nullptr ? 0 : static_cast<std::uint32_t>(lstrlenW(text));
}

// Doubling, or straight to the size asked for when that is more; saturates at the largest count.
// Never less than one unit: a buffer always has room for the terminator, so that a string whose data
// is set always reads as a string (a reserve of 0 on a string without a buffer would else make one
// of no units).
std::uint32_t grownCapacity(std::uint32_t capacity, std::uint32_t n)
{
    const std::uint64_t doubled = std::uint64_t{capacity} * 2;
    const std::uint64_t wanted = doubled > n ? doubled : (n > 0 ? n : 1);
    return wanted > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(wanted);
}

}  // namespace

// Makes room for n code units. The old buffer, if one was replaced, is handed back to the caller
// to free once it no longer reads from it.
bool WideString::grow(std::uint32_t n, WCHAR** old)
{
    *old = nullptr;
    if (n < capacity) return true;
    const std::uint32_t newCapacity = grownCapacity(capacity, n);
    auto* buffer = static_cast<WCHAR*>(std::calloc(newCapacity, sizeof(WCHAR)));
    if (buffer == nullptr) return false;
    if (length > 0) std::memcpy(buffer, data, length * sizeof(WCHAR));
    *old = data;
    data = buffer;
    capacity = newCapacity;
    return true;
}

bool WideString::reserve(std::uint32_t n)
{
    WCHAR* old;
    if (!grow(n, &old)) return false;
    std::free(old);
    return true;
}

// Writes text at start, ending the content behind it. The old buffer is kept until the text is
// copied, so text may be (part of) this string itself.
bool WideString::replaceFrom(std::uint32_t start, LPCWSTR text)
{
    const std::uint32_t count = textLength(text);
    const std::uint64_t needed = std::uint64_t{start} + count + 1;
    WCHAR* old;
    if (needed > UINT32_MAX || !grow(static_cast<std::uint32_t>(needed), &old)) return false;
    if (count > 0) std::memmove(data + start, text, count * sizeof(WCHAR));
    length = start + count;
    data[length] = 0;
    std::free(old);
    return true;
}

bool WideString::assign(LPCWSTR text)
{
    return replaceFrom(0, text);
}

bool WideString::append(LPCWSTR text)
{
    return text == nullptr || replaceFrom(length, text);
}

bool WideString::assignCurrentDirectory()
{
    release();
    const DWORD size = GetCurrentDirectoryW(0, nullptr);  // including the terminator
    if (size == 0 || !reserve(size + 1)) return false;
    const DWORD written = GetCurrentDirectoryW(size, data);
    // A directory that grew between the two calls is reported by its new size, not written.
    if (written == 0 || written >= size) {
        release();
        return false;
    }
    length = written;
    return true;
}

void WideString::release()
{
    std::free(data);
    data = nullptr;
    capacity = 0;
    length = 0;
}
