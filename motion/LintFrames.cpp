#include "motion/LintFrames.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "motion/FrameLines.h"
#include "motion/LintValues.h"
#include "motion/TextShares.h"
#include "motion/TokenMasks.h"
#include "platform/Workers.h"

namespace {

// Bytes a line's text is looked at past where a token starts; a line nearer the text's end than this
// is looked at in a copy followed by zeros.
constexpr size_t BLOCK = 64;

// A turn between two frames larger than this is no motion a body makes in a frame.
constexpr float JUMP_DEGREES = 180;

// A plain number: an optional '-', then digits with at most one point among them and a digit at
// least, and so few that it is finite as a float. Plain numbers are whole and finite, so the reader's
// value for one needs no second look; every other token is judged by valueFindings.

// Where the whole tokens among the BLOCK bytes at p end, when they are all plain numbers; null when
// one is not or no token ends there. p is where a token starts, the line's text ends at end, and all
// BLOCK bytes must be readable. tokens: how many there were.
const char* plainTokensEnd(const char* p, const char* end, std::int32_t& tokens)
{
    const auto left = size_t(end - p);
    const TokenMasks masks = tokenMasks(p);
    const std::uint64_t inLine = left >= BLOCK ? ~std::uint64_t{0} : (std::uint64_t{1} << left) - 1;
    const std::uint64_t inToken = ~masks.blank & inLine;
    std::uint64_t ends = inToken & ~(inToken >> 1);
    if (left > BLOCK) ends &= ~(std::uint64_t{1} << (BLOCK - 1));  // that token may go on past the block
    if (ends == 0) return nullptr;
    const auto last = unsigned(std::bit_width(ends) - 1);
    const std::uint64_t whole = inToken & (~std::uint64_t{0} >> (BLOCK - 1 - last));
    ends &= whole;
    const std::uint64_t starts = whole & ~(whole << 1);
    const std::uint64_t digit = masks.digit & whole, point = masks.point & whole;
    // A carry from a token's point runs to its end; it meets a second point there only if there is one.
    const std::uint64_t secondPoint = (whole + point) & point;
    std::uint64_t longRun = whole;  // bit i: 32 bytes of tokens from byte i on
    for (unsigned width = 1; width < 32; width *= 2) longRun &= longRun >> width;
    const bool plain = (whole & ~(digit | point | masks.minus)) == 0 && (masks.minus & whole & ~starts) == 0 &&
                       secondPoint == 0 && (starts & ends & ~digit) == 0 && (starts & (ends >> 1) & ~(digit | digit >> 1)) == 0 &&
                       longRun == 0;
    if (!plain) return nullptr;
    tokens = std::popcount(starts);
    return p + last + 1;
}

// A finding among frame lines, with what its message needs, kept until the lines are numbered.
struct FrameFound {
    std::int64_t count = 0;
    std::int64_t index = 0;    // the first one's line, counted from the first frame line (0)
    std::int32_t value = 0;    // which value of the line, how many it holds, or which channel jumped
    std::string token;
};
using FrameFindings = std::array<FrameFound, CODE_COUNT>;

// A joint's channel, for messages.
struct ChannelOwner {
    const Joint* joint;
    const Channel* channel;
};

void addChannels(const Joint* joint, std::vector<ChannelOwner>& owners)
{
    for (std::int32_t i = 0; i < joint->channelCount; ++i) owners.push_back({joint, &joint->channels[i]});
    for (const Joint* child = joint->firstChild; child != nullptr; child = child->nextSibling) addChannels(child, owners);
}

// Looks at lines one at a time beside the skeleton's rows.
class LineLook {
public:
    LineLook(const Skeleton& skeleton, const std::vector<std::int32_t>& rotations, FrameFindings& found)
        : skeleton(skeleton), rotations(rotations), found(found)
    {
    }

