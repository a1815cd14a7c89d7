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
    // The frames whose values a read keeps. The whole file is read and checked either way, so a
    // file is accepted or refused alike; FirstFrame keeps only the first frame (a motion of one
    // frame, or of none) and converts no other frame's numbers.
    enum class Keep { AllFrames, FirstFrame };

    // Fills the empty skeleton from the file at path. True exactly when skeleton.root was stored.
    // On failure the skeleton is left exactly as it was given (no values, no numbers).
    bool read(LPCWSTR path, Skeleton& skeleton, Keep keep = Keep::AllFrames);

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

    Keep kept = Keep::AllFrames;
    LineReader* lines = nullptr;
    std::uint64_t fileSize = 0;  // 0 when unknown
    std::int32_t total = 0;      // channels read so far: the skeleton's channelsPerFrame
    int depth = 0;
    int lineNumber = 0;
    int failLine = 0;
    std::string reason;
};
