#include "commands/Commands.h"
#include "commands/FileReport.h"

int runCheck(const CommandLine& line)
{
    int status = 0;
    const int folders = reportFiles(line, Look::Check, [&](const FileReport& report) {
        if (!report.accepted) status = 1;
        return writeOut(line.json ? jsonReport(report, Look::Check) : checkLine(report) + "\n");
    });
    return folders != 0 ? folders : status;
}