    // The line [begin, end) (its text to its first NUL), the index-th after "Frame Time:"; BLOCK bytes
    // from end on must be readable, and *end not blank.
    void line(const char* begin, const char* end, std::int64_t index)
    {
        if (index < skeleton.frameCount) {
            frameLine(begin, end, index);
        } else if (std::any_of(begin, end, [](char c) { return !isBlank(c) && c != '\r'; })) {
            note(EXTRA_LINES, index, 0);
        }
    }

private:
    // The values of frame `index`, taken as the reader takes them: tokens between blanks, one per
    // channel, those past the channels ignored.
    void frameLine(const char* p, const char* end, std::int64_t index)
    {
        const std::int32_t channels = skeleton.channelsPerFrame;
        const float* row = skeleton.frameValues(std::int32_t(index));
        std::int32_t k = 0;
        for (;;) {
            while (isBlank(*p)) ++p;
            if (p == end) break;
            std::int32_t tokens;
            if (const char* after = plainTokensEnd(p, end, tokens); after != nullptr && tokens <= channels - k) {
                k += tokens;
                p = after;
                continue;
            }
            // One token on its own: not a plain number, longer than a block, or past the channels.
            const char* token = p;
            while (p != end && !isBlank(*p)) ++p;
            if (k < channels) lookAtValue(std::string_view(token, size_t(p - token)), row[k], index, k);
            ++k;
        }
        if (k == 0 && channels > 0) note(BLANK_FRAME, index, 0);
        else if (k != 0 && k < channels) note(SHORT_FRAME, index, k);
        else if (k > channels) note(LONG_FRAME, index, k);
        if (index == 0) return;
        const float* before = row - channels;
        for (const std::int32_t r : rotations) {
            // Not to or from a value that is not finite, which is a finding of its own.
            if (const float turn = std::fabs(row[r] - before[r]); turn > JUMP_DEGREES && turn < INFINITY) note(ROTATION_JUMP, index, r);
        }
    }

    void lookAtValue(std::string_view token, float stored, std::int64_t index, std::int32_t k)
    {
        LintCode codes[2];
        const int count = valueFindings(token, stored, codes);
        for (int i = 0; i < count; ++i) note(codes[i], index, k, token);
    }

    void note(LintCode code, std::int64_t index, std::int32_t value, std::string_view token = {})
    {
        FrameFound& kind = found[size_t(code)];
        if (kind.count++ > 0) return;
        kind.index = index;
        kind.value = value;
        kind.token = token;
    }

    const Skeleton& skeleton;
    const std::vector<std::int32_t>& rotations;
    FrameFindings& found;
};

// The lines that start in a piece of the text, and what was found in them.
struct Share {
    const char* begin = nullptr;  // its first line
    const char* end = nullptr;    // its lines start before this; the last may run past it
    std::int64_t lines = 0;
    std::int64_t firstIndex = 0;
    FrameFindings found;
};

class FrameLook {
public:
    FrameLook(const FrameText& text, const Skeleton& skeleton, FrameSharing sharing)
        : text(text), skeleton(skeleton), threads(threadsFor(text, sharing)),
          cuts(text.begin, text.end, threads, threads == 1 ? std::max<size_t>(bytesOf(text), 1) : sharing.shareBytes),
          shares(size_t(cuts.count()))
    {
        addChannels(skeleton.root, owners);
        for (std::int32_t k = 0; k < std::int32_t(owners.size()); ++k) {
            if (isRotation(owners[size_t(k)].channel->kind)) rotations.push_back(k);
        }
    }

    void look(Findings& found)
    {
        // Every share's lines are counted first, so that each knows the index of its first line. Where
        // a share starts is found by the thread that takes it, not all up front: a page of the text
        // once touched stays in the process's memory (on some systems with megabytes around it) until
        // released.
        runOnShares([&](Share& share, size_t index) {
            share.begin = cuts.start(std::int64_t(index));
            share.end = cuts.cut(std::int64_t(index + 1));
            if (shares.size() > 1) countLines(share);
        });
        for (size_t i = 1; i < shares.size(); ++i) shares[i].firstIndex = shares[i - 1].firstIndex + shares[i - 1].lines;
        runOnShares([&](Share& share, size_t) { lookAt(share); });
        FrameFindings all;
        for (const Share& share : shares) {
            for (size_t code = 0; code < all.size(); ++code) {
                if (all[code].count == 0) all[code] = share.found[code];
                else all[code].count += share.found[code].count;
            }
        }
        Findings later;
        for (size_t code = 0; code < all.size(); ++code) {
            if (all[code].count == 0) continue;
            later[code] = {all[code].count, text.firstLine + all[code].index, message(LintCode(code), all[code])};
        }
        addLater(found, later);
    }

private:
    static size_t bytesOf(const FrameText& text) { return size_t(text.end - text.begin); }

