#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "motion/FileView.h"
#include "motion/LineReader.h"

// Converts the values of one frame line into row[0..channels): its tokens, separated by spaces and
// tabs, each as (float)atof. The line's text ends at its first NUL; channels it holds no value for
// keep what the row holds (zero), values past the channels are ignored. False when memory runs out
// (only a line within a few bytes of the input's end, or a token longer than a number ever is, needs
// any).
bool parseFrameLine(const TextLine& line, float* row, std::int32_t channels);

// A motion's frame lines held whole in memory, converted on several threads. Where a line starts is
// known only after a pass over all the text before it, so the text is cut at line starts into shares
// that the threads take in order, each as it finishes the last: a thread counts the lines of its
// share and, when the shares before it are counted already (as they nearly always are, counting being
// much faster than converting), knows the number of its first frame and converts its lines into their
// rows while they are still at hand. Shares counted too early are converted once all are counted.
// A frame line never refuses a file; only their number and length can, which the counts tell.
class FrameLines {
public:
    static constexpr int MAX_THREADS = 64;
    // Less text than this per thread is converted faster than a thread starts.
    static constexpr size_t MIN_SHARE_BYTES = size_t{1} << 20;

    // The threads worth using for frame text of that many bytes, with at most `available`.
    static int threadsFor(size_t bytes, int available);

    // [text, end): the first frame line and everything after it, in the view, whose pages are released
    // as the threads pass them. At most `frames` lines are taken.
    FrameLines(const FileView& view, const char* text, const char* end, std::int32_t frames, int threads);

    // Finds the frame lines and converts them into the rows of values (channels values each, zero
    // where a line holds no value), or only counts them when values is null. False when memory runs
    // out. The rows are complete only when found() is `frames`.
    bool read(float* values, std::int32_t channels);

    // The frame lines found, at most `frames`, up to the first line longer than
    // LineReader::MAX_LINE_LENGTH, and whether there was such a line (it is then the next one).
    std::int64_t found() const { return foundLines; }
    bool stoppedAtTooLong() const { return tooLong; }
    // The last line found: the last line of the text when fewer than `frames` were found.
    TextLine lastLine() const;

private:
    static constexpr int MAX_SHARES = 256;

    struct Share {
        const char* begin = nullptr;
        const char* end = nullptr;
        std::int64_t lines = 0;  // up to the first line too long, or `frames`
        bool tooLong = false;
        TextLine last;
        std::atomic<bool> counted{false};  // lines, tooLong and last are final
        bool converted = false;
        bool failed = false;
    };

    struct FoundLine {
        TextLine line;
        const char* after = nullptr;  // where the next line starts
    };
    // Lines of a share that counting keeps for converting (a share of MIN_SHARE_BYTES holds a few
    // hundred frame lines of real files); the rest are found again.
    static constexpr int KEPT_LINES = 1024;

    template <typename Work>
    void runOnShares(const Work& work);
    int countShare(Share& share, FoundLine* kept);
    bool firstFrameOf(int index, std::int64_t& firstFrame) const;
    void convertShare(Share& share, std::int64_t firstFrame, float* values, std::int32_t channels, const FoundLine* kept,
                      int keptCount);
    const char* shareStart(int index) const;

    const FileView& view;
    const char* text;
    const char* textEnd;
    std::int32_t frames;
    int threads;
    int shareCount;
    std::array<Share, MAX_SHARES> shares;
    std::int64_t foundLines = 0;
    bool tooLong = false;
};
