#include "motion/BvhLint.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "motion/FileView.h"
#include "motion/LineReader.h"
#include "motion/LintFindings.h"
#include "motion/LintFrames.h"
#include "motion/LintValues.h"

namespace {

std::vector<std::string_view> wordsOf(std::string_view text)
{
    std::vector<std::string_view> words;
    for (size_t at = 0;;) {
        while (at < text.size() && isBlank(text[at])) ++at;
        if (at == text.size()) return words;
        const size_t start = at;
        while (at < text.size() && !isBlank(text[at])) ++at;
        words.push_back(text.substr(start, at - start));
    }
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The header's lines walked beside the skeleton the reader made of them, one line per element as
// the reader takes them, up to the "Frame Time:" line.
class HeaderLook {
public:
    HeaderLook(LineReader& lines, const Skeleton& skeleton, Findings& found)
        : lines(lines), skeleton(skeleton), found(found)
    {
    }

    // False when the lines run out before the skeleton does: the file changed since it was read.
    bool walk()
    {
        if (!next() || !next()) return false;  // "HIERARCHY", then the root's line
        jointLine(*skeleton.root);
        if (!jointBody(*skeleton.root) || !next() || !next()) return false;  // "MOTION", "Frames:"
        framesLine();
        if (!next()) return false;
        frameTimeLine();
        return true;
    }

    std::int64_t linesRead() const { return lineNumber; }

private:
    bool next()
    {
        TextLine line;
        if (!lines.next(line)) return false;
        ++lineNumber;
        text = lineText(line);
        return true;
    }

    bool jointBody(const Joint& joint)
    {
        if (!next() || !next()) return false;  // "{", then the offset
        offsetLine(joint);
        if (joint.channels != nullptr) {
            if (!next()) return false;
            channelsLine(joint);
        }
        for (const Joint* child = joint.firstChild; child != nullptr; child = child->nextSibling) {
            if (!next()) return false;
            if (child->channels != nullptr) jointLine(*child);  // an end site has neither name nor channels
            if (!jointBody(*child)) return false;
        }
        return next();  // "}"
    }

    // The reader keeps a joint line's second word as the name and ignores the rest.
    void jointLine(const Joint& joint)
    {
        const size_t words = wordsOf(text).size();
        if (words > 2) {
            note(found, JOINT_NAME_CUT, lineNumber, [&] {
                return "joint line " + quoted(trimmed(text)) + " has " + std::to_string(words) +
                       " words: the name kept is " + quoted(joint.name);
            });
        }
        const auto named = jointLines.emplace(joint.name, lineNumber);
        if (!named.second) {
            note(found, DUPLICATE_NAME, lineNumber, [&] {
                return "joint name " + quoted(joint.name) + " is also that of the joint on line " +
                       std::to_string(named.first->second) + ": a tool that finds joints by name finds only one of them";
            });
        }
    }

    // Words past the fourth are ignored by the reader; a missing last one reads as 0.
    void offsetLine(const Joint& joint)
    {
        const std::vector<std::string_view> words = wordsOf(text);
        for (size_t i = 0; i < 3; ++i) {
            lookAtValue(found, i + 1 < words.size() ? words[i + 1] : std::string_view(), joint.offset[i], lineNumber,
                        "offset value " + std::to_string(i + 1));
        }
    }

    void channelsLine(const Joint& joint)
    {
        for (std::int32_t i = 0; i < joint.channelCount; ++i) {
            const Channel& channel = joint.channels[i];
            if (channel.kind != Unrecognized) continue;
            note(found, UNKNOWN_CHANNEL, lineNumber, [&] {
                const std::string what = *channel.name == '\0' ? "channel " + std::to_string(i + 1) + " of joint " +
                                                                   quoted(joint.name) + " has no name"
                                                               : "channel " + quoted(channel.name) + " of joint " +
                                                                   quoted(joint.name) + " is none of the six known ones";
                return what + ": its values are read and ignored";
            });
        }
    }

    // "Frames:240" is the keyword, and the count the next word, or 0 without one.
    void framesLine()
    {
        const std::vector<std::string_view> words = wordsOf(text);
        if (words.empty() || words[0].size() <= std::string_view("Frames:").size()) return;
        note(found, FRAMES_GLUED, lineNumber, [&] {
            return quoted(words[0]) + " has no blank after the colon: read as " + std::to_string(skeleton.frameCount) +
                   " frames";
        });
    }

    void frameTimeLine()
    {
        const float time = skeleton.frameTime;
        const std::string told = "Frame Time is " + numberText(time);
        const std::string noDuration = ": the motion has no duration, and real-time playback shows one frame per drawing";
        std::string message;
        if (!std::isfinite(time)) message = told + ", not a finite number" + noDuration;
        else if (time == 0) message = told + noDuration;
        else if (time < 0) message = told + ", negative" + noDuration;
        else if (time > 1) message = told + " s, over a second per frame (a frame rate, or milliseconds?)";
        if (!message.empty()) note(found, FRAME_TIME, lineNumber, [&] { return message; });
    }

    LineReader& lines;
    const Skeleton& skeleton;
    Findings& found;
    std::int64_t lineNumber = 0;
    std::string_view text;  // the line last read, up to its first NUL
    std::unordered_map<std::string_view, std::int64_t> jointLines;  // a name, and the first line that gave it
};

}  // namespace

BvhLint::BvhLint(LPCWSTR path)
{
    file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER bytes;
    // Only a regular file has a size.
    if (file != INVALID_HANDLE_VALUE && GetFileSizeEx(file, &bytes) && bytes.QuadPart > 0) {
        size = static_cast<std::uint64_t>(bytes.QuadPart);
    }
}

BvhLint::~BvhLint()
{
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

bool BvhLint::look(const Skeleton& skeleton, std::vector<LintFinding>& findings) const
{
    findings.clear();
    const FileView view(file, size);
    if (!view.mapped() || skeleton.root == nullptr) return false;
    Findings found;
    LineReader lines(view);
    HeaderLook header(lines, skeleton, found);
    if (!header.walk()) return false;
    const char *text, *end;
    lines.unreadInMemory(text, end);
    const FrameText frames{view, text, end, header.linesRead() + 1};
    lookAtFrames(frames, skeleton, {threadLimit, shareBytes}, found);
    for (int code = 0; code < CODE_COUNT; ++code) {
        const Found& f = found[size_t(code)];
        if (f.count > 0) findings.push_back({CODES[code], f.line, f.count, f.message});
    }
    // By line, and on one line in the order of CODES, which the codes were just added in.
    std::stable_sort(findings.begin(), findings.end(),
                     [](const LintFinding& a, const LintFinding& b) { return a.line < b.line; });
    return true;
}
