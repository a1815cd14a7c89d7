#include "motion/FrameLines.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "motion/BvhNumbers.h"

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
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

// Runs work(0) .. work(count - 1), each on a thread of its own but work(0) on the calling thread,
// and returns when all are done. Work that no thread could be started for runs on the calling thread.
template <typename Work>
void runOnThreads(int count, const Work& work)
{
    std::vector<std::thread> threads;
    int started = 1;
    try {
        threads.reserve(static_cast<size_t>(count));
        for (; started < count; ++started) threads.emplace_back(work, started);
    } catch (...) {  // the system refused a thread, or memory ran out
    }
    work(0);
    for (int i = started; i < count; ++i) work(i);
    for (std::thread& thread : threads) thread.join();
}

}  // namespace

bool parseFrameLine(const TextLine& line, float* row, std::int32_t channels)
{
    if (!line.terminated) {
        // A last line without a line end may end where the file's bytes do: converted from a copy
        // that ends in NUL, like every other line ends in its line end.
        char* copy = static_cast<char*>(std::malloc(line.length() + 1));
        if (copy == nullptr) return false;
        std::memcpy(copy, line.begin, line.length());
        copy[line.length()] = '\0';
        const bool converted = parseFrameLine({copy, copy + line.length(), true}, row, channels);
        std::free(copy);
        return converted;
    }
    // *end is the line's CR or LF (or the copy's NUL): a character that ends blanks and numbers.
    const char* p = line.begin;
    const char* const end = line.end;
    for (std::int32_t k = 0; k < channels; ++k) {
        while (isBlank(*p)) ++p;
        if (p == end || *p == '\0') break;  // the line's text is used up: the rest stay as they are
        const char* stop = parseDecimal(p, row[k]);
        if (stop != nullptr && (stop == end || isBlank(*stop) || *stop == '\0')) {
            p = stop;  // the number is the whole token
            continue;
        }
        const char* tokenEnd = p;
        while (tokenEnd != end && !isBlank(*tokenEnd) && *tokenEnd != '\0') ++tokenEnd;
        if (!convertToken(p, tokenEnd, row[k])) return false;
        p = tokenEnd;
    }
    return true;
}

int usableProcessors()
{
    DWORD_PTR process = 0, system = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0) {
        return std::popcount(static_cast<std::uint64_t>(process));
    }
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
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
    for (int i = 0; i < shareCount; ++i) {
        shares[i].begin = shareStart(i);
        shares[i].end = shareStart(i + 1);
    }
}

bool FrameLines::read(float* values, std::int32_t channels)
{
    runOnShares([&](int index) {
        Share& share = shares[index];
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
    runOnThreads(threads, [&](int) {
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
