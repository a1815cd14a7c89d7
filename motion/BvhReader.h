#pragma once

#include <cstdint>
#include <string>

#include "motion/FrameLines.h"
#include "motion/LineReader.h"
#include "motion/Skeleton.h"
#include "platform/win32.h"

// The strict, line-oriented BVH reader: every structural element sits on a line of its own, each
// expected line is read exactly once, with no look-ahead and no skipping of blank lines. A refused
// file leaves the skeleton without a root; refusedLine() and refusalReason() say where and why.
//
// A file that can be mapped is read where the system keeps it; its frame lines, which never refuse a
// file by their content, are converted on several threads when there are enough of them. Pipes and
// devices are read as streams, one line at a time. Either way the results are the same.
class BvhReader {
public:
    BvhReader() = default;
    ~BvhReader();
    BvhReader(const BvhReader&) = delete;
    BvhReader& operator=(const BvhReader&) = delete;

    // The frames whose values a read keeps. The whole file is read and checked either way, so a
    // file is accepted or refused alike; FirstFrame keeps only the first frame (a motion of one
    // frame, or of none) and converts no other frame's numbers.
    enum class Keep { AllFrames, FirstFrame };

    // Fills the empty skeleton from the file at path. True exactly when skeleton.root was stored.
    // On failure the skeleton is left exactly as it was given (no values, no numbers).
    bool read(LPCWSTR path, Skeleton& skeleton, Keep keep = Keep::AllFrames);

    // At most this many threads convert frame lines (at least 1). By default, as many as there are
    // processors the process may run on.
    void limitThreads(int count) { threadLimit = count < 1 ? 1 : count; }
    // Frame text is cut into shares of at most this many bytes for the threads (by default, and at
    // most, FrameLines::SHARE_BYTES); smaller shares let tests and fuzzing reach the boundaries
    // between shares, and the threads, with small files.
    void limitShareBytes(size_t bytes) { shareBytes = bytes; }
    // The shares the last read cut the frame text into: 0 when its frames were read on one thread.
    std::int64_t frameShares() const { return sharesRead; }

    // The 1-based physical line of the last refusal (0 when the file could not be opened) and a
    // short reason such as: expected "MOTION".
    std::int64_t refusedLine() const { return failLine; }
    const std::string& refusalReason() const { return reason; }

    // Files nested deeper than this are refused rather than risk the stack.
    static constexpr int MAX_NESTING_DEPTH = 1024;

private:
    bool readFile(Skeleton& skeleton);
    char* readLine();
    bool readJoint(Joint* joint, bool hasChannels);
    bool readOffset(Joint* joint);
    bool readChannels(Joint* joint);
    bool readChild(Joint* parent, char* headerLine);
    bool readMotion(Skeleton& skeleton);
    bool readFrames(Skeleton& skeleton, std::int32_t frames, float frameTime);
    bool readFramesOnThreads(Skeleton& skeleton, std::int32_t frames, float frameTime, int threads);

    // cause: the likely cause of the refusal (RefusalCause.h), appended to the reason.
    bool fail(const char* why, const std::string& cause = {});
    bool failAtEnd(const char* expected, const std::string& cause = {});
    bool failExpecting(const char* expected, const char* line, const std::string& cause = {});
    bool failWithoutLine(const std::string& atEnd, const TextLine& lastLine, bool lineTooLong);

    Keep kept = Keep::AllFrames;
    LineReader* lines = nullptr;
    const FileView* fileView = nullptr;  // the file mapped, or null when it is read as a stream
    std::uint64_t fileSize = 0;          // 0 when unknown
    char* lineCopy = nullptr;    // the line being examined, NUL-terminated and writable
    size_t lineCopyCapacity = 0;
    bool copyFailed = false;
    int threadLimit = 0;         // 0: as many as there are usable processors
    size_t shareBytes = FrameLines::SHARE_BYTES;
    std::int64_t sharesRead = 0;
    std::int32_t total = 0;      // channels read so far: the skeleton's channelsPerFrame
    int depth = 0;
    // Physical lines: a file may hold more than 2^31 of them (INT32_MAX frames after its header).
    std::int64_t lineNumber = 0;
    std::int64_t failLine = 0;
    std::string reason;
};
