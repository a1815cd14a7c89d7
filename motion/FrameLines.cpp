#include "motion/FrameLines.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <new>

#include "motion/BvhNumbers.h"
#include "motion/FrameScan.h"
#include "platform/Workers.h"

namespace {

// Token starts are found a SCAN_BLOCK at a time from the line's start, so the last block reads up to
// SCAN_BLOCK - 1 bytes past the line's end; a number that starts on the line's last byte reads
// DECIMAL_WINDOW - 1 bytes past it.
static_assert(SCAN_BLOCK <= FRAME_LINE_READ_AHEAD && DECIMAL_WINDOW <= FRAME_LINE_READ_AHEAD);

// (float)atof of a token that is not a plain number, converted from a NUL-terminated copy.
bool convertToken(const char* begin, const char* end, float& value)
{
    char small[64];
    const size_t length = static_cast<size_t>(end - begin);
    char* copy = length < sizeof small ? small : static_cast<char*>(std::malloc(length + 1));
    if (copy == nullptr) return false;
    std::memcpy(copy, begin, length);
    copy[length] = '\0';
    value = parseFloat(copy, copy + length);
    if (copy != small) std::free(copy);
    return true;
}

// The byte that ends a line's text: its LF, the CR of its CR LF, a NUL inside it, or the zeros that
// pad a copy. None is a digit, a point or a blank.
[[maybe_unused]] bool endsLineText(char c)
{
    return c == '\n' || c == '\r' || c == '\0';
}

}  // namespace

// What this relies on:
// - Reading ahead: the FRAME_LINE_READ_AHEAD bytes after the line's end are read whatever they hold.
//   They lie in the input (or in the copy's padding); in a mapped file they may be in a share whose
//   pages another thread is releasing at that moment, which is safe because releasing is advisory:
//   the system may drop the pages and reads them back from the file when touched (FileView::release).
// - The line-end sentinel: the byte at the end of the line's text ends it (endsLineText), so a number
//   never runs past it, and parseDecimal's stop lies at or before it.
bool parseFrameLine(const TextLine& line, float* row, std::int32_t channels)
{
    if (static_cast<size_t>(line.inputEnd - line.end) < FRAME_LINE_READ_AHEAD) {
        // Too near the end of the input to look past the line's end (its last line, for one):
        // converted from a copy followed by zeros.
        char* copy = static_cast<char*>(std::calloc(line.length() + FRAME_LINE_READ_AHEAD, 1));
        if (copy == nullptr) return false;
        std::memcpy(copy, line.begin, line.length());
        const char* const copyEnd = copy + line.length();
        const bool converted = parseFrameLine({copy, copyEnd, true, copyEnd + FRAME_LINE_READ_AHEAD}, row, channels);
        std::free(copy);
        return converted;
    }
    const char* end = line.end;
    if (const void* nul = std::memchr(line.begin, '\0', line.length())) end = static_cast<const char*>(nul);
    assert(endsLineText(*end));
    // Tokens start where a blank is followed by anything else, found a block at a time; each is then
    // converted on its own, without waiting for the one before it to end.
    std::int32_t k = 0;
    std::uint64_t blankBefore = 1;  // the line starts as if after a blank
    for (const char* block = line.begin; block < end && k < channels; block += SCAN_BLOCK) {
        std::uint64_t blank = blanksIn(block);
        if (const auto left = static_cast<size_t>(end - block); left < SCAN_BLOCK) blank |= ~std::uint64_t{0} << left;
        std::uint64_t starts = ~blank & (blank << 1 | blankBefore);
        blankBefore = blank >> (SCAN_BLOCK - 1);
        for (; starts != 0 && k < channels; starts &= starts - 1, ++k) {
            const char* token = block + std::countr_zero(starts);
            const char* stop = parseDecimal(token, row[k]);
            assert(stop == nullptr || stop <= end);
            if (stop != nullptr && (stop == end || isBlank(*stop))) continue;  // the number is the whole token
            const char* tokenEnd = token;
            while (tokenEnd != end && !isBlank(*tokenEnd)) ++tokenEnd;
            if (!convertToken(token, tokenEnd, row[k])) return false;
        }
    }
    return true;
}

int FrameLines::threadsFor(size_t bytes, int available, size_t shareBytes)
{
    const size_t worth = bytes / std::clamp<size_t>(shareBytes, 1, SHARE_BYTES);
    return static_cast<int>(std::clamp<size_t>(std::min<size_t>(worth, size_t(available)), 1, MAX_THREADS));
}

FrameLines::FrameLines(const FileView& view, const char* text, const char* end, std::int32_t frames, int threads,
                       size_t shareBytes)
    : view(view), textEnd(end), frames(frames),
      cuts(text, end, std::clamp(threads, 1, MAX_THREADS), std::clamp<size_t>(shareBytes, 1, SHARE_BYTES)),
      threads(static_cast<int>(std::min<std::int64_t>(std::clamp(threads, 1, MAX_THREADS), cuts.count())))
{
}

