#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "motion/BvhLint.h"

// The lint pass's findings while it walks a file: per code, how many, and the first one's line and
// message. Internal to BvhLint.

// Indices into BvhLint::CODES.
enum LintCode {
    JOINT_NAME_CUT,
    DUPLICATE_NAME,
    UNKNOWN_CHANNEL,
    PARTIAL_NUMBER,
    NON_FINITE,
    OUT_OF_RANGE,
    FRAMES_GLUED,
    FRAME_TIME,
    BLANK_FRAME,
    SHORT_FRAME,
    LONG_FRAME,
    ROTATION_JUMP,
    EXTRA_LINES,
    CODE_COUNT
};
static_assert(std::size(BvhLint::CODES) == CODE_COUNT);

struct Found {
    std::int64_t count = 0;
    std::int64_t line = 0;
    std::string message;
};
using Findings = std::array<Found, CODE_COUNT>;

// One more finding of that code on that line; message() is called for the first only.
template <typename Message>
void note(Findings& found, LintCode code, std::int64_t line, const Message& message)
{
    Found& kind = found[size_t(code)];
    if (kind.count++ == 0) {
        kind.line = line;
        kind.message = message();
    }
}

// Adds findings met later in the file (their first lines come after every line of found).
inline void addLater(Findings& found, const Findings& later)
{
    for (size_t code = 0; code < found.size(); ++code) {
        if (found[code].count == 0) found[code] = later[code];
        else found[code].count += later[code].count;
    }
}
