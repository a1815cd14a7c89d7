#include "motion/FrameLines.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#include <emmintrin.h>

#include "motion/BvhNumbers.h"
#include "platform/Workers.h"

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Frame lines are looked at BLOCK bytes at a time. Where a token starts near the end of a line, the
// number read from it may look DECIMAL_WINDOW bytes ahead, which stays within the same READ_AHEAD.
constexpr size_t BLOCK = 64;
constexpr size_t READ_AHEAD = BLOCK;
static_assert(DECIMAL_WINDOW <= READ_AHEAD);

// Bit i set where block[i] is a space or a tab.
std::uint64_t blanksIn(const char* block)
{
    std::uint64_t blanks = 0;
    for (size_t i = 0; i < BLOCK; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + i));
        const __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')));
        blanks |= std::uint64_t(unsigned(_mm_movemask_epi8(blank))) << i;
    }
    return blanks;
}

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

}  // namespace

bool parseFrameLine(const TextLine& line, float* row, std::int32_t channels)
{
    if (static_cast<size_t>(line.inputEnd - line.end) < READ_AHEAD) {
        // Too near the end of the input to look past the line's end (its last line, for one):
        // converted from a copy followed by zeros.
        char* copy = static_cast<char*>(std::calloc(line.length() + READ_AHEAD, 1));
        if (copy == nullptr) return false;
        std::memcpy(copy, line.begin, line.length());
        const char* const copyEnd = copy + line.length();
        const bool converted = parseFrameLine({copy, copyEnd, true, copyEnd + READ_AHEAD}, row, channels);
        std::free(copy);
        return converted;
    }
    const char* end = line.end;
    if (const void* nul = std::memchr(line.begin, '\0', line.length())) end = static_cast<const char*>(nul);
    // Tokens start where a blank is followed by anything else, found a block at a time; each is then
    // converted on its own, without waiting for the one before it to end.
    std::int32_t k = 0;
    std::uint64_t blankBefore = 1;  // the line starts as if after a blank
    for (const char* block = line.begin; block < end && k < channels; block += BLOCK) {
        std::uint64_t blank = blanksIn(block);
        if (const auto left = static_cast<size_t>(end - block); left < BLOCK) blank |= ~std::uint64_t{0} << left;
        std::uint64_t starts = ~blank & (blank << 1 | blankBefore);
        blankBefore = blank >> (BLOCK - 1);
        for (; starts != 0 && k < channels; starts &= starts - 1, ++k) {
            const char* token = block + std::countr_zero(starts);
            const char* stop = parseDecimal(token, row[k]);
            if (stop != nullptr && (stop == end || isBlank(*stop))) continue;  // the number is the whole token
            const char* tokenEnd = token;
            while (tokenEnd != end && !isBlank(*tokenEnd)) ++tokenEnd;
            if (!convertToken(token, tokenEnd, row[k])) return false;
        }
    }
    return true;
}

int FrameLines::threadsFor(size_t bytes, int available)
{
    const size_t worth = bytes / MIN_SHARE_BYTES;
    return static_cast<int>(std::clamp<size_t>(std::min<size_t>(worth, size_t(available)), 1, MAX_THREADS));
}

FrameLines::FrameLines(const FileView& view, const char* text, const char* end, std::int32_t frames, int threads)
    : view(view), text(text), textEnd(end), frames(frames), threads(std::clamp(threads, 1, MAX_THREADS))
{
    // Shares of about MIN_SHARE_BYTES, which stay in the processor's cache from counting to converting.
    const size_t worth = static_cast<size_t>(end - text) / MIN_SHARE_BYTES;
    shareCount = static_cast<int>(std::clamp<size_t>(worth, size_t(this->threads), MAX_SHARES));
}

