#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "motion/FileView.h"
#include "motion/LineReader.h"

// Converts the values of one frame line into row[0..channels): its tokens, separated by spaces and
// tabs, each as (float)atof. The line's text ends at its first NUL; channels it holds no value for
// keep what the row holds (zero), values past the channels are ignored. False when memory runs out
// (only a last line without a line end, or a token longer than a number ever is, needs any).
bool parseFrameLine(const TextLine& line, float* row, std::int32_t channels);

// The processors this process may run on (at least 1).
int usableProcessors();

// A motion's frame lines held whole in memory, converted on several threads. Where a line starts is
// known only after a pass over all the text before it, so the text is cut at line starts into one
// share per thread; each thread first counts the lines of its share, and once the counts give every
// share the number of its first frame, converts its lines into their rows. A frame line never
// refuses a file, only their number and length can, so everything that decides the refusal is known
// after counting, before anything is converted.
class FrameLines {
public:
    static constexpr int MAX_THREADS = 64;
    // Less text per thread is converted faster than threads start.
    static constexpr size_t MIN_SHARE_BYTES = size_t{1} << 20;

    // The threads worth using for frame text of that many bytes, with at most `available`.
    static int threadsFor(size_t bytes, int available);

    // Counts the lines of [text, end), the first frame line and everything after it, on `threads`
    // threads, taking at most `frames` lines. The text lies in the view, whose pages are released
    // behind each thread as it reads.
    FrameLines(const FileView& view, const char* text, const char* end, std::int32_t frames, int threads);

    // The frame lines found, at most `frames`, up to the first line longer than
    // LineReader::MAX_LINE_LENGTH, and whether there was such a line (it is then the next one).
    std::int64_t found() const { return foundLines; }
    bool stoppedAtTooLong() const { return tooLong; }
    // The last line found: the last line of the text when fewer than `frames` were found.
    TextLine lastLine() const;

    // Converts the first `frames` lines into the rows of values (channels values each). Call only
    // when found() is `frames`. False when memory runs out.
    bool convert(float* values, std::int32_t channels);

private:
    struct Share {
        const char* begin = nullptr;
        const char* end = nullptr;
        std::int64_t lines = 0;  // up to the first line too long, or `frames`
        bool tooLong = false;
        TextLine last;
        std::int64_t firstFrame = 0;
        bool failed = false;
    };

    void countShare(int index);
    void convertShare(Share& share, float* values, std::int32_t channels);
    const char* shareStart(int index) const;

    const FileView& view;
    const char* text;
    const char* textEnd;
    std::int32_t frames;
    int threads;
    std::array<Share, MAX_THREADS> shares;
    std::int64_t foundLines = 0;
    bool tooLong = false;
};
