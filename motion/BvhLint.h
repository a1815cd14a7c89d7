#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "motion/Skeleton.h"
#include "platform/win32.h"

// What a file the reader accepted probably meant otherwise: one kind of thing the reader had to
// assume, found `count` times, first on `line` (1-based, physical), with a message about that first
// one that says what was found and what the reader made of it.
struct LintFinding {
    const char* code;  // short and stable: one of BvhLint::CODES
    std::int64_t line;
    std::int64_t count;
    std::string message;
};

// A second look at a BVH file that the reader accepted, which never changes what it accepts: the
// file's lines are walked again beside the skeleton and the values the reader made of them, and
// whatever an author probably meant otherwise is told (a frame count one short, numbers run together,
// a name cut at a blank...).
//
//     BvhLint lint(path);                    // before the reader opens the file
//     if (reader.read(path, skeleton) && lint.possible()) lint.look(skeleton, findings);
class BvhLint {
public:
    // Opens the file without reading it. Opened before the reader reads it, a pipe (whose bytes can
    // be read only once) is known for what it is and left to the reader.
    explicit BvhLint(LPCWSTR path);
    ~BvhLint();
    BvhLint(const BvhLint&) = delete;
    BvhLint& operator=(const BvhLint&) = delete;

    // Whether the file can be read a second time: a regular file, not a pipe or a device.
    bool possible() const { return size > 0; }

    // At most this many threads look at frame lines (at least 1); by default as many as there are
    // usable processors.
    void limitThreads(int count) { threadLimit = count < 1 ? 1 : count; }
    // Frame text is cut into shares of about this many bytes for the threads (by default
    // FRAME_SHARE_BYTES); smaller shares let tests and fuzzing reach the boundaries between shares
    // with small files.
    void limitShareBytes(size_t bytes) { shareBytes = bytes < 1 ? 1 : bytes; }
    static constexpr size_t FRAME_SHARE_BYTES = size_t{1} << 20;

    // Finds what there is to tell, in the order of the findings' first lines. skeleton: what the
    // reader made of this file, with all its frames kept. The file is mapped for the look and its
    // pages let go behind it, so it adds little to the memory the skeleton takes. False when the file
    // cannot be mapped or no longer has the shape the reader saw (it changed since), and then nothing
    // is found.
    bool look(const Skeleton& skeleton, std::vector<LintFinding>& findings) const;

    // Every code, in the order findings on one line are told.
    static constexpr const char* CODES[] = {
        "joint-name-cut", "duplicate-name", "unknown-channel", "partial-number", "non-finite",  "out-of-range",
        "frames-glued",   "frame-time",     "blank-frame",     "short-frame",    "long-frame",  "rotation-jump",
        "extra-lines",
    };

private:
    HANDLE file = INVALID_HANDLE_VALUE;
    std::uint64_t size = 0;  // 0 when the file cannot be mapped
    int threadLimit = 0;
    size_t shareBytes = FRAME_SHARE_BYTES;
};
