#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Whole physical lines from a stream, however long, without copying them: each line is handed out
// in place in a growing buffer, LF included (when present) and NUL-terminated. A CR LF line end is
// handed out as LF, so a binary stream gives the lines a text-mode stream gives, without a second
// pass over the bytes. The caller may write into the line up to its terminator; the line stays
// valid until the next call.
class LineReader {
public:
    explicit LineReader(std::FILE* file);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line, or null at the end of the stream, on a read error or when memory runs out.
    char* next();

    bool readFailed() const { return failed; }
    // Bytes of the stream taken up by the lines handed out so far.
    std::uint64_t consumed() const { return consumedBytes; }

    static constexpr size_t INITIAL_CAPACITY = size_t{1} << 20;

private:
    bool refill();

    std::FILE* file;
    char* buffer = nullptr;
    size_t capacity = 0;  // the buffer holds one byte more, for a terminator after the data
    size_t begin = 0;     // unread data is [begin, end)
    size_t end = 0;
    size_t scanned = 0;   // [begin, scanned) is known to hold no LF
    size_t savedAt = 0;   // the byte overwritten by the last line's terminator
    char savedByte = 0;
    bool atEnd = false;
    bool failed = false;
    std::uint64_t consumedBytes = 0;
};
