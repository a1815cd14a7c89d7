#include "motion/TextShares.h"

#include <algorithm>
#include <cassert>
#include <cstring>

TextShares::TextShares(const char* text, const char* end, int threads, size_t shareBytes) : text(text), end(end)
{
    const auto bytes = static_cast<size_t>(end - text);
    const size_t cuts = bytes / shareBytes + (bytes % shareBytes != 0);
    shareCount = static_cast<std::int64_t>(
        std::min(std::max({cuts, static_cast<size_t>(std::max(threads, 1)), size_t{1}}), std::max<size_t>(bytes, 1)));
}

const char* TextShares::cut(std::int64_t index) const
{
    // bytes * index / count, in parts whose products stay small (the remainder is below count).
    const auto bytes = static_cast<size_t>(end - text), count = static_cast<size_t>(shareCount);
    return text + bytes / count * size_t(index) + bytes % count * size_t(index) / count;
}

// Looks at the byte before the cut, which is in the text (there are no more shares than bytes, so
// every cut but the first lies at least one byte in), and no further than the next cut.
const char* TextShares::start(std::int64_t index) const
{
    const char* from = cut(index);
    const char* next = cut(index + 1);
    if (index == 0) return from;
    assert(from > text);
    if (from[-1] == '\n') return from;
    const auto* lf = static_cast<const char*>(std::memchr(from, '\n', static_cast<size_t>(next - from)));
    return lf != nullptr ? lf + 1 : next;
}