    // Shares of about shareBytes: large enough that handing them to threads costs nothing, small
    // enough that one is still in the processor's cache from counting its lines to looking at them.
    static int threadsFor(const FrameText& text, FrameSharing sharing)
    {
        return FrameLines::threadsFor(bytesOf(text), sharing.threads > 0 ? sharing.threads : usableProcessors(),
                                      sharing.shareBytes);
    }

    // Where the line at p ends (its line feed, or the text's end), and where the next one starts.
    const char* lineEnd(const char* p, const char*& next) const
    {
        const auto* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(text.end - p)));
        next = lf != nullptr ? lf + 1 : text.end;
        return lf != nullptr ? lf : text.end;
    }

    // work(share, index) for every share, on the threads.
    template <typename Work>
    void runOnShares(const Work& work)
    {
        runOnEach(threads, std::int64_t(shares.size()), [&](std::int64_t i) { work(shares[size_t(i)], size_t(i)); });
    }

    void countLines(Share& share) const
    {
        PassedPages passedPages(&text.view, share.begin);
        const char* p = share.begin;
        for (const char* next; p < share.end; p = next, passedPages.passed(p)) {
            lineEnd(p, next);
            ++share.lines;
        }
        passedPages.passedAll(p);
    }

    void lookAt(Share& share) const
    {
        LineLook lineLook(skeleton, rotations, share.found);
        PassedPages passedPages(&text.view, share.begin);
        std::int64_t index = share.firstIndex;
        const char* p = share.begin;
        for (const char* next; p < share.end; p = next, ++index, passedPages.passed(p)) {
            const char* lf = lineEnd(p, next);
            const char* end = lf != text.end && lf > p && lf[-1] == '\r' ? lf - 1 : lf;
            if (const void* nul = std::memchr(p, '\0', size_t(end - p))) end = static_cast<const char*>(nul);
            if (size_t(text.end - end) < BLOCK) {
                std::string last(p, end);
                last.append(BLOCK, '\0');
                lineLook.line(last.data(), last.data() + (end - p), index);
            } else {
                lineLook.line(p, end, index);
            }
        }
        passedPages.passedAll(p);
    }

    std::string message(LintCode code, const FrameFound& f) const
    {
        const std::string frame = std::to_string(f.index + 1);
        const std::string channels = std::to_string(skeleton.channelsPerFrame);
        const float* row = f.index < skeleton.frameCount ? skeleton.frameValues(std::int32_t(f.index)) : nullptr;
        switch (code) {
        case BLANK_FRAME: return "blank line read as frame " + frame + ": all its values are 0";
        case SHORT_FRAME:
            return "frame " + frame + " has " + std::to_string(f.value) + " values for " + channels + " channels: the last " +
                   std::to_string(skeleton.channelsPerFrame - f.value) + " read as 0";
        case LONG_FRAME:
            return "frame " + frame + " has " + std::to_string(f.value) + " values for " + channels + " channels: the last " +
                   std::to_string(f.value - skeleton.channelsPerFrame) + " ignored";
        case ROTATION_JUMP: {
            const ChannelOwner& owner = owners[size_t(f.value)];
            return std::string(owner.channel->name) + " of joint " + quoted(owner.joint->name) + " jumps from " +
                   numberText(row[f.value - skeleton.channelsPerFrame]) + " to " + numberText(row[f.value]) +
                   " degrees between frames " + std::to_string(f.index) + " and " + frame +
                   " (an angle wrapped, or a gimbal flip?)";
        }
        case EXTRA_LINES:
            return "line after the last of the " + std::to_string(skeleton.frameCount) +
                   " frames that \"Frames:\" counts: not read (is the count short?)";
        default:
            return valueMessage(code, "value " + std::to_string(f.value + 1) + " of frame " + frame, f.token, row[f.value]);
        }
    }

    const FrameText& text;
    const Skeleton& skeleton;
    std::vector<ChannelOwner> owners;  // by channel, in row order
    std::vector<std::int32_t> rotations;
    int threads;
    TextShares cuts;
    std::vector<Share> shares;
};

}  // namespace

void lookAtFrames(const FrameText& text, const Skeleton& skeleton, FrameSharing sharing, Findings& found)
{
    FrameLook(text, skeleton, sharing).look(found);
}
