#include <cstdio>
#include <string>

#include "commands/Commands.h"
#include "commands/FileReport.h"

namespace {

// The verdict, then a line per finding as compilers write warnings, so that editors and CI jump to it:
// "FILE:LINE: warning: MESSAGE (N in all) [CODE]".
std::string lintText(const FileReport& report)
{
    std::string text = checkLine(report) + "\n";
    for (const LintFinding& finding : report.findings) {
        text += report.path + ":" + std::to_string(finding.line) + ": warning: " + finding.message;
        if (finding.count > 1) text += " (" + std::to_string(finding.count) + " in all)";
        text += std::string(" [") + finding.code + "]\n";
    }
    return text;
}

// How the files fared, for the closing line.
struct Tally {
    long clean = 0, withFindings = 0, refused = 0, notLinted = 0;

    void add(const FileReport& report)
    {
        if (!report.accepted) ++refused;
        else if (!report.linted) ++notLinted;
        else if (!report.findings.empty()) ++withFindings;
        else ++clean;
    }
    long files() const { return clean + withFindings + refused + notLinted; }
};

}  // namespace

int runLint(const CommandLine& line)
{
    Tally tally;
    const int folders = reportFiles(line, Look::Lint, [&](const FileReport& report) {
        tally.add(report);
        const bool written = writeOut(line.json ? jsonReport(report, Look::Lint) : lintText(report));
        if (report.accepted && !report.linted) {
            std::fflush(stdout);
            std::fprintf(stderr, "vexo: %s: checked but not linted: only a regular file can be read a second time\n",
                         report.path.c_str());
        }
        return written;
    });
    if (tally.files() > 1) {
        std::fflush(stdout);  // the tally comes after the files' lines where both streams go to one place
        std::fprintf(stderr, "vexo: %ld files: %ld clean, %ld with findings, %ld refused", tally.files(), tally.clean,
                     tally.withFindings, tally.refused);
        if (tally.notLinted > 0) std::fprintf(stderr, ", %ld not linted", tally.notLinted);
        std::fputs("\n", stderr);
    }
    return folders != 0 || tally.clean != tally.files() ? 1 : 0;
}
