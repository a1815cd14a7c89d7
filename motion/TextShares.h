#pragma once

#include <cstddef>
#include <cstdint>

// Text of lines cut into shares for threads. The cuts are even; a share holds the lines that start
// between its cut and the next (the last of them may run past the next cut, and past many when it
// is long), so every line belongs to one share, and finding all shares' starts reads the text once
// whatever its lines' lengths.
class TextShares {
public:
    // Enough shares that none is longer than shareBytes (but for where its last line ends), at least
    // one a thread, and no more than the text has bytes. [text, end) starts a line.
    TextShares(const char* text, const char* end, int threads, size_t shareBytes);

    std::int64_t count() const { return shareCount; }
    // cut(0) is the text's start, cut(count()) its end.
    const char* cut(std::int64_t index) const;
    // The first line that starts in [cut(index), cut(index + 1)), or cut(index + 1) when none does.
    const char* start(std::int64_t index) const;

private:
    const char* text;
    const char* end;
    std::int64_t shareCount;
};
