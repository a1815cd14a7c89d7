#include "motion/BvhReader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "motion/BvhNumbers.h"
#include "motion/BvhTokens.h"

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

// The value of the next token of a frame line; false, storing nothing, when the line is used up.
// Numbers in the usual form are converted where they stand; any other token is cut out and
// converted as such, with the same result.
bool nextValue(char*& cursor, float& value)
{
    while (*cursor == ' ' || *cursor == '\t') ++cursor;
    if (const char* number = parseDecimal(cursor, value); number != nullptr) {
        char* stop = cursor + (number - cursor);
        if (tokenEnd(stop) == stop) {  // the number is the whole token
            cursor = *stop == '\0' ? stop : stop + 1;  // past the separator, as nextToken moves
            return true;
        }
    }
    char* end;
    const char* token = nextToken(cursor, &end);
    if (token == end) return false;
    value = parseFloat(token, end);
    return true;
}

// The size of a seekable stream, or 0 when it cannot be known.
std::uint64_t streamSize(std::FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0) return 0;
    const long size = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0) return 0;
    return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

}  // namespace

bool BvhReader::read(LPCWSTR path, Skeleton& skeleton, Keep keep)
{
    kept = keep;
    total = depth = lineNumber = failLine = 0;
    reason.clear();
    const Skeleton given = skeleton;
    // Binary: LineReader turns CR LF into LF itself, which gives the lines text mode would give.
    std::FILE* file = _wfopen(path, TEXT("rb"));
    if (file == nullptr) return fail("cannot open file");
    fileSize = streamSize(file);
    LineReader reader(file);
    lines = &reader;

    Joint* root = nullptr;
    bool ok = false;
    if (char* line = readLine(); line == nullptr || !startsWith(line, "HIERARCHY")) {
        failExpecting("\"HIERARCHY\"", line);
    } else if (line = readLine(); line == nullptr) {
        failAtEnd("\"ROOT\" and a name");
    } else {
        char* tokens[2];
        if (splitTokens(line, tokens, 2) != 2 || std::strcmp(tokens[0], "ROOT") != 0) {
            fail("expected \"ROOT\" and a name");
        } else if ((root = Joint::create()) == nullptr || !root->setKeyword(tokens[0]) || !root->setName(tokens[1])) {
            fail("out of memory");
        } else {
            ok = readJoint(root, true) && readMotion(skeleton);
        }
    }
    lines = nullptr;
    std::fclose(file);
    if (!ok) {
        Joint::free(root);
        // Rows read before the file ran short are dropped with their array.
        if (skeleton.values != given.values) std::free(skeleton.values);
        skeleton = given;
        return false;
    }
    skeleton.root = root;
    return true;
}

char* BvhReader::readLine()
{
    char* line = lines->next();
    if (line == nullptr) return nullptr;
    ++lineNumber;
    while (*line == ' ' || *line == '\t') ++line;
    return line;
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
    if (std::strcmp(nextToken(cursor), "CHANNELS") != 0) return fail("expected \"CHANNELS\"");
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
    if (line == nullptr || !startsWith(line, "MOTION")) return failExpecting("\"MOTION\"", line);

    char* cursor = readLine();
    if (cursor == nullptr) return failAtEnd("\"Frames:\"");
    const char* keyword = nextToken(cursor);
    if (*keyword == '\0' || !startsWith(keyword, "Frames:")) return fail("expected \"Frames:\"");
    std::int32_t frames;
    if (!parseInt32(nextToken(cursor), frames)) return fail("frame count out of range");
    if (frames < 0) return fail("negative frame count");

    line = readLine();
    if (line == nullptr || !startsWith(line, "Frame Time:")) return failExpecting("\"Frame Time:\"", line);
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
    // Every frame takes a line of at least one byte. A count the rest of the file cannot hold fails
    // at its end anyway; the value array is then not allocated, so a tiny file cannot claim gigabytes.
    const bool cannotFit = fileSize > 0 && std::uint64_t(frames) > fileSize - lines->consumed();
    const std::int32_t rows = kept == Keep::FirstFrame ? std::min(frames, 1) : frames;
    if (!cannotFit && !skeleton.allocValues(rows, frameTime, total)) return fail("out of memory");
    for (std::int32_t f = 0; f < frames; ++f) {
        char* cursor = readLine();
        if (cursor == nullptr) {
            failLine = lineNumber + 1;
            reason = "file ends before frame " + std::to_string(f + 1) + " of " + std::to_string(frames);
            if (lines->readFailed()) reason = "cannot read file";
            return false;
        }
        if (cannotFit || f >= rows) continue;  // the line only has to be there
        float* row = skeleton.frameValues(f);
        for (std::int32_t k = 0; k < total; ++k) {
            if (!nextValue(cursor, row[k])) break;  // the line is used up: the rest stay 0.0
        }
    }
    if (cannotFit) return fail("file grew while it was read");
    return true;
}

bool BvhReader::fail(const char* why)
{
    failLine = lineNumber;
    reason = why;
    return false;
}

bool BvhReader::failAtEnd(const char* expected)
{
    failLine = lineNumber + 1;
    reason = lines->readFailed() ? std::string("cannot read file") : std::string("expected ") + expected + ", found end of file";
    return false;
}

bool BvhReader::failExpecting(const char* expected, const char* line)
{
    if (line == nullptr) return failAtEnd(expected);
    failLine = lineNumber;
    reason = std::string("expected ") + expected;
    return false;
}
