#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "commands/CommandLine.h"
#include "commands/FolderWalk.h"
#include "commands/MotionProfile.h"
#include "motion/BvhLint.h"

// What `--check` and `--lint` tell of one file: the reader's verdict and, for an accepted file, its
// profile and (linted) what the second look found. It holds no frame values, so that many files can
// be reported at a time.
struct FileReport {
    const MotionFile* file = nullptr;
    std::string path;  // as the outputs write it
    bool accepted = false;
    std::int64_t refusedLine = 0;
    std::string reason;
    std::string refusal;  // "FILE:LINE: refused: REASON"
    MotionProfile profile;
    bool linted = false;  // looked at again (not for a pipe or device, which is read once)
    std::vector<LintFinding> findings;
};

enum class Look { Check, Lint };

// Reads every file the command line names (folders walked), several at a time on every processor,
// with the lint pass when look is Lint, and hands each report to `told` on this thread in the files'
// order; `told` returns false when its output fails, which ends the run. Returns 1 when a folder
// could not be read, else 0.
int reportFiles(const CommandLine& line, Look look, const std::function<bool(const FileReport&)>& told);

// The verdict line: "FILE: ok: joints=... frame_time=..." or the refusal.
std::string checkLine(const FileReport& report);

// The report as one JSON Lines record with its LF.
std::string jsonReport(const FileReport& report, Look look);

// Writes text to stdout; false when it could not be written.
bool writeOut(const std::string& text);
