#pragma once

#include <cstdint>

#include "motion/FileView.h"
#include "motion/LintFindings.h"
#include "motion/Skeleton.h"

// The lint pass over frame lines. Internal to BvhLint.

// The frame lines of a file and everything after them: [begin, end) of the view, whose first line
// is line firstLine of the file.
struct FrameText {
    const FileView& view;
    const char* begin;
    const char* end;
    std::int64_t firstLine;
};

// How the text is shared out: at most `threads` threads (0: as many as there are usable processors),
// each worth a share of about shareBytes.
struct FrameSharing {
    int threads;
    size_t shareBytes;
};

// Notes what the frame lines make beside the values the reader stored for them (all frames kept):
// values that are not plain numbers, blank, short and long lines, rotations that jump, lines after the
// last frame. A large text is cut into shares at line starts, looked at on several threads.
void lookAtFrames(const FrameText& text, const Skeleton& skeleton, FrameSharing sharing, Findings& found);
