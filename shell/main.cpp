// Process entry: command-line jobs, or the viewer.

#include <cstdio>

#include "platform/win32.h"
#include "shell/CommandLine.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) return 1;
    const CommandLine commandLine = CommandLine::parse(count, arguments);
    int status;
    if (commandLine.mode != CommandLine::Mode::Viewer || !commandLine.error.empty()) {
        status = runCommand(commandLine);
    } else {
        std::fputs("vexo: this build has no viewer yet; use --check or --positions (see --help)\n", stderr);
        status = 1;
    }
    LocalFree(arguments);
    return status;
}
