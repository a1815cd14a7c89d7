#pragma once

#include <cstdint>

#include "platform/win32.h"

// A growable, owned, zero-terminated UTF-16 string. The all-zero record is the empty string, so it
// can live in zero-filled records; release() is its only clean-up and must be called by the owner.
// Invariant after a successful assign, append or assignCurrentDirectory: length < capacity and
// data[length] == 0. Every operation returns false when memory runs out; the content then stays as
// it was (assignCurrentDirectory empties the string first).
struct WideString {
    WCHAR* data = nullptr;       // owned, from the process heap; null while empty and never grown
    std::uint32_t capacity = 0;  // code units the buffer holds
    std::uint32_t length = 0;    // code units of content, without the terminator

    // Makes room for n code units: grows (to the larger of twice the capacity and n, and at least
    // one unit, so that a buffer always holds a terminator) unless n is less than the capacity.
    // Never shrinks.
    bool reserve(std::uint32_t n);
    // The text may lie inside this string's own buffer.
    bool assign(LPCWSTR text);  // null counts as the empty text
    bool append(LPCWSTR text);  // null appends nothing and succeeds
    bool assignCurrentDirectory();
    // Frees the buffer and zeroes the fields.
    void release();

private:
    bool grow(std::uint32_t n, WCHAR** old);
    bool replaceFrom(std::uint32_t start, LPCWSTR text);
};
