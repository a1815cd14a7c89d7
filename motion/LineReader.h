#pragma once

#include <cstddef>
#include <cstdint>

#include "motion/FileView.h"
#include "platform/win32.h"

// One physical line as a view into the input: [begin, end) is its text without its line end (LF,
// or CR LF, which a text-mode stream reads as LF). NUL bytes inside stay; readers take the first
// one as the end of the line's text.
struct TextLine {
    const char* begin = nullptr;
    const char* end = nullptr;
    bool terminated = false;  // a line end follows (false only for a last line without one)

    size_t length() const { return static_cast<size_t>(end - begin); }
    // Whether the text holds a CR, which then does not end the line.
    bool holdsCr() const;
};

// Whole physical lines of an input, however it arrives, without copying them: either a file mapped
// whole, or a file read piece by piece into a buffer that grows to hold the longest line (pipes,
// devices, anything that cannot be mapped).
class LineReader {
public:
    // The lines of a mapped file, whose pages are released once read.
    explicit LineReader(const FileView& view);
    // The lines of a file read in pieces with ReadFile.
    explicit LineReader(HANDLE file);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line; false at the end of the input, on a read error, when memory runs out, or at a
    // line longer than MAX_LINE_LENGTH (readFailed() and lineTooLong() tell these apart). The view
    // stays valid until the next call, and also after a call that found the end of the input.
    bool next(TextLine& line);

    bool readFailed() const { return failed; }
    bool lineTooLong() const { return tooLong; }
    // The last line handed out. A CR in it is the sign of a file whose lines end in CR alone, which
    // reads as one line.
    const TextLine& lastLine() const { return last; }

    // Bytes of the input taken up by the lines handed out so far.
    std::uint64_t consumed() const { return consumedBytes; }
    // The input not read yet, when all of it is in memory (mapped): [begin, end). False for a file
    // read in pieces.
    bool unreadInMemory(const char*& begin, const char*& end) const;

    // Longer lines are refused. No BVH file comes near it (a frame line of a thousand joints is about
    // 40 kB), and it bounds what an endless line (a device, a pipe without LF) costs to read.
    static constexpr size_t MAX_LINE_LENGTH = size_t{16} << 20;
    static constexpr size_t INITIAL_CAPACITY = size_t{1} << 20;

    enum class Found { LINE, NONE, TOO_LONG };
    // The line starting at begin among the bytes [begin, end), and in after where the next one starts.
    // The bytes hold the rest of the input when complete is true, or only what has been read of it so
    // far when it is false: then a line whose end is not there yet is NONE, unless it is too long
    // already. Every reader of BVH lines splits them here.
    static Found lineAt(const char* begin, const char* end, bool complete, TextLine& line, const char*& after);

private:
    bool refill();

    HANDLE file = INVALID_HANDLE_VALUE;  // INVALID_HANDLE_VALUE when the file is mapped
    const char* text;                    // the mapped file, or the buffer the file is read into
    char* buffer = nullptr;              // that buffer, owned
    size_t capacity = 0;
    size_t begin = 0;  // unread data is [begin, end) of text
    size_t end = 0;
    bool atEnd = false;
    bool failed = false;
    bool tooLong = false;
    TextLine last;
    std::uint64_t consumedBytes = 0;
    PassedPages passedPages;
};
