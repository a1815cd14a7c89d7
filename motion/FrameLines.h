#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "motion/FileView.h"
#include "motion/LineReader.h"
#include "motion/TextShares.h"

// Converts the values of one frame line into row[0..channels): its tokens, separated by spaces and
// tabs, each as (float)atof. The line's text ends at its first NUL; channels it holds no value for
// keep what the row holds (zero), values past the channels are ignored. False when memory runs out
// (only a line within a few bytes of the input's end, or a token longer than a number ever is, needs
// any).
//
// The line is read up to FRAME_LINE_READ_AHEAD bytes past its end, where those bytes are in the
// input (line.inputEnd); a line nearer the input's end is converted from a copy padded with zeros.
constexpr size_t FRAME_LINE_READ_AHEAD = 64;
bool parseFrameLine(const TextLine& line, float* row, std::int32_t channels);

// A motion's frame lines held whole in memory, converted on several threads. Where a line starts is
// known only after a pass over all the text before it, so the text is cut at line starts into shares
// that the threads take in order, each as it finishes the last: a thread counts the lines of its
// share and, when the shares before it are counted already (as they nearly always are, counting being
// much faster than converting), knows the number of its first frame and converts its lines into their
// rows while they are still at hand. Shares counted too early are converted once all are counted.
// A frame line never refuses a file; only their number and length can, which the counts tell.
//
// Shares keep their size whatever the size of the text: a large text is cut into more of them. So the
// text a thread holds in memory (one share, released when it is done with it) and the lines counting
// keeps for converting (KEPT_LINES, about a share of real frame lines) stay the same at any size.
class FrameLines {
public:
    static constexpr int MAX_THREADS = 64;
    // The default size of a share: less text than this per thread is converted faster than a thread
    // starts, and a share this size stays in the processor's cache from counting to converting.
    static constexpr size_t SHARE_BYTES = size_t{1} << 20;

    // The threads worth using for frame text of that many bytes cut into shares of shareBytes, with at
    // most `available`.
    static int threadsFor(size_t bytes, int available, size_t shareBytes = SHARE_BYTES);

    // [text, end): the first frame line and everything after it, in the view, whose pages are released
    // as the threads finish with them; text starts a line. At most `frames` lines are taken. Shares
    // are of shareBytes at most (1 to SHARE_BYTES; smaller ones let tests reach share boundaries with
    // little text), and never fewer than the threads.
    FrameLines(const FileView& view, const char* text, const char* end, std::int32_t frames, int threads,
               size_t shareBytes = SHARE_BYTES);

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

    // How the text was cut and read, after read().
    struct Statistics {
        std::int64_t shares = 0;
        size_t longestShare = 0;          // bytes its lines span: shareBytes and the rest of a line past the cut
        std::int64_t linesPastKept = 0;    // lines of shares converted right after counting that it did not keep
        size_t releasedBytes = 0;          // given back to the system, a share at a time
    };
    Statistics statistics() const;

private:
    struct Share {
        const char* begin = nullptr;  // its first line
        const char* end = nullptr;    // the next cut: its lines start before it
        const char* reach = nullptr;  // where its last line counted ends (at least end)
        std::int64_t lines = 0;  // up to the first line too long, or `frames`
        bool tooLong = false;
        TextLine last;
        std::atomic<bool> counted{false};  // lines, tooLong and last are final
        std::int64_t firstFrame = -1;      // once numbered (see numberCountedShares)
        bool converted = false;
        bool failed = false;
        std::int64_t linesPastKept = 0;
        size_t releasedBytes = 0;
    };

    struct FoundLine {
        TextLine line;
        const char* after = nullptr;  // where the next line starts
    };
    // Lines of a share that counting keeps for converting: a share of SHARE_BYTES holds about a
    // thousand frame lines of a skeleton of 30 joints or more; the lines of thinner ones past these
    // are found again (one search for a line end each, little next to converting them).
    static constexpr int KEPT_LINES = 1024;

    int countShare(Share& share, FoundLine* kept);
    void numberCountedShares();
    bool firstFrameOf(std::int64_t index, std::int64_t& firstFrame);
    void convertShare(Share& share, std::int64_t firstFrame, float* values, std::int32_t channels, const FoundLine* kept,
                      int keptCount);
    void release(Share& share);

    const FileView& view;
    const char* textEnd;
    std::int32_t frames;
    TextShares cuts;
    int threads;
    std::unique_ptr<Share[]> shares;
    // Shares [0, numbered) have their first frame; numbering stops after a line too long.
    std::mutex numbering;
    std::int64_t numbered = 0;
    std::int64_t linesNumbered = 0;
    std::int64_t foundLines = 0;
    bool tooLong = false;
};
