#include "motion/BvhReader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "motion/BvhNumbers.h"
#include "motion/BvhTokens.h"
#include "motion/FileView.h"
#include "motion/FrameLines.h"
#include "motion/RefusalCause.h"
#include "platform/Workers.h"

namespace {

constexpr const char* CHANNEL_NAMES[] = {"Xposition", "Yposition", "Zposition",
                                         "Xrotation", "Yrotation", "Zrotation"};

ChannelKind channelKind(const char* name)
{
    for (std::uint32_t i = 0; i < 6; ++i) {
        if (std::strcmp(name, CHANNEL_NAMES[i]) == 0) return static_cast<ChannelKind>(i + 1);
    }
    return Unrecognized;
}

bool isEndSite(char* const tokens[2])
{
    return startsWith(tokens[0], "End") && startsWith(tokens[1], "Site");
}

// Appended to the reason when the input ran out on a line holding a CR: with CR line ends, all of a
// file reads as one line.
constexpr const char* CR_LINE_ENDS_NOTE = " (lines end in CR alone; VEXO reads LF or CR LF line ends)";

static_assert(LineReader::MAX_LINE_LENGTH == 16 << 20, "the refusal below names the limit");

}  // namespace

BvhReader::~BvhReader()
{
    std::free(lineCopy);
}

bool BvhReader::read(LPCWSTR path, Skeleton& skeleton, Keep keep)
{
    kept = keep;
    total = depth = 0;
    lineNumber = failLine = sharesRead = 0;
    reason.clear();
    copyFailed = false;
    const Skeleton given = skeleton;
    // Shared for writing too, as the C runtime opens files: a file another program keeps open opens.
    const HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD attributes = GetFileAttributesW(path);
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return fail(folder ? "a folder, not a file" : "cannot open file");
    }
    LARGE_INTEGER size;
    fileSize = GetFileSizeEx(file, &size) && size.QuadPart > 0 ? static_cast<std::uint64_t>(size.QuadPart) : 0;
    bool ok;
    {
        const FileView view(file, fileSize);
        LineReader reader = view.mapped() ? LineReader(view) : LineReader(file);
        lines = &reader;
        fileView = view.mapped() ? &view : nullptr;
        ok = readFile(skeleton);
        lines = nullptr;
        fileView = nullptr;
    }
    CloseHandle(file);
    if (!ok) {
        // Rows read before the file ran short are dropped with their array.
        if (skeleton.values != given.values) std::free(skeleton.values);
        skeleton = given;
    }
    return ok;
}

bool BvhReader::readFile(Skeleton& skeleton)
{
    char* line = readLine();
    if (line == nullptr || !startsWith(line, "HIERARCHY")) return failExpecting("\"HIERARCHY\"", line, firstLineCause(line));
    if (line = readLine(); line == nullptr) return failAtEnd("\"ROOT\" and a name");
    char* tokens[2];
    if (splitTokens(line, tokens, 2) != 2 || std::strcmp(tokens[0], "ROOT") != 0) {
        return fail("expected \"ROOT\" and a name", keywordCaseCause(tokens[0], "ROOT"));
    }
    Joint* root = Joint::create();
    if (root == nullptr || !root->setKeyword(tokens[0]) || !root->setName(tokens[1])) {
        Joint::free(root);
        return fail("out of memory");
    }
    if (!readJoint(root, true) || !readMotion(skeleton)) {
        Joint::free(root);
        return false;
    }
    skeleton.root = root;
    return true;
}

// The next line as a writable, NUL-terminated copy with its LF (when it has a line end), from its
// first character that is neither space nor tab; null when there is none (see failAtEnd).
char* BvhReader::readLine()
{
    TextLine line;
    if (!lines->next(line)) return nullptr;
    const size_t length = line.length();
    if (length + 2 > lineCopyCapacity) {
        auto* larger = static_cast<char*>(std::realloc(lineCopy, length + 2));
        if (larger == nullptr) {
            copyFailed = true;
            return nullptr;
        }
        lineCopy = larger;
        lineCopyCapacity = length + 2;
    }
    std::memcpy(lineCopy, line.begin, length);
    lineCopy[length] = '\n';
    lineCopy[length + line.terminated] = '\0';
    ++lineNumber;
    char* text = lineCopy;
    while (*text == ' ' || *text == '\t') ++text;
    return text;
}

