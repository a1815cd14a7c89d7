#include "commands/FileReport.h"

#include <cstdio>
#include <optional>

#include "commands/LoadedMotion.h"
#include "commands/OrderedBatches.h"
#include "commands/Progress.h"

namespace {

// readerThreads: as readerThreadsFor gives them, 0 for as many as are worth it.
FileReport examine(const MotionFile& file, Look look, int readerThreads)
{
    FileReport report;
    report.file = &file;
    report.path = toUtf8(file.path.c_str());
    std::optional<BvhLint> lint;
    if (look == Look::Lint) lint.emplace(file.path.c_str());  // before the reader reads the file
    const LoadedMotion motion(file.path.c_str(), BvhReader::Keep::AllFrames, readerThreads);
    report.accepted = motion.ok();
    if (!report.accepted) {
        report.refusedLine = motion.refusedLine();
        report.reason = motion.refusalReason();
        report.refusal = motion.refusal();
        return report;
    }
    report.profile = profileOf(motion.skeleton());
    if (lint && lint->possible()) {
        if (readerThreads > 0) lint->limitThreads(readerThreads);
        report.linted = lint->look(motion.skeleton(), report.findings);
    }
    return report;
}

}  // namespace

int reportFiles(const CommandLine& line, Look look, const std::function<bool(const FileReport&)>& told)
{
    const FolderWalk walk = walkArguments(line.files);
    const int status = reportFolders(walk);
    const std::vector<MotionFile>& files = walk.files;
    const int readerThreads = readerThreadsFor(files);
    OrderedBatches batches(std::int64_t(files.size()), FILES_AHEAD_PER_WORKER);
    std::vector<FileReport> reports(size_t(batches.slots()));
    Progress progress(std::int64_t(files.size()), "files", totalBytes(files));
    batches.run([&](std::int64_t f, int slot) { reports[size_t(slot)] = examine(files[size_t(f)], look, readerThreads); },
                [&](int slot) {
                    const FileReport& report = reports[size_t(slot)];
                    progress.wipe();
                    const bool written = told(report);
                    progress.advance(report.file->bytes);
                    return written;
                });
    return status;
}

std::string checkLine(const FileReport& report)
{
    if (!report.accepted) return report.refusal;
    const MotionProfile& p = report.profile;
    char counts[160];
    std::snprintf(counts, sizeof counts, ": ok: joints=%ld end_sites=%ld channels=%d frames=%d frame_time=%g", p.joints,
                  p.endSites, p.channels, p.frames, double(p.frameTime));
    return report.path + counts;
}

bool writeOut(const std::string& text)
{
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}