bool FrameLines::read(float* values, std::int32_t channels)
{
    shares.reset(new (std::nothrow) Share[static_cast<size_t>(cuts.count())]);
    if (shares == nullptr) return false;
    runOnEach(threads, cuts.count(), [&](std::int64_t index) {
        Share& share = shares[index];
        // Found by the thread that takes the share, not all up front: a page of the text once touched
        // stays in the process's memory (on some systems with megabytes around it) until released.
        share.begin = cuts.start(index);
        share.end = cuts.cut(index + 1);
        FoundLine found[KEPT_LINES];  // the first lines counted, kept for converting them right after
        const int kept = countShare(share, found);
        std::int64_t firstFrame;
        if (values != nullptr && firstFrameOf(index, firstFrame)) {
            convertShare(share, firstFrame, values, channels, found, kept);
        } else {
            release(share);  // read again if it is converted later
        }
    });
    // Every share is counted now: the lines are numbered until `frames` are found or a line is too long.
    numberCountedShares();
    const Share& lastNumbered = shares[numbered - 1];
    tooLong = lastNumbered.tooLong && linesNumbered < frames;  // the lines after that one were not counted
    foundLines = std::min<std::int64_t>(linesNumbered, frames);
    if (values == nullptr) return true;
    runOnEach(threads, cuts.count(), [&](std::int64_t index) {
        std::int64_t firstFrame;
        if (!shares[index].converted && firstFrameOf(index, firstFrame)) {
            convertShare(shares[index], firstFrame, values, channels, nullptr, 0);
        }
    });
    return std::none_of(shares.get(), shares.get() + cuts.count(), [](const Share& share) { return share.failed; });
}

// Gives every share whose predecessors are all counted the number of its first frame, in order, up to
// and including a share that ends in a line too long (the lines after it were not counted).
void FrameLines::numberCountedShares()
{
    const std::lock_guard hold(numbering);
    for (; numbered < cuts.count() && shares[numbered].counted.load(std::memory_order_acquire); ++numbered) {
        if (numbered > 0 && shares[numbered - 1].tooLong) break;
        shares[numbered].firstFrame = linesNumbered;
        linesNumbered += shares[numbered].lines;
    }
}

// The number of the share's first frame, when every share before it is counted and ends in a line of
// ordinary length; false otherwise, or when the share holds no frame.
bool FrameLines::firstFrameOf(std::int64_t index, std::int64_t& firstFrame)
{
    numberCountedShares();
    const std::lock_guard hold(numbering);
    if (index >= numbered) return false;
    firstFrame = shares[index].firstFrame;
    return firstFrame < frames;
}

// Counts the share's lines, keeping the first KEPT_LINES of them in kept; returns how many it kept.
int FrameLines::countShare(Share& share, FoundLine* kept)
{
    int keptCount = 0;
    const char* p = share.begin;
    while (p < share.end && share.lines < frames) {
        // The whole text is given, so a line is always found whole, also past the share's end.
        FoundLine found;
        if (LineReader::lineAt(p, textEnd, true, found.line, found.after) == LineReader::Found::TOO_LONG) {
            share.tooLong = true;
            break;
        }
        if (keptCount < KEPT_LINES) kept[keptCount++] = found;
        ++share.lines;
        share.last = found.line;
        p = found.after;
    }
    share.reach = std::max(p, share.end);
    share.counted.store(true, std::memory_order_release);
    return keptCount;
}

TextLine FrameLines::lastLine() const
{
    for (std::int64_t i = cuts.count() - 1; i >= 0; --i) {
        if (shares[i].lines > 0) return shares[i].last;
    }
    return {};
}

FrameLines::Statistics FrameLines::statistics() const
{
    Statistics statistics;
    statistics.shares = cuts.count();
    for (std::int64_t i = 0; shares != nullptr && i < cuts.count(); ++i) {
        statistics.longestShare = std::max(statistics.longestShare, static_cast<size_t>(shares[i].reach - shares[i].begin));
        statistics.linesPastKept += shares[i].linesPastKept;
        statistics.releasedBytes += shares[i].releasedBytes;
    }
    return statistics;
}

// Converts the share's lines from the frame numbered firstFrame on: the kept ones as they were found,
// the others found again. Its pages are released once it is done.
void FrameLines::convertShare(Share& share, std::int64_t firstFrame, float* values, std::int32_t channels,
                              const FoundLine* kept, int keptCount)
{
    share.converted = true;
    const char* p = share.begin;
    for (std::int64_t f = firstFrame; f < frames && p < share.end; ++f) {
        FoundLine found;
        if (f - firstFrame < keptCount) {
            found = kept[f - firstFrame];
        } else {
            LineReader::lineAt(p, textEnd, true, found.line, found.after);
            share.linesPastKept += kept != nullptr;
        }
        p = found.after;
        if (!parseFrameLine(found.line, values + f * channels, channels)) {
            share.failed = true;
            break;
        }
    }
    release(share);
}

// The share's pages go as soon as a thread is done with them, so that the text in memory at once is
// about one share a thread, whatever the size of the file.
void FrameLines::release(Share& share)
{
    view.release(share.begin, share.reach);
    share.releasedBytes += static_cast<size_t>(share.reach - share.begin);
}