bool BvhReader::readJoint(Joint* joint, bool hasChannels)
{
    if (++depth > MAX_NESTING_DEPTH) return fail("joints nested more than 1024 levels deep");
    char* line = readLine();
    if (line == nullptr || !startsWith(line, "{")) return failExpecting("\"{\"", line);
    if (!readOffset(joint)) return false;
    if (hasChannels && !readChannels(joint)) return false;
    for (;;) {
        line = readLine();
        if (line == nullptr) return failAtEnd("\"}\" or a joint");
        if (startsWith(line, "}")) break;
        if (!readChild(joint, line)) return false;
    }
    --depth;
    return true;
}

bool BvhReader::readOffset(Joint* joint)
{
    char* line = readLine();
    if (line == nullptr) return failAtEnd("the offset line");
    char* tokens[4];
    if (splitTokens(line, tokens, 4) != 4) return fail("expected 4 tokens on the offset line");
    for (int i = 0; i < 3; ++i) joint->offset[i] = parseFloat(tokens[i + 1], tokenEnd(tokens[i + 1]));
    return true;
}

bool BvhReader::readChannels(Joint* joint)
{
    char* cursor = readLine();
    if (cursor == nullptr) return failAtEnd("\"CHANNELS\"");
    if (const char* keyword = nextToken(cursor); std::strcmp(keyword, "CHANNELS") != 0) {
        return fail("expected \"CHANNELS\"", endSiteCaseCause(joint->keyword, joint->name) + keywordCaseCause(keyword, "CHANNELS"));
    }
    const char* countToken = nextToken(cursor);
    std::int32_t count;
    if (*countToken == '\0') return fail("expected a channel count");
    if (!parseInt32(countToken, count)) return fail("channel count out of range");
    if (count < 0) return fail("negative channel count");
    // One missing name reads as empty; more would let a tiny file demand a huge channel array.
    if (count > countTokens(cursor) + 1) return fail("fewer channel names than the channel count");
    if (total > INT32_MAX - count) return fail("more than 2147483647 channels in all");
    if (!joint->allocChannels(count)) return fail("out of memory");
    for (std::int32_t i = 0; i < count; ++i) {
        const char* name = nextToken(cursor);
        if (!joint->setChannelName(i, name)) return fail("out of memory");
        joint->channels[i].kind = channelKind(name);
    }
    total += count;
    return true;
}

bool BvhReader::readChild(Joint* parent, char* headerLine)
{
    char* tokens[2];
    if (splitTokens(headerLine, tokens, 2) != 2) return fail("expected \"}\" or a joint header of 2 tokens");
    Joint* child = Joint::create();
    if (child == nullptr || !child->setKeyword(tokens[0]) || !child->setName(tokens[1])) {
        Joint::free(child);
        return fail("out of memory");
    }
    if (!readJoint(child, !isEndSite(tokens))) {
        Joint::free(child);
        return false;
    }
    parent->appendChild(child);
    return true;
}

bool BvhReader::readMotion(Skeleton& skeleton)
{
    char* line = readLine();
    if (line == nullptr || !startsWith(line, "MOTION")) return failExpecting("\"MOTION\"", line, keywordCaseCause(line, "MOTION"));

    char* cursor = readLine();
    if (cursor == nullptr) return failAtEnd("\"Frames:\"");
    const char* keyword = nextToken(cursor);
    if (*keyword == '\0' || !startsWith(keyword, "Frames:")) return fail("expected \"Frames:\"", keywordCaseCause(keyword, "Frames:"));
    std::int32_t frames;
    if (!parseInt32(nextToken(cursor), frames)) return fail("frame count out of range");
    if (frames < 0) return fail("negative frame count");

    line = readLine();
    if (line == nullptr || !startsWith(line, "Frame Time:")) return failExpecting("\"Frame Time:\"", line, keywordCaseCause(line, "Frame Time:"));
    char* timeCursor = line + 11;
    char* timeEnd;
    const char* timeToken = nextToken(timeCursor, &timeEnd);
    return readFrames(skeleton, frames, parseFloat(timeToken, timeEnd));
}