bool FrameLines::read(float* values, std::int32_t channels)
{
    runOnShares([&](int index) {
        Share& share = shares[index];
        // Found by the thread that takes the share, not all up front: a page of the text once touched
        // stays in the process's memory (on some systems with megabytes around it) until released.
        share.begin = shareStart(index);
        share.end = shareStart(index + 1);
        FoundLine found[KEPT_LINES];  // the first lines counted, kept for converting them right after
        const int kept = countShare(share, found);
        std::int64_t firstFrame;
        if (values != nullptr && firstFrameOf(index, firstFrame)) {
            convertShare(share, firstFrame, values, channels, found, kept);
        } else {
            view.release(share.begin, share.end);  // read again if it is converted later
        }
    });
    // Every share is counted now: number the lines until `frames` are found or a line is too long.
    std::int64_t before = 0;
    for (int i = 0; i < shareCount && before < frames && !tooLong; ++i) {
        before += shares[i].lines;
        tooLong = shares[i].tooLong && before < frames;  // the lines after that one were not counted
    }
    foundLines = std::min<std::int64_t>(before, frames);
    if (values == nullptr) return true;
    runOnShares([&](int index) {
        std::int64_t firstFrame;
        if (!shares[index].converted && firstFrameOf(index, firstFrame)) {
            convertShare(shares[index], firstFrame, values, channels, nullptr, 0);
        }
    });
    return std::none_of(shares.begin(), shares.begin() + shareCount, [](const Share& share) { return share.failed; });
}

// The number of the share's first frame, when every share before it is counted and ends in a line of
// ordinary length; false otherwise, or when the share holds no frame.
bool FrameLines::firstFrameOf(int index, std::int64_t& firstFrame) const
{
    firstFrame = 0;
    for (int i = 0; i < index; ++i) {
        if (!shares[i].counted.load(std::memory_order_acquire) || shares[i].tooLong) return false;
        firstFrame += shares[i].lines;
    }
    return firstFrame < frames;
}

// Runs work(index) for every share, on the threads, each thread taking the next share left.
template <typename Work>
void FrameLines::runOnShares(const Work& work)
{
    std::atomic<int> next{0};
    runWorkers(threads, [&](int) {
        for (int i; (i = next.fetch_add(1, std::memory_order_relaxed)) < shareCount;) work(i);
    });
}

// Shares start at line starts: the first one at or after an even cut of the text.
const char* FrameLines::shareStart(int index) const
{
    if (index == 0) return text;
    if (index == shareCount) return textEnd;
    const char* cut = text + static_cast<size_t>(textEnd - text) / size_t(shareCount) * size_t(index);
    if (cut[-1] == '\n') return cut;
    const auto* lf = static_cast<const char*>(std::memchr(cut, '\n', static_cast<size_t>(textEnd - cut)));
    return lf != nullptr ? lf + 1 : textEnd;
}

// Counts the share's lines, keeping the first KEPT_LINES of them in kept; returns how many it kept.
int FrameLines::countShare(Share& share, FoundLine* kept)
{
    int keptCount = 0;
    PassedPages passedPages(&view, share.begin);
    for (const char* p = share.begin; p < share.end && share.lines < frames; passedPages.passed(p)) {
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
    share.counted.store(true, std::memory_order_release);
    return keptCount;
}

TextLine FrameLines::lastLine() const
{
    for (int i = shareCount - 1; i >= 0; --i) {
        if (shares[i].lines > 0) return shares[i].last;
    }
    return {};
}

// Converts the share's lines from the frame numbered firstFrame on: the kept ones as they were found,
// the others found again.
void FrameLines::convertShare(Share& share, std::int64_t firstFrame, float* values, std::int32_t channels,
                              const FoundLine* kept, int keptCount)
{
    share.converted = true;
    const char* p = share.begin;
    PassedPages passedPages(&view, share.begin);
    for (std::int64_t f = firstFrame; f < frames && p < share.end; ++f, passedPages.passed(p)) {
        FoundLine found;
        if (f - firstFrame < keptCount) {
            found = kept[f - firstFrame];
        } else {
            LineReader::lineAt(p, textEnd, true, found.line, found.after);
        }
        p = found.after;
        if (!parseFrameLine(found.line, values + f * channels, channels)) {
            share.failed = true;
            return;
        }
    }
    passedPages.passedAll(share.end);
}
