#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "motion/LineReader.h"
#include "motion/Skeleton.h"
#include "platform/win32.h"

// The strict, line-oriented BVH reader: every structural element sits on a line of its own, each
// expected line is read exactly once, with no look-ahead and no skipping of blank lines. A refused
// file leaves the skeleton without a root; refusedLine() and refusalReason() say where and why.
class BvhReader {
public:
    // Fills the empty skeleton from the file at path, opened in text mode. True exactly when
    // skeleton.root was stored; a refused file leaves the skeleton untouched.
    bool read(LPCWSTR path, Skeleton& skeleton);
    // The same from an open stream, from its current position to its end. The stream need not be
    // seekable and stays open. Memory grows with what the stream holds, not with the counts it claims.
    bool read(std::FILE* file, Skeleton& skeleton);

    // The 1-based physical line of the last refusal (0 when the file could not be opened) and a
    // short reason such as: expected "MOTION".
    int refusedLine() const { return failLine; }
    const std::string& refusalReason() const { return reason; }

    // Files nested deeper than this are refused rather than risk the stack.
    static constexpr int MAX_NESTING_DEPTH = 1024;

private:
    char* readLine();
    bool readJoint(Joint* joint, bool hasChannels);
    bool readOffset(Joint* joint);
    bool readChannels(Joint* joint);
    bool readChild(Joint* parent, char* headerLine);
    bool readMotion(Skeleton& skeleton);
    bool readFrames(Skeleton& skeleton, std::int32_t frames, float frameTime);

    bool fail(const char* why);
    bool failAtEnd(const char* expected);
    bool failExpecting(const char* expected, const char* line);

    LineReader* lines = nullptr;
    std::int32_t total = 0;      // channels read so far: the skeleton's channelsPerFrame
    int depth = 0;
    int lineNumber = 0;
    int failLine = 0;
    std::string reason;
};