bool BvhReader::readFrames(Skeleton& skeleton, std::int32_t frames, float frameTime)
{
    if (!Skeleton::valuesFit(frames, total)) {
        failLine = lineNumber - 1;  // the "Frames:" line
        reason = "frame count too large: the values would take 4 GiB or more";
        return false;
    }
    if (const char *text, *end; frames > 0 && kept == Keep::AllFrames && fileView != nullptr &&
                                lines->unreadInMemory(text, end)) {
        const int threads = FrameLines::threadsFor(static_cast<size_t>(end - text),
                                                   threadLimit > 0 ? threadLimit : usableProcessors(), shareBytes);
        if (threads > 1) return readFramesOnThreads(skeleton, frames, frameTime, threads);
    }
    // Every frame takes a line of at least one byte. A count the rest of the file cannot hold fails
    // at its end anyway; the value array is then not allocated, so a tiny file cannot claim gigabytes.
    const bool cannotFit = fileSize > 0 && std::uint64_t(frames) > fileSize - lines->consumed();
    const std::int32_t rows = kept == Keep::FirstFrame ? std::min(frames, 1) : frames;
    if (!cannotFit && !skeleton.allocValues(rows, frameTime, total)) return fail("out of memory");
    for (std::int32_t f = 0; f < frames; ++f) {
        TextLine line;
        if (!lines->next(line)) {
            return failWithoutLine("file ends before frame " + std::to_string(f + 1) + " of " + std::to_string(frames),
                                   lines->lastLine(), lines->lineTooLong());
        }
        ++lineNumber;
        if (cannotFit || f >= rows) continue;  // the line only has to be there
        if (!parseFrameLine(line, skeleton.frameValues(f), total)) return fail("out of memory");
    }
    if (cannotFit) return fail("file grew while it was read");
    return true;
}

// The frame lines are all in memory: found and converted on several threads.
bool BvhReader::readFramesOnThreads(Skeleton& skeleton, std::int32_t frames, float frameTime, int threads)
{
    const char *text, *end;
    lines->unreadInMemory(text, end);
    // Every frame takes a line of at least one byte: a count the text cannot hold is refused without
    // allocating its values.
    const bool fits = std::uint64_t(frames) <= std::uint64_t(end - text);
    if (fits && !skeleton.allocValues(frames, frameTime, total)) return fail("out of memory");
    FrameLines frameLines(*fileView, text, end, frames, threads, shareBytes);
    const bool read = frameLines.read(fits ? skeleton.values : nullptr, total);
    sharesRead = frameLines.statistics().shares;
    if (!read) return fail("out of memory");
    const std::int64_t found = frameLines.found();
    if (found < frames) {
        lineNumber += found;
        return failWithoutLine("file ends before frame " + std::to_string(found + 1) + " of " + std::to_string(frames),
                               frameLines.lastLine(), frameLines.stoppedAtTooLong());
    }
    lineNumber += frames;
    return true;
}

bool BvhReader::fail(const char* why, const std::string& cause)
{
    failLine = lineNumber;
    reason = why + cause;
    return false;
}

bool BvhReader::failAtEnd(const char* expected, const std::string& cause)
{
    return failWithoutLine(std::string("expected ") + expected + ", found end of file" + cause, lines->lastLine(),
                           lines->lineTooLong());
}

bool BvhReader::failExpecting(const char* expected, const char* line, const std::string& cause)
{
    if (line == nullptr) return failAtEnd(expected, cause);
    failLine = lineNumber;
    reason = std::string("expected ") + expected + cause;
    return false;
}

// The next line was expected and is not there: it is too long, it could not be read or copied, or the
// input ended (atEnd says what was expected then).
bool BvhReader::failWithoutLine(const std::string& atEnd, const TextLine& lastLine, bool lineTooLong)
{
    ++lineNumber;
    if (lineTooLong) return fail("line longer than 16 MiB");
    if (copyFailed) return fail("out of memory");
    if (lines->readFailed()) return fail("cannot read file");
    failLine = lineNumber;
    reason = atEnd;
    if (lastLine.holdsCr()) reason += CR_LINE_ENDS_NOTE;
    return false;
}
